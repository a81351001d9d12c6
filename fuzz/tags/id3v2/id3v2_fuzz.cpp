// Loads arbitrary bytes as an ID3v2 tag, reads every frame through the
// accessors, then saves what loaded and checks it loads back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tags/id3v2/id3v2library.h"

using namespace tags;

namespace {

void ReadAll(TID3v2Tag& tag) {
    std::string a, b, c, d;
    uint8_t byte = 0;
    uint32_t n = 0;
    std::vector<std::string> list;
    for (int64_t i = 0; i < tag.FrameCount(); ++i) {
        tag.GetText(i, i % 2 == 0);
        tag.GetContent(i, a, b);
        tag.GetCoverPictureInfo(i, a, b, byte, &c);
        const uint8_t* data = nullptr;
        uint64_t size = 0;
        std::string_view mime, description;
        int encoding = 0;
        if (tag.GetCoverPictureInfoPointer(i, data, size, mime, description, encoding, byte) && size > 0)
            n += data[size - 1];
        tag.GetUserDefinedURLLink(i, a);
        tag.GetUserDefinedTextInformationMultiple(i, a, list);
        tag.GetPopularimeter(i, a, byte, n);
        tag.GetListFrame(i, list);
        tag.GetUFID(i, a);
        tag.GetGEOB(i, a, b, c, d);
        tag.GetOWNE(i, a, b, c);
        tag.GetSampleCache(i, true, byte, n);
        tag.GetSEBR(i);
        DecodeID3v2Genre(tag.GetText(i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    TID3v2Tag tag;
    tag.BeginningSearchLength = size > 0 && data[0] == 'x' ? 64 : 0;
    TMemoryStream in(input);
    if (tag.LoadFromStream(in) == ID3V2LIBRARY_SUCCESS) {
        ReadAll(tag);
        tag.DeCompressAllFrames();
        TMemoryStream out;
        if (tag.SaveToStream(out) == ID3V2LIBRARY_SUCCESS && tag.CalculateTotalFramesSize() > 0) {
            std::vector<std::string> written;
            for (const auto& f : tag.Frames)
                if (ValidFrameID(f->ID, 4) && !f->Data().empty()) written.push_back(f->Data());
            TID3v2Tag again;
            if (again.LoadFromStream(out) != ID3V2LIBRARY_SUCCESS || again.FrameCount() != int64_t(written.size()))
                std::abort();
            for (size_t i = 0; i < written.size(); ++i)
                if (again.Frames[i]->Data() != written[i]) std::abort();
        }
    }
    TID3v2Tag memory;
    memory.LoadFromMemory(data, size);
    return 0;
}
