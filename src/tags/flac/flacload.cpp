// Reading native FLAC and Ogg FLAC metadata.
#include <cmath>
#include <cstring>

#include "common/log.h"
#include "common/text.h"
#include "tags/core/bufferedstream.h"
#include "tags/core/bytes.h"
#include "tags/flac/flacpicture.h"
#include "tags/flac/flactaglibrary.h"

namespace tags {

// The metadata blocks as one byte sequence, whether they lie in the file or
// are spread over Ogg packets.
class TFlacTag::BlockReader {
public:
    virtual ~BlockReader() = default;
    // All-or-nothing: false when the metadata ends first.
    virtual bool ReadBytes(std::string& out, int64_t n) = 0;
    virtual bool Skip(int64_t n) = 0;
    virtual int64_t Offset() = 0;
};

class TFlacTag::NativeBlockReader final : public BlockReader {
public:
    explicit NativeBlockReader(TStream& s) : s_(s) {}
    bool ReadBytes(std::string& out, int64_t n) override { return s_.ReadBytes(out, n); }
    bool Skip(int64_t n) override {
        int64_t target = s_.Position() + n;
        return target <= s_.Size() && s_.SetPosition(target);
    }
    int64_t Offset() override { return s_.Position(); }

private:
    TStream& s_;
};

// Gathers page data only as far as a block needs it, so the audio pages are
// never read. Pages of other logical streams are skipped.
class TFlacTag::OggBlockReader final : public BlockReader {
public:
    OggBlockReader(TStream& s, uint32_t serial) : ogg_(&s), serial_(serial) {}
    bool ReadBytes(std::string& out, int64_t n) override {
        if (!Ensure(n)) return false;
        out.assign(buf_.Memory() + pos_, static_cast<size_t>(n));
        pos_ += n;
        return true;
    }
    bool Skip(int64_t n) override {
        if (!Ensure(n)) return false;
        pos_ += n;
        return true;
    }
    int64_t Offset() override { return pos_; }
    // The header pages also carry audio or another stream's packets.
    bool Shared() const { return foreign_ || pos_ < buf_.GetSizeConst(); }

private:
    bool Ensure(int64_t n) {
        while (buf_.GetSizeConst() - pos_ < n) {
            TOggHeader h;
            TMemoryStream page;
            if (!ogg_.GetNextPageHeader(h, &page)) return false;
            if (h.Serial != serial_) {
                foreign_ = true;
                continue;
            }
            buf_.Bytes().append(page.Bytes(), static_cast<size_t>(h.HeaderSize()));
        }
        return true;
    }
    TOGGStream ogg_;
    uint32_t serial_;
    bool foreign_ = false;
    TMemoryStream buf_;
    int64_t pos_ = 0;
};

namespace {

constexpr int64_t kStreamInfoSize = 34;

// An ID3v2 tag in front of the stream: its whole size, or 0.
int64_t ID3v2Size(TStream& s, int64_t fileSize) {
    uint8_t h[10];
    if (!s.SetPosition(0) || !s.ReadBuffer(h, 10) || std::memcmp(h, "ID3", 3) != 0) return 0;
    if (!IsSynchsafe(h + 6)) return 0;
    int64_t size = 10 + static_cast<int64_t>(ReadSynchsafe28(h + 6));
    if (h[3] >= 4 && (h[5] & 0x10)) size += 10;  // a footer follows the tag
    return size <= fileSize ? size : 0;
}

bool IsStreamInfo(const TFlacHeader& h) {
    return std::memcmp(h.StreamMarker, "fLaC", 4) == 0 && (h.MetaDataBlockHeader[0] & 0x7F) == flacBlockStreamInfo &&
           ReadBE24(h.MetaDataBlockHeader + 1) == kStreamInfoSize;
}

}  // namespace

void TFlacTag::TakeStreamInfo(const TFlacHeader& h) {
    const uint8_t* i = h.Info;
    FSampleRate = (static_cast<uint32_t>(i[10]) << 12) | (i[11] << 4) | (i[12] >> 4);
    FChannels = static_cast<uint8_t>(((i[12] >> 1) & 7) + 1);
    FBitsPerSample = static_cast<uint8_t>((((i[12] & 1) << 4) | (i[13] >> 4)) + 1);
    // All 36 bits: long high-rate recordings pass 2^32 samples.
    FSamples = (static_cast<int64_t>(i[13] & 0x0F) << 32) | ReadBE32(i + 14);
}

void TFlacTag::FinishLayout(int64_t AudioOffset) {
    FAudioOffset = AudioOffset;
    FAudioSize = FFileSize - FAudioOffset;
    double t = Playtime();
    FBitrate = t > 0 ? static_cast<uint32_t>(std::lround(static_cast<double>(FAudioSize) / 1000 * 8 / t)) : 0;
}

void TFlacTag::ParseVorbisComment(const std::string& Data) {
    size_t pos = 0;
    auto u32 = [&](uint32_t& v) {
        if (Data.size() - pos < 4) return false;
        v = ReadLE32(Data.data() + pos);
        pos += 4;
        return true;
    };
    uint32_t len = 0, count = 0;
    if (!u32(len) || Data.size() - pos < len) return;
    VendorString = Data.substr(pos, len);
    pos += len;
    if (!u32(count)) return;
    FExists = count > 0;
    // A length running past the block ends the list: what came before is kept.
    for (uint32_t n = 0; n < count && u32(len) && Data.size() - pos >= len; ++n) {
        std::string field = Data.substr(pos, len);
        pos += len;
        size_t eq = field.find('=');
        if (eq == std::string::npos) continue;
        AddTextTag(common::asciiUpper(field.substr(0, eq)), field.substr(eq + 1));
    }
}

int TFlacTag::ReadBlocks(BlockReader& Reader, bool ReadValues) {
    for (uint32_t index = 1;; ++index) {
        std::string h;
        if (!Reader.ReadBytes(h, 4)) return flacError;
        auto* hdr = reinterpret_cast<const uint8_t*>(h.data());
        const bool last = hdr[0] & 0x80;
        const uint8_t type = hdr[0] & 0x7F;
        const int64_t size = ReadBE24(hdr + 1);
        if (type == 127) return flacError;  // forbidden: this is not a block header
        if (size == 0) {
            FMetaBlocksSize += 4;
        } else if (type == flacBlockVorbisComment) {
            if (FVorbisIndex) FVorbisFragments = true;
            FVCOffset = Reader.Offset();
            FTagSize = size;
            FVorbisIndex = index;
            std::string data;
            if (!(ReadValues ? Reader.ReadBytes(data, size) : Reader.Skip(size))) return flacError;
            if (ReadValues) ParseVorbisComment(data);
        } else if (type == flacBlockPadding && FPaddingIndex == 0) {
            FPadding = static_cast<uint32_t>(size);
            FPaddingLast = last;
            FPaddingIndex = index;
            if (!Reader.Skip(size)) return flacError;
        } else if (type == flacBlockPicture && !ReadValues) {
            FFilePictures.emplace_back(Reader.Offset(), size);
            FMetaBlocksSize += static_cast<uint32_t>(size + 4);
            if (!Reader.Skip(size)) return flacError;
        } else {
            // Pictures, later padding, and every other type, reserved ones
            // included, are kept whole so that a save writes them back.
            TMetaData m;
            std::memcpy(m.MetaDataBlockHeader, hdr, 4);
            m.BlockType = type;
            if (!Reader.ReadBytes(m.Data.Bytes(), size)) return flacError;
            if (type == flacBlockPadding) FPaddingFragments = true;
            FMetaBlocksSize += static_cast<uint32_t>(size + 4);
            if (type == flacBlockPicture) {
                ParsePictureBlock(m.Data.Bytes(), m.CoverArtInfo, nullptr);
                MetaBlocksCoverArts.push_back(std::move(m));
            } else {
                aMetaBlockOther.push_back(std::move(m));
            }
        }
        if (last) return flacSuccess;
    }
}

int TFlacTag::ReadNative(TStream& Stream, bool ReadValues) {
    if (!Stream.SetPosition(FID3v2Size) || !Stream.ReadBuffer(&FHeader, sizeof FHeader) || !IsStreamInfo(FHeader)) {
        FHeader = {};
        return flacNotFlac;
    }
    StreamType = fstNativeFlac;
    TakeStreamInfo(FHeader);
    FMetaStart = Stream.Position();
    int result = flacNoMetaData;
    if (!(FHeader.MetaDataBlockHeader[0] & 0x80)) {
        NativeBlockReader reader(Stream);
        result = ReadBlocks(reader, ReadValues);
    }
    FinishLayout(Stream.Position());
    return result;
}

int TFlacTag::ReadOgg(TStream& Stream, bool ReadValues) {
    if (!Stream.SetPosition(FID3v2Size)) return flacNotFlac;
    TOGGStream ogg(&Stream);
    TMemoryStream first;
    if (!ogg.GetNextPageData(first) || first.Size() < static_cast<int64_t>(sizeof FOggFlacHeader)) return flacNotFlac;
    TOggFlacHeader h;
    std::memcpy(&h, first.Memory(), sizeof h);
    if (h.PacketType != 0x7F || std::memcmp(h.Signature, "FLAC", 4) != 0) return flacNotFlac;
    if (h.MajorVersion != 1) return flacMappingVersion;
    if (!IsStreamInfo(h.StreamInfo)) return flacNotFlac;
    FOggFlacHeader = h;
    StreamType = fstOggFlac;
    TakeStreamInfo(h.StreamInfo);
    FMetaStart = Stream.Position();
    int result = flacNoMetaData;
    if (!(h.StreamInfo.MetaDataBlockHeader[0] & 0x80)) {
        OggBlockReader reader(Stream, ogg.FirstOGGHeader.Serial);
        result = ReadBlocks(reader, ReadValues);
        FOggHeaderShared = reader.Shared();
    }
    FinishLayout(Stream.Position());
    return result;
}

int TFlacTag::Read(TStream& Stream, bool ReadValues) {
    ClearLayout();
    FFileSize = Stream.Size();
    FID3v2Size = ID3v2Size(Stream, FFileSize);
    char magic[4] = {};
    if (!Stream.SetPosition(FID3v2Size) || !Stream.ReadBuffer(magic, 4)) return flacNotFlac;
    int result = std::memcmp(magic, "OggS", 4) == 0 ? ReadOgg(Stream, ReadValues) : ReadNative(Stream, ReadValues);
    // A stream of unknown length (no sample count) is still a FLAC stream.
    if (result == flacSuccess && FSampleRate == 0) result = flacNotFlac;
    if (result == flacSuccess && ReadValues) Loaded = true;
    return result;
}

int TFlacTag::LoadFromStream(TStream& Stream, bool Buffered) {
    Clear();
    try {
        if (!Buffered) return Read(Stream, true);
        TBufferedStream buffered(Stream);
        return Read(buffered, true);
    } catch (...) {
        common::log::caught("tags.flac", "reading the tag");
        Loaded = false;
        return flacError;
    }
}

int TFlacTag::LoadFromFile(const std::string& Path, bool Buffered) {
    Clear();
    auto f = TFileStream::Open(Path, TFileMode::fmOpenRead);
    if (!f) return flacCannotOpen;
    int result = LoadFromStream(*f, Buffered);
    FileName = Path;
    return result;
}

}  // namespace tags
