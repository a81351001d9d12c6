// Native FLAC and Ogg FLAC metadata: whatever loads must save, and what we
// save must load again with the change in it.
#include <cstdint>
#include <string>

#include "tags/flac/flactaglibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tags;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStream in(bytes);
    TFlacTag tag;
    const bool buffered = size % 3 != 0;
    if (tag.LoadFromStream(in, buffered) != flacSuccess) return 0;

    std::vector<std::string> list;
    for (int i = 0; i < tag.Count(); ++i) {
        tag.Tags[i]->GetText();
        tag.Tags[i]->GetList(list);
    }
    for (int i = 0; i < tag.CoverArtCount(); ++i) {
        TMemoryStream picture;
        TFlacTagCoverArtInfo info;
        tag.GetCoverArt(i, picture, info);
    }
    tag.Valid(), tag.Playtime(), tag.Ratio(), tag.ChannelMode();

    tag.SetText("FUZZ", "value");
    tag.ForceReWrite = size % 2;
    TMemoryStream out(bytes);
    if (tag.SaveToStream(out, buffered) != flacSuccess) return 0;
    TFlacTag again;
    if (again.LoadFromStream(out) != flacSuccess || again.GetText("FUZZ") != "value") __builtin_trap();
    return 0;
}
