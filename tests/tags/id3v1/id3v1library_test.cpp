#include "tags/id3v1/id3v1library.h"

#include "common/text.h"
#include "tags/id3v1/tailfixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/disk.h"
#include "support/files.h"
#include "support/tempdir.h"

using namespace tags;
using namespace fixtures;
using namespace testenv;

namespace {

struct LegacyPage {
    explicit LegacyPage(int page) : old(common::legacyCodePage()) { common::setLegacyCodePage(page); }
    ~LegacyPage() { common::setLegacyCodePage(old); }
    int old;
};

// Tags own their lyrics fields, which point back at them, so they stay put.
std::unique_ptr<TID3v1Tag> Loaded(const std::string& bytes) {
    auto tag = std::make_unique<TID3v1Tag>();
    TMemoryStream stream(bytes);
    EXPECT_EQ(tag->LoadFromStream(stream), ID3V1_SUCCESS);
    return tag;
}

std::string Saved(TID3v1Tag& tag, std::string bytes, bool withLyrics) {
    TMemoryStream stream(std::move(bytes));
    EXPECT_EQ(tag.SaveToStream(stream, withLyrics), ID3V1_SUCCESS);
    return stream.Bytes();
}

}  // namespace

TEST(ID3v1Load, ReadsBothLayouts) {
    const std::string audio = Audio(1000);
    {
        TID3v1Tag tag;
        TMemoryStream s(audio + ID3v1Block(" Title\t", "Artist  ", "Album", "1999", "Comment", 7, 17));
        ASSERT_EQ(tag.LoadFromStream(s), ID3V1_SUCCESS);
        EXPECT_TRUE(tag.Loaded);
        EXPECT_EQ(tag.Title, "Title");
        EXPECT_EQ(tag.Artist, "Artist");
        EXPECT_EQ(tag.Album, "Album");
        EXPECT_EQ(tag.Year, "1999");
        EXPECT_EQ(tag.Comment, "Comment");
        EXPECT_TRUE(tag.Revision1);
        EXPECT_EQ(tag.Track, 7);
        EXPECT_EQ(tag.TrackString, "7");
        EXPECT_EQ(tag.Genre, "Rock");
        EXPECT_EQ(tag.FileSize(), 1128);
        EXPECT_EQ(tag.LyricsTagSize(), 0u);
    }
    {
        // A 30-byte comment fills the track bytes: original layout, no track.
        std::string comment(30, 'c');
        auto loadedTag = Loaded(ID3v1Block("T", "", "", "", comment));
        TID3v1Tag& tag = *loadedTag;
        EXPECT_EQ(tag.Comment, comment);
        EXPECT_FALSE(tag.Revision1);
        EXPECT_EQ(tag.Track, 0);
        EXPECT_EQ(tag.TrackString, "");
    }
    // A zero track byte behind a zero still marks the revision-1 layout.
    EXPECT_TRUE(Loaded(ID3v1Block("T", "", "", "", "c", 0))->Revision1);

    TID3v1Tag tag;
    TMemoryStream none(audio);
    EXPECT_EQ(tag.LoadFromStream(none), ID3V1_ERROR);
    EXPECT_FALSE(tag.Loaded);
    std::string block = ID3v1Block("Mem");
    EXPECT_EQ(tag.LoadFromMemory(block.data()), ID3V1_SUCCESS);
    EXPECT_EQ(tag.Title, "Mem");
    EXPECT_EQ(tag.LoadFromMemory(nullptr), ID3V1_ERROR);
}

TEST(ID3v1Genre, NumbersAndNames) {
    struct Case {
        uint8_t number;
        const char* text;
        const char* asOther;
    } cases[] = {{0, "Blues", "Blues"}, {17, "Rock", "Rock"},  {191, "Psybient", "Psybient"},
                 {192, "192", "Other"}, {200, "200", "Other"}, {255, "", "Other"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.number));
        std::string block = ID3v1Block("T", "", "", "", "", 1, c.number);
        EXPECT_EQ(Loaded(block)->Genre, c.text);
        TID3v1Tag other;
        other.TreatUnknownGenresAsOther = true;
        TMemoryStream s(block);
        other.LoadFromStream(s);
        EXPECT_EQ(other.Genre, c.asOther);
    }

    struct Name {
        const char* text;
        int number;
    } names[] = {{"Rock", 17}, {"rock", 12}, {"Psychadelic", 67}, {"Psybient", 191}, {"200", 200},
                 {"300", 44},  {"", 255},    {"  ", 255},         {"Nothing", 12}};
    for (const auto& n : names) {
        SCOPED_TRACE(n.text);
        TID3v1Tag tag;
        tag.Genre = n.text;
        EXPECT_EQ(static_cast<unsigned char>(Saved(tag, "", false)[127]), n.number);
    }
}

TEST(ID3v1Text, LegacyCodePageAndByteModes) {
    LegacyPage cyrillic(1251);
    const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in 1251
    std::string block = ID3v1Block(privet, "  padded  ");
    EXPECT_EQ(Loaded(block)->Title, "Привет");
    {
        TID3v1Tag raw;
        raw.ReturnANSIText = false;
        raw.TrimText = false;
        TMemoryStream s(block);
        raw.LoadFromStream(s);
        EXPECT_EQ(raw.Title, common::latin1ToUtf8(privet));
        EXPECT_EQ(raw.Artist, "  padded  ");
    }

    TID3v1Tag tag;
    tag.Title = "Привет";
    EXPECT_EQ(Saved(tag, "", false).substr(3, 7), privet + '\0');
    tag.SetANSIText = false;  // low byte of each UTF-16 unit: U+041F gives 0x1F
    EXPECT_EQ(Saved(tag, "", false).substr(3, 2), "\x1F\x40");
}

TEST(ID3v1Save, FieldWidthsAndTrackByte) {
    struct Case {
        size_t commentLength;
        bool revision1;
    } cases[] = {{28, true}, {29, false}, {30, false}, {40, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commentLength);
        TID3v1Tag tag;
        tag.Title = std::string(35, 't');
        tag.Year = "199999";
        tag.Comment = std::string(c.commentLength, 'c');
        tag.Track = 9;
        std::string bytes = Saved(tag, Audio(50), false);
        ASSERT_EQ(bytes.size(), 50u + 128);
        auto loadedBack = Loaded(bytes);
        TID3v1Tag& back = *loadedBack;
        EXPECT_EQ(back.Title, std::string(30, 't'));
        EXPECT_EQ(back.Year, "1999");
        EXPECT_EQ(back.Comment, std::string(std::min<size_t>(c.commentLength, c.revision1 ? 28 : 30), 'c'));
        EXPECT_EQ(back.Revision1, c.revision1);
        EXPECT_EQ(back.Track, c.revision1 ? 9 : 0);
    }
}

TEST(ID3v1SaveToFile, OverwritesAppendsOrCreates) {
    TempDir dir;
    const std::string audio = Audio(4000);
    std::string tagged = dir.file("tagged.mp3", audio + ID3v1Block("Old", "", "", "", "", 1, 0));
    std::string bare = dir.file("bare.mp3", audio);
    std::string fresh = dir.at("new.mp3");

    TID3v1Tag tag;
    tag.Title = "New";
    tag.Track = 3;
    tag.Genre = "Jazz";
    std::string expected = ID3v1Block("New", "", "", "", "", 3, 8);
    for (const auto& path : {tagged, bare, fresh}) {
        SCOPED_TRACE(path);
        ASSERT_EQ(tag.SaveToFile(path, false), ID3V1_SUCCESS);
        EXPECT_EQ(tag.SourceFileName, path);
        EXPECT_EQ(readFile(path), (path == fresh ? "" : audio) + expected);
    }
}

TEST(Lyrics3, LoadsFlagsAndExtendedFieldsAndWritesThemBack) {
    const std::string audio = Audio(300);
    const std::string longTitle = "A title longer than thirty bytes can hold";
    Fields fields = {{"IND", "110"}, {"LYR", "[00:01]la la"}, {"ETT", longTitle}, {"XYZ", "kept as is"}};
    std::string lyrics = Lyrics3Block(fields);
    auto loadedTag = Loaded(audio + lyrics + ID3v1Block(longTitle.substr(0, 30), "Artist"));
    TID3v1Tag& tag = *loadedTag;

    EXPECT_EQ(tag.Title, longTitle);
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_TRUE(tag.LyricsHasTimeStamp);
    EXPECT_FALSE(tag.InhibitTracksForRandomSelection);
    EXPECT_EQ(tag.GetLyrics(), "[00:01]la la");
    EXPECT_EQ(tag.LyricsTagSize(), lyrics.size());
    ASSERT_EQ(tag.LyricsFrames.size(), 4u);
    EXPECT_EQ(tag.LyricsFrames[3]->ID, "XYZ");
    EXPECT_EQ(tag.LyricsFrames[3]->Index(), 3);

    // The title is cut to 30 bytes in ID3v1 and kept whole in "ETT"; the
    // empty genre stays empty (255) and the comment leaves room for track 0.
    std::string expectedId3 = ID3v1Block(longTitle.substr(0, 30), "Artist", "", "", "", 0, 255);
    std::string original = audio + lyrics + ID3v1Block(longTitle.substr(0, 30), "Artist");
    EXPECT_EQ(Saved(tag, original, true), audio + lyrics + expectedId3);
    // Without WriteLyricsTag the block stays untouched even after edits.
    tag.SetLyrics("changed");
    EXPECT_EQ(Saved(tag, original, false), audio + lyrics + expectedId3);

    tag.InhibitTracksForRandomSelection = true;
    tag.SetLyrics("");
    tag.Title = "Short";
    Fields rewritten = {{"IND", "011"}, {"ETT", "Short"}, {"XYZ", "kept as is"}};
    std::string id3 = ID3v1Block("Short", "Artist", "", "", "", 0);
    EXPECT_EQ(Saved(tag, original, true), audio + Lyrics3Block(rewritten) + id3);
}

TEST(Lyrics3, TextSurvivesRepeatedSaves) {
    TID3v1Tag tag;
    tag.Title = "x";
    tag.SetLyrics("Ça va ♪");
    tag.SetLyricsFrame("EAR", "placeholder");  // written from Artist, in full Unicode
    tag.Artist = "Sigur Rós ♪";
    std::string bytes = Saved(tag, Audio(10), true);
    for (int round = 0; round < 2; ++round) {
        auto loadedBack = Loaded(bytes);
        TID3v1Tag& back = *loadedBack;
        EXPECT_EQ(back.GetLyrics(), "Ça va ♪");
        EXPECT_EQ(back.Artist, "Sigur Rós ♪");
        bytes = Saved(back, bytes, true);
    }
    // Blocks from writers that used Latin-1 read as Latin-1.
    auto loadedLatin = Loaded(Lyrics3Block({{"LYR", "\xE9t\xE9"}}) + ID3v1Block("x"));
    TID3v1Tag& latin = *loadedLatin;
    EXPECT_EQ(latin.GetLyrics(), "été");
}

TEST(Lyrics3, DamagedBlockLeavesID3v1Readable) {
    const std::string good = Lyrics3Block({{"LYR", "words"}});
    const std::string id3 = ID3v1Block("Title");
    struct Case {
        const char* name;
        std::string block;
    } cases[] = {
        {"size digits not a number", "LYRICSBEGINLYR00005words00002xLYRICS200"},
        {"field size not a number", "LYRICSBEGINLYR0000xwords000024LYRICS200"},
        {"field runs past the block", "LYRICSBEGINLYR00099words000024LYRICS200"},
        {"partial field header", "LYRICSBEGINLYR000016LYRICS200"},
        {"begin marker missing", "LYRICSBEGONLYR00005words000024LYRICS200"},
        {"size beyond the file", "LYRICSBEGINLYR00005words999999LYRICS200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto loadedTag = Loaded(Audio(20) + c.block + id3);
        TID3v1Tag& tag = *loadedTag;
        EXPECT_EQ(tag.Title, "Title");
        EXPECT_TRUE(tag.LyricsFrames.empty());
        EXPECT_EQ(tag.LyricsTagSize(), 0u);
    }
    EXPECT_EQ(Loaded(Audio(20) + good + id3)->GetLyrics(), "words");
}

TEST(Lyrics3, OversizedFieldIsRefusedBeforeTouchingTheFile) {
    TempDir dir;
    const std::string original = Audio(100) + ID3v1Block("Old");
    std::string path = dir.file("a.mp3", original);
    TID3v1Tag tag;
    tag.Title = "New";
    tag.SetLyrics(std::string(100000, 'l'));
    EXPECT_EQ(tag.SaveToFile(path, true), ID3V1_ERROR_WRITING_FILE);
    EXPECT_EQ(readFile(path), original);
    TMemoryStream s(original);
    EXPECT_EQ(tag.LyricsTagSaveToStream(s), ID3V1_ERROR);
    EXPECT_EQ(s.Bytes(), original);

    tag.SetLyrics(std::string(99999, 'l'));
    ASSERT_EQ(tag.SaveToFile(path, true), ID3V1_SUCCESS);
    TID3v1Tag back;
    ASSERT_EQ(back.LoadFromFile(path), ID3V1_SUCCESS);
    EXPECT_EQ(back.GetLyrics().size(), 99999u);
}

TEST(ID3v1Remove, CutsTagAndLyricsTogether) {
    const std::string audio = Audio(500);
    const std::string id3 = ID3v1Block("T");
    const std::string lyrics = Lyrics3Block({{"LYR", "words"}});
    // "LYRICS200" without a begin marker is not a block: only the tag goes.
    const std::string fake = "junkLYRICS200";
    struct Case {
        const char* name;
        std::string before, after;
        int result;
    } cases[] = {
        {"tag", audio + id3, audio, ID3V1_SUCCESS},
        {"lyrics and tag", audio + lyrics + id3, audio, ID3V1_SUCCESS},
        {"broken lyrics", audio + fake + id3, audio + fake, ID3V1_SUCCESS},
        {"no tag", audio + lyrics, audio + lyrics, ID3V1_ERROR},
        {"shorter than a tag", id3.substr(0, 100), id3.substr(0, 100), ID3V1_ERROR},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryStream s(c.before);
        EXPECT_EQ(RemoveID3v1TagFromStream(s), c.result);
        EXPECT_EQ(s.Bytes(), c.after);
        std::string path = dir.file("f.mp3", c.before);
        EXPECT_EQ(RemoveID3v1TagFromFile(path, false), c.result);
        EXPECT_EQ(readFile(path), c.after);
    }
    EXPECT_EQ(RemoveID3v1TagFromFile(dir.at("missing.mp3"), false), ID3V1_ERROR);
    EXPECT_FALSE(std::filesystem::exists(dir.at("missing.mp3")));
}

TEST(ID3v1File, FailuresLeaveTheFileAsItWas) {
    TempDir dir;
    const std::string original = Audio(20000) + ID3v1Block("Old");
    TID3v1Tag tag;
    tag.Title = "New";
    tag.SetLyrics("words");
    EXPECT_EQ(tag.LoadFromFile(dir.at("missing.mp3")), ID3V1_ERROR_OPENING_FILE);

    std::string readOnly = dir.file("ro.mp3", original);
    ReadOnly noWrites(readOnly);
    EXPECT_EQ(tag.SaveToFile(readOnly, true), ID3V1_ERROR_FILE_READONLY);
    EXPECT_EQ(RemoveID3v1TagFromFile(readOnly, false), ID3V1_ERROR_FILE_READONLY);
    EXPECT_EQ(readFile(readOnly), original);

    // Growing the file goes through a temporary copy; a full disk stops it
    // before the original is replaced.
    std::string path = dir.file("a.mp3", original);
    {
        FullDisk limit(original.size() + 10);
        EXPECT_EQ(tag.SaveToFile(path, true), ID3V1_ERROR_WRITING_FILE);
    }
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(dir.entries().size(), 2u);  // no temporary file left behind
    EXPECT_TRUE(tag.SourceFileName.empty());
}

TEST(ID3v1File, PreservesModificationTimeWhenAsked) {
    TempDir dir;
    for (bool growing : {false, true}) {
        SCOPED_TRACE(growing);
        std::string path = dir.file("a.mp3", Audio(100) + ID3v1Block("Old"));
        setModificationTime(path, 1000000000);
        TID3v1Tag tag;
        tag.PreserveFileDateTime = true;
        tag.Title = "New";
        ASSERT_EQ(tag.SaveToFile(path, growing), ID3V1_SUCCESS);
        EXPECT_EQ(modificationTime(path), 1000000000);
    }
}

TEST(ID3LyricsFrames, ListOperationsAndAssign) {
    TID3v1Tag tag;
    tag.AddLyricsFrame("AUT")->Data = "a";
    tag.SetLyricsFrame("INF", "i");
    tag.SetLyricsFrame("AUT", "b");
    ASSERT_EQ(tag.LyricsFrames.size(), 2u);
    EXPECT_EQ(tag.FindLyricsFrame("AUT")->Data, "b");
    EXPECT_EQ(tag.FindLyricsFrame("aut"), nullptr);
    EXPECT_EQ(tag.FindLyricsFrame("INF")->Index(), 1);

    tag.SetLyrics("first");
    tag.AddLyricsFrame("LYR")->Data = "second";
    EXPECT_EQ(tag.GetLyrics(), "second");  // the last one
    tag.SetLyrics("");                     // deletes the first
    EXPECT_EQ(tag.GetLyrics(), "second");
    EXPECT_EQ(tag.LyricsFrames.size(), 3u);

    EXPECT_TRUE(tag.DeleteLyricsFrame("AUT"));
    EXPECT_FALSE(tag.DeleteLyricsFrame("AUT"));
    EXPECT_TRUE(tag.DeleteLyricsFrame(0));
    EXPECT_FALSE(tag.DeleteLyricsFrame(5));
    EXPECT_EQ(tag.LyricsFrames.size(), 1u);

    tag.Title = "T";
    tag.Track = 4;
    tag.LyricsHasTimeStamp = true;
    TID3v1Tag copy;
    copy.Artist = "stale";
    ASSERT_TRUE(copy.Assign(tag));
    EXPECT_EQ(copy.Title, "T");
    EXPECT_EQ(copy.Artist, "");
    EXPECT_EQ(copy.Track, 4);
    EXPECT_TRUE(copy.LyricsHasTimeStamp);
    ASSERT_EQ(copy.LyricsFrames.size(), 1u);
    EXPECT_EQ(copy.LyricsFrames[0]->Parent, &copy);
    EXPECT_EQ(copy.GetLyrics(), "second");
}
