// Finding the chunks and loading the INFO list, "bext", "cart" and the
// stream properties.
#include <algorithm>
#include <cstring>

#include "tags/core/bytes.h"
#include "tags/wav/wavlayout.h"
#include "tags/wav/wavtaglibrary.h"

namespace tags {

namespace wav {

TRiffLayout WalkRiff(TStream& s) {
    TRiffLayout l;
    const int64_t end = s.Size();
    uint8_t h[48]{};
    if (!s.SetPosition(0) || !s.ReadBuffer(h, 10)) {
        l.Result = WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT;
        return l;
    }
    if (std::memcmp(h, "ID3", 3) == 0) {
        const int64_t tag = int64_t(ReadSynchsafe28(h + 6)) + 10;
        if (tag <= end) l.Start = tag;
    }
    const int64_t got = s.SetPosition(l.Start) ? std::max<int64_t>(0, s.Read(h, 48)) : 0;
    const bool rf64 = got >= 12 && std::memcmp(h, "RF64", 4) == 0;
    if (got < 12 || (std::memcmp(h, "RIFF", 4) != 0 && !rf64) || std::memcmp(h + 8, "WAVE", 4) != 0) {
        l.Result = WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT;
        return l;
    }
    l.RiffSize = ReadLE32(h + 4);
    if (rf64 && l.RiffSize == 0xFFFFFFFFu && got >= 48 && std::memcmp(h + 12, "ds64", 4) == 0 &&
        ReadLE32(h + 16) >= 28) {
        l.RF64 = true;
        l.RiffSize = ReadLE64(h + 20);
        l.DataSize = ReadLE64(h + 28);
        l.SampleCount = ReadLE64(h + 36);
    }
    const int64_t bodyEnd =
        l.RiffSize > uint64_t(end - l.Start - 8) ? end : l.Start + 8 + static_cast<int64_t>(l.RiffSize);
    int64_t pos = l.Start + 12;
    while (pos + 8 <= bodyEnd) {
        uint8_t c[12]{};
        if (!s.SetPosition(pos) || !s.ReadBuffer(c, 8)) break;
        TRiffChunk chunk;
        chunk.Id.assign(reinterpret_cast<char*>(c), 4);
        chunk.Header = pos;
        chunk.Size = ReadLE32(c + 4);
        if (l.RF64 && chunk.Id == "data") chunk.Size = static_cast<int64_t>(std::min<uint64_t>(l.DataSize, INT64_MAX));
        if (chunk.Size > end - (pos + 8)) {
            l.Result = WAVTAGLIBRARY_ERROR_CORRUPT;
            break;
        }
        if (chunk.Id == "LIST" && chunk.Size >= 4 && s.ReadBuffer(c + 8, 4))
            chunk.ListType.assign(reinterpret_cast<char*>(c + 8), 4);
        chunk.End = pos + 8 + chunk.Size + (chunk.Size & 1);
        pos = chunk.End;
        l.Chunks.push_back(std::move(chunk));
    }
    l.WalkEnd = std::min(pos, end);
    return l;
}

}  // namespace wav

using namespace wav;

int TWAVTag::LoadFromFile(const std::string& Name) {
    Clear();
    auto file = TFileStream::Open(Name, TFileMode::fmOpenRead);
    if (!file) return WAVTAGLIBRARY_ERROR_OPENING_FILE;
    const int result = LoadFromStream(*file);
    if (result == WAVTAGLIBRARY_SUCCESS) FileName = Name;
    return result;
}

int TWAVTag::LoadFromStream(TStream& Stream) {
    Clear();
    const int64_t position = Stream.Position();
    FFileSize = Stream.Size();
    const TRiffLayout l = WalkRiff(Stream);
    if (l.Result == WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT) {
        Stream.SetPosition(position);
        return l.Result;
    }
    int result = WAVTAGLIBRARY_SUCCESS;
    const int64_t end = FFileSize;
    auto read = [&](int64_t at, int64_t count) {
        std::string bytes;
        if (Stream.SetPosition(at)) Stream.ReadBytes(bytes, std::min(count, end - at));
        return bytes;
    };
    bool haveFmt = false;
    for (const TRiffChunk& c : l.Chunks) {
        const int64_t data = c.Header + 8;
        if (c.Id == "LIST" && c.ListType == "INFO") {
            for (int64_t pos = data + 4; pos + 8 <= data + c.Size;) {
                const std::string head = read(pos, 8);
                if (head.size() < 8) break;
                const int64_t size = ReadLE32(head.data() + 4);
                // An item that claims more than its list holds ends the list.
                if (size > data + c.Size - (pos + 8)) {
                    result = WAVTAGLIBRARY_ERROR;
                    break;
                }
                std::string name;
                for (char ch : head.substr(0, 4))
                    if (ch) name += ch;
                TWAVTagFrame* f = AddFrame(name);
                f->Format = wffText;
                f->Data = read(pos + 8, size);
                pos += 8 + size + (size & 1);
            }
        } else if ((c.Id == "bext" && !BEXT.Loaded) || (c.Id == "cart" && !CART.Loaded)) {
            TFixedChunk& chunk = c.Id == "bext" ? static_cast<TFixedChunk&>(BEXT) : CART;
            std::string bytes = read(data, c.Size);
            const size_t fixed = chunk.Fixed.size();
            chunk.Fixed = bytes.substr(0, fixed);
            chunk.Fixed.resize(fixed, '\0');
            chunk.Extra = bytes.size() > fixed ? bytes.substr(fixed) : std::string();
            chunk.Loaded = true;
        } else if (c.Id == "fmt " && !haveFmt) {
            const std::string b = read(data, std::min<int64_t>(c.Size, 40)) + std::string(40, '\0');
            const char* p = b.data();
            Attributes.fmtSize = uint32_t(c.Size);
            Attributes.FormatTag = ReadLE16(p);
            Attributes.Channels = ReadLE16(p + 2);
            Attributes.SamplesPerSec = ReadLE32(p + 4);
            Attributes.AvgBytesPerSec = ReadLE32(p + 8);
            Attributes.BlockAlign = ReadLE16(p + 12);
            Attributes.BitsPerSample = ReadLE16(p + 14);
            if (Attributes.FormatTag == 0xFFFE && c.Size == 40) {
                Attributes.cbSize = ReadLE16(p + 16);
                Attributes.ValidBitsPerSample = ReadLE16(p + 18);
                Attributes.ChannelMask = ReadLE32(p + 20);
                std::memcpy(Attributes.SubFormat.data(), p + 24, 16);
            }
            haveFmt = true;
        } else if (c.Id == "data" && haveFmt && SampleDataStartPosition == 0) {
            SampleDataStartPosition = uint64_t(data);
            SampleDataSize = uint64_t(std::min(c.Size, end - data));
            if (Attributes.BlockAlign)
                SampleCount = l.RF64 && l.SampleCount ? l.SampleCount : SampleDataSize / Attributes.BlockAlign;
            if (Attributes.SamplesPerSec && SampleCount) PlayTime = double(SampleCount) / Attributes.SamplesPerSec;
            else if (Attributes.AvgBytesPerSec) PlayTime = double(SampleDataSize) / Attributes.AvgBytesPerSec;
            BitRate = int32_t(Attributes.AvgBytesPerSec / 125);
        }
    }
    Loaded = result == WAVTAGLIBRARY_SUCCESS;
    Stream.SetPosition(position);
    return result;
}

}  // namespace tags
