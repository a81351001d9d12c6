// M4A files from ffmpeg (AAC with moov last or first, ALAC, two tracks,
// fragments), tagged by mutagen and AtomicParsley: what they wrote reads the
// same in ours, what we write reads the same in mutagen and AtomicParsley,
// ffmpeg decodes it without a word, and the decoded audio never changes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/files.h"
#include "support/tempdir.h"
#include "tags/facade/tagslibrary.h"
#include "tags/mp4/mp4taglibrary.h"
#include "tags/readback.h"

using namespace tags;
using readback::Must;
using testenv::shellQuote;

namespace {

std::string Mutagen(const std::string& script, const std::string& path) {
    return readback::Python("import sys, mutagen\nfrom mutagen.mp4 import MP4, MP4Cover, MP4FreeForm\n" + script, path);
}

struct Made {
    std::string name, options;
    bool fragmented = false;
};

struct MP4Interop : ::testing::Test {
    testenv::TempDir dir;
    std::string wav = dir.path + "tone.wav";
    std::string png = dir.path + "cover.png", jpeg = dir.path + "cover.jpg";
    void SetUp() override {
        Must("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=2 -ac 2 " + shellQuote(wav));
        Must("ffmpeg -nostdin -v error -y -f lavfi -i color=c=blue:s=32x32 -frames:v 1 " + shellQuote(png));
        Must("ffmpeg -nostdin -v error -y -f lavfi -i color=c=red:s=32x32 -frames:v 1 " + shellQuote(jpeg));
    }
    std::string Encode(const Made& m) {
        std::string path = dir.path + m.name;
        Must("ffmpeg -nostdin -v error -y -i " + shellQuote(wav) + " " + m.options + " -metadata title=Old " +
             shellQuote(path));
        return path;
    }
};

const Made kMade[] = {
    {"aac.m4a", "-c:a aac"},
    {"faststart.m4a", "-c:a aac -movflags +faststart"},
    {"alac.m4a", "-c:a alac"},
    {"two-tracks.m4a", "-filter_complex asplit=2[a][b] -map [a] -map [b] -c:a aac -movflags +faststart"},
    {"fragments.m4a", "-c:a aac -movflags frag_keyframe+empty_moov", true},
};

TEST_F(MP4Interop, ReadsWhatOtherTaggersWrote) {
    const std::string mutagen = Encode(kMade[1]);
    Mutagen(
        "f = MP4(sys.argv[1])\n"
        "f['\\xa9ART'] = ['Первый', 'Second']; f['\\xa9nam'] = 'Песня'; f['trkn'] = [(3, 12)]\n"
        "f['disk'] = [(1, 2)]; f['tmpo'] = [120]; f['cpil'] = True; f['\\xa9gen'] = 'Chamber Pop'\n"
        "f['----:com.apple.iTunes:MOOD'] = [MP4FreeForm(b'calm')]\n"
        "f['covr'] = [MP4Cover(open('" +
            jpeg +
            "', 'rb').read(), MP4Cover.FORMAT_JPEG),\n"
            "             MP4Cover(open('" +
            png +
            "', 'rb').read(), MP4Cover.FORMAT_PNG)]\n"
            "f.save()",
        mutagen);
    TTags tags;
    ASSERT_EQ(tags.LoadFromFile(mutagen), trSuccess);
    std::vector<std::string> artists;
    tags.GetMultipleList("ARTIST", artists);
    EXPECT_EQ(artists, (std::vector<std::string>{"Первый", "Second"}));
    EXPECT_EQ(tags.GetText("TITLE"), "Песня");
    EXPECT_EQ(tags.GetText("TRACKNUMBER"), "3");
    EXPECT_EQ(tags.GetText("TOTALTRACKS"), "12");
    EXPECT_EQ(tags.GetText("DISCNUMBER"), "1");
    EXPECT_EQ(tags.GetText("BPM"), "120");
    EXPECT_EQ(tags.GetText("PARTOFCOMPILATION"), "1");
    EXPECT_EQ(tags.GetText("GENRE"), "Chamber Pop");
    EXPECT_EQ(tags.GetText("MOOD"), "calm");
    ASSERT_EQ(tags.CoverArtCount(), 2);
    EXPECT_EQ(tags.CoverArts[0]->Stream.Bytes(), *common::readFile(jpeg));
    EXPECT_EQ(tags.CoverArts[1]->MIMEType, "image/png");
    EXPECT_EQ(tags.SourceAudioAttributes.SamplesPerSec(), 44100u);
    EXPECT_NEAR(tags.SourceAudioAttributes.PlayTime(), 2.0, 0.05);

    const std::string parsley = Encode(kMade[0]);
    Must("AtomicParsley " + shellQuote(parsley) +
         " --overWrite --artist Ann --title 'Paper Boats' --genre Jazz "
         "--tracknum 2/9 --year 2004 --artwork " +
         shellQuote(png));
    ASSERT_EQ(tags.LoadFromFile(parsley), trSuccess);
    EXPECT_EQ(tags.GetText("ARTIST"), "Ann");
    EXPECT_EQ(tags.GetText("TITLE"), "Paper Boats");
    EXPECT_EQ(tags.GetText("GENRE"), "Jazz");
    EXPECT_EQ(tags.GetText("TRACKNUMBER"), "2");
    EXPECT_EQ(tags.GetText("TOTALTRACKS"), "9");
    EXPECT_EQ(tags.GetText("RELEASEDATE"), "2004");
    ASSERT_EQ(tags.CoverArtCount(), 1);
    EXPECT_EQ(tags.CoverArts[0]->Stream.Bytes(), *common::readFile(png));

    const std::string alac = Encode(kMade[2]);
    ASSERT_EQ(tags.LoadFromFile(alac), trSuccess);
    EXPECT_EQ(tags.GetText("TITLE"), "Old") << "ffmpeg's own tag";
    EXPECT_EQ(tags.SourceAudioAttributes.BitsPerSample(), 16);
    EXPECT_EQ(tags.SourceAudioAttributes.Channels(), 2);
}

TEST_F(MP4Interop, WhatWeWriteReadsTheSameElsewhere) {
    for (const Made& m : kMade) {
        SCOPED_TRACE(m.name);
        const std::string path = Encode(m);
        const std::string audio = readback::AudioOf(path);
        const std::string bytes = *common::readFile(path);
        TTags tags;
        ASSERT_EQ(tags.LoadFromFile(path), trSuccess);
        tags.SetText("ARTIST", "Первый");
        tags.Add("ARTIST")->Value = "Second";
        tags.SetText("TITLE", "Новая песня");
        tags.SetText("TRACKNUMBER", "3/12");
        tags.SetText("GENRE", "Jazz");
        tags.SetText("BPM", "96");
        tags.SetText("Mood", "calm");
        ASSERT_TRUE(tags.AddCoverArt("front", png));
        const int saved = tags.SaveToFile(path, ttAutomatic);
        if (m.fragmented) {
            // moov must grow, and the fragments after it hold file offsets.
            EXPECT_EQ(saved, trTagDoesNotFit);
            EXPECT_TRUE(*common::readFile(path) == bytes) << "a refused save changed the file";
            continue;
        }
        ASSERT_EQ(saved, trSuccess);
        readback::ExpectSaved(path, audio);
        EXPECT_EQ(
            Mutagen("f = MP4(sys.argv[1])\n"
                    "print('|'.join(f['\\xa9ART']), f['\\xa9nam'][0], f['trkn'][0], f['\\xa9gen'][0],"
                    " f['tmpo'][0], bytes(f['----:com.apple.iTunes:Mood'][0]).decode(),"
                    " f['covr'][0].imageformat == MP4Cover.FORMAT_PNG, len(f['covr'][0]))",
                    path),
            "Первый|Second Новая песня (3, 12) Jazz 96 calm True " + std::to_string(common::fileSize(png)) + "\n");
        const std::string parsley = Must("AtomicParsley " + shellQuote(path) + " -t");
        for (const char* seen : {"contains: Первый", "contains: Новая песня", "contains: 3 of 12", "contains: Jazz",
                                 "contains: 96", "1 piece of artwork"})
            EXPECT_NE(parsley.find(seen), std::string::npos) << seen << " in\n" << parsley;

        // The padding written with the first save takes the next change in
        // place: moov is rewritten where it is, and nothing else moves.
        struct stat before {
        }, after{};
        ::stat(path.c_str(), &before);
        tags.SetText("ALBUM", "An album");
        ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
        ::stat(path.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
        readback::ExpectSaved(path, audio);

        ASSERT_EQ(RemoveTag(path, ttMP4), trSuccess);
        readback::ExpectSaved(path, audio);
        ASSERT_EQ(tags.LoadFromFile(path), trSuccess);
        EXPECT_EQ(tags.Count(), 1) << "only the encoder's name stays";
        EXPECT_EQ(tags.GetText("ENCODERTOOL").rfind("Lavf", 0), 0u);
    }
}

}  // namespace
