// The stream properties of the last loaded file, asked of whichever reader
// or format object knows them.
#pragma once

#include "tags/facade/streamproperties.h"
#include "tags/facade/tagtypes.h"

#include <cstdint>
#include <memory>

namespace tags {

class TTags;

class TSourceAudioAttributes {
public:
    explicit TSourceAudioAttributes(TTags* parent) : Parent(parent) {}

    // Present only after a load that asked for them and found valid headers.
    std::unique_ptr<TStreamPropertiesReader> WAVPackAttributes;
    std::unique_ptr<TStreamPropertiesReader> MusePackAttributes;
    std::unique_ptr<TStreamPropertiesReader> MonkeyAttributes;
    TTags* Parent;  // not owned

    // Each is the first non-zero value of the readers above, then of the
    // format objects in TagLoadPriority order; 0 when none knows it.
    uint16_t Channels() const;
    uint32_t SamplesPerSec() const;
    uint16_t BitsPerSample() const;
    int64_t SampleCount() const;
    uint32_t BitRate() const;
    // The readers, then FLAC, Ogg, WAV, MP4, ID3v2 (MPEG), WMA and ID3v2's
    // container play time.
    double PlayTime() const;

    void Clear();

private:
    template <typename T>
    T FirstNonZero(T TAudioAttributes::*field) const;
};

}  // namespace tags
