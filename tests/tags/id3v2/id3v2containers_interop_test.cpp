// ID3v2 tags inside WAV, RF64, AIFF, AIFC, DSF and DFF files against
// mutagen, ffprobe and ffmpeg's decoder: ours read by them, theirs by ours,
// the audio the same after every save and removal.
#include <gtest/gtest.h>

#include <sstream>

#include "support/bytes.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/readback.h"

using namespace tags;
using namespace testenv;

namespace {

std::string Sound(size_t n) {
    std::string a(n, '\0');
    for (size_t i = 0; i < n; ++i) a[i] = char((i * 37 + 11) & 0xFF);
    return a;
}

// Two channels of 1-bit DSD at 2.8224 MHz, one block of 4096 bytes each.
std::string DsfFile() {
    const std::string data = Sound(4096 * 2);
    const std::string fmt = "fmt " + le(52, 8) + le(1, 4) + le(0, 4) + le(2, 4) + le(2, 4) + le(2822400, 4) + le(1, 4) +
                            le(4096 * 8, 8) + le(4096, 4) + le(0, 4);
    const std::string chunk = "data" + le(12 + data.size(), 8) + data;
    return "DSD " + le(28, 8) + le(28 + fmt.size() + chunk.size(), 8) + le(0, 8) + fmt + chunk;
}

std::string DffChunk(const std::string& id, const std::string& data) {
    return id + be(data.size(), 8) + data + (data.size() % 2 ? std::string(1, '\0') : "");
}

std::string DffFile() {
    const std::string prop = "SND " + DffChunk("FS  ", be(2822400, 4)) + DffChunk("CHNL", be(2, 2) + "SLFTSRGT") +
                             DffChunk("CMPR", "DSD " + std::string(1, '\x0E') + "not compressed" + '\0');
    const std::string body =
        "DSD " + DffChunk("FVER", be(0x01050000, 4)) + DffChunk("PROP", prop) + DffChunk("DSD ", Sound(4096 * 2));
    return "FRM8" + be(body.size(), 8) + body;
}

// The five fields every tagger shows, as mutagen reads them from any container.
constexpr const char* kFields = R"PY(import sys, mutagen
f = mutagen.File(sys.argv[1])
for k in ("TPE1", "TIT2", "TALB", "TDRC", "TRCK"):
    if f.tags is not None and k in f.tags: print(k, str(f.tags[k]))
)PY";

// mutagen adds its own tag to a file of ours.
constexpr const char* kWrite = R"PY(import sys, mutagen
from mutagen.id3 import TPE1, TIT2, TALB, TDRC, TRCK, COMM
f = mutagen.File(sys.argv[1])
f.add_tags()
f.tags.add(TPE1(encoding=3, text=["Исполнитель"]))
f.tags.add(TIT2(encoding=1, text=["Title \U0001F3B5"]))
f.tags.add(TALB(encoding=0, text=["Album"]))
f.tags.add(TDRC(encoding=3, text=["1999"]))
f.tags.add(TRCK(encoding=3, text=["4/10"]))
f.tags.add(COMM(encoding=3, lang="eng", desc="", text=["x" * 5000]))
f.save()
)PY";

class ID3v2ContainersInterop : public ::testing::Test {
protected:
    TempDir dir;

    void SetUp() override {
        if (mutagenPython().empty()) GTEST_SKIP() << "mutagen is not installed";
        if (run("command -v ffmpeg && command -v ffprobe").status != 0) GTEST_SKIP() << "ffmpeg is not installed";
    }

    // Half a second of sound from ffmpeg, without metadata of its own.
    std::string Ffmpeg(const std::string& name, const std::string& options) {
        const std::string path = dir.at(name);
        readback::Must(
            "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=0.5 -fflags +bitexact "
            "-map_metadata -1 " +
            options + " " + shellQuote(path));
        return path;
    }

    std::vector<std::pair<std::string, std::string>> Files() {
        return {
            {"wav", Ffmpeg("a.wav", "-c:a pcm_s16le")},
            {"aiff", Ffmpeg("a.aiff", "-c:a pcm_s16be")},
            {"aifc", Ffmpeg("a.aifc", "-c:a pcm_f32be -f aiff")},
            {"rf64", Ffmpeg("a.rf64.wav", "-c:a pcm_s16le -rf64 always")},
            {"dsf", dir.file("a.dsf", DsfFile())},
            {"dff", dir.file("a.dff", DffFile())},
        };
    }

    std::string Probe(const std::string& path) {
        return readback::Must(
            "ffprobe -v error -show_entries format_tags=artist,title,album,date,track "
            "-of default=nw=1 " +
            shellQuote(path));
    }
};

// Every reader: mutagen (it does not know RF64), then ffmpeg decodes
// without an error and the sound is what it was.
void ExpectReadable(const std::string& kind, const std::string& path, const std::string& audio) {
    if (kind == "rf64") {
        EXPECT_EQ(readback::AudioOf(path), audio);
        EXPECT_EQ(readback::Must("ffmpeg -nostdin -v error -i " + shellQuote(path) + " -f null - 2>&1"), "");
    } else {
        readback::ExpectSaved(path, audio);
    }
}

TEST_F(ID3v2ContainersInterop, OurTagsReadTheSameInMutagenAndFfprobe) {
    for (const auto& [kind, path] : Files()) {
        SCOPED_TRACE(kind);
        const std::string original = readFile(path);
        const std::string audio = readback::AudioOf(path);
        ASSERT_NE(readback::ContainerAudio(original), "");

        TID3v2Tag tag;
        tag.SetText("TPE1", "Исполнитель", teUTF8);
        tag.SetText("TIT2", "Title \xF0\x9F\x8E\xB5", teUnicode);
        tag.SetText("TALB", "Album", teANSI);
        tag.SetText("TYER", "1999", teANSI);
        tag.SetText("TRCK", "4/10", teANSI);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        ExpectReadable(kind, path, audio);
        if (kind != "rf64") {
            EXPECT_EQ(readback::Python(kFields, path),
                      "TPE1 Исполнитель\nTIT2 Title \xF0\x9F\x8E\xB5\nTALB Album\nTDRC 1999\nTRCK 4/10\n");
        }
        // ffmpeg's DSDIFF reader shows no ID3 tags.
        if (kind != "dff") {
            const std::string probe = Probe(path);
            EXPECT_NE(probe.find("TAG:artist=Исполнитель\n"), std::string::npos) << probe;
            EXPECT_NE(probe.find("TAG:title=Title \xF0\x9F\x8E\xB5\n"), std::string::npos) << probe;
            EXPECT_NE(probe.find("TAG:track=4/10\n"), std::string::npos) << probe;
        }

        // Grown past its room: the chunk moves what follows it.
        tag.SetText("TALB", std::string(20000, 'a'), teUTF8);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        ExpectReadable(kind, path, audio);
        if (kind != "rf64") {
            EXPECT_NE(readback::Python(kFields, path).find("TALB " + std::string(20000, 'a')), std::string::npos);
        }

        ASSERT_EQ(StripID3v2TagFromFile(path), 0);
        EXPECT_EQ(readFile(path), original);
    }
}

TEST_F(ID3v2ContainersInterop, MutagenTagsReadTheSameInOursAndSurviveOurSaves) {
    for (const auto& [kind, path] : Files()) {
        if (kind == "rf64") continue;
        SCOPED_TRACE(kind);
        const std::string audio = readback::AudioOf(path);
        readback::Python(kWrite, path);
        TID3v2Tag tag;
        ASSERT_EQ(tag.LoadFromFile(path), 0);
        EXPECT_EQ(tag.GetText("TPE1"), "Исполнитель");
        EXPECT_EQ(tag.GetText("TIT2"), "Title \xF0\x9F\x8E\xB5");
        EXPECT_EQ(tag.GetText("TRCK"), "4/10");

        // Shrunk by far more than the padding allows: the file is rewritten.
        ASSERT_TRUE(tag.DeleteFrame(std::string_view("COMM")));
        tag.SetText("TALB", "Другой альбом", teUTF8);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        ExpectReadable(kind, path, audio);
        EXPECT_EQ(readback::Python(kFields, path),
                  "TPE1 Исполнитель\nTIT2 Title \xF0\x9F\x8E\xB5\nTALB Другой альбом\nTDRC 1999\nTRCK 4/10\n");
    }
}

}  // namespace
