// The converters of the four built formats, on files made of bytes built
// here: what loads as entries and pictures, and what a save writes back.
#include "tags/facade/tagslibrary.h"

#include "tags/apev2/apev2library.h"
#include "tags/facade/entrylines.h"
#include "tags/flac/flacbytes.h"
#include "tags/flac/flactaglibrary.h"
#include "tags/id3v1/id3v1library.h"
#include "tags/id3v1/tailfixtures.h"
#include "tags/id3v2/id3v2_fixtures.h"
#include "tags/id3v2/id3v2library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/files.h"
#include "support/tempdir.h"

using namespace tags;
using tags::testing::Entries;
using testenv::TempDir;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

const std::string kAudio = id3v2test::Audio(5000);
const std::string kPNG = "\x89PNG\r\n\x1A\n" + std::string(40, 'p');
const std::string kJPEG = "\xFF\xD8\xFF\xE0" + std::string(60, 'j');

std::string Latin(const std::string& text) { return std::string(1, '\0') + text; }

std::string ID3v2_3(std::initializer_list<std::pair<std::string, std::string>> frames, size_t padding = 64) {
    std::string body;
    for (const auto& [id, data] : frames) body += id3v2test::Frame3(id, data);
    return id3v2test::Tag(3, 0, body, padding);
}

std::string FlacFile(std::initializer_list<std::string> fields, const std::string& picture = {}) {
    std::string f = "fLaC" + flactest::Block(0, false, flactest::StreamInfo(44100, 2, 16, 441000));
    f += flactest::Block(4, false, flactest::Comment("test", fields));
    if (!picture.empty()) f += flactest::Block(6, false, picture);
    return f + flactest::Block(1, true, std::string(100, '\0')) + flactest::FakeAudio(4000);
}

// The bytes of a file without its ID3v2 tag and its last 128 bytes.
std::string Middle(const std::string& bytes, size_t tail = 128) {
    size_t head =
        bytes.rfind("ID3", 0) == 0 ? 10 + ((bytes[6] << 21) | (bytes[7] << 14) | (bytes[8] << 7) | bytes[9]) : 0;
    return bytes.substr(head, bytes.size() - head - tail);
}

struct ConverterTest : ::testing::Test {
    TempDir dir;
    TTags tags;
    std::string Load(const std::string& name, const std::string& bytes) {
        std::string path = dir.file(name, bytes);
        EXPECT_EQ(tags.LoadFromFile(path), trSuccess);
        return path;
    }
};

}  // namespace

TEST_F(ConverterTest, ID3v2OutranksID3v1UnlessThePriorityIsChanged) {
    std::string mp3 = ID3v2_3({{"TPE1", Latin("B")}, {"TALB", Latin("Only here")}}) + kAudio +
                      fixtures::ID3v1Block("Title", "A", "", "1999", "", 7, 17);
    std::string path = Load("a.mp3", mp3);
    EXPECT_THAT(Entries(tags),
                ElementsAre("TITLE=Title", "YEAR=1999", "TRACKNUMBER=7", "GENRE=Rock", "ARTIST=B", "ALBUM=Only here"));
    EXPECT_EQ(tags.TypeCount("ARTIST"), 1);

    tags.TagLoadPriority = {ttID3v1, ttFlac, ttOpusVorbis, ttMP4, ttWAV, ttID3v2, ttAPEv2, ttWMA, ttNone};
    ASSERT_EQ(tags.LoadFromFile(path), trSuccess);
    EXPECT_EQ(tags.GetText("ARTIST"), "A");
    EXPECT_EQ(tags.TypeCount("ARTIST"), 1);
    EXPECT_EQ(tags.GetText("ALBUM"), "Only here");
}

TEST_F(ConverterTest, TrackAndDiscNumbersSplitOnLoadAndJoinOnSave) {
    std::string path = Load("a.mp3", ID3v2_3({{"TRCK", Latin("3/12")}, {"TPOS", Latin("1/2")}}) + kAudio);
    EXPECT_THAT(Entries(tags), ElementsAre("TRACKNUMBER=3", "TOTALTRACKS=12", "DISCNUMBER=1", "TOTALDISCS=2"));

    ASSERT_EQ(tags.SaveToFile(path, ttID3v2), trSuccess);
    TID3v2Tag id3;
    ASSERT_EQ(id3.LoadFromFile(path), 0);
    EXPECT_EQ(id3.GetText("TRCK"), "3/12");
    EXPECT_EQ(id3.GetText("TPOS"), "1/2");
    // The totals have no frame of their own, so they also go to TXXX; a
    // load does not show them twice.
    EXPECT_EQ(id3.GetUserDefinedTextInformation("TOTALTRACKS", false), "12");
    TTags again;
    ASSERT_EQ(again.LoadFromFile(path), trSuccess);
    EXPECT_THAT(Entries(again), ElementsAre("TRACKNUMBER=3", "TOTALTRACKS=12", "DISCNUMBER=1", "TOTALDISCS=2"));

    // APEv2 folds the totals into its TRACK and DISCNUMBER items too.
    ASSERT_EQ(tags.SaveToFile(path, ttAPEv2), trSuccess);
    TAPEv2Tag ape;
    ASSERT_EQ(ape.LoadFromFile(path), 0);
    EXPECT_EQ(ape.GetText("TRACK"), "3/12");
    EXPECT_EQ(ape.GetText("DISCNUMBER"), "1/2");
    EXPECT_EQ(ape.FrameExists("TOTALTRACKS"), -1);
    EXPECT_EQ(ape.FrameExists("TRACKNUMBER"), -1);

    // FLAC writes the entries as they are.
    std::string flac = dir.file("b.flac", FlacFile({"TRACKNUMBER=5/9"}));
    TTags f;
    ASSERT_EQ(f.LoadFromFile(flac), trSuccess);
    EXPECT_THAT(Entries(f), ElementsAre("TRACKNUMBER=5", "TOTALTRACKS=9"));
    ASSERT_EQ(f.SaveToFile(flac, ttAutomatic), trSuccess);
    TFlacTag raw;
    ASSERT_EQ(raw.LoadFromFile(flac), 0);
    EXPECT_EQ(raw.GetText("TRACKNUMBER"), "5");
    EXPECT_EQ(raw.GetText("TOTALTRACKS"), "9");
}

TEST_F(ConverterTest, UserDefinedFramesCommentsAndCountersRoundTrip) {
    std::string popm = "me@x" + std::string(1, '\0') + "\xC8" + testenv::be(5, 4);
    std::string path = Load("a.mp3", ID3v2_3({{"TXXX", Latin("REPLAYGAIN_TRACK_GAIN") + '\0' + "-6.5 dB"},
                                              {"WXXX", Latin("shop") + '\0' + "http://shop.example/"},
                                              {"WXXX", Latin("") + '\0' + "http://nameless.example/"},
                                              {"COMM", Latin("eng") + '\0' + "plain"},
                                              {"COMM", Latin("deu") + "iTunNORM" + '\0' + "0000"},
                                              {"TCON", Latin("(17)(6)")},
                                              {"PCNT", testenv::be(42, 4)},
                                              {"POPM", popm},
                                              {"PRIV", "owner" + std::string(1, '\0') + "data"}}) +
                                         kAudio);
    EXPECT_THAT(Entries(tags),
                ElementsAre("REPLAYGAIN_TRACK_GAIN=-6.5 dB", "shop=http://shop.example/", "COMMENT=plain",
                            "COMMENT=0000", "GENRE=Rock Grunge", "PLAYCOUNT=42", "RATING=200"));
    EXPECT_EQ(tags.Tags[0]->ExtTagType, ettTXXX);
    EXPECT_EQ(tags.Tags[0]->Description, "REPLAYGAIN_TRACK_GAIN");
    EXPECT_EQ(tags.Tags[1]->ExtTagType, ettWXXX);
    EXPECT_EQ(tags.Tags[3]->Language, "deu");
    EXPECT_EQ(tags.Tags[3]->Description, "iTunNORM");

    tags.SetText("REPLAYGAIN_TRACK_GAIN", "-7.0 dB");
    tags.SetText("shop", "http://new.example/");
    tags.Add("CUSTOM")->Value = "mine";
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
    TTags again;
    ASSERT_EQ(again.LoadFromFile(path), trSuccess);
    EXPECT_THAT(Entries(again), UnorderedElementsAre("REPLAYGAIN_TRACK_GAIN=-7.0 dB", "shop=http://new.example/",
                                                     "COMMENT=plain", "COMMENT=0000", "GENRE=Rock Grunge",
                                                     "PLAYCOUNT=42", "RATING=200", "RATING=200", "CUSTOM=mine"));
    EXPECT_EQ(again.Tag("CUSTOM")->ExtTagType, ettTXXX);
    // Both comments keep their own language and description.
    TID3v2Tag id3;
    ASSERT_EQ(id3.LoadFromFile(path), 0);
    EXPECT_EQ(id3.FrameTypeCount("COMM"), 2);
    std::string lang, desc;
    EXPECT_EQ(id3.GetContent(id3.FindCommentByDescription("iTunNORM", lang, desc), lang, desc), "0000");
    EXPECT_EQ(lang, "deu");
    EXPECT_EQ(id3.FrameTypeCount("PRIV"), 1) << "frames without entries are kept";
    EXPECT_EQ(id3.FrameTypeCount("WXXX"), 2);
}

TEST_F(ConverterTest, ListFramesBecomeLinesAndGoBackAsPairs) {
    std::string tipl = std::string("\x03") + "producer" + '\0' + "Ann" + '\0' + "mix" + '\0' + "Bo=b";
    std::string body = id3v2test::Frame4("TIPL", tipl) + id3v2test::Frame4("TIT2", "\x03title");
    std::string path = Load("a.mp3", id3v2test::Tag(4, 0, body, 32) + kAudio);
    EXPECT_EQ(tags.GetText("TIPL"), "producer\r\nAnn\r\nmix\r\nBo=b\r\n");

    std::string flac = dir.file("b.flac", FlacFile({"TITLE=x"}));
    ASSERT_EQ(tags.SaveToFile(flac, ttFlac), trSuccess);
    ASSERT_EQ(tags.SaveToFile(path, ttAPEv2), trSuccess);
    ASSERT_EQ(tags.SaveToFile(path, ttID3v2), trSuccess);
    TFlacTag f;
    ASSERT_EQ(f.LoadFromFile(flac), 0);
    std::vector<std::string> list;
    EXPECT_TRUE(f.GetList("TIPL", list));
    EXPECT_THAT(list, ElementsAre("producer=Ann", "mix=Bo=b"));
    TAPEv2Tag ape;
    ASSERT_EQ(ape.LoadFromFile(path), 0);
    TAPEv2List pairs;
    EXPECT_TRUE(ape.GetList("TIPL", pairs));
    EXPECT_EQ(pairs, (TAPEv2List{{"producer", "Ann"}, {"mix", "Bo=b"}}));
    TID3v2Tag id3;
    ASSERT_EQ(id3.LoadFromFile(path), 0);
    EXPECT_TRUE(id3.GetListFrame("TIPL", list));
    EXPECT_THAT(list, ElementsAre("producer=Ann", "mix=Bo=b"));
}

TEST_F(ConverterTest, AYearIsWrittenAsItsFourDigits) {
    std::string path = Load("a.mp3", ID3v2_3({{"TIT2", Latin("t")}}) + kAudio);
    TID3v2Tag id3;
    for (auto [year, written] : {std::pair{"2004-05-01", "2004"}, std::pair{"May 98", ""}}) {
        tags.SetText("YEAR", year);
        ASSERT_EQ(tags.SaveToFile(path, ttID3v2), trSuccess);
        ASSERT_EQ(id3.LoadFromFile(path), 0);
        EXPECT_EQ(id3.GetText("TYER"), written) << year;
    }
}

TEST_F(ConverterTest, DeletedValuesAreNotBroughtBackByASave) {
    std::string mp3 = ID3v2_3({{"TALB", Latin("Album")}, {"TIT2", Latin("Title")}, {"TRCK", Latin("4/10")}}) + kAudio +
                      fixtures::ApeTag({{"Album", "Album"}, {"Track", "4/10"}, {"Artist", "ape"}}) +
                      fixtures::ID3v1Block("Title", "", "Album", "", "", 4);
    std::string path = Load("a.mp3", mp3);
    ASSERT_EQ(tags.GetText("ALBUM"), "Album");
    EXPECT_EQ(tags.SetText("ALBUM", ""), -1);
    EXPECT_EQ(tags.SetText("TRACKNUMBER", ""), -1);
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);

    TTags again;
    ASSERT_EQ(again.LoadFromFile(path), trSuccess);
    // The total was not deleted; without a number it stays a TXXX frame.
    EXPECT_THAT(Entries(again), ElementsAre("ARTIST=ape", "TITLE=Title", "TOTALTRACKS=10"));
    EXPECT_EQ(Middle(testenv::readFile(path)).substr(0, kAudio.size()), kAudio);

    // Every ID3v2 frame gone: the tag itself goes.
    std::string solo = Load("b.mp3", ID3v2_3({{"TIT2", Latin("only")}}) + kAudio);
    tags.SetText("TITLE", "");
    ASSERT_EQ(tags.SaveToFile(solo, ttAutomatic), trSuccess);
    EXPECT_EQ(testenv::readFile(solo), kAudio);
}

TEST_F(ConverterTest, AnAutomaticSaveRewritesEveryFormatOfTheFile) {
    std::string mp3 =
        ID3v2_3({{"TIT2", Latin("old")}}) + kAudio + fixtures::ApeTag({{"Title", "old"}}) + fixtures::ID3v1Block("old");
    std::string path = Load("a.mp3", mp3);
    tags.SetText("TITLE", "new");
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
    TID3v2Tag id3;
    TAPEv2Tag ape;
    TID3v1Tag v1;
    ASSERT_EQ(id3.LoadFromFile(path), 0);
    ASSERT_EQ(ape.LoadFromFile(path), 0);
    ASSERT_EQ(v1.LoadFromFile(path), 0);
    EXPECT_EQ(id3.GetText("TIT2"), "new");
    EXPECT_EQ(ape.GetText("Title"), "new");
    EXPECT_EQ(v1.Title, "new");

    // A WavPack file that was not loaded gets APEv2 by its content.
    std::string wv = dir.file("b.dat", "wvpk" + std::string(28, '\0') + kAudio);
    ASSERT_EQ(tags.SaveToFile(wv, ttAutomatic), trSuccess);
    ASSERT_EQ(ape.LoadFromFile(wv), 0);
    EXPECT_EQ(ape.GetText("TITLE"), "new");
    EXPECT_EQ(id3.LoadFromFile(wv), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);

    // A stream holding a whole MP3 gets ID3v2.
    TMemoryStream stream(kAudio);
    ASSERT_EQ(tags.SaveToStream(stream, true, ttAutomatic), trSuccess);
    ASSERT_EQ(id3.LoadFromStream(stream), 0);
    EXPECT_EQ(id3.GetText("TIT2"), "new");
}

TEST_F(ConverterTest, PicturesGoInAndOutOfEveryFormat) {
    std::string apic = Latin("image/png") + '\0' + "\x04" + "back" + '\0' + kPNG;
    std::string mp3 = Load("a.mp3", ID3v2_3({{"APIC", apic}}) + kAudio);
    ASSERT_EQ(tags.CoverArtCount(), 1);
    const TCoverArt& p = *tags.CoverArts[0];
    EXPECT_EQ(p.Name, "Cover art 1");
    EXPECT_EQ(p.MIMEType, "image/png");
    EXPECT_EQ(p.CoverType, 4u);
    EXPECT_EQ(p.Description, "back");
    EXPECT_EQ(p.PictureFormat, tpfPNG);
    EXPECT_EQ(p.Stream.Bytes(), kPNG);

    std::string flacPicture = flactest::Picture(3, "image/jpeg", "front", kJPEG);
    std::string flac = Load("b.flac", FlacFile({"TITLE=t"}, flacPicture));
    ASSERT_EQ(tags.CoverArtCount(), 1);
    EXPECT_EQ(tags.CoverArts[0]->MIMEType, "image/jpeg");
    EXPECT_EQ(tags.CoverArts[0]->CoverType, 3u);
    EXPECT_EQ(tags.CoverArts[0]->Width, 16u);
    EXPECT_EQ(tags.CoverArts[0]->PictureFormat, tpfJPEG);

    std::string coverItem = std::string("cover.png") + '\0' + kPNG;
    std::string ape = Load("c.ape", kAudio + fixtures::ApeTag({{"Cover Art (Front)", coverItem, 2}, {"Title", "t"}}));
    ASSERT_EQ(tags.CoverArtCount(), 1);
    EXPECT_EQ(tags.CoverArts[0]->Name, "Cover Art (Front)");
    EXPECT_EQ(tags.CoverArts[0]->CoverType, 0u);
    EXPECT_EQ(tags.CoverArts[0]->MIMEType, "image/png");
    EXPECT_EQ(tags.CoverArts[0]->Description, "cover.png");
    EXPECT_EQ(tags.GetText("Cover Art (Front)"), "") << "a binary item is no entry";

    // The same picture written into each format comes back.
    struct Case {
        std::string path;
        TTagType type;
        std::string name, mime;
        uint32_t coverType;
    };
    for (const Case& c :
         {Case{mp3, ttID3v2, "Cover art 1", "image/jpeg", 8}, Case{flac, ttFlac, "Cover art 1", "image/jpeg", 8},
          Case{ape, ttAPEv2, "COVER ART (FRONT)", "image/jpeg", 0}}) {
        TTags t;
        ASSERT_EQ(t.LoadFromFile(c.path), trSuccess);
        t.DeleteAllCoverArts();
        TMemoryStream image(kJPEG);
        TCoverArt* art = t.AddCoverArt("mine", image, "");  // the MIME type comes from the bytes
        art->CoverType = 8;
        art->Description = "artist";
        ASSERT_EQ(t.SaveToFile(c.path, c.type), trSuccess) << c.path;
        ASSERT_EQ(t.LoadFromFile(c.path), trSuccess);
        ASSERT_EQ(t.CoverArtCount(), 1) << c.path;
        EXPECT_EQ(t.CoverArts[0]->Name, c.name);
        EXPECT_EQ(t.CoverArts[0]->MIMEType, c.mime);
        EXPECT_EQ(t.CoverArts[0]->CoverType, c.coverType);
        EXPECT_EQ(t.CoverArts[0]->Description, "artist");
        EXPECT_EQ(t.CoverArts[0]->Stream.Bytes(), kJPEG);
        EXPECT_EQ(t.GetText("TITLE"), c.type == ttID3v2 ? "" : "t");
    }

    // Pictures of a separately loaded object are appended.
    TID3v2Tag id3;
    ASSERT_EQ(id3.LoadFromFile(mp3), 0);
    EXPECT_TRUE(tags.LoadID3v2CoverArts(id3));
    EXPECT_EQ(tags.CoverArtCount(), 2);
    EXPECT_EQ(tags.CoverArts[1]->Name, "Cover art 2");
}

TEST_F(ConverterTest, RemovingEachFormat) {
    std::string mp3 =
        ID3v2_3({{"TIT2", Latin("t")}}) + kAudio + fixtures::ApeTag({{"Title", "t"}}) + fixtures::ID3v1Block("t");
    std::string path = dir.file("a.mp3", mp3);
    EXPECT_EQ(RemoveTag(path, ttAPEv2), trSuccess);
    EXPECT_EQ(testenv::readFile(path), ID3v2_3({{"TIT2", Latin("t")}}) + kAudio + fixtures::ID3v1Block("t"));
    EXPECT_EQ(RemoveTag(path, ttID3v1), trSuccess);
    EXPECT_EQ(RemoveTag(path, ttID3v2), trSuccess);
    EXPECT_EQ(testenv::readFile(path), kAudio);
    EXPECT_EQ(RemoveTag(path, ttMP4), trUnknownError) << "no MP4 unit";

    testenv::writeFile(path, mp3);
    EXPECT_EQ(RemoveTag(path, ttAutomatic), trSuccess);
    EXPECT_EQ(testenv::readFile(path), kAudio);
    EXPECT_EQ(RemoveTag(dir.at("missing.mp3"), ttAutomatic), trFileNotFound);

    std::string flac = dir.file("b.flac", FlacFile({"TITLE=t"}, flactest::Picture(3, "image/png", "", kPNG)));
    EXPECT_EQ(RemoveTag(flac, ttFlac), trSuccess);
    TTags t;
    ASSERT_EQ(t.LoadFromFile(flac), trSuccess);
    EXPECT_THAT(Entries(t), IsEmpty());
    EXPECT_EQ(t.CoverArtCount(), 0);
    EXPECT_EQ(t.SourceAudioAttributes.SampleCount(), 441000);
}
