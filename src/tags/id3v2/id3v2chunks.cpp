// ID3v2 tags inside RIFF WAV, RF64, AIFF/AIFC, DSF and DFF files.
#include <algorithm>
#include <cstring>

#include "tags/core/bytes.h"
#include "tags/id3v2/id3v2container.h"

namespace tags::id3v2 {

namespace {

constexpr int64_t kDsfHeader = 28;

// Only a chunk that can hold a tag header counts: a shorter one would have
// the bytes after it (a chunk written later) taken for its tag.
bool StartsWithTag(TStream& s, int64_t at, int64_t size) { return size >= 10 && ExistingTagSize(s, at) > 0; }

// RIFF, RF64 and AIFF: id + 32-bit size + data, padded to even length.
void WalkRiffOrAiff(TStream& s, int64_t base, int64_t end, const uint8_t* h, size_t got, TContainerTag& t) {
    const bool aiff = t.Type == sftAIFF;
    t.BigEndian = aiff;
    if (got < 12 || (aiff ? std::memcmp(h + 8, "AIFF", 4) != 0 && std::memcmp(h + 8, "AIFC", 4) != 0
                          : std::memcmp(h + 8, "WAVE", 4) != 0)) {
        t.Result = ID3V2LIBRARY_ERROR_NOT_SUPPORTED_FORMAT;
        return;
    }
    uint64_t declared = aiff ? ReadBE32(h + 4) : ReadLE32(h + 4);
    int64_t dataSize64 = -1;
    if (t.Type == sftRF64 && declared == 0xFFFFFFFFu && got >= 48 && std::memcmp(h + 12, "ds64", 4) == 0 &&
        ReadLE32(h + 16) >= 28) {
        declared = ReadLE64(h + 20);
        dataSize64 = static_cast<int64_t>(std::min<uint64_t>(ReadLE64(h + 28), INT64_MAX));
        t.SizeField = 20;
        t.SizeWidth = 8;
    }
    const int64_t bodyEnd = declared > uint64_t(end - base - 8) ? end : base + 8 + int64_t(declared);
    int64_t pos = base + 12;
    while (pos + 8 <= bodyEnd) {
        uint8_t c[8];
        if (!s.SetPosition(pos) || !s.ReadBuffer(c, 8)) break;
        int64_t size = aiff ? ReadBE32(c + 4) : ReadLE32(c + 4);
        if (dataSize64 >= 0 && std::memcmp(c, "data", 4) == 0) size = dataSize64;
        const int64_t data = pos + 8;
        if (size > end - data) {
            t.Result = ID3V2LIBRARY_ERROR_CORRUPT;
            return;
        }
        const bool named =
            aiff ? std::memcmp(c, "ID3 ", 4) == 0 : std::memcmp(c, "id3 ", 4) == 0 || std::memcmp(c, "ID32", 4) == 0;
        // A chunk of that name without a tag in it is somebody else's: it stays.
        if (named && t.ChunkStart < 0 && StartsWithTag(s, data, size)) {
            t.ChunkStart = pos;
            t.TagStart = data;
            t.Room = size;
            t.ChunkEnd = std::min(data + size + (size & 1), end);
        }
        pos = data + size + (size & 1);
    }
    t.Append = std::min(pos, end);
    t.AppendAfterPad = pos > end;
}

void WalkDsf(TStream& s, int64_t base, int64_t end, const uint8_t* h, size_t got, TContainerTag& t) {
    t.SizeField = 12;
    t.SizeWidth = 8;
    const uint64_t total = ReadLE64(h + 12), meta = ReadLE64(h + 20);
    if (got < kDsfHeader || total > uint64_t(end - base) || total < uint64_t(kDsfHeader)) {
        t.Result = ID3V2LIBRARY_ERROR_CORRUPT;
        t.Append = end;
        return;
    }
    t.Append = base + int64_t(total);
    if (meta == 0) return;
    if (meta < uint64_t(kDsfHeader) || meta >= uint64_t(end - base)) {
        t.Result = ID3V2LIBRARY_ERROR_CORRUPT;
        return;
    }
    const int64_t at = base + int64_t(meta);
    const int64_t length = ExistingTagSize(s, at);
    if (length == 0) return;
    if (length > end - at) {
        t.Result = ID3V2LIBRARY_ERROR_CORRUPT;
        return;
    }
    t.ChunkStart = t.TagStart = at;
    t.Room = length;
    t.ChunkEnd = at + length;
}

// DFF: FRM8 with a 64-bit big-endian size, chunks of id + 64-bit size + data.
void WalkDff(TStream& s, int64_t base, int64_t end, const uint8_t* h, size_t got, TContainerTag& t) {
    t.SizeWidth = 8;
    t.BigEndian = true;
    const uint64_t declared = got >= 16 ? ReadBE64(h + 4) : UINT64_MAX;
    int64_t bodyEnd = end;
    if (declared > uint64_t(end - base - 12)) t.Result = ID3V2LIBRARY_ERROR_CORRUPT;
    else bodyEnd = base + 12 + int64_t(declared);
    int64_t pos = base + 16;
    while (pos + 12 <= bodyEnd) {
        uint8_t c[12];
        if (!s.SetPosition(pos) || !s.ReadBuffer(c, 12)) break;
        const uint64_t size = ReadBE64(c + 4);
        const int64_t data = pos + 12;
        if (size > uint64_t(end - data)) {
            t.Result = ID3V2LIBRARY_ERROR_CORRUPT;
            return;
        }
        if (std::memcmp(c, "ID3 ", 4) == 0 && t.ChunkStart < 0 && StartsWithTag(s, data, int64_t(size))) {
            t.ChunkStart = pos;
            t.TagStart = data;
            t.Room = int64_t(size);
            t.ChunkEnd = std::min(data + int64_t(size) + int64_t(size & 1), end);
        }
        pos = data + int64_t(size) + int64_t(size & 1);
    }
    t.Append = std::min(pos, end);
    t.AppendAfterPad = pos > end;
}

bool WriteNumber(TStream& out, int64_t at, uint64_t v, int width, bool big) {
    uint8_t b[8];
    if (width == 8) big ? WriteBE64(b, v) : WriteLE64(b, v);
    else big ? WriteBE32(b, uint32_t(v)) : WriteLE32(b, uint32_t(v));
    return out.SetPosition(at) && out.WriteBuffer(b, width);
}

}  // namespace

TContainerTag LocateContainerTag(TStream& s, int64_t base) {
    const int64_t pos = s.Position();
    TContainerTag t;
    t.Type = DetectContainer(s, base);
    const int64_t end = s.Size();
    uint8_t h[48]{};
    size_t got = 0;
    if (t.Type != sftUnknown && end > base && s.SetPosition(base)) got = size_t(std::max<int64_t>(0, s.Read(h, 48)));
    switch (t.Type) {
    case sftWAVE:
    case sftRF64:
    case sftAIFF: WalkRiffOrAiff(s, base, end, h, got, t); break;
    case sftDSF: WalkDsf(s, base, end, h, got, t); break;
    case sftDFF: WalkDff(s, base, end, h, got, t); break;
    default: t.Result = ID3V2LIBRARY_ERROR_NOT_SUPPORTED_FORMAT; break;
    }
    s.SetPosition(pos);
    return t;
}

int WriteContainer(TStream& src, const TContainerTag& at, const std::string& tag, TStream& out) {
    const bool had = at.ChunkStart >= 0;
    const int64_t from = had ? at.ChunkStart : at.Append, to = had ? at.ChunkEnd : at.Append;
    const int64_t size = src.Size();
    if (from < 0 || to < from || to > size) return ID3V2LIBRARY_ERROR;

    std::string chunk;
    if (!tag.empty()) {
        if (!had && at.AppendAfterPad) chunk += '\0';
        std::string id = at.Type == sftAIFF || at.Type == sftDFF ? "ID3 " : "id3 ";
        // The chunk keeps the name it had ("ID32" stays "ID32").
        if (had && at.Type != sftDSF) {
            char old[4];
            if (!src.SetPosition(at.ChunkStart) || !src.ReadBuffer(old, 4)) return ID3V2LIBRARY_ERROR_READING_FILE;
            id.assign(old, 4);
        }
        switch (at.Type) {
        case sftWAVE:
        case sftRF64: chunk += id, AppendLE32(chunk, uint32_t(tag.size())); break;
        case sftAIFF: chunk += id, AppendBE32(chunk, uint32_t(tag.size())); break;
        case sftDFF: chunk += id, AppendBE64(chunk, tag.size()); break;
        default: break;
        }
        chunk += tag;
        if (at.Type != sftDSF && (tag.size() & 1)) chunk += '\0';
    }
    const int64_t delta = int64_t(chunk.size()) - (to - from);

    // Every size field lies in the container's header, before the tag.
    uint8_t field[8];
    if (!src.SetPosition(at.SizeField) || !src.ReadBuffer(field, at.SizeWidth)) return ID3V2LIBRARY_ERROR_READING_FILE;
    uint64_t old = at.SizeWidth == 8 ? (at.BigEndian ? ReadBE64(field) : ReadLE64(field))
                                     : (at.BigEndian ? ReadBE32(field) : ReadLE32(field));
    if (at.SizeWidth == 4 && int64_t(old) + delta > int64_t(0xFFFFFFFF)) return ID3V2LIBRARY_ERROR_SIZE_OVERFLOW;
    // A container that claims more than the whole file has a size no change
    // can make true (and a 64-bit one would wrap): leave it as it is.
    if (old > uint64_t(size)) return ID3V2LIBRARY_ERROR_CORRUPT;
    const int64_t updated = int64_t(old) + delta;
    if (updated < 0) return ID3V2LIBRARY_ERROR_SIZE_OVERFLOW;
    if (from < at.SizeField + at.SizeWidth || (at.Type == sftDSF && from < kDsfHeader)) return ID3V2LIBRARY_ERROR;

    if (!src.SetPosition(0) || out.CopyFrom(src, from) != from) return ID3V2LIBRARY_ERROR_READING_FILE;
    if (!WriteNumber(out, at.SizeField, uint64_t(updated), at.SizeWidth, at.BigEndian))
        return ID3V2LIBRARY_ERROR_WRITING_FILE;
    if (at.Type == sftDSF && !WriteNumber(out, 20, tag.empty() ? 0 : uint64_t(from), 8, false))
        return ID3V2LIBRARY_ERROR_WRITING_FILE;
    if (!out.SetPosition(from) || !out.WriteBuffer(chunk.data(), int64_t(chunk.size())))
        return ID3V2LIBRARY_ERROR_WRITING_FILE;
    if (size > to && (!src.SetPosition(to) || out.CopyFrom(src, size - to) != size - to))
        return ID3V2LIBRARY_ERROR_READING_FILE;
    return ID3V2LIBRARY_SUCCESS;
}

}  // namespace tags::id3v2
