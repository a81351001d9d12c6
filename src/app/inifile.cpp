#include "app/inifile.h"

#include "app/numbers.h"

namespace app {

int TMemIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    if (!ValueExists(section, key)) return def;
    return ParseInt(ReadString(section, key, ""), true).value_or(def);
}

bool TMemIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TMemIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TMemIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace app
