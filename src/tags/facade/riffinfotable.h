// The RIFF INFO items that have a unified field name, both ways.
#pragma once

#include <string>
#include <string_view>

namespace tags {

// The unified name of an item (exact identifier: "IART" gives "ARTIST");
// empty when it has none.
std::string RiffInfoToName(std::string_view id);
// The item a unified name is written to, the name upper-cased first
// ("Track" gives "ITRK"); empty when none. Names that are only read
// ("IALB", "BCPR", "itrk") are not found.
std::string RiffNameToInfo(std::string_view name);

}  // namespace tags
