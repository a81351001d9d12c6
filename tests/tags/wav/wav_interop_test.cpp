// WAV files from ffmpeg with INFO lists and "bext" chunks: theirs read by
// ours, ours read by ffprobe, and with an ID3v2 chunk beside them, the same
// fields as mutagen shows; the sound decodes the same after every save.
#include <gtest/gtest.h>

#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "tags/facade/tagslibrary.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/readback.h"
#include "tags/wav/wavtaglibrary.h"

using namespace tags;
using namespace testenv;

namespace {

class WAVInterop : public ::testing::Test {
protected:
    TempDir dir;

    void SetUp() override {
        if (mutagenPython().empty()) GTEST_SKIP() << "mutagen is not installed";
        if (run("command -v ffmpeg && command -v ffprobe").status != 0) GTEST_SKIP() << "ffmpeg is not installed";
    }

    // Half a second with ffmpeg's INFO list and bext chunk.
    std::string Ffmpeg(const std::string& name, const std::string& options = {}) {
        const std::string path = dir.at(name);
        readback::Must(
            "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=0.5 -c:a pcm_s16le -fflags +bitexact "
            "-write_bext 1 -metadata artist=Their -metadata title='Their title' -metadata album=Disc "
            "-metadata description=Described -metadata originator=Studio -metadata coding_history='A=PCM,F=44100' " +
            options + " " + shellQuote(path));
        return path;
    }

    static std::string Probe(const std::string& path) {
        return readback::Must("ffprobe -v error -show_entries format_tags -of default=nw=1 " + shellQuote(path));
    }
};

TEST_F(WAVInterop, FfmpegChunksReadTheSameInOursAndOursInFfprobe) {
    for (const char* options : {"", "-rf64 always"}) {
        SCOPED_TRACE(options);
        const std::string path = Ffmpeg(*options ? "a.rf64.wav" : "a.wav", options);
        const std::string audio = readback::AudioOf(path);
        TWAVTag tag;
        ASSERT_EQ(tag.LoadFromFile(path), 0);
        EXPECT_EQ(tag.GetText("IART"), "Their");
        EXPECT_EQ(tag.GetText("INAM"), "Their title");
        EXPECT_EQ(tag.GetText("IPRD"), "Disc");
        EXPECT_EQ(tag.BEXT.Get("Description"), "Described");
        EXPECT_EQ(tag.BEXT.Get("Originator"), "Studio");
        EXPECT_EQ(tag.BEXT.Get("CodingHistory"), "A=PCM,F=44100");
        EXPECT_EQ(tag.Attributes.SamplesPerSec, 44100u);
        EXPECT_NEAR(tag.PlayTime, 0.5, 0.001);

        tag.SetText("IART", "Наш артист");
        tag.BEXT.Set("Description", "Описание");
        tag.BEXT.Set("OriginatorReference", "REF-1");
        tag.BEXT.Set("CodingHistory", "A=PCM,F=44100,W=16\r\n");
        ASSERT_EQ(tag.SaveToFile(path), 0);
        EXPECT_EQ(readback::AudioOf(path), audio);
        EXPECT_EQ(readback::Must("ffmpeg -nostdin -v error -i " + shellQuote(path) + " -f null - 2>&1"), "");
        const std::string probe = Probe(path);
        // ffprobe shows the bext description as the comment.
        for (const char* want : {"TAG:artist=Наш артист\n", "TAG:title=Their title\n", "TAG:comment=Описание\n",
                                 "TAG:originator_reference=REF-1\n", "TAG:coding_history=A=PCM,F=44100,W=16\r"})
            EXPECT_NE(probe.find(want), std::string::npos) << want << "\n" << probe;
    }
}

// What `orvelin-tags dump` and `set` do: the facade over a WAV file with an
// INFO list, bext and an ID3v2 chunk, compared with mutagen (which reads
// the ID3v2 chunk).
TEST_F(WAVInterop, FacadeSetIsReadBackByMutagenAndFfprobe) {
    const std::string path = Ffmpeg("b.wav");
    const std::string audio = readback::AudioOf(path);
    {
        TID3v2Tag id3;
        id3.SetText("TPE1", "Their", teUTF8);
        ASSERT_EQ(id3.SaveToFile(path), 0);
    }
    TTags tags;
    ASSERT_EQ(tags.LoadFromFile(path), 0);
    EXPECT_EQ(tags.GetText("ARTIST"), "Their");
    EXPECT_EQ(tags.GetText("BEXT Originator"), "Studio");
    for (const auto& [name, value] : {std::pair<const char*, const char*>{"ARTIST", "Артист"},
                                      {"TITLE", "Песня"},
                                      {"ALBUM", "Альбом"},
                                      {"YEAR", "2001"},
                                      {"TRACKNUMBER", "3/9"}})
        tags.SetText(name, value);
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), 0);
    readback::ExpectSaved(path, audio);
    EXPECT_EQ(readback::Python(R"PY(import sys, mutagen
f = mutagen.File(sys.argv[1])
for k in ("TPE1", "TIT2", "TALB", "TYER", "TDRC", "TRCK"):
    if k in f.tags: print(k, str(f.tags[k]))
)PY",
                               path),
              "TPE1 Артист\nTIT2 Песня\nTALB Альбом\nTDRC 2001\nTRCK 3/9\n");
    TWAVTag wav;
    ASSERT_EQ(wav.LoadFromFile(path), 0);
    EXPECT_EQ(wav.GetText("IART"), "Артист");
    EXPECT_EQ(wav.GetText("INAM"), "Песня");
    EXPECT_EQ(wav.GetText("ITRK"), "3/9");
    EXPECT_EQ(wav.BEXT.Get("Originator"), "Studio");
}

}  // namespace
