#include "app/listfiles.h"

#include "app/textfile.h"
#include "common/files.h"

namespace app {

std::optional<std::vector<std::string>> LoadLines(const std::string& path) {
    auto bytes = common::readFile(path);
    if (!bytes) return std::nullopt;
    return SplitLines(DecodeText(*bytes).text);
}

bool SaveLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return common::writeFileAtomic(path, EncodeText(text, TTextEncoding::Utf16LE));
}

}  // namespace app
