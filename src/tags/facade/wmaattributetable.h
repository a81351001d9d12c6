// The WMA attributes that have a unified field name, both ways.
#pragma once

#include <string>
#include <string_view>

namespace tags {

// The unified name of an attribute ("Author" gives "ARTIST"); the attribute's
// own name when the table has none.
std::string WMAAttributeToName(std::string_view attribute);
// The attribute a unified name is written to, the name upper-cased first;
// the name itself when the table has none.
std::string WMANameToAttribute(std::string_view name);
// Attributes that describe the stream, not the music: never entries.
bool WMAIgnoredAttribute(std::string_view attribute);

}  // namespace tags
