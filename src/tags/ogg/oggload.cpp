// Reading the header packets of an Ogg Opus, Vorbis or Theora stream.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "common/text.h"
#include "tags/core/bytes.h"
#include "tags/ogg/ogglayout.h"

namespace tags {

namespace {

// An ID3v2 tag in front of the stream: its whole size, or 0.
int64_t ID3v2Size(TStream& s, int64_t fileSize) {
    uint8_t h[10];
    if (!s.SetPosition(0) || !s.ReadBuffer(h, 10) || std::memcmp(h, "ID3", 3) != 0 || !IsSynchsafe(h + 6)) return 0;
    int64_t size = 10 + static_cast<int64_t>(ReadSynchsafe28(h + 6));
    if (h[3] >= 4 && (h[5] & 0x10)) size += 10;
    return size <= fileSize ? size : 0;
}

bool StartsWith(const std::string& s, std::string_view prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

TOggFormat FormatOfIdent(const std::string& packet) {
    if (StartsWith(packet, "OpusHead")) return ofOpus;
    if (StartsWith(packet, "\x01vorbis")) return ofVorbis;
    if (StartsWith(packet, "\x80theora")) return ofTheora;
    return ofUnknown;
}

std::string_view CommentSignature(TOggFormat f) {
    switch (f) {
    case ofOpus: return "OpusTags";
    case ofVorbis: return "\x03vorbis";
    case ofTheora: return "\x81theora";
    default: return {};
    }
}

// The packets of one logical stream, gathered page by page.
struct PacketAssembler {
    std::vector<std::string> packets;
    std::string current;
    // Feeds a page's lacing values and data; want is the number of packets
    // needed. Returns the index of the lacing value that completed the last
    // wanted packet, or -1 when it is not complete yet.
    int Feed(const TOggHeader& h, const std::string& data, size_t want, int* commentEnd) {
        size_t pos = 0;
        for (int i = 0; i < h.Segments; ++i) {
            current.append(data, pos, h.LacingValues[i]);
            pos += h.LacingValues[i];
            if (h.LacingValues[i] == 255) continue;
            packets.push_back(std::move(current));
            current.clear();
            if (packets.size() == 2 && commentEnd) *commentEnd = i;
            if (packets.size() == want) return i;
        }
        return -1;
    }
};

}  // namespace

int TOpusTag::Read(TStream& Stream, bool ReadValues, Layout& L) {
    L = {};
    const int64_t size = Stream.Size();
    L.ID3v2Size = ID3v2Size(Stream, size);
    if (!Stream.SetPosition(L.ID3v2Size)) return oggError;
    TOGGStream ogg(&Stream);

    // The first pages begin the logical streams; the first Opus, Vorbis or
    // Theora stream among them is the one whose comment we edit.
    TOggHeader h;
    TMemoryStream page;
    uint32_t serial = 0;
    PacketAssembler packets;
    size_t want = 0;
    int64_t offset = Stream.Position();
    bool havePage = ogg.GetNextPageHeader(h, &page);
    if (!havePage) return oggError;
    for (; havePage && (h.TypeFlag & 2); offset = Stream.Position(), havePage = ogg.GetNextPageHeader(h, &page)) {
        const std::string data = page.Bytes().substr(static_cast<size_t>(h.HeaderSize()));
        page.Clear();
        if (L.Format != ofUnknown) continue;
        PacketAssembler first;
        first.Feed(h, data, 3, nullptr);
        if (first.packets.empty()) continue;
        TOggFormat format = FormatOfIdent(first.packets[0]);
        if (format == ofUnknown) continue;
        L.Format = format;
        L.IdentPage = h;
        serial = h.Serial;
        want = format == ofOpus ? 2 : 3;
        // Whatever follows the identification packet on its page already
        // belongs to the next header packet.
        L.IdentAlone = first.packets.size() == 1 && first.current.empty();
        packets = std::move(first);
        packets.packets.resize(std::min(packets.packets.size(), want));
    }
    Format = L.Format;
    if (L.Format == ofUnknown) return oggError;

    // Then the rest of the header packets of that stream.
    bool started = false;
    int commentEnd = -1;
    for (; havePage && packets.packets.size() < want;
         offset = Stream.Position(), havePage = ogg.GetNextPageHeader(h, &page)) {
        const std::string bytes = std::move(page.Bytes());
        page.Clear();
        if (h.Serial != serial) {
            if (started) L.Contiguous = false;
            continue;
        }
        if (h.TypeFlag & 2) return oggCorruptHeader;
        if (!started) L.FirstHeaderNumber = h.PageNumber;
        started = true;
        L.HeaderPages.emplace_back(offset, static_cast<int64_t>(bytes.size()));
        commentEnd = -1;
        const bool hadComment = packets.packets.size() >= 2;
        int end = packets.Feed(h, bytes.substr(static_cast<size_t>(h.HeaderSize())), want, &commentEnd);
        if (!hadComment && commentEnd >= 0) L.CommentEndsPage = commentEnd == h.Segments - 1;
        if (end >= 0) {
            L.EndsPage = end == h.Segments - 1;
            break;
        }
        if (h.TypeFlag & 4) return oggCorruptHeader;  // the stream ends inside its headers
    }
    if (packets.packets.size() < want) return oggCorruptHeader;

    L.Ident = std::move(packets.packets[0]);
    L.Comment = std::move(packets.packets[1]);
    if (want > 2) L.Setup = std::move(packets.packets[2]);
    if (!ParseComment(L.Comment, L.Format, L)) return oggCorruptHeader;

    Info.Serial = serial;
    Info.FileSize = size;
    Info.ID3v2Size = L.ID3v2Size;
    if (!L.HeaderPages.empty()) {
        Info.SPagePos = L.HeaderPages.front().first;
        Info.TagEndPos = L.HeaderPages.back().first + L.HeaderPages.back().second;
        Info.HeaderOggPageCount = static_cast<int64_t>(L.HeaderPages.size());
    }
    const std::string& id = L.Ident;
    if (L.Format == ofOpus && id.size() >= 19) {
        TOpusHeader& o = Info.OpusParameters;
        o.BitstreamVersion = static_cast<uint8_t>(id[8]);
        o.ChannelCount = static_cast<uint8_t>(id[9]);
        o.PreSkip = ReadLE16(id.data() + 10);
        o.SampleRate = ReadLE32(id.data() + 12);
        o.OutputGain = static_cast<int16_t>(ReadLE16(id.data() + 16));
        o.MappingFamily = static_cast<uint8_t>(id[18]);
    } else if (L.Format == ofVorbis && id.size() >= 30) {
        TVorbisHeader& v = Info.VorbisParameters;
        v.BitstreamVersion = ReadLE32(id.data() + 7);
        v.ChannelMode = static_cast<uint8_t>(id[11]);
        v.SampleRate = ReadLE32(id.data() + 12);
        v.BitRateMaximal = static_cast<int32_t>(ReadLE32(id.data() + 16));
        v.BitRateNominal = static_cast<int32_t>(ReadLE32(id.data() + 20));
        v.BitRateMinimal = static_cast<int32_t>(ReadLE32(id.data() + 24));
        v.BlockSize = static_cast<uint8_t>(id[28]);
        v.StopFlag = static_cast<uint8_t>(id[29]);
    }
    if (!ReadValues) return oggSuccess;

    FFileSize = size;
    FirstOGGPage.Bytes() = L.Ident;
    VorbisData.Bytes() = L.Setup;
    VendorString = L.Vendor;
    FOpusExtra = L.OpusExtra;
    for (auto& [name, value] : L.Fields) {
        std::string upper = common::asciiUpper(name);
        TOpusTagFrame* f = AddFrame(upper);
        f->Stream.Bytes() = std::move(value);
        f->Format = upper == "METADATA_BLOCK_PICTURE" || upper == "COVERART" ? otffCoverArt : otffText;
    }
    L.Fields.clear();
    if (ParsePlayTime && (L.Format == ofOpus || L.Format == ofVorbis)) ReadPlayTime(Stream);
    return oggSuccess;
}

bool TOpusTag::ParseComment(const std::string& p, TOggFormat format, Layout& L) {
    std::string_view signature = CommentSignature(format);
    if (!StartsWith(p, signature)) return false;
    size_t pos = signature.size();
    auto u32 = [&](uint32_t& v) {
        if (p.size() - pos < 4) return false;
        v = ReadLE32(p.data() + pos);
        pos += 4;
        return true;
    };
    uint32_t len = 0, count = 0;
    if (!u32(len) || p.size() - pos < len) return false;
    L.Vendor = p.substr(pos, len);
    pos += len;
    if (!u32(count)) return false;
    // The count is not trusted for a reservation: every field needs its
    // length word, so the packet bounds the loop.
    for (uint32_t n = 0; n < count; ++n) {
        if (!u32(len) || p.size() - pos < len) return false;
        std::string field = p.substr(pos, len);
        pos += len;
        size_t eq = field.find('=');
        if (eq == std::string::npos) continue;
        L.Fields.emplace_back(field.substr(0, eq), field.substr(eq + 1));
    }
    // An Opus writer that sets the lowest bit of the first byte after the
    // list asks editors to keep what follows; anything else is padding.
    if (format == ofOpus && pos < p.size() && (static_cast<uint8_t>(p[pos]) & 1)) L.OpusExtra = p.substr(pos);
    return true;
}

void TOpusTag::ReadPlayTime(TStream& Stream) {
    // The last page of the stream holds the final granule position; pages
    // are at most 65307 bytes long.
    const int64_t size = Stream.Size();
    const int64_t window = std::min<int64_t>(size - Info.TagEndPos, 65307 + TOggHeader::kMaxSize);
    std::string tail;
    if (window <= 0 || !Stream.SetPosition(size - window) || !Stream.ReadBytes(tail, window)) return;
    for (size_t i = tail.size(); i-- > 0;) {
        if (tail.compare(i, 4, "OggS") != 0) continue;
        TOggHeader h;
        if (!TOggHeader::Parse(tail.data() + i, static_cast<int64_t>(tail.size() - i), h)) continue;
        if (h.Serial != Info.Serial || h.AbsolutePosition == ~uint64_t(0)) continue;
        Info.SampleCount = static_cast<int64_t>(h.AbsolutePosition);
        break;
    }
    const int64_t audioBytes = size - Info.TagEndPos;
    if (Format == ofOpus) {
        // Granule positions count 48 kHz samples, the pre-skip included.
        int64_t samples = Info.SampleCount - Info.OpusParameters.PreSkip;
        Info.PlayTime = samples > 0 ? samples / 48000.0 : 0;
    } else {
        const TVorbisHeader& v = Info.VorbisParameters;
        if (Info.SampleCount > 0 && v.SampleRate > 0)
            Info.PlayTime = static_cast<double>(Info.SampleCount) / v.SampleRate;
        else if (v.BitRateNominal > 0 && v.ChannelMode > 0)
            Info.PlayTime =
                static_cast<double>(size - Info.ID3v2Size) / (v.BitRateNominal / 1000.0) / v.ChannelMode / 125 * 2;
    }
    if (Format == ofVorbis && Info.VorbisParameters.BitRateNominal > 0)
        Info.BitRate = static_cast<uint32_t>(Info.VorbisParameters.BitRateNominal / 1000);
    else if (Info.PlayTime > 0)
        Info.BitRate = static_cast<uint32_t>(std::nearbyint(static_cast<double>(audioBytes) / Info.PlayTime / 125));
}

int TOpusTag::LoadFromStream(TStream& Stream) {
    Clear();
    const int64_t pos = Stream.Position();
    Layout L;
    int result = oggError;
    try {
        result = Read(Stream, true, L);
    } catch (...) {
        result = oggError;
    }
    if (result != oggSuccess) {
        TOggFormat format = Format;
        Clear();
        Format = format;  // the content classifier may still name the codec
    }
    Loaded = result == oggSuccess;
    Stream.SetPosition(pos);
    return result;
}

int TOpusTag::LoadFromFile(const std::string& Path) {
    Clear();
    auto file = TFileStream::Open(Path, TFileMode::fmOpenRead);
    if (!file) return oggCannotOpen;
    int result = LoadFromStream(*file);
    if (result == oggSuccess) FileName = Path;
    return result;
}

}  // namespace tags
