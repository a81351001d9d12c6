#include "tags/facade/formatfactory.h"

namespace tags {

std::unique_ptr<TFormatTag> CreateFormatTag(TTagType type) {
    switch (type) {
    case ttAPEv2: return std::make_unique<TNullFormatTag>("APEv2");
    case ttFlac: return std::make_unique<TNullFormatTag>("FLAC");
    case ttID3v1: return std::make_unique<TNullFormatTag>("ID3v1");
    case ttID3v2: return std::make_unique<TNullFormatTag>("ID3v2");
    case ttMP4: return std::make_unique<TNullFormatTag>("MP4");
    case ttOpusVorbis: return std::make_unique<TNullFormatTag>("Ogg");
    case ttWAV: return std::make_unique<TNullFormatTag>("WAV");
    case ttWMA: return std::make_unique<TNullFormatTag>("WMA");
    default: return nullptr;
    }
}

std::unique_ptr<TStreamPropertiesReader> CreateStreamPropertiesReader(TStreamPropertiesKind) {
    return nullptr;
}

}  // namespace tags
