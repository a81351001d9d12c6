// Loads arbitrary bytes through the facade and classifies them, directly and
// through the buffered stream, which must agree; then saves what loaded back
// into a copy of the bytes, as every format and by content, and loads that.
#include "tags/core/bufferedstream.h"
#include "tags/core/readmemorystream.h"
#include "tags/facade/tagslibrary.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tags::TTags facade;  // reused, as the player reuses its own
    int32_t length = size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
    facade.LoadFromMemory(data, length);
    for (const auto& t : facade.Tags) (void)facade.GetText(t->Name);

    tags::TReadMemoryStream direct(data, length);
    int format = tags::GetAudioFormat(direct);
    tags::TReadMemoryStream inner(data, length);
    tags::TBufferedStream buffered(inner);
    if (tags::GetAudioFormat(buffered) != format) std::abort();
    (void)tags::PicturePointerType(data, size);

    if (!facade.Loaded || size > 64 * 1024) return 0;
    for (tags::TTagType type : {tags::ttAutomatic, tags::ttID3v2, tags::ttFlac, tags::ttAPEv2, tags::ttID3v1}) {
        tags::TMemoryStream copy(std::string(reinterpret_cast<const char*>(data), size));
        facade.SaveToStream(copy, type == tags::ttFlac, type);
        static tags::TTags reader;
        reader.LoadFromStream(copy, false);
    }
    return 0;
}
