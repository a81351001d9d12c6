// Ogg Vorbis and Opus files from oggenc, opusenc and ffmpeg: what other
// taggers wrote reads the same in ours, what we write reads the same in
// mutagen, ogginfo and opusinfo take it, and the decoded audio never changes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/files.h"
#include "support/tempdir.h"
#include "tags/facade/tagslibrary.h"
#include "tags/ogg/oggvorbisandopustaglibrary.h"
#include "tags/readback.h"

using namespace tags;
using readback::Must;
using testenv::shellQuote;

namespace {

std::string Mutagen(const std::string& script, const std::string& path) {
    return readback::Python("import sys, base64, mutagen\nfrom mutagen.flac import Picture\n" + script, path);
}

struct OggInterop : ::testing::Test {
    testenv::TempDir dir;
    std::string wav = dir.path + "tone.wav";
    std::string png = dir.path + "cover.png";
    void SetUp() override {
        Must("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=2 -ac 2 " + shellQuote(wav));
        Must("ffmpeg -nostdin -v error -y -f lavfi -i color=c=blue:s=32x32 -frames:v 1 " + shellQuote(png));
    }
    // The same tone from each encoder.
    std::vector<std::string> Encoded() {
        std::vector<std::pair<std::string, std::string>> made = {
            {"oggenc.ogg", "oggenc -Q -o {} " + shellQuote(wav)},
            {"opusenc.opus", "opusenc --quiet " + shellQuote(wav) + " {}"},
            {"ffmpeg.ogg", "ffmpeg -nostdin -v error -y -i " + shellQuote(wav) + " -c:a libvorbis {}"},
            {"ffmpeg.opus", "ffmpeg -nostdin -v error -y -i " + shellQuote(wav) + " -c:a libopus {}"},
        };
        std::vector<std::string> files;
        for (auto& [name, command] : made) {
            std::string path = dir.path + name;
            command.replace(command.find("{}"), 2, shellQuote(path));
            Must(command);
            files.push_back(path);
        }
        return files;
    }
};

TEST_F(OggInterop, ReadsWhatOtherTaggersWrote) {
    for (const std::string& path : Encoded()) {
        SCOPED_TRACE(path);
        Mutagen(
            "f = mutagen.File(sys.argv[1])\n"
            "f['artist'] = ['Первый', 'Second']; f['Title'] = 'Песня'; f['tracknumber'] = '3/12'\n"
            "p = Picture(); p.type = 3; p.mime = 'image/png'; p.desc = 'Обложка'; p.width = 32; p.height = 32\n"
            "p.data = open('" +
                png +
                "', 'rb').read()\n"
                "f['metadata_block_picture'] = [base64.b64encode(p.write()).decode('ascii')]\n"
                "f.save()",
            path);
        TTags tags;
        ASSERT_EQ(tags.LoadFromFile(path), trSuccess);
        std::vector<std::string> artists;
        tags.GetMultipleList("ARTIST", artists);
        EXPECT_EQ(artists, (std::vector<std::string>{"Первый", "Second"}));
        EXPECT_EQ(tags.GetText("TITLE"), "Песня");
        EXPECT_EQ(tags.GetText("TRACKNUMBER"), "3");
        EXPECT_EQ(tags.GetText("TOTALTRACKS"), "12");
        ASSERT_EQ(tags.CoverArtCount(), 1);
        EXPECT_EQ(tags.CoverArts[0]->Stream.Bytes(), *common::readFile(png));
        EXPECT_EQ(tags.CoverArts[0]->Description, "Обложка");
        EXPECT_EQ(tags.CoverArts[0]->Width, 32u);
        EXPECT_EQ(tags.SourceAudioAttributes.Channels(), 2);
    }
    // opusenc's and vorbiscomment's own tagging.
    const std::string opus = dir.path + "tagged.opus";
    Must("opusenc --quiet --artist Ann --title 'Small Hours' --picture " + shellQuote(png) + " " + shellQuote(wav) +
         " " + shellQuote(opus));
    const std::string vorbis = dir.path + "oggenc.ogg";
    Must("vorbiscomment -w -t 'ARTIST=Bob' -t 'GENRE=Jazz' -t 'GENRE=Rock' " + shellQuote(vorbis));
    TTags tags;
    ASSERT_EQ(tags.LoadFromFile(opus), trSuccess);
    EXPECT_EQ(tags.GetText("ARTIST"), "Ann");
    EXPECT_EQ(tags.GetText("TITLE"), "Small Hours");
    ASSERT_EQ(tags.CoverArtCount(), 1);
    EXPECT_EQ(tags.CoverArts[0]->Stream.Bytes(), *common::readFile(png));
    ASSERT_EQ(tags.LoadFromFile(vorbis), trSuccess);
    EXPECT_EQ(tags.GetText("ARTIST"), "Bob");
    EXPECT_EQ(tags.TypeCount("GENRE"), 2);
}

TEST_F(OggInterop, WhatWeWriteReadsTheSameElsewhere) {
    for (const std::string& path : Encoded()) {
        SCOPED_TRACE(path);
        const std::string audio = readback::AudioOf(path);
        TTags tags;
        ASSERT_EQ(tags.LoadFromFile(path), trSuccess);
        tags.SetText("ARTIST", "Первый");
        tags.Add("ARTIST")->Value = "Second";
        tags.SetText("TITLE", "Новая песня");
        tags.SetText("TRACKNUMBER", "3/12");
        ASSERT_TRUE(tags.AddCoverArt("front", png));
        tags.CoverArts[0]->CoverType = 3;
        ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
        readback::ExpectSaved(path, audio);
        EXPECT_EQ(
            Mutagen("f = mutagen.File(sys.argv[1])\n"
                    "print('|'.join(f['artist']), f['title'][0], f['tracknumber'][0])\n"
                    "p = Picture(base64.b64decode(f['metadata_block_picture'][0]))\n"
                    "print(p.type, p.mime, p.desc, len(p.data))",
                    path),
            "Первый|Second Новая песня 3/12\n3 image/png cover.png " + std::to_string(common::fileSize(png)) + "\n");

        // A change that keeps the comment's size patches the pages in place.
        struct stat before {
        }, after{};
        ::stat(path.c_str(), &before);
        tags.SetText("TITLE", "Новая пеcня");  // a Latin "c": one byte less...
        tags.SetText("TRACKNUMBER", "3/123");  // ...and one more
        ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
        ::stat(path.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
        readback::ExpectSaved(path, audio);

        // A picture over several pages renumbers the audio pages.
        const std::string big = dir.path + "big.png";
        // Noise does not compress: about 56 KB, 75 KB in base64.
        Must("ffmpeg -nostdin -v error -y -f lavfi -i 'nullsrc=s=200x200,geq=random(1)*255:128:128' -frames:v 1 " +
             shellQuote(big));
        ASSERT_TRUE(tags.AddCoverArt("back", big));
        ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
        readback::ExpectSaved(path, audio);
        EXPECT_EQ(Mutagen("print(len(mutagen.File(sys.argv[1])['metadata_block_picture']))", path), "2\n");

        ASSERT_EQ(RemoveTag(path, ttOpusVorbis), trSuccess);
        readback::ExpectSaved(path, audio);
        ASSERT_EQ(tags.LoadFromFile(path), trSuccess);
        EXPECT_EQ(tags.Count(), tags.Exists("ENCODER") >= 0 ? 1 : 0) << "only the encoder's name stays";
        EXPECT_EQ(tags.CoverArtCount(), 0);
    }
}

}  // namespace
