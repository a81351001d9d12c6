// Chooses the object behind each tag format and stream-property reader.
// Wiring in a format unit means changing its line in formatfactory.cpp to
// create the unit's adapter; adapters take their writers' padding and the Ogg
// reader's ParsePlayTime from kTagsLibraryDefaults when created.
#pragma once

#include "tags/facade/formattag.h"
#include "tags/facade/streamproperties.h"

#include <functional>
#include <memory>

namespace tags {

// The eight formats the facade owns, in the order it loads them.
constexpr std::array<TTagType, 8> kFormatLoadOrder = {ttAPEv2, ttFlac,       ttID3v1, ttID3v2,
                                                      ttMP4,   ttOpusVorbis, ttWAV,   ttWMA};

// Never null for the eight format types above; null for any other type.
std::unique_ptr<TFormatTag> CreateFormatTag(TTagType type);
// Null while the reader's unit is not built.
std::unique_ptr<TStreamPropertiesReader> CreateStreamPropertiesReader(TStreamPropertiesKind kind);

// Tests give the facade objects of their own through this.
struct TFormatFactory {
    std::function<std::unique_ptr<TFormatTag>(TTagType)> FormatTag = CreateFormatTag;
    std::function<std::unique_ptr<TStreamPropertiesReader>(TStreamPropertiesKind)> PropertiesReader =
        CreateStreamPropertiesReader;
};

}  // namespace tags
