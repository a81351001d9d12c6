// An INI file held in memory: section lines "[Name]" and "key=value" lines.
// Reads and writes work on memory; UpdateFile writes everything back at once,
// in the encoding the file was read in.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/textfile.h"

namespace common {

class IniFile {
public:
    // Reads the whole file; a missing file gives an empty store that will be
    // created in UTF-16LE with a byte-order mark. A file that is there but
    // cannot be read also gives an empty store, which is never written back.
    explicit IniFile(std::string fileName);

    // Section and key names compare without regard to case. When a key occurs
    // twice in a section, its first occurrence is the one read and written.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Every "key=value" line of the section, duplicates included, in file order.
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;
    // The names of the sections, each once (as first spelt), in file order.
    std::vector<std::string> Sections() const;
    // Walks the section's keys in file order and removes those drop answers
    // true for; returns how many went.
    size_t DeleteKeys(std::string_view section, const std::function<bool(const std::string& key)>& drop);
    // Removes the section with everything in it (every occurrence of its header).
    void EraseSection(std::string_view section);

    // Writes the store to its file in the encoding it was read in (through a
    // temporary file, so a failure leaves the old file whole). Text the legacy
    // code page cannot hold switches the file to UTF-16LE rather than lose it.
    // False, with the file untouched, when the file could not be read: what
    // the store holds then is not what the file holds.
    bool UpdateFile();

    const std::string& FileName() const { return fileName_; }
    TTextEncoding Encoding() const { return encoding_; }
    // True when the file was read and writing it back unchanged would give
    // the same characters: nothing in it failed to decode.
    bool ReadsBackWhole() const { return whole_; }
    // True when the file exists but could not be read (permissions, a link
    // loop, an I/O error).
    bool ReadFailed() const { return readFailed_; }

private:
    // Lines are kept as read, so comments, blank lines and later duplicates
    // survive a write untouched.
    struct Line {
        std::string text;
        std::string section;  // set on "[section]" lines
        std::string key;      // set on "key=value" lines
        bool isSection = false, isKey = false;
    };
    static Line parse(std::string text);
    // Index of the first "[section]" line, or npos.
    size_t findSection(std::string_view section) const;
    // Index of the key's first line inside the section, or npos.
    size_t findKey(size_t sectionLine, std::string_view key) const;
    const Line* findValue(std::string_view section, std::string_view key) const;
    // Calls f(index) for every key line of every occurrence of the section.
    void forEachKeyLine(std::string_view section, const std::function<void(size_t)>& f) const;

    std::string fileName_;
    TTextEncoding encoding_ = TTextEncoding::Utf16LE;
    std::string lineBreak_ = "\r\n";
    std::vector<Line> lines_;
    bool whole_ = false;
    bool readFailed_ = false;
};

}  // namespace common
