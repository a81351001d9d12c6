#include "i18n/prune.h"

#include <set>

#include "common/files.h"
#include "common/inifile.h"
#include "common/text.h"
#include "i18n/languagefiles.h"

namespace i18n {

namespace {
bool knownKey(std::string_view key, const TWindowNames& names) {
    size_t dot = key.find('.');
    if (dot == std::string_view::npos) return false;
    std::string_view form = key.substr(0, dot);
    if (!names.hasForm(form)) return false;
    std::string_view rest = key.substr(dot + 1);
    size_t next = rest.find('.');
    return next == std::string_view::npos || names.hasComponent(form, rest.substr(0, next));
}
}  // namespace

TPruneResult PruneLanguageFile(const std::string& path, const TWindowNames& names) {
    if (!common::canReplaceFile(path)) return TPruneResult::NotWritable;
    common::IniFile file(path);
    // A file read in the wrong encoding would look like nothing but stale
    // keys; one that would not come back whole would lose text on a write.
    if (!file.SectionExists(kTranslationSection) || !file.ReadsBackWhole()) return TPruneResult::NotLanguage;

    size_t removed = 0;
    for (const std::string& section : file.Sections()) {
        if (common::equalsNoCase(section, kInformationSection) || common::equalsNoCase(section, kDestDirSection))
            continue;
        std::set<std::string, common::LessNoCase> seen;
        removed += file.DeleteKeys(
            section, [&](const std::string& key) { return !seen.insert(key).second || !knownKey(key, names); });
        if (file.ReadSectionValues(section).empty()) {
            file.EraseSection(section);
            ++removed;
        }
    }
    if (removed == 0) return TPruneResult::Unchanged;
    return file.UpdateFile() ? TPruneResult::Pruned : TPruneResult::WriteFailed;
}

}  // namespace i18n
