// WMA files from ffmpeg: theirs and mutagen's attributes read by ours, ours
// read by mutagen and ffprobe, the packets byte for byte and the decoded
// sound the same after every save.
#include <gtest/gtest.h>

#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "tags/core/bytes.h"
#include "tags/facade/tagslibrary.h"
#include "tags/readback.h"
#include "tags/wma/wmataglibrary.h"

using namespace tags;
using namespace testenv;

namespace {

// Everything after the header object: the data and index objects.
std::string AfterHeader(const std::string& b) { return b.size() < 24 ? b : b.substr(size_t(ReadLE64(b.data() + 16))); }

constexpr const char* kFields = R"PY(import sys, mutagen
f = mutagen.File(sys.argv[1])
for k in ("Author", "Title", "WM/AlbumTitle", "WM/Year", "WM/TrackNumber", "WM/Track"):
    if k in f.tags: print(k, [str(v) for v in f.tags[k]])
# A picture value: type, data length, MIME type, description, data.
for p in f.tags.get("WM/Picture", []):
    n = int.from_bytes(p.value[1:5], "little")
    print("picture", p.value[0], n, p.value[-n:] == b"p" * n, b"i\0m\0a\0g\0e\0/\0p\0n\0g\0\0\0" in p.value)
)PY";

class WMAInterop : public ::testing::Test {
protected:
    TempDir dir;
    std::string path;

    void SetUp() override {
        if (mutagenPython().empty()) GTEST_SKIP() << "mutagen is not installed";
        if (run("command -v ffmpeg && command -v ffprobe").status != 0) GTEST_SKIP() << "ffmpeg is not installed";
        path = dir.at("a.wma");
        readback::Must(
            "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:duration=1 -c:a wmav2 -b:a 64k "
            "-fflags +bitexact -metadata artist=Their -metadata album=Disc -metadata track=2 " +
            shellQuote(path));
    }

    void ExpectSameSound(const std::string& before, const std::string& decoded) {
        EXPECT_EQ(AfterHeader(readFile(path)), before);
        EXPECT_EQ(readback::Decoded(path), decoded);
        EXPECT_EQ(readback::Must("ffmpeg -nostdin -v error -i " + shellQuote(path) + " -f null - 2>&1"), "");
    }
};

TEST_F(WMAInterop, FacadeSetIsReadBackByMutagenAndFfprobe) {
    const std::string packets = AfterHeader(readFile(path));
    const std::string decoded = readback::Decoded(path);
    TTags tags;
    ASSERT_EQ(tags.LoadFromFile(path), 0);
    EXPECT_EQ(tags.GetText("ARTIST"), "Their");
    EXPECT_EQ(tags.GetText("ALBUM"), "Disc");
    EXPECT_EQ(tags.GetText("TRACKNUMBER"), "2");
    for (const auto& [name, value] : {std::pair<const char*, const char*>{"ARTIST", "Артист"},
                                      {"TITLE", "Песня"},
                                      {"ALBUM", "Альбом"},
                                      {"YEAR", "2001"},
                                      {"TRACK", "3/9"}})
        tags.SetText(name, value);
    TMemoryStream png(std::string(70000, 'p'));
    tags.AddCoverArt("Cover", png, "image/png")->CoverType = 3;
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), 0);
    ExpectSameSound(packets, decoded);
    EXPECT_EQ(readback::Python(kFields, path),
              "Author ['Артист']\nTitle ['Песня']\nWM/AlbumTitle ['Альбом']\nWM/Year ['2001']\n"
              "WM/TrackNumber ['3/9']\nWM/Track ['2']\npicture 3 70000 True True\n");
    const std::string probe = readback::Must(
        "ffprobe -v error -show_entries format_tags=artist,title,album,track "
        "-of default=nw=1 " +
        shellQuote(path));
    for (const char* want : {"TAG:artist=Артист\n", "TAG:title=Песня\n", "TAG:album=Альбом\n", "TAG:track=3/9\n"})
        EXPECT_NE(probe.find(want), std::string::npos) << want << probe;

    TTags back;
    ASSERT_EQ(back.LoadFromFile(path), 0);
    EXPECT_EQ(back.GetText("TITLE"), "Песня");
    EXPECT_EQ(back.GetText("TRACKNUMBER"), "3");
    EXPECT_EQ(back.GetText("TOTALTRACKS"), "9");
    ASSERT_EQ(back.CoverArtCount(), 1);
}

TEST_F(WMAInterop, MutagenAttributesReadTheSameInOursAndSurviveOurSaves) {
    readback::Python(R"PY(import sys, mutagen
from mutagen.asf import ASFDWordAttribute, ASFBoolAttribute, ASFQWordAttribute, ASFByteArrayAttribute
f = mutagen.File(sys.argv[1])
f.tags["Title"] = ["Заголовок"]
f.tags["WM/Composer"] = ["Один", "Два"]
f.tags["WM/BeatsPerMinute"] = [ASFDWordAttribute(120)]
f.tags["WM/IsCompilation"] = [ASFBoolAttribute(True)]
f.tags["WM/Big"] = [ASFQWordAttribute(2**40)]
f.tags["WM/Lyrics"] = ["x" * 70000]
f.save()
)PY",
                     path);
    const std::string packets = AfterHeader(readFile(path));
    const std::string decoded = readback::Decoded(path);
    TWMATag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    EXPECT_EQ(tag.GetText("Title"), "Заголовок");
    EXPECT_EQ(tag.GetInteger("WM/BeatsPerMinute"), 120u);
    EXPECT_EQ(tag.GetText("WM/IsCompilation"), "1");
    EXPECT_EQ(tag.GetInteger("WM/Big"), uint64_t(1) << 40);
    EXPECT_EQ(tag.GetText("WM/Lyrics"), std::string(70000, 'x'));
    tag.SetText("WM/AlbumTitle", "Новый");
    ASSERT_EQ(tag.SaveToFile(path), 0);
    ExpectSameSound(packets, decoded);
    EXPECT_EQ(readback::Python(R"PY(import sys, mutagen
f = mutagen.File(sys.argv[1])
for k in ("Title", "WM/Composer", "WM/BeatsPerMinute", "WM/IsCompilation", "WM/Big", "WM/AlbumTitle"):
    print(k, [str(v) for v in f.tags[k]])
print(len(str(f.tags["WM/Lyrics"][0])))
)PY",
                               path),
              "Title ['Заголовок']\nWM/Composer ['Один', 'Два']\nWM/BeatsPerMinute ['120']\n"
              "WM/IsCompilation ['True']\nWM/Big ['1099511627776']\nWM/AlbumTitle ['Новый']\n70000\n");
}

}  // namespace
