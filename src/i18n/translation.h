// One window pass over a language file: the translations to look up, each
// used once, and the keys that were asked for but missing.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace i18n {

// The optional list of missing keys, for translators: used only when the file
// already exists. Each key that was looked up in vain is added as a line
// "key=text" (once: a key already listed is not added again), and the file is
// written as UTF-16LE with a byte-order mark.
class TMissingKeyLog {
public:
    explicit TMissingKeyLog(std::string path);
    bool Active() const { return active_; }
    void Add(std::string_view key, std::string_view text);
    // Writes the list when something was added; false when that failed.
    bool Save();
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::string path_;
    bool active_ = false;
    bool changed_ = false;
    std::vector<std::string> lines_;
    std::set<std::string, common::LessNoCase> keys_;
};

class TTranslation {
public:
    // Reads the translation section of a language file. False, with nothing
    // to look up, when the file is missing or has no such section.
    bool Load(const std::string& path);

    // The translation of key, which is then used up for this pass; without
    // one, the key goes to the log (when there is one) and the result is the
    // current text. Keys compare without regard to case; the first of
    // duplicate keys answers first.
    std::string Lookup(std::string_view key, std::string_view current);
    void SetLog(TMissingKeyLog* log) { log_ = log; }

private:
    std::multimap<std::string, std::string, common::LessNoCase> values_;
    TMissingKeyLog* log_ = nullptr;
};

}  // namespace i18n
