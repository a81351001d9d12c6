// Loads the input as a file ending with an ID3v1 tag (and perhaps a Lyrics3
// block); whatever loads must save with its lyrics and load again.
#include "tags/id3v1/id3v1library.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// The fields a save writes from their own data, in order.
std::vector<std::pair<std::string, std::string>> plainFields(const tags::TID3v1Tag& tag) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& f : tag.LyricsFrames) {
        if (f->ID == "IND" || f->ID == "EAL" || f->ID == "EAR" || f->ID == "ETT") continue;
        if (f->ID.size() == 3 && !f->Data.empty()) out.emplace_back(f->ID, f->Data);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    tags::TMemoryStream input(bytes);
    tags::TID3v1Tag tag;
    if (tag.LoadFromStream(input) != tags::ID3V1_SUCCESS) return 0;

    tags::TMemoryStream saved(bytes);
    int result = tag.SaveToStream(saved, true);
    // Latin-1 lyrics grow when written as UTF-8 and may no longer fit.
    if (result == tags::ID3V1_ERROR_WRITING_FILE) return 0;
    if (result != tags::ID3V1_SUCCESS) __builtin_trap();
    tags::TID3v1Tag again;
    if (again.LoadFromStream(saved) != tags::ID3V1_SUCCESS) __builtin_trap();
    if (plainFields(again) != plainFields(tag)) __builtin_trap();
    if (tags::RemoveID3v1TagFromStream(saved) != tags::ID3V1_SUCCESS) __builtin_trap();
    return 0;
}
