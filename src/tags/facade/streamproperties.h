// What the facade needs from the WavPack, Musepack and Monkey's Audio header
// readers, which it runs only when asked (ParseWavPackAudioAttributes, ...).
#pragma once

#include "tags/core/stream.h"
#include "tags/facade/tagtypes.h"

#include <cstdint>
#include <string>

namespace tags {

enum TStreamPropertiesKind { spkWavPack, spkMusepack, spkMonkey };

class TStreamPropertiesReader {
public:
    virtual ~TStreamPropertiesReader() = default;
    // leadingTagsSize is the ID3v2 tag's size, trailingTagsSize the APEv2
    // tag's plus 128 for an ID3v1 tag; the bit rate discounts them. Returns
    // whether the reader found valid stream properties.
    virtual bool LoadFromFile(const std::string& fileName, int64_t leadingTagsSize, int64_t trailingTagsSize) = 0;
    virtual bool LoadFromStream(TStream& stream, int64_t leadingTagsSize, int64_t trailingTagsSize) = 0;
    virtual bool Valid() const = 0;
    virtual TAudioAttributes AudioAttributes() const = 0;
};

}  // namespace tags
