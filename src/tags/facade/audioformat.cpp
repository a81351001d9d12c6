// Content-based classification of audio files (GetAudioFormat). The WavPack,
// Musepack and Ogg checks are the few header bytes those readers would accept.
#include "tags/facade/tagslibrary.h"

#include "tags/core/bytes.h"

#include <algorithm>
#include <cstring>

namespace tags {

namespace {

class Probe {
public:
    explicit Probe(TStream& s) : FStream(s) {}

    // Exactly n bytes at pos, or false.
    bool At(int64_t pos, void* buffer, int64_t n) { return FStream.SetPosition(pos) && FStream.ReadBuffer(buffer, n); }
    // Up to n bytes at pos; how many were read.
    int64_t Some(int64_t pos, void* buffer, int64_t n) {
        if (!FStream.SetPosition(pos)) return 0;
        return std::max<int64_t>(FStream.Read(buffer, n), 0);
    }
    int64_t Size() { return FStream.GetSize(); }

private:
    TStream& FStream;
};

bool Is(const char* bytes, const char* magic) { return std::memcmp(bytes, magic, std::strlen(magic)) == 0; }

// Header, synchsafe size and, for ID3v2.4 with the footer flag, the footer.
int64_t ID3v2Size(Probe& p) {
    unsigned char h[10];
    if (!p.At(0, h, 10) || std::memcmp(h, "ID3", 3) != 0) return 0;
    int64_t size = int64_t(ReadSynchsafe28(h + 6)) + 10;
    if (h[3] == 4 && (h[5] & 0x10)) size += 10;
    return size;
}

// The identification header of the first packet on the first page.
int OggFormat(Probe& p, int64_t offset) {
    unsigned char page[27];
    if (!p.At(offset, page, 27)) return afUnknown;
    char packet[8];
    int64_t got = p.Some(offset + 27 + page[26], packet, 8);
    auto starts = [&](const char* magic) { return got >= int64_t(std::strlen(magic)) && Is(packet, magic); };
    if (starts("OpusHead")) return afOggOpus;
    if (starts("\x01vorbis")) return afOggVorbis;
    if (starts("\x80theora")) return afOggTheora;
    return afUnknown;
}

// Musepack SV4 to SV6 have no magic: the version bits and a known encoder
// byte are all there is (SV7 "MP+" and SV8 "MPCK" are taken earlier).
bool IsOldMusepack(Probe& p, int64_t offset) {
    unsigned char h[32];
    if (p.Size() <= 0 || !p.At(offset, h, 32)) return false;
    int version = (h[1] >> 1) & 15;
    return (version == 3 || version == 7 || version == 11) && h[27] != 0;
}

bool IsMPEGSync(unsigned char b) {
    switch (b) {
    case 0xF9:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFD:
    case 0xF2:
    case 0xF3:
    case 0xE3: return true;
    default: return false;
    }
}

}  // namespace

int GetAudioFormat(TStream& stream) {
    Probe p(stream);
    int64_t offset = ID3v2Size(p);
    char m[12];
    if (!p.At(offset, m, 4)) return afUnknown;
    if (Is(m, "RIFF")) return afRIFFWAVE;
    if (Is(m, "RF64")) return afRF64;
    if (Is(m, "MAC")) return afMonkeysAudio;
    if (Is(m, "OFR ")) return afOptimFROG;
    if (Is(m, "MP+") || Is(m, "MPC")) return afMusepack;
    if (Is(m, "fLaC")) return afFlac;
    if (Is(m, "DSD ")) return afDSF;
    if (Is(m, "FRM8")) {
        char dsd[4];
        if (p.At(offset + 12, dsd, 4) && Is(dsd, "DSD ")) return afDSDIFF;
    }
    if (Is(m, "OggS")) {
        char flac[4];
        if (p.At(offset + 29, flac, 4) && Is(flac, "FLAC")) return afOggFlac;
        // Nothing below can match an Ogg page, except by accident: the old
        // Musepack guess and the MPEG scan would both misname Ogg Speex.
        return OggFormat(p, offset);
    }
    if (p.At(offset, m, 12) && Is(m, "FORM")) {
        if (Is(m + 8, "AIFF")) return afAIFF;
        if (Is(m + 8, "AIFC")) return afAIFC;
    }
    // The box type follows the 32-bit size whatever it says; a size of 1
    // only adds a 64-bit size after the type.
    if (p.At(offset, m, 8) && Is(m + 4, "ftyp")) return afMP4;
    char block[32];
    if (p.At(offset, block, 32) && Is(block, "wvpk")) return afWavPack;

    // Frame sync before the old Musepack guess: that guess accepts about 3 in
    // 16 arbitrary headers, among them MPEG audio that starts mid-frame, and
    // an MP3 taken for Musepack would get an APEv2 tag on an automatic save.
    unsigned char scan[1026];
    int64_t got = p.Some(offset, scan, sizeof scan);
    for (int64_t i = 0; i + 1 < got; ++i)
        if (scan[i] == 0xFF && IsMPEGSync(scan[i + 1])) return afMPEG;
    return IsOldMusepack(p, offset) ? afMusepack : afUnknown;
}

int GetAudioFormat(const std::string& fileName) {
    std::unique_ptr<TFileStream> f = TFileStream::Open(fileName, TFileMode::fmOpenRead);
    return f ? GetAudioFormat(*f) : afUnknown;
}

}  // namespace tags
