// Integer text as the settings and playlists write it.
#pragma once

#include <optional>
#include <string_view>

namespace app {

// Optional sign and decimal digits, surrounding blanks allowed, within the
// range of int. With allowHex, "0x" (or "0X") and up to eight hex digits too,
// read as the 32-bit pattern they spell ("0xFFFFFFFF" is -1).
std::optional<int> ParseInt(std::string_view text, bool allowHex = false);

}  // namespace app
