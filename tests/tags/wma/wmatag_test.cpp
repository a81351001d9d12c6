// ASF attributes: the description objects, the metadata library, values of
// every type, pictures, and a header rewritten with the data object kept.
#include <gtest/gtest.h>

#include <map>

#include "common/text.h"
#include "support/bytes.h"
#include "support/files.h"
#include "support/tempdir.h"
#include "tags/core/bytes.h"
#include "tags/facade/tagslibrary.h"
#include "tags/wma/wmataglibrary.h"

using namespace tags;
using namespace testenv;

namespace {

const std::string kHeaderGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kFilePropsGuid("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
const std::string kCDGuid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kECDGuid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const std::string kExtGuid("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65", 16);
const std::string kLibraryGuid("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54", 16);
const std::string kDataGuid("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);

std::string Object(const std::string& guid, const std::string& body) { return guid + le(24 + body.size(), 8) + body; }
std::string U16(const std::string& s) { return common::utf8ToUtf16le(s) + std::string(2, '\0'); }

std::string Descriptor(const std::string& name, int type, const std::string& value) {
    return le(U16(name).size(), 2) + U16(name) + le(type, 2) + le(value.size(), 2) + value;
}
std::string LibraryRecord(int stream, const std::string& name, int type, const std::string& value) {
    return le(0, 2) + le(stream, 2) + le(U16(name).size(), 2) + le(type, 2) + le(value.size(), 4) + U16(name) + value;
}

// 1.5 s with 0.5 s preroll at 128 kbit/s, then a data object.
std::string Asf(const std::string& data) {
    std::string props = std::string(16, '\x01') + le(0, 8) + le(0, 8) + le(1, 8) + le(15000000, 8) + le(0, 8) +
                        le(500, 8) + le(2, 4) + le(100, 4) + le(100, 4) + le(128000, 4);
    const std::string cd = le(U16("Title").size(), 2) + le(U16("Author").size(), 2) + le(0, 2) + le(0, 2) + le(0, 2) +
                           U16("Title") + U16("Author");
    const std::string ecd = le(6, 2) + Descriptor("WM/AlbumTitle", 0, U16("Альбом")) +
                            Descriptor("WM/Track", 3, le(4, 4)) + Descriptor("IsVBR", 2, le(1, 4)) +
                            Descriptor("WM/Size", 4, le(0x100000000, 8)) + Descriptor("WM/Small", 5, le(7, 2)) +
                            Descriptor("WM/Blob", 1, "\x01\x02\x03");
    const std::string library = le(2, 2) + LibraryRecord(0, "WM/MediaClassPrimaryID", 6, std::string(16, '\xAB')) +
                                LibraryRecord(1, "StreamOnly", 0, U16("kept"));
    const std::string ext =
        std::string(16, '\x11') + le(6, 2) + le(24 + library.size(), 4) + Object(kLibraryGuid, library);
    const std::string children =
        Object(kFilePropsGuid, props) + Object(kCDGuid, cd) + Object(kECDGuid, ecd) + Object(kExtGuid, ext);
    std::string file =
        kHeaderGuid + le(30 + children.size(), 8) + le(4, 4) + "\x01\x02" + children + Object(kDataGuid, data);
    WriteLE64(file.data() + 30 + 24 + 16, file.size());
    return file;
}

const std::string kData = std::string(16, '\x05') + le(1, 8) + "\x01\x01" + std::string(300, '\x77');

TEST(WMATag, LoadsEveryKindOfAttribute) {
    TMemoryStream m(Asf(kData));
    TWMATag tag;
    ASSERT_EQ(tag.LoadFromStream(m), 0);
    EXPECT_TRUE(tag.Loaded);
    EXPECT_EQ(tag.GetText("Title"), "Title");
    EXPECT_EQ(tag.GetText("author"), "Author");
    EXPECT_EQ(tag.GetText("WM/AlbumTitle"), "Альбом");
    EXPECT_EQ(tag.GetInteger("WM/Track"), 4u);
    EXPECT_EQ(tag.GetText("IsVBR"), "1");
    EXPECT_EQ(tag.GetInteger("WM/Size"), 0x100000000u);
    EXPECT_EQ(tag.GetText("WM/Small"), "7");
    EXPECT_EQ(tag.Frames[size_t(tag.FrameExists("WM/Blob"))]->Stream, "\x01\x02\x03");
    EXPECT_EQ(tag.GetText("WM/MediaClassPrimaryID"), "{ABABABAB-ABAB-ABAB-ABAB-ABABABABABAB}");
    // Attributes of one stream are not the file's.
    EXPECT_EQ(tag.FrameExists("StreamOnly"), -1);
    EXPECT_EQ(tag.Duration, 1000u);
    EXPECT_EQ(tag.BitRate, 128u);

    // A preroll longer than the play time (or damaged) gives no duration.
    for (uint64_t preroll : {uint64_t(1500), uint64_t(0x8000000000000000)}) {
        std::string file = Asf(kData);
        WriteLE64(file.data() + file.find(kFilePropsGuid) + 80, preroll);
        TMemoryStream damaged(file);
        TWMATag other;
        ASSERT_EQ(other.LoadFromStream(damaged), 0);
        EXPECT_EQ(other.Duration, 0u);
    }
}

TEST(WMATag, SavesTheHeaderAgainAndKeepsTheDataObject) {
    TMemoryStream m(Asf(kData));
    TWMATag tag;
    ASSERT_EQ(tag.LoadFromStream(m), 0);
    tag.SetText("Title", "Новое");
    tag.SetText("Author", "");
    tag.SetText("WM/Genre", "Rock");
    tag.AddFrame("WM/TIPL")->SetList({"producer=Иван", "=blank", "mix=Пётр"});
    const std::string big(70000, 'p');  // too large for the extended description
    tag.AddCoverArtFrame(big, "image/png", "Обложка", 3);
    tag.AddCoverArtFrame("small", "image/jpeg", "", 4);
    tag.NormalizeRatingTo255 = true;
    tag.SetInteger("WM/SharedUserRating", WMT_TYPE_DWORD, 255);
    ASSERT_EQ(tag.SaveToStream(m), 0);

    const std::string& out = m.Bytes();
    const uint64_t headerSize = ReadLE64(out.data() + 16);
    EXPECT_EQ(out.substr(headerSize), Object(kDataGuid, kData));
    EXPECT_EQ(ReadLE64(out.data() + 30 + 24 + 16), out.size());
    EXPECT_NE(out.find(U16("StreamOnly")), std::string::npos);

    TWMATag back;
    back.NormalizeRatingTo255 = true;
    ASSERT_EQ(back.LoadFromStream(m), 0);
    EXPECT_EQ(back.GetText("Title"), "Новое");
    EXPECT_EQ(back.FrameExists("Author"), -1);
    EXPECT_EQ(back.GetText("WM/Genre"), "Rock");
    EXPECT_EQ(back.GetInteger("WM/Size"), 0x100000000u);
    EXPECT_EQ(back.GetText("IsVBR"), "1");
    EXPECT_EQ(back.GetText("WM/MediaClassPrimaryID"), "{ABABABAB-ABAB-ABAB-ABAB-ABABABABABAB}");
    EXPECT_EQ(back.GetInteger("WM/SharedUserRating"), 255u);
    std::vector<std::string> list;
    back.Frames[size_t(back.FrameExists("WM/TIPL"))]->GetList(list);
    EXPECT_EQ(list, (std::vector<std::string>{"producer=Иван", "mix=Пётр"}));
    // A value too large for the extended description lives in the metadata
    // library, which is read after it: the pictures by their type.
    ASSERT_EQ(back.CoverArtCount(), 2);
    std::map<int, std::string> pictures;
    for (int i = 0; i < 2; ++i) {
        std::string picture, mime, description;
        uint8_t type = 0;
        ASSERT_TRUE(back.GetCoverArtFromFrame(back.GetFrameIndexOfCoverArtIndex(i), picture, mime, type, description));
        pictures[type] = mime + "|" + description + "|" + std::to_string(picture.size()) + "|" + picture.substr(0, 5);
    }
    EXPECT_EQ(pictures[3], "image/png|Обложка|70000|ppppp");
    EXPECT_EQ(pictures[4], "image/jpeg||5|small");
    // The stored rating is on the 0-99 scale.
    TWMATag raw;
    ASSERT_EQ(raw.LoadFromStream(m), 0);
    EXPECT_EQ(raw.GetInteger("WM/SharedUserRating"), 99u);
}

TEST(WMATag, PictureValuesHoldTheirAddresses) {
    TWMATag tag;
    tag.AddCoverArtFrame(std::string(1000, 'j'), "image/jpeg", "", 3);
    const std::string& v = tag.Frames[0]->Stream;
    EXPECT_EQ(v.size(), 1041u);
    EXPECT_EQ(ReadLE32(v.data() + 9), 1000u);
    EXPECT_EQ(ReadLE32(v.data() + 13), 41u);
}

TEST(WMATag, RefusedFilesStayAsTheyWere) {
    TempDir dir;
    std::string truncated = Asf(kData).substr(0, 100);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {{"not ASF", "RIFF" + std::string(100, '\0')}, {"a header past the end", truncated}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("a.wma", c.bytes);
        TWMATag tag;
        EXPECT_EQ(tag.LoadFromFile(path), WMATAGLIBRARY_ERROR_NOT_ASF);
        tag.SetText("Title", "x");
        EXPECT_EQ(tag.SaveToFile(path), WMATAGLIBRARY_ERROR_NOT_ASF);
        EXPECT_EQ(readFile(path), c.bytes);
        EXPECT_EQ(dir.entries().size(), 1u);
    }
    TWMATag tag;
    EXPECT_EQ(tag.LoadFromFile(dir.at("missing.wma")), WMATAGLIBRARY_ERROR_FILE_NOT_FOUND);
}

TEST(WMATag, FacadeTrackNumbersCountFromOneAndAttributesKeepTheirNames) {
    TempDir dir;
    const std::string path = dir.file("a.wma", Asf(kData));
    TTags tags;
    ASSERT_EQ(tags.LoadFromFile(path), 0);
    // "WM/Track" counts from 0; "IsVBR" describes the stream.
    EXPECT_EQ(tags.GetText("TRACKNUMBER"), "5");
    EXPECT_EQ(tags.GetText("ARTIST"), "Author");
    EXPECT_EQ(tags.GetText("ALBUM"), "Альбом");
    EXPECT_EQ(tags.GetText("WM/Small"), "7");
    EXPECT_EQ(tags.Exists("IsVBR"), -1);
    tags.SetText("TOTALTRACKS", "12");
    tags.SetText("YEAR", "1999");
    tags.SetText("DISCNUMBER", "1/2");
    ASSERT_EQ(tags.SaveToFile(path, ttWMA), 0);
    TWMATag wma;
    ASSERT_EQ(wma.LoadFromFile(path), 0);
    EXPECT_EQ(wma.GetInteger("WM/Track"), 4u);
    EXPECT_EQ(wma.GetText("WM/TrackNumber"), "5/12");
    EXPECT_EQ(wma.GetText("WM/PartOfSet"), "1/2");
    EXPECT_EQ(wma.GetText("WM/Year"), "1999");
    EXPECT_EQ(wma.GetText("IsVBR"), "1");
    EXPECT_EQ(wma.FrameExists("TOTALTRACKS"), -1);
}

}  // namespace
