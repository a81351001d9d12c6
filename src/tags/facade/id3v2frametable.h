// The ID3v2 frames that have a unified field name, both ways.
#pragma once

#include <string>
#include <string_view>

namespace tags {

// The unified name of a frame identifier (exact, "TPE1" gives "ARTIST");
// empty when the frame has none.
std::string ID3v2FrameToName(std::string_view frameID);
// The frame a unified name is written to, the name upper-cased first
// ("Artist" gives "TPE1", "DATE" "TYER", "TRACK" "TRCK"); empty when none.
std::string ID3v2NameToFrame(std::string_view name);

}  // namespace tags
