#include "app/listfiles.h"

#include "common/files.h"
#include "common/textfile.h"

namespace app {

std::optional<std::vector<std::string>> LoadLines(const std::string& path) {
    auto bytes = common::readFile(path);
    if (!bytes) return std::nullopt;
    return common::SplitLines(common::DecodeText(*bytes).text);
}

bool SaveLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return common::writeFileAtomic(path, common::EncodeText(text, common::TTextEncoding::Utf16LE));
}

}  // namespace app
