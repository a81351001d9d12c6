#include "tags/apev2/apev2library.h"
#include "tags/apev2/apev2text.h"

#include "common/text.h"
#include "tags/id3v1/tailfixtures.h"

#include <gtest/gtest.h>

#include "support/disk.h"
#include "support/files.h"
#include "support/tempdir.h"

using namespace tags;
using namespace fixtures;
using namespace testenv;

namespace {

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + "jpeg body";

std::string Saved(TAPEv2Tag& tag, std::string bytes) {
    TMemoryStream stream(std::move(bytes));
    EXPECT_EQ(tag.SaveToStream(stream), APEV2_SUCCESS);
    return stream.Bytes();
}

}  // namespace

TEST(APEv2Load, ReadsTextAndBinaryItemsAndSkipsReferences) {
    const std::string audio = Audio(700);
    std::string tagBytes = ApeTag({{"Title", "  Café ♪ "},
                                   {"Blob", std::string("\0\1\2", 3), 2},
                                   {"Link", "file:///elsewhere", 4},
                                   {"Art\xE9", "\xE9t\xE9"}});  // legacy bytes in key and value
    TMemoryStream s(audio + tagBytes);
    s.SetPosition(123);
    TAPEv2Tag tag;
    ASSERT_EQ(tag.LoadFromStream(s), APEV2_SUCCESS);
    EXPECT_EQ(s.Position(), 123);
    EXPECT_TRUE(tag.Loaded);
    EXPECT_EQ(tag.Version, 2000u);
    EXPECT_EQ(tag.Flags, 0x80000000u);
    EXPECT_EQ(tag.Size, tagBytes.size() - 32);
    EXPECT_EQ(tag.FileSize(), static_cast<int64_t>(audio.size() + tagBytes.size()));
    ASSERT_EQ(tag.Count(), 3);
    EXPECT_EQ(tag.Frames[0]->Format, ffText);
    EXPECT_EQ(tag.Frames[0]->Value(), "  Café ♪ ");  // stored bytes stay as they were
    EXPECT_EQ(tag.GetText("TITLE"), "Café ♪");
    EXPECT_EQ(tag.Frames[1]->Format, ffBinary);
    EXPECT_EQ(tag.Frames[1]->Value(), std::string("\0\1\2", 3));
    EXPECT_EQ(tag.Frames[2]->Name, "Arté");
    EXPECT_EQ(tag.GetText("arté"), "été");
    EXPECT_EQ(tag.Frames[2]->GetTextANSI(), "été");
}

TEST(APEv2Load, Version1000ConvertsTextAndSaveReplacesItWhereItStood) {
    const std::string audio = Audio(400);
    const std::string id3 = ID3v1Block("v1");
    std::string old = ApeTag({{"Artist", "Bj\xF6rk"}, {"Raw", "\xF6", 2}}, 1000, false);
    TMemoryStream s(audio + old + id3);
    TAPEv2Tag tag;
    ASSERT_EQ(tag.LoadFromStream(s), APEV2_SUCCESS);
    EXPECT_EQ(tag.Version, 1000u);
    EXPECT_EQ(tag.Frames[0]->Value(), "Björk");
    EXPECT_EQ(tag.Frames[1]->Value(), "\xF6");  // binary bytes are not text
    EXPECT_EQ(Saved(tag, s.Bytes()), audio + ApeTag({{"Artist", "Björk"}, {"Raw", "\xF6", 2}}) + id3);
}

TEST(APEv2Load, LyingSizesGiveResultCodes) {
    const std::string audio = Audio(100);
    std::string twoItems = ApeItems({{"A", "1"}, {"B", "2"}});
    auto footer = [](uint32_t size, uint32_t count, uint32_t version = 2000) {
        return ApeHeader(version, size, count, 0);
    };
    struct Case {
        const char* name;
        std::string bytes;
        int result;
        int items;  // read before the fault
    } cases[] = {
        {"no tag", audio, APEV2_ERROR_NO_TAG, 0},
        {"shorter than a footer", "APETAGEX", APEV2_ERROR_NO_TAG, 0},
        {"unsupported version", audio + twoItems + footer(uint32_t(twoItems.size() + 32), 2, 3000),
         APEV2_ERROR_UNSUPPORTED_VERSION, 0},
        {"tag size beyond the file", audio + twoItems + footer(100000, 2), APEV2_ERROR_CORRUPT, 0},
        {"tag size below a footer", audio + twoItems + footer(8, 2), APEV2_ERROR_CORRUPT, 0},
        {"item count beyond the items", audio + twoItems + footer(uint32_t(twoItems.size() + 32), 9),
         APEV2_ERROR_CORRUPT, 2},
        {"value beyond the tag",
         audio + ApeItems({{"A", "1"}}) + std::string("\xFF\xFF\0\0\0\0\0\0B\0", 10) +
             footer(uint32_t(11 + 10 + 32), 2),
         APEV2_ERROR_CORRUPT, 1},
        {"value beyond the items",
         audio + ApeItems({{"A", "1"}}) + std::string("\x09\0\0\0\0\0\0\0B\0", 10) + footer(uint32_t(11 + 10 + 32), 2),
         APEV2_ERROR_CORRUPT, 1},
        {"key without its end",
         audio + ApeItems({{"A", "1"}}) + std::string("\1\0\0\0\0\0\0\0BBB", 11) + footer(uint32_t(11 + 11 + 32), 2),
         APEV2_ERROR_CORRUPT, 1},
        {"reserved item type", audio + ApeTag({{"A", "1"}, {"R", "x", 6}, {"B", "2"}}), APEV2_ERROR_CORRUPT, 2},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TAPEv2Tag tag;
        TMemoryStream s(c.bytes);
        EXPECT_EQ(tag.LoadFromStream(s), c.result);
        EXPECT_EQ(tag.Count(), c.items);
        // Saving over a tag whose sizes cannot be trusted changes nothing.
        if (c.result == APEV2_ERROR_CORRUPT && c.items == 0) {
            tag.AddTextFrame("New", "x");
            EXPECT_EQ(tag.SaveToStream(s), APEV2_ERROR_CORRUPT);
            EXPECT_EQ(s.Bytes(), c.bytes);
            EXPECT_EQ(RemoveAPEv2TagFromStream(s), APEV2_ERROR_CORRUPT);
            EXPECT_EQ(s.Bytes(), c.bytes);
        }
    }
    // An unsupported version is named in FileName and never overwritten.
    std::string path = dir.file("v3.ape", cases[2].bytes);
    TAPEv2Tag tag;
    EXPECT_EQ(tag.LoadFromFile(path), APEV2_ERROR_UNSUPPORTED_VERSION);
    EXPECT_EQ(tag.FileName, path);
    tag.AddTextFrame("New", "x");
    EXPECT_EQ(tag.SaveToFile(path), APEV2_ERROR_UNSUPPORTED_VERSION);
    EXPECT_EQ(readFile(path), cases[2].bytes);
}

TEST(APEv2Save, WritesHeaderItemsAndFooter) {
    TAPEv2Tag tag;
    tag.AddTextFrame("Title", "Über");
    tag.AddFrame("Empty");  // empty items are dropped on save
    TMemoryStream blob(std::string("\0\1", 2));
    tag.AddBinaryFrame("Data", blob, 2);
    EXPECT_EQ(tag.CalculateTotalFramesSize(), (5 + 5 + 9) + (5 + 0 + 9) + (4 + 2 + 9));
    EXPECT_EQ(Saved(tag, "audio"), "audio" + ApeTag({{"Title", "Über"}, {"Data", std::string("\0\1", 2), 2}}));
    EXPECT_EQ(tag.Count(), 2);
    EXPECT_EQ(tag.CalculateTagSize(), 5 + 5 + 9 + 4 + 2 + 9 + 32);

    tag.UpperCaseFieldNamesToWrite = true;
    tag.Frames[0]->Name = "Tïtle";  // only ASCII letters change
    EXPECT_EQ(Saved(tag, ""), ApeTag({{"TïTLE", "Über"}, {"DATA", std::string("\0\1", 2), 2}}));
}

TEST(APEv2Save, TagWithoutValuesIsRemoved) {
    const std::string audio = Audio(300);
    const std::string lyrics = Lyrics3Block({{"LYR", "x"}});
    TempDir dir;
    std::string path = dir.file("a.wv", audio + ApeTag({{"Title", "x"}}) + lyrics);
    TAPEv2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), APEV2_SUCCESS);
    tag.Frames[0]->SetText("");
    EXPECT_EQ(tag.SaveToFile(path), APEV2_SUCCESS);
    EXPECT_EQ(readFile(path), audio + lyrics);
    EXPECT_EQ(tag.SaveToFile(path), APEV2_ERROR_NO_TAG);  // nothing left to remove
    EXPECT_EQ(readFile(path), audio + lyrics);
}

TEST(APEv2Frame, TextOfBinaryItemsAndLists) {
    struct Size {
        int64_t bytes;
        const char* text;
    } sizes[] = {{0, "0 Byte"},
                 {1023, "1023 Byte"},
                 {1024, "1.00 KB"},
                 {2048, "2.00 KB"},
                 {1536 * 1024, "1.50 MB"},
                 {(int64_t(1) << 30) - 1, "1024.00 MB"},
                 {int64_t(3) << 30, "3.00 GB"},
                 {int64_t(5) << 60, "5.00 EB"}};
    for (const auto& s : sizes) EXPECT_EQ(BinarySizeText(s.bytes), s.text) << s.bytes;

    TAPEv2Tag tag;
    TAPEv2Frame* frame = tag.AddFrame("Bin");
    frame->Format = ffBinary;
    frame->Stream.SetSize(2048);
    EXPECT_EQ(frame->GetText(), "BINARY 2.00 KB");
    EXPECT_TRUE(frame->AlreadyParsed);
    tag.DeleteAllFrames();

    TAPEv2List people = {{"producer", "Ann"}, {"mixer", "Bo ♪"}};
    tag.SetList("TIPL", people);
    EXPECT_EQ(tag.Frames[0]->Value(), "producer\r\nAnn\r\nmixer\r\nBo ♪\r\n");
    TAPEv2List back;
    EXPECT_TRUE(tag.GetList("tipl", back));
    EXPECT_EQ(back, people);
    tag.Frames[0]->SetText(" a \r\n b \r\nodd");  // trimmed; a name without value line
    EXPECT_TRUE(tag.GetList("TIPL", back));
    EXPECT_EQ(back, (TAPEv2List{{"a", "b"}, {"odd", ""}}));
    tag.Frames[0]->Format = ffBinary;
    EXPECT_FALSE(tag.GetList("TIPL", back));
    EXPECT_FALSE(tag.GetList("none", back));
    tag.ReSetAlreadyParsedState();
    EXPECT_FALSE(tag.Frames[0]->AlreadyParsed);
}

TEST(APEv2Tag, NameLookups) {
    TAPEv2Tag tag;
    tag.SetText("Artist", "A");
    tag.SetText("ARTIST", "B");  // replaces, ignoring case
    tag.AddTextFrame("artist", "C");
    EXPECT_EQ(tag.Count(), 2);
    EXPECT_EQ(tag.GetText("aRtIsT"), "B");
    EXPECT_EQ(tag.FrameExists("artist"), 1);  // exact name
    EXPECT_EQ(tag.FrameExists("ARTIST"), -1);
    EXPECT_EQ(tag.FrameTypeCount("Artist"), 2);
    tag.SetText("Artist", "");
    EXPECT_EQ(tag.GetText("Artist"), "C");
    tag.SetText("Missing", "");
    EXPECT_EQ(tag.Count(), 1);

    TMemoryStream blob(std::string("abc"));
    tag.AddBinaryFrame("Bin", blob, 2);
    EXPECT_EQ(tag.Frames[1]->Value(), "ab");
    EXPECT_EQ(tag.GetText("Bin"), "");
    EXPECT_TRUE(tag.DeleteFrameByName("BIN"));
    EXPECT_FALSE(tag.DeleteFrame(3));

    TAPEv2Tag copy;
    copy.AddTextFrame("Stale", "x");
    tag.Version = 2000;
    ASSERT_TRUE(copy.Assign(tag));
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.Frames[0]->Name, "artist");
    EXPECT_EQ(copy.Frames[0]->Parent, &copy);
    EXPECT_EQ(copy.Version, 2000u);
    EXPECT_FALSE(copy.Frames[0]->Assign(nullptr));
}

TEST(APEv2Cover, SignaturesDescriptionsAndCounts) {
    struct Case {
        const char* name;
        std::string image;
        TAPEv2PictureFormat format;
    } cases[] = {
        {"jpeg", kJpeg, pfJPEG},
        {"png", "\x89PNG\r\n\x1A\n....", pfPNG},
        {"gif", "GIF89a....", pfGIF},
        {"bmp", "BM....", pfBMP},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TAPEv2Tag tag;
        TMemoryStream picture(c.image);
        picture.SetPosition(3);  // the whole stream is taken all the same
        int index = tag.AddCoverArtFrame("Cover Art (Back)", picture, "Pochette ♪");
        EXPECT_EQ(tag.Frames[0]->Value(), "Pochette ♪" + std::string(1, '\0') + c.image);
        EXPECT_TRUE(tag.Frames[0]->IsCoverArt());
        TMemoryStream out;
        TAPEv2PictureFormat format = pfUnknown;
        std::string description;
        ASSERT_TRUE(tag.GetCoverArtFromFrame(index, out, format, description));
        EXPECT_EQ(out.Bytes(), c.image);
        EXPECT_EQ(out.Position(), 0);
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(description, "Pochette ♪");
        const char *descPtr, *data;
        int64_t size;
        ASSERT_TRUE(tag.GetCoverArtInfoPointer(index, format, descPtr, data, size));
        EXPECT_EQ(std::string(data, static_cast<size_t>(size)), c.image);
        EXPECT_STREQ(descPtr, "Pochette ♪");
    }

    // Named as a front cover it counts even without a known image.
    TAPEv2Tag tag;
    tag.AddTextFrame("Title", "x");
    TMemoryStream unknown(std::string("not an image"));
    tag.AddCoverArtFrame("cover art (front)", unknown, "");
    TMemoryStream jpeg(kJpeg);
    tag.AddCoverArtFrame("Cover Art (Back)", jpeg, "back");
    tag.AddBinaryFrame("Other", unknown, 5);
    EXPECT_TRUE(tag.Frames[1]->IsCoverArt());
    EXPECT_FALSE(tag.Frames[3]->IsCoverArt());
    EXPECT_EQ(tag.CoverArtCount(), 2);
    EXPECT_EQ(tag.GetFrameIndexOfCoverArtIndex(1), 2);
    EXPECT_EQ(tag.GetFrameIndexOfCoverArtIndex(2), -1);
    TMemoryStream out;
    TAPEv2PictureFormat format = pfJPEG;
    std::string description = "stale";
    EXPECT_FALSE(tag.GetCoverArtFromFrame(1, out, format, description));
    EXPECT_EQ(format, pfUnknown);
    EXPECT_EQ(description, "");
    EXPECT_EQ(out.Size(), 0);
    EXPECT_FALSE(tag.GetCoverArtInfo(9, format, description));
    EXPECT_TRUE(tag.SetCoverArtFrame(1, jpeg, "now jpeg"));
    EXPECT_TRUE(tag.GetCoverArtInfo(1, format, description));
    EXPECT_EQ(description, "now jpeg");
    tag.DeleteAllCoverArts();
    EXPECT_EQ(tag.Count(), 2);
}

TEST(APEv2File, FailuresLeaveTheFileAsItWas) {
    TempDir dir;
    const std::string original = Audio(30000) + ApeTag({{"Title", "old"}}) + ID3v1Block("v1");
    TAPEv2Tag tag;
    EXPECT_EQ(tag.LoadFromFile(dir.at("missing.wv")), APEV2_ERROR_OPENING_FILE);
    EXPECT_EQ(RemoveAPEv2TagFromFile(dir.at("missing.wv"), false), APEV2_ERROR_OPENING_FILE);
    EXPECT_TRUE(dir.entries().empty());  // removing never creates a file

    tag.AddTextFrame("Title", "a longer new title");
    std::string readOnly = dir.file("ro.wv", original);
    ReadOnly noWrites(readOnly);
    EXPECT_EQ(tag.SaveToFile(readOnly), APEV2_ERROR_FILE_READONLY);
    EXPECT_EQ(RemoveAPEv2TagFromFile(readOnly, false), APEV2_ERROR_FILE_READONLY);
    EXPECT_EQ(readFile(readOnly), original);

    std::string path = dir.file("a.wv", original);
    {
        FullDisk limit(original.size() + 4);
        EXPECT_EQ(tag.SaveToFile(path), APEV2_ERROR);
    }
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(dir.entries().size(), 2u);

    // A missing file is created holding just the tag.
    std::string fresh = dir.at("new.wv");
    ASSERT_EQ(tag.SaveToFile(fresh), APEV2_SUCCESS);
    EXPECT_EQ(readFile(fresh), ApeTag({{"Title", "a longer new title"}}));
}

TEST(APEv2File, PreservesModificationTimeWhenAsked) {
    TempDir dir;
    std::string path = dir.file("a.wv", Audio(100) + ApeTag({{"Title", "old"}}));
    setModificationTime(path, 1000000000);
    TAPEv2Tag tag;
    tag.PreserveFileDateTime = true;
    tag.AddTextFrame("Title", "a new and longer one");
    ASSERT_EQ(tag.SaveToFile(path), APEV2_SUCCESS);
    ASSERT_EQ(RemoveAPEv2TagFromFile(path, true), APEV2_SUCCESS);
    EXPECT_EQ(modificationTime(path), 1000000000);
    EXPECT_EQ(readFile(path), Audio(100));
}
