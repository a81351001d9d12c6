// MP4 items as the facade shows them, and what a save writes for each
// entry, on files built here.
#include "tags/facade/tagslibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tags/facade/entrylines.h"
#include "tags/mp4/mp4bytes.h"
#include "tags/mp4/mp4taglibrary.h"

using namespace tags;
using namespace mp4test;
using tags::testing::Entries;
using ::testing::ElementsAre;

namespace {

const std::string kJpeg = "\xFF\xD8\xFF\xE0" + std::string(40, 'j');
const std::string kPng = "\x89PNG\r\n\x1a\n" + std::string(40, 'p');

std::string XtraField(const std::string& name, uint16_t type, const std::string& value) {
    std::string f = BE(12 + name.size() + 6 + value.size(), 4) + BE(name.size(), 4) + name + BE(1, 4) +
                    BE(6 + value.size(), 4) + BE(type, 2) + value;
    return f;
}

std::string WithItems(const std::string& items, const std::string& xtra = "") {
    Layout l;
    l.udta = Box("udta", Meta(items) + (xtra.empty() ? "" : Box("Xtra", xtra)));
    return File(l);
}

struct MP4Converter : ::testing::Test {
    TTags tags;
    TMemoryStream file;
    void Load(const std::string& bytes) {
        file.Bytes() = bytes;
        ASSERT_EQ(tags.LoadFromStream(file, true), trSuccess);
    }
    // Saves and reads the file back with the MP4 unit alone.
    void Save(TMP4Tag& back) {
        ASSERT_EQ(tags.SaveToStream(file, true, ttAutomatic), trSuccess);
        ASSERT_EQ(back.LoadFromStream(file), mp4Success);
    }
};

TEST_F(MP4Converter, ItemsBecomeEntriesAndPictures) {
    Load(WithItems(Text("\xA9nam", "Title") +
                       Box("\xA9"
                           "ART",
                           Data(1, "One") + Data(1, "Two")) +
                       Text("\xA9"
                            "day",
                            "2004-05-01") +
                       Box("tmpo", Data(21, BE(120, 2))) + Box("cpil", Data(21, "\x01")) +
                       Box("trkn", Data(0, BE(5, 4) + BE(12, 2) + BE(0, 2))) +
                       Box("disk", Data(0, BE(1, 4) + BE(2, 2))) + Box("gnre", Data(0, BE(18, 2))) +
                       Box("stik", Data(21, "\x01")) + Freeform("MOOD", "calm") + Text("zzzz", "not shown") +
                       Box("covr", Data(13, kJpeg) + Data(14, kPng)),
                   XtraField("WM/SharedUserRating", 19, "\x32") +
                       XtraField("WM/Publisher", 8, std::string("L\0a\0b\0e\0l\0\0\0", 12))));
    EXPECT_THAT(Entries(tags), ElementsAre("TITLE=Title", "ARTIST=One", "ARTIST=Two", "RELEASEDATE=2004-05-01",
                                           "BPM=120", "PARTOFCOMPILATION=1", "MOOD=calm", "GENRE=Rock", "MEDIA=Music",
                                           "TRACKNUMBER=5", "TOTALTRACKS=12", "DISCNUMBER=1", "TOTALDISCS=2",
                                           "SharedUserRating=129", "Publisher=Label"));
    ASSERT_EQ(tags.CoverArtCount(), 2);
    EXPECT_EQ(tags.CoverArts[1]->Name, "Cover art 2");
    EXPECT_EQ(tags.CoverArts[1]->MIMEType, "image/png");
    EXPECT_EQ(tags.CoverArts[1]->PictureFormat, tpfPNG);
    EXPECT_EQ(tags.CoverArts[1]->CoverType, 3u);
    EXPECT_EQ(tags.CoverArts[0]->Stream.Bytes(), kJpeg);
    EXPECT_EQ(tags.SourceAudioAttributes.Channels(), 2);
    EXPECT_EQ(tags.SourceAudioAttributes.SamplesPerSec(), 44100u);
    EXPECT_DOUBLE_EQ(tags.SourceAudioAttributes.PlayTime(), 2.0);

    Load(WithItems(Text("\xA9nam", "T"), XtraField("WM/SharedUserRating", 19, "\x63")));
    EXPECT_EQ(tags.GetText("SharedUserRating"), "255") << "0 to 99 becomes 0 to 255";
}

TEST_F(MP4Converter, EachEntryIsWrittenAsItsItem) {
    struct Case {
        const char* name;
        const char* value;
        std::string atom;  // the item written, "----:NAME" for a freeform one
        uint32_t type;
        std::string payload;
    } cases[] = {
        {"YEAR", "2004",
         "\xA9"
         "day",
         1, "2004"},
        {"Composer", "Someone", "\xA9wrt", 1, "Someone"},
        {"BPM", "120", "tmpo", 21, BE(120, 2)},
        {"PARTOFCOMPILATION", "1", "cpil", 21, "\x01"},
        {"ITUNESALBUMID", "123", "plID", 21, BE(123, 8)},
        {"GENRE", "jazz", "gnre", 0, BE(9, 2)},
        {"GENRE", "Chamber Pop", "\xA9gen", 1, "Chamber Pop"},
        {"MEDIA", "Audiobook", "stik", 21, "\x02"},
        {"MEDIA", "Hologram", "----:MEDIA", 1, "Hologram"},
        {"PURCHASECOUNTRY", "Japan", "sfID", 21, BE(143462, 4)},
        {"TRACKNUMBER", "3/12", "trkn", 0, BE(3, 4) + BE(12, 2) + BE(0, 2)},
        {"TOTALTRACKS", "9", "trkn", 0, BE(0, 4) + BE(9, 2) + BE(0, 2)},
        {"DISC", "2", "disk", 0, BE(2, 4) + BE(0, 2)},
        {"Mood", "calm", "----:Mood", 1, "calm"},
        {"RATING", "80", "----:RATING", 1, "80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        Load(WithItems(Text("\xA9nam", "T")));
        tags.SetText(c.name, c.value);
        TMP4Tag back;
        Save(back);
        const TMP4Atom* a = c.atom.rfind("----:", 0) == 0 ? back.FindAtomCommon(c.atom.substr(5), "com.apple.iTunes")
                                                          : back.FindAtom(c.atom);
        ASSERT_TRUE(a);
        ASSERT_EQ(a->Count(), 1);
        EXPECT_EQ(a->Datas[0]->DataType, c.type);
        EXPECT_EQ(a->Datas[0]->GetBytes(), c.payload);
    }
    // Several values of one name are data children of one item.
    Load(WithItems(Text("\xA9nam", "T")));
    tags.Add("ARTIST")->Value = "One";
    tags.Add("ARTIST")->Value = "Two";
    TMP4Tag back;
    Save(back);
    EXPECT_EQ(back.GetMultipleValues("\xA9"
                                     "ART"),
              (std::vector<std::string>{"One", "Two"}));
}

TEST_F(MP4Converter, UntouchedItemsKeepTheirBytesAndDeletedOnesStayDeleted) {
    const std::string odd = Box("\xA9nam", Data(1, "Title", 0x12345678) + Box("itif", "kept"));
    Load(WithItems(odd + Box("gnre", Data(0, BE(18, 2))) + Text("\xA9gen", "Other genre") +
                       Box("trkn", Data(0, BE(5, 4) + BE(12, 2) + BE(0, 2))) + Freeform("iTunSMPB", " 00000000"),
                   XtraField("WM/Publisher", 8, std::string("L\0\0\0", 4))));
    tags.SetText("ALBUM", "Album");
    tags.SetText("TOTALTRACKS", "13");
    tags.Delete("GENRE");
    tags.Delete("Publisher");
    TMP4Tag back;
    Save(back);
    EXPECT_NE(file.Bytes().find(odd), std::string::npos) << "an untouched item changed";
    EXPECT_NE(file.Bytes().find(Freeform("iTunSMPB", " 00000000")), std::string::npos);
    EXPECT_EQ(back.GetText("\xA9"
                           "alb"),
              "Album");
    EXPECT_EQ(back.GetText("trkn"), "5/13");
    EXPECT_FALSE(back.FindAtom("gnre"));
    EXPECT_FALSE(back.FindAtom("\xA9gen")) << "a genre hidden behind another came back";
    EXPECT_EQ(back.XtraCount(), 0);
    EXPECT_EQ(file.Bytes().find("Xtra"), std::string::npos);

    // Pictures are written with the type of their format.
    Load(WithItems(Text("\xA9nam", "T")));
    TMemoryStream png(kPng);
    tags.AddCoverArt("front", png, "image/png");
    Save(back);
    ASSERT_EQ(back.CoverArtCount(), 1);
    EXPECT_EQ(back.FindAtom("covr")->Datas[0]->DataType, mp4dtPNG);
    EXPECT_EQ(back.FindAtom("covr")->Datas[0]->GetBytes(), kPng);
}

}  // namespace
