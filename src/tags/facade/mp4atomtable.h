// The MP4 items that have a unified field name, both ways, and how the
// number-valued ones are stored.
#pragma once

#include <string>
#include <string_view>

namespace tags {

// The unified name of an item (its 4 bytes exactly: "\xA9ART" gives
// "ARTIST"); empty when it has none.
std::string MP4AtomToName(std::string_view atom);
// The item a unified name is written to, the name upper-cased first
// ("Year" gives "\xA9day"); empty when none. Names that are only read
// ("RATING" from "SErg") are not found.
std::string MP4NameToAtom(std::string_view name);
// Items that hold a number: the bytes a save writes it with, 0 for others.
int MP4IntegerWidth(std::string_view atom);
// Items that hold a flag (one byte, 0 or 1).
bool MP4IsFlagAtom(std::string_view atom);

}  // namespace tags
