// Reading what a radio server sends besides the sound: the title in its
// metadata blocks and the station's header lines, as the engine hands them
// out (ChannelGetTags META, and ICY or HTTP).
#pragma once

#include <optional>
#include <string>

namespace audio {

// The title of a metadata block such as "StreamTitle='A - B';StreamUrl='';".
// The quoted value is taken whole, so a title may hold ";" and "'"; a block
// without quotes ends the value at the first ";". nullopt when the block has
// no "StreamTitle=". Text that is not UTF-8 is read as Windows-1252; control
// characters become spaces.
std::optional<std::string> ParseStreamTitle(const std::string& meta);

struct TRadioHeaders {
    std::string StationName;  // "icy-name:" (UTF-8, or Windows-1252 when it is not)
    std::string Bitrate;      // "icy-br:", as sent
};
// Reads zero-terminated header lines ending with an empty one; null gives
// nothing. Both prefixes are matched with exact letter case.
TRadioHeaders ParseRadioHeaders(const char* block);

}  // namespace audio
