// ID3v2 tags inside WAV, RF64, AIFF, DSF and DFF files: a tag that loads
// is saved grown into memory and loads again with the new frame; removal
// makes the file smaller; a refused save or removal changes nothing.
#include <cstdint>
#include <string>

#include "tags/id3v2/id3v2library.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tags;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStream in(bytes);
    TID3v2Tag tag;
    const int loaded = tag.LoadFromStream(in);
    const TSourceFileType type = tag.SourceFileType();
    if (type == sftUnknown || type == sftMPEG) return 0;
    if (loaded == ID3V2LIBRARY_SUCCESS) tag.DeleteFrame(std::string_view("TALB"));
    tag.SetText("TALB", std::string(size % 5000 + 1, 'a'), teUTF8);
    tag.PaddingToWrite = uint32_t(size % 64);

    TMemoryStream out(bytes);
    if (tag.SaveToStream(out) != ID3V2LIBRARY_SUCCESS) {
        if (out.Bytes() != bytes) __builtin_trap();
        return 0;
    }
    TID3v2Tag again;
    if (again.LoadFromStream(out) != ID3V2LIBRARY_SUCCESS || again.GetText("TALB") != std::string(size % 5000 + 1, 'a'))
        __builtin_trap();

    const std::string saved = out.Bytes();
    const int stripped = StripID3v2TagFromStream(out);
    if (stripped != ID3V2LIBRARY_SUCCESS) {
        if (out.Bytes() != saved) __builtin_trap();
        return 0;
    }
    if (out.Size() >= int64_t(saved.size())) __builtin_trap();
    return 0;
}
