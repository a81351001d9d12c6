// ASF headers: whatever loads is read every way, a save into memory that
// succeeds loads again with the same attributes plus the ones added and
// keeps everything after the header; a refused save changes nothing.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tags/core/bytes.h"
#include "tags/wma/wmataglibrary.h"

namespace {

std::vector<std::string> Attributes(const tags::TWMATag& tag) {
    std::vector<std::string> out;
    for (const auto& f : tag.Frames) out.push_back(f->Name + "=" + std::to_string(f->Format) + ":" + f->GetText());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tags;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStream in(bytes);
    TWMATag tag;
    if (tag.LoadFromStream(in) != WMATAGLIBRARY_SUCCESS) return 0;
    std::vector<std::string> list;
    for (int i = 0; i < tag.CoverArtCount(); ++i) {
        std::string picture, mime, description;
        uint8_t type = 0;
        tag.GetCoverArtFromFrame(tag.GetFrameIndexOfCoverArtIndex(i), picture, mime, type, description);
    }
    for (const auto& f : tag.Frames) f->GetList(list);

    // Frames the writer drops: empty values and texts, unknown types.
    std::erase_if(tag.Frames, [](const auto& f) {
        return f->Stream.empty() || f->Format == WMT_TYPE_UNKNOWN ||
               (f->Format == WMT_TYPE_STRING && f->GetText().empty());
    });
    // Texts are written from their characters, so compare what they say.
    tag.SetText("WM/Fuzz", "value");
    tag.AddCoverArtFrame(std::string(size % 70000, 'p'), "image/png", "", 3);
    const std::vector<std::string> wanted = Attributes(tag);
    TMemoryStream out(bytes);
    if (tag.SaveToStream(out) != WMATAGLIBRARY_SUCCESS) {
        if (out.Bytes() != bytes) __builtin_trap();
        return 0;
    }
    const std::string& saved = out.Bytes();
    if (saved.substr(size_t(ReadLE64(saved.data() + 16))) != bytes.substr(size_t(ReadLE64(bytes.data() + 16))))
        __builtin_trap();
    TWMATag again;
    if (again.LoadFromStream(out) != WMATAGLIBRARY_SUCCESS || Attributes(again) != wanted) __builtin_trap();
    return 0;
}
