// Loads the input as a file ending with an APEv2 tag (perhaps in front of a
// Lyrics3 block and an ID3v1 tag); whatever loads must save and load again
// to the same items.
#include "tags/apev2/apev2library.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    tags::TMemoryStream input(bytes);
    tags::TAPEv2Tag tag;
    int loaded = tag.LoadFromStream(input);
    for (auto& frame : tag.Frames) {
        frame->GetText();
        tags::TAPEv2List list;
        frame->GetList(list);
    }
    for (int i = 0; i < tag.CoverArtCount(); ++i) {
        tags::TMemoryStream picture;
        tags::TAPEv2PictureFormat format;
        std::string description;
        tag.GetCoverArtFromFrame(tag.GetFrameIndexOfCoverArtIndex(i), picture, format, description);
    }
    if (loaded != tags::APEV2_SUCCESS && loaded != tags::APEV2_ERROR_CORRUPT) return 0;

    tags::TMemoryStream saved(bytes);
    tag.RemoveEmptyFrames();
    if (tag.Count() == 0 || tag.SaveToStream(saved) != tags::APEV2_SUCCESS) return 0;
    tags::TAPEv2Tag again;
    if (again.LoadFromStream(saved) != tags::APEV2_SUCCESS || again.Count() != tag.Count()) __builtin_trap();
    for (int i = 0; i < tag.Count(); ++i) {
        const auto& a = *tag.Frames[static_cast<size_t>(i)];
        const auto& b = *again.Frames[static_cast<size_t>(i)];
        if (a.Name != b.Name || a.Format != b.Format || a.Value() != b.Value()) __builtin_trap();
    }
    if (tags::RemoveAPEv2TagFromStream(saved) != tags::APEV2_SUCCESS) __builtin_trap();
    return 0;
}
