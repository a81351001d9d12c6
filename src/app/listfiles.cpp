#include "app/listfiles.h"

#include <cerrno>

#include "common/files.h"
#include "common/log.h"
#include "common/textfile.h"

namespace app {

std::optional<std::vector<std::string>> LoadLines(const std::string& path) {
    auto bytes = common::readFile(path);
    if (!bytes) {
        if (errno != ENOENT)
            common::log::warn("app.lists", "cannot read \"", path, "\": ", common::log::systemError(errno));
        return std::nullopt;
    }
    return common::SplitLines(common::DecodeText(*bytes).text);
}

bool SaveLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    if (common::writeFileAtomic(path, common::EncodeText(text, common::TTextEncoding::Utf16LE))) return true;
    common::log::error("app.lists", "cannot save \"", path, "\": ", common::log::systemError(errno));
    return false;
}

}  // namespace app
