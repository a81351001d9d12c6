// RIFF WAVE and RF64 chunks: whatever loads is read every way, a save into
// memory that succeeds loads again with the same items plus the one added,
// the "data" bytes unchanged; a refused save leaves the bytes as they were.
#include <cstdint>
#include <string>
#include <vector>

#include "tags/wav/wavtaglibrary.h"

namespace {

std::vector<std::string> Items(const tags::TWAVTag& tag) {
    std::vector<std::string> out;
    for (const auto& f : tag.Frames) out.push_back(f->Name + "=" + f->GetText());
    for (const std::string& field : tag.BEXT.FieldNames()) out.push_back("BEXT " + field + "=" + tag.BEXT.Get(field));
    for (const std::string& field : tag.CART.FieldNames()) out.push_back("CART " + field + "=" + tag.CART.Get(field));
    return out;
}

std::string Samples(const tags::TWAVTag& tag, const std::string& bytes) {
    if (tag.SampleDataStartPosition == 0 || tag.SampleDataStartPosition > bytes.size()) return {};
    return bytes.substr(tag.SampleDataStartPosition, tag.SampleDataSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tags;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStream in(bytes);
    TWAVTag tag;
    if (tag.LoadFromStream(in) != WAVTAGLIBRARY_SUCCESS) return 0;
    std::vector<std::string> list;
    for (const auto& f : tag.Frames) f->GetList(list);
    const std::string samples = Samples(tag, bytes);

    tag.SetText("IFUZ", "value");
    tag.BEXT.Set("Description", "fuzz");
    tag.RemoveEmptyFrames();
    // Building the chunks gives a bext and a cart without a version theirs.
    tag.CreateTagChunks();
    const std::vector<std::string> wanted = Items(tag);
    TMemoryStream out(bytes);
    if (tag.SaveToStream(out) != WAVTAGLIBRARY_SUCCESS) {
        if (out.Bytes() != bytes) __builtin_trap();
        return 0;
    }
    TWAVTag again;
    const std::string saved = out.Bytes();
    if (again.LoadFromStream(out) != WAVTAGLIBRARY_SUCCESS) __builtin_trap();
    if (Items(again) != wanted) __builtin_trap();
    if (Samples(again, saved) != samples) __builtin_trap();
    return 0;
}
