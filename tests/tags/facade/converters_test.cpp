// The converters of the four built formats, on files made of bytes built
// here: what loads as entries and pictures, and what a save writes back.
#include "tags/facade/tagslibrary.h"

#include "common/text.h"
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
#include <algorithm>

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

    // Untouched, the frames stay as they are.
    ASSERT_EQ(tags.SaveToFile(path, ttID3v2), trSuccess);
    TID3v2Tag id3;
    ASSERT_EQ(id3.LoadFromFile(path), 0);
    EXPECT_EQ(id3.GetText("TRCK"), "3/12");
    EXPECT_EQ(id3.FrameExists(std::string_view("TXXX")), -1);

    tags.SetText("TRACKNUMBER", "4");
    ASSERT_EQ(tags.SaveToFile(path, ttID3v2), trSuccess);
    ASSERT_EQ(id3.LoadFromFile(path), 0);
    EXPECT_EQ(id3.GetText("TRCK"), "4/12");
    EXPECT_EQ(id3.GetText("TPOS"), "1/2");
    // A total written has no frame of its own, so it also goes to TXXX; a
    // load does not show it twice.
    EXPECT_EQ(id3.GetUserDefinedTextInformation("TOTALTRACKS", false), "12");
    TTags again;
    ASSERT_EQ(again.LoadFromFile(path), trSuccess);
    EXPECT_THAT(Entries(again),
                UnorderedElementsAre("TRACKNUMBER=4", "TOTALTRACKS=12", "DISCNUMBER=1", "TOTALDISCS=2"));

    // APEv2 folds the totals into its TRACK and DISCNUMBER items too.
    ASSERT_EQ(tags.SaveToFile(path, ttAPEv2), trSuccess);
    TAPEv2Tag ape;
    ASSERT_EQ(ape.LoadFromFile(path), 0);
    EXPECT_EQ(ape.GetText("TRACK"), "4/12");
    EXPECT_EQ(ape.GetText("DISCNUMBER"), "1/2");
    EXPECT_EQ(ape.FrameExists("TOTALTRACKS"), -1);
    EXPECT_EQ(ape.FrameExists("TRACKNUMBER"), -1);

    // FLAC keeps an untouched "5/9" and writes changed entries as they are.
    std::string flac = dir.file("b.flac", FlacFile({"TRACKNUMBER=5/9"}));
    TTags f;
    ASSERT_EQ(f.LoadFromFile(flac), trSuccess);
    EXPECT_THAT(Entries(f), ElementsAre("TRACKNUMBER=5", "TOTALTRACKS=9"));
    TFlacTag raw;
    for (const char* number : {"5", "6"}) {
        f.SetText("TRACKNUMBER", number);
        ASSERT_EQ(f.SaveToFile(flac, ttAutomatic), trSuccess);
        ASSERT_EQ(raw.LoadFromFile(flac), 0);
        EXPECT_EQ(raw.GetText("TRACKNUMBER"), number == std::string("5") ? "5/9" : "6");
        EXPECT_EQ(raw.GetText("TOTALTRACKS"), number == std::string("5") ? "" : "9");
    }
}

TEST_F(ConverterTest, ANumberThatHoldsItsTotalIsNotJoinedAgain) {
    // Each file holds track 1 of 12; the user types "3/n" into the number,
    // which then outranks the total entry.
    struct Case {
        const char* name;
        std::string bytes;
        TTagType type;
        const char* item;  // where the format keeps the number
    };
    const Case cases[] = {
        {"a.mp3", ID3v2_3({{"TRCK", Latin("1/12")}}) + kAudio, ttID3v2, "TRCK"},
        {"b.ape", kAudio + fixtures::ApeTag({{"Track", "1/12"}}), ttAPEv2, "TRACK"},
        {"c.flac", FlacFile({"TRACKNUMBER=1", "TOTALTRACKS=12"}), ttFlac, "TRACKNUMBER"},
    };
    for (const Case& c : cases) {
        for (std::string held : {"3/12", "3/15"}) {
            SCOPED_TRACE(std::string(c.name) + " " + held);
            std::string path = Load(c.name, c.bytes);
            ASSERT_THAT(Entries(tags), ElementsAre("TRACKNUMBER=1", "TOTALTRACKS=12"));
            tags.SetText("TRACKNUMBER", held);
            ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
            ASSERT_EQ(tags.LoadFromFile(path), trSuccess);
            std::vector<std::string> native;
            for (const TNativeItem& i : tags.FormatTag(c.type)->NativeItems()) native.push_back(i.Id + "=" + i.Value);
            EXPECT_THAT(native, ElementsAre(c.item + ("=" + held)));
            EXPECT_THAT(Entries(tags), ElementsAre("TRACKNUMBER=3", "TOTALTRACKS=" + held.substr(2)));
        }
    }
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
    EXPECT_THAT(Entries(again),
                UnorderedElementsAre("REPLAYGAIN_TRACK_GAIN=-7.0 dB", "shop=http://new.example/", "COMMENT=plain",
                                     "COMMENT=0000", "GENRE=Rock Grunge", "PLAYCOUNT=42", "RATING=200", "CUSTOM=mine"));
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
    EXPECT_THAT(Entries(again), UnorderedElementsAre("ARTIST=ape", "TITLE=Title", "TOTALTRACKS=10"));
    EXPECT_EQ(Middle(testenv::readFile(path)).substr(0, kAudio.size()), kAudio);

    // Every ID3v2 frame gone: the tag itself goes.
    std::string solo = Load("b.mp3", ID3v2_3({{"TIT2", Latin("only")}}) + kAudio);
    tags.SetText("TITLE", "");
    ASSERT_EQ(tags.SaveToFile(solo, ttAutomatic), trSuccess);
    EXPECT_EQ(testenv::readFile(solo), kAudio);
}

TEST_F(ConverterTest, ADeletedFieldIsGoneFromEveryFormat) {
    // Each format holds the field with a value of its own.
    const std::string txxx = Latin("MOOD") + '\0' + "calm";
    const std::string total = Latin("TOTALTRACKS") + '\0' + "12";
    const std::string mp3 =
        ID3v2_3({{"TALB", Latin("One")}, {"TXXX", txxx}, {"TRCK", Latin("3/12")}, {"TXXX", total}}) + kAudio +
        fixtures::ApeTag({{"Album", "Two"}, {"Mood", "angry"}, {"Track", "3/13"}}) +
        fixtures::ID3v1Block("", "", "Three", "", "", 3);
    const std::string flac = ID3v2_3({{"TALB", Latin("Two")}, {"TXXX", txxx}}) +
                             FlacFile({"ALBUM=One", "MOOD=sad", "TRACKNUMBER=3/12", "TOTALTRACKS=12"});
    struct Case {
        const char* file;
        const std::string& bytes;
        std::vector<TTagType> formats;
    };
    const Case cases[] = {{"a.mp3", mp3, {ttID3v2, ttAPEv2, ttID3v1}}, {"b.flac", flac, {ttFlac, ttID3v2}}};
    for (const Case& c : cases) {
        for (const char* name : {"ALBUM", "MOOD", "TOTALTRACKS", "TRACKNUMBER"}) {
            SCOPED_TRACE(std::string(c.file) + " " + name);
            std::string path = Load(c.file, c.bytes);
            ASSERT_GE(tags.Exists(name), 0);
            EXPECT_EQ(tags.SetText(name, ""), -1);
            ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
            // Every format on its own.
            for (TTagType type : c.formats) {
                TTags alone;
                alone.TagLoadPriority = {type, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone};
                ASSERT_EQ(alone.LoadFromFile(path), trSuccess);
                EXPECT_TRUE(alone.FormatTag(type)->Loaded()) << type;
                EXPECT_EQ(alone.Exists(name), -1) << type << " still holds it";
            }
        }
    }
}

TEST_F(ConverterTest, UntouchedFieldsAreWrittenBackByteForByte) {
    // A control character, a value that is not UTF-8, and a number holding
    // its total, all shown differently from how they are stored.
    const std::string picture = flactest::Picture(4, "image/png", "back", kPNG);
    std::string path =
        Load("a.flac", FlacFile({"TITLE=tab\there", "ARTIST=caf\xE9", "TRACKNUMBER=3/12", "ALBUM=old"}, picture));
    ASSERT_EQ(tags.GetText("TITLE"), "tab here");
    tags.SetText("ALBUM", "new");
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
    TFlacTag flac;
    ASSERT_EQ(flac.LoadFromFile(path), 0);
    std::vector<std::string> fields;
    for (const auto& c : flac.Tags) fields.push_back(c->Name + "=" + c->Stream.Bytes());
    EXPECT_THAT(fields, ElementsAre("TITLE=tab\there", "ARTIST=caf\xE9", "TRACKNUMBER=3/12", "ALBUM=new"));
    ASSERT_EQ(flac.CoverArtCount(), 1);
    EXPECT_EQ(flac.MetaBlocksCoverArts[0].Data.Bytes(), picture);

    // Blanks around a value, legacy text, and a back cover named as such.
    const std::string back = std::string("b.png") + '\0' + kPNG;
    path = Load("b.ape", kAudio + fixtures::ApeTag({{"Title", "  padded  "},
                                                    {"Artist", "caf\xE9"},
                                                    {"Cover Art (Back)", back, 2},
                                                    {"Track", "3/12"},
                                                    {"Album", "old"}}));
    ASSERT_EQ(tags.GetText("TITLE"), "padded");
    tags.SetText("ALBUM", "new");
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
    TAPEv2Tag ape;
    ASSERT_EQ(ape.LoadFromFile(path), 0);
    std::vector<std::string> items;
    for (const auto& f : ape.Frames) items.push_back(f->Name + "=" + f->Value());
    EXPECT_THAT(items, ElementsAre("TITLE=  padded  ", "ARTIST=caf\xE9", "COVER ART (BACK)=" + back, "TRACK=3/12",
                                   "ALBUM=new"));

    // Two values in one Latin-1 frame, a genre reference, a total in TXXX.
    const std::string artists = Latin("One") + '\0' + "Two";
    const std::string total = Latin("TOTALTRACKS") + '\0' + "12";
    path = Load("c.mp3", ID3v2_3({{"TPE1", artists},
                                  {"TCON", Latin("(17)")},
                                  {"TRCK", Latin("3/12")},
                                  {"TXXX", total},
                                  {"TALB", Latin("old")}}) +
                             kAudio);
    ASSERT_EQ(tags.GetText("ARTIST"), "One\r\nTwo");
    tags.SetText("ALBUM", "new");
    ASSERT_EQ(tags.SaveToFile(path, ttAutomatic), trSuccess);
    TID3v2Tag id3;
    ASSERT_EQ(id3.LoadFromFile(path), 0);
    std::vector<std::string> frames;
    for (const auto& f : id3.Frames) frames.push_back(f->IDString() + "=" + f->Data());
    EXPECT_THAT(frames, ElementsAre("TPE1=" + artists, "TCON=" + Latin("(17)"), "TRCK=" + Latin("3/12"),
                                    "TXXX=" + total, ::testing::StartsWith("TALB=")));
    EXPECT_EQ(id3.GetText("TALB"), "new");
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

// A save after a load that skipped pictures or text loads what it skipped
// from the file first: the file ends up as a full load, the same edit and a
// save would leave it, in every format.
TEST_F(ConverterTest, ASaveAfterAPartialLoadKeepsWhatWasNotLoaded) {
    const std::string apic = Latin("image/png") + '\0' + "\x04" + "back" + '\0' + kPNG;
    const std::string cover = std::string("c.jpg") + '\0' + kJPEG;
    const std::string mp3 = ID3v2_3({{"TIT2", Latin("Old")}, {"TPE1", Latin("Artist")}, {"APIC", apic}}) + kAudio +
                            fixtures::ApeTag({{"Album", "Album"}, {"Cover Art (Front)", cover, 2}}) +
                            fixtures::ID3v1Block("Old", "Artist", "Album", "1999", "v1", 4);
    const std::string flac =
        FlacFile({"TITLE=Old", "ARTIST=Artist", "ALBUM=Album"}, flactest::Picture(3, "image/jpeg", "f", kJPEG));
    const std::string ape =
        kAudio + fixtures::ApeTag({{"Title", "Old"}, {"Artist", "Artist"}, {"Cover Art (Front)", cover, 2}}) +
        fixtures::ID3v1Block("Old", "Artist", "", "", "", 2);
    // Entries (names in upper case, sorted) and pictures of each format alone.
    auto seen = [](const std::string& path) {
        std::vector<std::string> out;
        for (TTagType type : {ttID3v2, ttAPEv2, ttID3v1, ttFlac}) {
            TTags alone;
            alone.TagLoadPriority = {type, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone, ttNone};
            EXPECT_EQ(alone.LoadFromFile(path), trSuccess);
            std::vector<std::string> format;
            for (const auto& e : alone.Tags) format.push_back(common::toUpper(e->Name) + "=" + e->Value);
            for (const auto& c : alone.CoverArts) format.push_back("picture " + c->Stream.Bytes());
            std::sort(format.begin(), format.end());
            out.push_back(std::to_string(type) + ": " + ::testing::PrintToString(format));
        }
        return out;
    };
    auto edit = [](TTags& t) { t.SetText("TITLE", "New"); };
    struct Flags {
        bool parseCoverArts, onlyParseCoverArts;
    };
    for (const auto& [name, bytes] : {std::pair{"a.mp3", mp3}, std::pair{"b.flac", flac}, std::pair{"c.ape", ape}}) {
        std::string expected = dir.file(std::string("full-") + name, bytes);
        TTags full;
        ASSERT_EQ(full.LoadFromFile(expected), trSuccess);
        ASSERT_GT(full.CoverArtCount(), 0);
        edit(full);
        ASSERT_EQ(full.SaveToFile(expected, ttAutomatic), trSuccess);
        for (Flags f : {Flags{false, false}, Flags{true, true}, Flags{false, true}}) {
            SCOPED_TRACE(std::string(name) + (f.parseCoverArts ? "" : " without pictures") +
                         (f.onlyParseCoverArts ? " pictures only" : ""));
            std::string path = dir.file(name, bytes);
            TTags partial;
            partial.ParseCoverArts = f.parseCoverArts;
            partial.OnlyParseCoverArts = f.onlyParseCoverArts;
            ASSERT_EQ(partial.LoadFromFile(path), trSuccess);
            edit(partial);
            EXPECT_EQ(partial.SaveToFile(path, ttAutomatic), trSuccess);
            EXPECT_EQ(seen(path), seen(expected));
        }
    }

    // Loaded from a stream, there is no file to load the rest from: the
    // save is refused and the stream left as it was.
    TMemoryStream stream(mp3);
    TTags partial;
    partial.ParseCoverArts = false;
    ASSERT_EQ(partial.LoadFromStream(stream, false), trSuccess);
    edit(partial);
    EXPECT_EQ(partial.SaveToStream(stream, false, ttAutomatic), trErrorReadingFile);
    EXPECT_EQ(partial.SaveID3v2Tag({}, &stream), ID3V2LIBRARY_ERROR_READING_FILE);
    EXPECT_EQ(stream.Bytes(), mp3);
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
    // What is left: STREAMINFO, an empty comment and a padding block of 0 bytes.
    std::string left = testenv::readFile(flac);
    std::string comment = flactest::Comment("reference libFLAC 1.1.0 20030126", {});
    EXPECT_EQ(left.size(), 4 + 38 + 4 + comment.size() + 4 + flactest::FakeAudio(4000).size());
    EXPECT_EQ(left.substr(4 + 38 + 4 + comment.size(), 4), flactest::Block(1, true, ""));
    TTags t;
    ASSERT_EQ(t.LoadFromFile(flac), trSuccess);
    EXPECT_THAT(Entries(t), IsEmpty());
    EXPECT_EQ(t.CoverArtCount(), 0);
    EXPECT_EQ(t.SourceAudioAttributes.SampleCount(), 441000);
}
