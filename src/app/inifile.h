// The settings store: a whole INI file held in memory. Reads and writes work
// on memory; UpdateFile writes everything back at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/textfile.h"

namespace app {

class TMemIniFile {
public:
    // Reads the whole file; a missing or unreadable file gives an empty store
    // that will be created in UTF-16LE with a byte-order mark.
    explicit TMemIniFile(std::string fileName);

    // Section and key names compare without regard to case. When a key occurs
    // twice in a section, its first occurrence is the one read and written.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal, or hexadecimal after "0x"; the default when missing or not a number.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // An integer, non-zero is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    bool SectionExists(std::string_view section) const;

    // Writes the store to its file in the encoding it was read in (through a
    // temporary file, so a failure leaves the old file whole). Text the legacy
    // code page cannot hold switches the file to UTF-16LE rather than lose it.
    bool UpdateFile();

    const std::string& FileName() const { return fileName_; }
    TTextEncoding Encoding() const { return encoding_; }

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

    std::string fileName_;
    TTextEncoding encoding_ = TTextEncoding::Utf16LE;
    std::string lineBreak_ = "\r\n";
    std::vector<Line> lines_;
};

}  // namespace app
