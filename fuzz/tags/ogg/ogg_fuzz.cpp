// Ogg Opus, Vorbis and Theora comments: whatever loads is read every way,
// a save into memory that succeeds loads again with the same fields plus the
// one added, and a refused save leaves the bytes as they were.
#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "tags/ogg/oggvorbisandopustaglibrary.h"

namespace {

std::vector<std::string> Fields(const tags::TOpusTag& tag) {
    std::vector<std::string> out;
    for (const auto& f : tag.Frames) out.push_back(common::asciiUpper(f->Name) + "=" + f->Stream.Bytes());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tags;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStream in(bytes);
    TOpusTag tag;
    tag.ParsePlayTime = size % 2;
    if (tag.LoadFromStream(in) != oggSuccess) return 0;

    std::vector<std::string> list;
    for (int i = 0; i < tag.Count(); ++i) {
        tag.Frames[static_cast<size_t>(i)]->GetText();
        tag.Frames[static_cast<size_t>(i)]->GetList(list);
        TMemoryStream picture;
        TOpusVorbisCoverArtInfo info;
        tag.GetCoverArtFromFrame(i, picture, info);
    }

    tag.AddTextFrame("FUZZ", "value");
    tag.WritePadding = size % 3 == 0;
    const std::vector<std::string> wanted = Fields(tag);
    TMemoryStream out(bytes);
    if (tag.SaveToStream(out) != oggSuccess) {
        if (out.Bytes() != bytes) __builtin_trap();
        return 0;
    }
    TOpusTag again;
    if (again.LoadFromStream(out) != oggSuccess || Fields(again) != wanted) __builtin_trap();
    return 0;
}
