#include "tags/facade/tagslibrary.h"

#include "tags/core/bytes.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

using namespace tags;
using testenv::TempDir;

namespace {

std::string Zeros(size_t n) { return std::string(n, '\0'); }

// An ID3v2 tag of the given major version with `body` bytes after the header.
std::string ID3v2(int version, uint32_t body, bool footer = false) {
    std::string t = "ID3";
    t += char(version), t += '\0', t += char(footer ? 0x10 : 0);
    AppendSynchsafe28(t, body);
    return t + Zeros(body) + (footer ? "3DI" + Zeros(7) : "");
}

// The first page of an Ogg stream whose first packet starts with `packet`.
std::string OggPage(const std::string& packet) {
    std::string p = "OggS";
    p += '\0', p += '\x02';
    p += Zeros(8 + 4 + 4 + 4);
    p += '\x01', p += char(packet.size());
    return p + packet;
}

std::string MPEGFrames() { return "\xFF\xFB\x90\x64" + Zeros(400); }

}  // namespace

TEST(AudioFormat, EveryContainerByItsHeader) {
    struct Case {
        const char* what;
        std::string bytes;
        int format;
    };
    std::string ftyp64 = std::string("\0\0\0\x01", 4) + "ftyp" + Zeros(7) + "\x18" + "M4A " + Zeros(8);
    const Case cases[] = {
        {"RIFF", "RIFF" + Zeros(4) + "WAVE", afRIFFWAVE},
        {"RF64", "RF64" + Zeros(4) + "WAVE", afRF64},
        {"Monkey's Audio", "MAC \x96\x0F", afMonkeysAudio},
        {"OptimFROG", "OFR " + Zeros(20), afOptimFROG},
        {"Musepack SV7", "MP+\x07" + Zeros(28), afMusepack},
        {"Musepack SV8", "MPCKSH" + Zeros(10), afMusepack},
        {"FLAC", "fLaC\0\0\0\x22", afFlac},
        {"DSF", "DSD \x1C" + Zeros(30), afDSF},
        {"DFF", "FRM8" + Zeros(8) + "DSD " + Zeros(8), afDSDIFF},
        {"FRM8 without DSD", "FRM8" + Zeros(8) + "XXXX", afUnknown},
        {"Ogg FLAC",
         OggPage("\x7F"
                 "FLAC\x01\0"),
         afOggFlac},
        {"Ogg Opus", OggPage("OpusHead\x01\x02"), afOggOpus},
        {"Ogg Vorbis", OggPage("\x01vorbis"), afOggVorbis},
        {"Ogg Theora", OggPage("\x80theora\x03\x02"), afOggTheora},
        {"Ogg Speex", OggPage("Speex   1.2") + MPEGFrames(), afUnknown},
        {"Ogg page cut short", OggPage("Opus"), afUnknown},
        {"AIFF", "FORM" + Zeros(4) + "AIFF", afAIFF},
        {"AIFC", "FORM" + Zeros(4) + "AIFC", afAIFC},
        {"FORM of something else", "FORM" + Zeros(4) + "8SVX", afUnknown},
        {"MP4", std::string("\0\0\0\x20", 4) + "ftypM4A " + Zeros(20), afMP4},
        {"MP4 with a 64-bit box size", ftyp64, afMP4},
        {"WavPack", "wvpk" + Zeros(28), afWavPack},
        {"WavPack cut short", "wvpk" + Zeros(20), afUnknown},
        {"Musepack SV5", std::string("\0\x0E\0\0", 4) + Zeros(23) + "\x01" + Zeros(4), afMusepack},
        {"Musepack SV5 without an encoder", std::string("\0\x0E\0\0", 4) + Zeros(28), afUnknown},
        {"an old Musepack header that frame sync follows",
         std::string("\0\x0E\0\0", 4) + Zeros(23) + "\x01" + Zeros(4) + MPEGFrames(), afMPEG},
        {"MPEG frames", MPEGFrames(), afMPEG},
        {"MPEG after 1000 bytes of junk", Zeros(1000) + MPEGFrames(), afMPEG},
        {"MPEG after 1100 bytes of junk", Zeros(1100) + MPEGFrames(), afUnknown},
        {"MPEG-2.5 sync", "\xFF\xE3" + Zeros(10), afMPEG},
        {"sync byte without a frame", "\xFF\xF0" + Zeros(10), afUnknown},
        {"ID3v2 then FLAC", ID3v2(3, 300) + "fLaC", afFlac},
        {"ID3v2.4 with a footer then Ogg Opus", ID3v2(4, 50, true) + OggPage("OpusHead"), afOggOpus},
        {"ID3v2 then MPEG", ID3v2(3, 2000) + MPEGFrames(), afMPEG},
        {"ID3v2 longer than the file", ID3v2(3, 100).substr(0, 60), afUnknown},
        {"three bytes", "RIF", afUnknown},
        {"nothing", "", afUnknown},
    };
    for (const Case& c : cases) {
        TMemoryStream s(c.bytes);
        EXPECT_EQ(GetAudioFormat(s), c.format) << c.what;
    }
}

TEST(AudioFormat, FilesAreOpenedForReading) {
    TempDir dir;
    std::string flac = dir.file("song.mp3", "fLaC" + Zeros(60));
    EXPECT_EQ(GetAudioFormat(flac), afFlac);
    EXPECT_EQ(GetAudioFormat(dir.at("missing.flac")), afUnknown);
    EXPECT_EQ(GetAudioFormat(dir.path), afUnknown);
}
