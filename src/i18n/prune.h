// Start-up housekeeping of the language files: keys for windows or
// components that no longer exist go, and so do later duplicates.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace i18n {

// What the program's windows are made of; names compare without regard to case.
struct TWindowNames {
    std::function<bool(std::string_view form)> hasForm;
    std::function<bool(std::string_view form, std::string_view component)> hasComponent;
};

enum class TPruneResult {
    Unchanged,    // nothing to remove
    Pruned,       // keys removed, file written back in its own encoding
    NotWritable,  // a file this user cannot replace (an installed one): used, never changed
    NotLanguage,  // no translation section, or text that would not read back whole: left alone
    WriteFailed,  // the write failed; the old file is whole
};

// In every section but the information and DestDir sections: a key without
// "." goes; so does a key whose window (the part before the first ".") does
// not exist, or, when a "." follows, whose component (up to that ".") the
// window lacks; and a key equal to an earlier key of its section. A section
// left without keys goes too. The file is replaced through a temporary file.
TPruneResult PruneLanguageFile(const std::string& path, const TWindowNames& names);

}  // namespace i18n
