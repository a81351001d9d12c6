// The settings store: the whole settings file held in memory (see
// common/inifile.h), with the number and flag reads the settings use.
#pragma once

#include <string>
#include <string_view>

#include "common/inifile.h"

namespace app {

using common::TTextEncoding;

class TMemIniFile : public common::IniFile {
public:
    using IniFile::IniFile;

    // Decimal, or hexadecimal after "0x"; the default when missing or not a number.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // An integer, non-zero is true.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
};

}  // namespace app
