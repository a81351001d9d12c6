#include "tags/facade/sourceaudioattributes.h"

#include "tags/facade/tagslibrary.h"

#include <cmath>

namespace tags {

template <typename T>
T TSourceAudioAttributes::FirstNonZero(T TAudioAttributes::*field) const {
    for (const auto* reader : {WAVPackAttributes.get(), MusePackAttributes.get(), MonkeyAttributes.get()}) {
        if (!reader) continue;
        T v = reader->AudioAttributes().*field;
        if (v != 0) return v;
    }
    if (!Parent) return 0;
    for (TTagType type : Parent->TagLoadPriority) {
        const TFormatTag* tag = Parent->FormatTag(type);
        if (!tag) continue;
        T v = tag->AudioAttributes().*field;
        if (v != 0) return v;
    }
    return 0;
}

uint16_t TSourceAudioAttributes::Channels() const { return FirstNonZero(&TAudioAttributes::Channels); }
uint32_t TSourceAudioAttributes::SamplesPerSec() const { return FirstNonZero(&TAudioAttributes::SamplesPerSec); }
uint16_t TSourceAudioAttributes::BitsPerSample() const { return FirstNonZero(&TAudioAttributes::BitsPerSample); }
int64_t TSourceAudioAttributes::SampleCount() const { return FirstNonZero(&TAudioAttributes::SampleCount); }
uint32_t TSourceAudioAttributes::BitRate() const { return FirstNonZero(&TAudioAttributes::BitRate); }

double TSourceAudioAttributes::PlayTime() const {
    for (const auto* reader : {WAVPackAttributes.get(), MusePackAttributes.get(), MonkeyAttributes.get()}) {
        if (!reader) continue;
        double v = reader->AudioAttributes().PlayTime;
        if (v != 0 && std::isfinite(v)) return v;
    }
    if (!Parent) return 0;
    // Fixed order: a container's header is the last resort.
    struct Source {
        TTagType type;
        double TAudioAttributes::*field;
    };
    constexpr double TAudioAttributes::*own = &TAudioAttributes::PlayTime;
    for (Source s : {Source{ttFlac, own}, Source{ttOpusVorbis, own}, Source{ttWAV, own}, Source{ttMP4, own},
                     Source{ttID3v2, own}, Source{ttWMA, own}, Source{ttID3v2, &TAudioAttributes::ContainerPlayTime}}) {
        const TFormatTag* tag = Parent->FormatTag(s.type);
        if (!tag) continue;
        double v = tag->AudioAttributes().*(s.field);
        if (v != 0 && std::isfinite(v)) return v;
    }
    return 0;
}

void TSourceAudioAttributes::Clear() {
    WAVPackAttributes.reset();
    MusePackAttributes.reset();
    MonkeyAttributes.reset();
}

}  // namespace tags
