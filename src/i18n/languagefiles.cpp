#include "i18n/languagefiles.h"

#include <algorithm>

#include "common/files.h"
#include "common/inifile.h"
#include "common/text.h"

namespace i18n {

std::vector<TLanguageFile> ListLanguages(const std::vector<std::string>& folders) {
    std::vector<TLanguageFile> found;
    for (const std::string& folder : folders) {
        for (const std::string& name : common::listFiles(folder)) {
            if (!common::endsWithNoCase(name, ".ini") || name.size() == 4) continue;
            std::string base = name.substr(0, name.size() - 4);
            std::string path = common::withTrailingSlash(folder) + name;
            TLanguageFile file{path, base, common::IniFile(path).ReadString(kInformationSection, "LANGNAME", base)};
            if (file.display.empty()) file.display = base;
            auto same = std::find_if(found.begin(), found.end(),
                                     [&](const TLanguageFile& f) { return common::equalsNoCase(f.base, base); });
            if (same != found.end()) *same = std::move(file);
            else found.push_back(std::move(file));
        }
    }
    std::sort(found.begin(), found.end(),
              [](const TLanguageFile& a, const TLanguageFile& b) { return common::compareNoCase(a.base, b.base) < 0; });
    return found;
}

bool IsChosen(std::string_view base, std::string_view chosen) {
    return common::equalsNoCase(base, chosen) || std::string(base) + ".ini" == chosen;
}

std::string FindLanguage(const std::vector<TLanguageFile>& languages, std::string_view chosen) {
    for (const TLanguageFile& f : languages)
        if (IsChosen(f.base, chosen)) return f.path;
    return {};
}

bool Translatable(std::string_view text) {
    if (text.empty() || text == "-") return false;
    std::string_view t = common::trim(text);
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) t.remove_prefix(1);
    return t.empty() || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace i18n
