#include "tags/facade/formatfactory.h"

#include "tags/facade/formatadapters.h"

namespace tags {

std::unique_ptr<TFormatTag> CreateFormatTag(TTagType type) {
    switch (type) {
    case ttAPEv2: return std::make_unique<TAPEv2FormatTag>();
    case ttFlac: return std::make_unique<TFlacFormatTag>();
    case ttID3v1: return std::make_unique<TID3v1FormatTag>();
    case ttID3v2: return std::make_unique<TID3v2FormatTag>();
    case ttMP4: return std::make_unique<TMP4FormatTag>();
    case ttOpusVorbis: return std::make_unique<TOggFormatTag>();
    case ttWAV: return std::make_unique<TWAVFormatTag>();
    case ttWMA: return std::make_unique<TWMAFormatTag>();
    default: return nullptr;
    }
}

std::unique_ptr<TStreamPropertiesReader> CreateStreamPropertiesReader(TStreamPropertiesKind) { return nullptr; }

}  // namespace tags
