// MP4 item lists: whatever loads is read every way, a save into memory that
// succeeds loads again with the same items plus the one changed, and a
// refused save leaves the bytes as they were.
#include <cstdint>
#include <string>
#include <vector>

#include "tags/mp4/mp4taglibrary.h"

namespace {

std::vector<std::string> Items(const tags::TMP4Tag& tag) {
    std::vector<std::string> out;
    for (const auto& a : tag.Atoms) {
        std::string item = a->ID + "|" + a->mean + "|" + a->name;
        for (const auto& d : a->Datas) item += "|" + std::to_string(d->DataType) + ":" + d->GetBytes();
        out.push_back(item);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tags;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStream in(bytes);
    TMP4Tag tag;
    const int loaded = tag.LoadFromStream(in, size % 2);
    if (loaded != mp4Success && loaded != mp4NoTag) return 0;

    std::vector<std::string> list;
    for (const auto& a : tag.Atoms) {
        a->GetText();
        a->GetList(list);
        for (const auto& d : a->Datas) d->GetText();
    }
    for (const auto& x : tag.Xtras) x->GetText(true);
    tag.GetGenre(), tag.GetMediaType(), tag.GetPurchaseCountry(), tag.GetTrack(), tag.GetDisc();

    tag.SetText("\xA9nam", "value");
    if (size % 3 == 0) tag.AddCoverArt(std::string(size % 5000, 'c'));
    const std::vector<std::string> wanted = Items(tag);
    TMemoryStream out(bytes);
    if (tag.SaveToStream(out, size % 5 != 0) != mp4Success) {
        if (out.Bytes() != bytes) __builtin_trap();
        return 0;
    }
    TMP4Tag again;
    if (again.LoadFromStream(out) != mp4Success || Items(again) != wanted) __builtin_trap();
    return 0;
}
