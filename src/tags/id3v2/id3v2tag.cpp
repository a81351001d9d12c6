// The tag: header and extended header, loading, and writing a tag to a stream.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "tags/core/bufferedstream.h"
#include "tags/id3v2/id3v2bytes.h"
#include "tags/id3v2/id3v2container.h"
#include "tags/id3v2/id3v2library.h"

namespace tags {

using namespace id3v2;

TID3v2Tag::TID3v2Tag()
    : TID3v2Frames(this), ExtendedHeader3(std::make_unique<TID3v2ExtendedHeader3>()),
      ExtendedHeader4(std::make_unique<TID3v2ExtendedHeader4>()), DSFInfo(std::make_unique<TDSFInfo>()),
      DFFInfo(std::make_unique<TDFFInfo>()) {}

TID3v2Tag::~TID3v2Tag() = default;

void TID3v2Tag::Clear() {
    DeleteAllFrames();
    MajorVersion = 3;
    MinorVersion = 0;
    Flags = 0;
    Unsynchronised = Compressed = ExtendedHeader = Experimental = FooterPresent = false;
    Size = 0;
    CodedSize = {};
    PaddingSize = 0;
    FPosition = 0;
    PaddingToWrite = ID3V2LIBRARY_DEFAULT_PADDING_SIZE;
    ExtendedHeader3 = std::make_unique<TID3v2ExtendedHeader3>();
    ExtendedHeader4 = std::make_unique<TID3v2ExtendedHeader4>();
    MPEGInfo = {};
    WAVInfo = {};
    AIFFInfo = {};
    DSFInfo->Clear();
    DFFInfo->ResetData();
    FSourceFileType = sftUnknown;
    FPlayTime = 0;
    FSampleCount = 0;
    FBitRate = 0;
    FError = false;
    APEv2TagSize = 0;
    Loaded = false;
    SourceFileName.clear();
}

void TID3v2Tag::Assign(const TID3v2Tag& src) {
    if (&src == this) return;
    Clear();
    SourceFileName = src.SourceFileName;
    Loaded = src.Loaded;
    MajorVersion = src.MajorVersion;
    MinorVersion = src.MinorVersion;
    Flags = src.Flags;
    Unsynchronised = src.Unsynchronised;
    Compressed = src.Compressed;
    ExtendedHeader = src.ExtendedHeader;
    Experimental = src.Experimental;
    FooterPresent = src.FooterPresent;
    Size = src.Size;
    PaddingSize = src.PaddingSize;
    PaddingToWrite = src.PaddingToWrite;
    FSourceFileType = src.FSourceFileType;
    AssignFrames(src);
    WAVInfo = src.WAVInfo;
    DSFInfo->Assign(*src.DSFInfo);
    FPlayTime = src.FPlayTime;
    FSampleCount = src.FSampleCount;
    FBitRate = src.FBitRate;
}

// --- loading ------------------------------------------------------------------

int TID3v2Tag::LoadFromFile(const std::string& FileName, bool Buffered) {
    Clear();
    Loaded = false;
    auto file = TFileStream::Open(FileName, TFileMode::fmOpenRead);
    if (!file) return ID3V2LIBRARY_ERROR_OPENING_FILE;
    int result = LoadFromStream(*file, Buffered);
    if (result < ID3V2LIBRARY_ERROR_OPENING_FILE) SourceFileName = FileName;
    return result;
}

int TID3v2Tag::LoadFromStream(TStream& Stream, bool Buffered) {
    if (!Buffered) return LoadFromStreamAt(Stream);
    // Frame headers are read a few bytes at a time: serve them from a buffer.
    TBufferedStream buffered(Stream);
    int result = LoadFromStreamAt(buffered);
    Stream.SetPosition(buffered.Position());
    return result;
}

int TID3v2Tag::LoadFromStreamAt(TStream& Stream) {
    Loaded = false;
    Clear();
    FFileSize = Stream.Size();
    const int64_t start = Stream.Position();
    if (start < 0) return ID3V2LIBRARY_ERROR;

    int result = ID3V2LIBRARY_ERROR_NO_TAG_FOUND;
    char magic[4]{};
    bool haveMagic = Stream.ReadBuffer(magic, 4);
    Stream.SetPosition(start);
    TSourceFileType container = DetectContainer(Stream, start);
    if (haveMagic && std::memcmp(magic, "ID3", 3) == 0) {
        result = LoadTagFromStream(Stream);
    } else if (container != sftUnknown) {
        result = LoadFromContainer(Stream, start);
        FSourceFileType = container;
    } else if (BeginningSearchLength > 0) {
        std::string window;
        Stream.SetPosition(start);
        Stream.ReadBytes(window, BeginningSearchLength);
        size_t hit = window.find("ID3");
        if (hit != std::string::npos && Stream.SetPosition(start + static_cast<int64_t>(hit)))
            result = LoadTagFromStream(Stream);
    }

    FWasUnsynchronised = Unsynchronised;
    if (AutoRemoveUnsynchronisation) {
        RemoveUnsynchronisationOnAllFrames();
        Unsynchronised = false;
    }
    Stream.SetPosition(Loaded ? FPosition + Size : start);
    // MPEG detection and audio attributes are gathered here by the stream
    // property reader when it is present.
    return result;
}

int TID3v2Tag::LoadFromContainer(TStream& Stream, int64_t start) {
    const TContainerTag at = LocateContainerTag(Stream, start);
    if (at.ChunkStart < 0) return ID3V2LIBRARY_ERROR_NO_TAG_FOUND;
    // The tag is read from its chunk alone: a size that claims more never
    // reads the chunks that follow as frames.
    std::string bytes;
    if (!Stream.SetPosition(at.TagStart) ||
        !Stream.ReadBytes(bytes, std::min(at.Room, ExistingTagSize(Stream, at.TagStart))))
        return ID3V2LIBRARY_ERROR_READING_FILE;
    TMemoryStream chunk(std::move(bytes));
    int result = LoadTagFromStream(chunk);
    FPosition += at.TagStart;
    return result;
}

int TID3v2Tag::LoadFromMemory(const void* MemoryAddress, uint64_t MemorySize) {
    const auto* p = static_cast<const uint8_t*>(MemoryAddress);
    if (!p || MemorySize < 10 || std::memcmp(p, "ID3", 3) != 0) {
        Clear();
        return ID3V2LIBRARY_ERROR_NO_TAG_FOUND;
    }
    uint64_t size = std::min<uint64_t>(uint64_t(ReadSynchsafe(p + 6)) + 10, MemorySize);
    TMemoryStream m(std::string(reinterpret_cast<const char*>(p), size));
    return LoadFromStream(m, false);
}

int TID3v2Tag::LoadTagFromStream(TStream& Stream) {
    FError = false;
    const int64_t start = Stream.Position();
    uint8_t h[10];
    if (!Stream.ReadBuffer(h, 3)) return ID3V2LIBRARY_ERROR;
    if (std::memcmp(h, "ID3", 3) != 0) return ID3V2LIBRARY_ERROR_NO_TAG_FOUND;
    if (!Stream.ReadBuffer(h + 3, 2)) return ID3V2LIBRARY_ERROR;
    if (h[3] < 2 || h[3] > 4) return ID3V2LIBRARY_ERROR_NOT_SUPPORTED_VERSION;
    if (!Stream.ReadBuffer(h + 5, 5)) return ID3V2LIBRARY_ERROR;
    MajorVersion = h[3];
    MinorVersion = h[4];
    Flags = h[5];
    Unsynchronised = Flags & 0x80;
    if (MajorVersion == 2) {
        Compressed = Flags & 0x40;
    } else {
        ExtendedHeader = Flags & 0x40;
        Experimental = Flags & 0x20;
        FooterPresent = Flags & 0x10;
    }
    std::memcpy(CodedSize.data(), h + 6, 4);
    Size = ReadSynchsafe(h + 6) + 10;
    FPosition = start;

    if (MajorVersion < 4 && Unsynchronised) {
        // Before ID3v2.4 unsynchronisation covers the whole body, frame
        // headers included, so it must go before any frame can be read.
        std::string body;
        Stream.ReadBytes(body, Size - 10);
        TMemoryStream decoded(RemoveUnsync(body));
        ParseBody(decoded, decoded.Size());
    } else {
        ParseBody(Stream, start + Size);
    }
    Loaded = true;
    return ID3V2LIBRARY_SUCCESS;
}

int TID3v2Tag::ParseBody(TStream& stream, int64_t bodyEnd) {
    FLoadLimit = bodyEnd;
    if (ExtendedHeader && MajorVersion >= 3 && ReadExtendedHeader(stream, bodyEnd) != 0) {
        FError = true;
    } else {
        while (stream.Position() < bodyEnd && LoadFrame(stream)) {}
    }
    FLoadLimit = -1;
    return FError ? ID3V2LIBRARY_ERROR : ID3V2LIBRARY_SUCCESS;
}

int TID3v2Tag::ReadExtendedHeader(TStream& stream, int64_t bodyEnd) {
    const int64_t start = stream.Position();
    uint8_t size[4];
    if (!stream.ReadBuffer(size, 4)) return ID3V2LIBRARY_ERROR;
    TFrameID peek{size[0], size[1], size[2], size[3]};
    if (ValidFrameID(peek, 4)) {
        // The flag lied: a frame starts right here.
        ExtendedHeader = false;
        stream.SetPosition(start);
        return ID3V2LIBRARY_SUCCESS;
    }
    const int64_t room = bodyEnd - start;
    if (MajorVersion == 3) {
        auto& x = *ExtendedHeader3;
        std::memcpy(x.CodedSize.data(), size, 4);
        x.DecodeExtendedHeaderSize();
        if (x.Size < 2 || int64_t(x.Size) + 4 > room) return ID3V2LIBRARY_ERROR;
        uint8_t flags[2];
        if (!stream.ReadBuffer(flags, 2)) return ID3V2LIBRARY_ERROR;
        x.Flags = ReadBE16(flags);
        x.DecodeExtendedHeaderFlags();
        if (!stream.ReadBytes(x.Data.Bytes(), x.Size - 2)) return ID3V2LIBRARY_ERROR;
        return ID3V2LIBRARY_SUCCESS;
    }
    auto& x = *ExtendedHeader4;
    std::memcpy(x.CodedSize.data(), size, 4);
    x.DecodeExtendedHeaderSize();
    if (x.Size < 6 || int64_t(x.Size) > room) return ID3V2LIBRARY_ERROR;
    uint8_t fb[2];
    if (!stream.ReadBuffer(fb, 2)) return ID3V2LIBRARY_ERROR;
    x.FlagBytes = fb[0];
    x.Flags = fb[1];
    x.DecodeExtendedHeaderFlags();
    x.CalculateExtendedFlagsDataSize();
    const int64_t end = start + x.Size;
    // Each set flag carries a length byte and that many data bytes; the CRC
    // and the restriction byte are kept, the update flag carries none.
    for (uint8_t bit : {uint8_t(0x40), uint8_t(0x20), uint8_t(0x10)}) {
        if (!(x.Flags & bit)) continue;
        uint8_t len = 0;
        if (stream.Position() >= end || !stream.ReadBuffer(&len, 1)) return ID3V2LIBRARY_ERROR;
        if (stream.Position() + len > end) return ID3V2LIBRARY_ERROR;
        std::string data;
        if (!stream.ReadBytes(data, len)) return ID3V2LIBRARY_ERROR;
        if (bit != 0x40) x.ExtendedFlagsData.insert(x.ExtendedFlagsData.end(), data.begin(), data.end());
    }
    x.DecodeExtendedHeaderFlagData();
    return stream.SetPosition(end) ? ID3V2LIBRARY_SUCCESS : ID3V2LIBRARY_ERROR;
}

// --- frame-wide operations --------------------------------------------------

bool TID3v2Tag::RemoveUnsynchronisationOnAllFrames() {
    if (MajorVersion == 3 || MajorVersion == 4) {
        // Only frames that still hold unsynchronised bytes: removing twice
        // would eat genuine FF 00 pairs.
        for (auto& f : Frames)
            if (f->Unsynchronised) f->RemoveUnsynchronisation();
        Unsynchronised = false;
    }
    return true;
}

bool TID3v2Tag::ApplyUnsynchronisationOnAllFrames() {
    if (MajorVersion == 3 || MajorVersion == 4) {
        for (auto& f : Frames)
            if (!f->Unsynchronised) f->ApplyUnsynchronisation();
        Unsynchronised = true;
    }
    return true;
}

bool TID3v2Tag::DeCompressAllFrames() {
    bool all = true;
    for (auto& f : Frames)
        if (f->Compressed && !f->DeCompress()) all = false;
    return all;
}

int64_t TID3v2Tag::CalculateTotalFramesSize() const {
    int64_t total = 0;
    for (const auto& f : Frames)
        if (ValidFrameID(f->ID, 4)) total += static_cast<int64_t>(f->Data().size());
    return total;
}

bool TID3v2Tag::RenderBody(std::string& body) {
    TMemoryStream m;
    if (WriteAllFrames(m) != ID3V2LIBRARY_SUCCESS) return false;
    body = std::move(m.Bytes());
    if (MajorVersion != 4 && Unsynchronised) {
        body = ApplyUnsync(body);
        // A final FF must not join with whatever follows the tag.
        if (!body.empty() && static_cast<uint8_t>(body.back()) == 0xFF) body.push_back('\0');
    }
    return true;
}

uint32_t TID3v2Tag::CalculateTagSize(uint32_t _PaddingSize) {
    uint64_t body = 0;
    if (MajorVersion != 4 && Unsynchronised) {
        std::string rendered;
        RenderBody(rendered);
        body = rendered.size();
    } else {
        for (size_t i = 0; i < Frames.size(); ++i)
            if (ValidFrameID(Frames[i]->ID, 4) && !Frames[i]->Data().empty())
                body += 10 + FullFrameSize(static_cast<uint32_t>(i));
    }
    return static_cast<uint32_t>(std::min<uint64_t>(10 + body + _PaddingSize, 0xFFFFFFFF));
}

uint32_t TID3v2Tag::CalculateTagCRC32() {
    const bool was = Unsynchronised;
    if (was) RemoveUnsynchronisationOnAllFrames();
    TMemoryStream m;
    bool ok = WriteAllFrames(m) == ID3V2LIBRARY_SUCCESS;
    if (was) ApplyUnsynchronisationOnAllFrames();
    if (!ok) return 0;
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(m.Memory()), static_cast<uInt>(m.GetSizeConst())));
}

void TID3v2Tag::ReSetAlreadyParsedState() {
    for (auto& f : Frames) f->AlreadyParsed = false;
}

bool TID3v2Tag::RewriteCoverArts() {
    bool any = false;
    for (int64_t i = FrameCount() - 1; i >= 0; --i) {
        if (FrameIDToString(Frames[size_t(i)]->ID) != "APIC") continue;
        TMemoryStream picture;
        std::string mime, description;
        uint8_t type = 0;
        if (!GetCoverPictureStream(i, picture, mime, description, type)) continue;
        SetCoverPictureFromStream(i, description, picture, mime, type);
        any = true;
    }
    return any;
}

// --- writing to a stream ----------------------------------------------------

int TID3v2Tag::SaveTagToStream(TStream& Stream, int32_t PaddingSizeToWrite) {
    if (MajorVersion == 2) MajorVersion = 3;
    if (MajorVersion != 3 && MajorVersion != 4) return ID3V2LIBRARY_ERROR_NOT_SUPPORTED_VERSION;
    std::string body;
    if (!RenderBody(body)) return ID3V2LIBRARY_ERROR_WRITING_FILE;
    return WriteTag(Stream, body, static_cast<uint32_t>(std::max<int32_t>(PaddingSizeToWrite, 0)));
}

int TID3v2Tag::WriteTag(TStream& Stream, const std::string& body, uint32_t padding) {
    if (body.size() + uint64_t(padding) > 0x0FFFFFFF) return ID3V2LIBRARY_ERROR;
    PaddingSize = padding;
    std::string header = "ID3";
    header.push_back(static_cast<char>(MajorVersion));
    header.push_back(static_cast<char>(MinorVersion));
    Flags = uint8_t((Unsynchronised ? 0x80 : 0) | (Experimental ? 0x20 : 0));
    header.push_back(static_cast<char>(Flags));
    AppendSynchsafe(header, static_cast<uint32_t>(body.size() + padding));
    std::memcpy(CodedSize.data(), header.data() + 6, 4);
    if (!Stream.WriteBuffer(header.data(), 10) || !Stream.WriteBuffer(body.data(), int64_t(body.size())))
        return ID3V2LIBRARY_ERROR_WRITING_FILE;
    static const std::string zeros(65536, '\0');
    for (uint32_t left = padding; left > 0;) {
        uint32_t n = std::min<uint32_t>(left, uint32_t(zeros.size()));
        if (!Stream.WriteBuffer(zeros.data(), n)) return ID3V2LIBRARY_ERROR_WRITING_FILE;
        left -= n;
    }
    return ID3V2LIBRARY_SUCCESS;
}

}  // namespace tags
