// Frame accessors: the bytes each setter writes and what each getter reads
// from the general forms other writers produce.
#include <gtest/gtest.h>

#include "common/text.h"
#include "tags/id3v2/id3v2_fixtures.h"
#include "tags/id3v2/id3v2library.h"

using namespace tags;
using namespace id3v2test;

namespace {

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s.push_back(char(b));
    return s;
}

// A tag with one frame holding the given data.
struct OneFrame {
    TID3v2Tag tag;
    OneFrame(const std::string& id, const std::string& data) { tag.AddFrameEx(id)->Data() = data; }
    const std::string& Data() const { return tag.Frames[0]->Data(); }
};

}  // namespace

TEST(ID3v2Text, ReadsEveryEncoding) {
    struct Case {
        const char* what;
        std::string data;
        std::string text;
    };
    const Case cases[] = {
        {"UTF-16 with BOM", B({1, 0xFF, 0xFE, 'A', 0, 'B', 0, 0, 0}), "AB"},
        {"UTF-8, two values", B({3, 'A', 0, 'B', 0}), "A\r\nB"},
        {"no encoding byte", "Rock", "Rock"},
        {"ISO-8859-1", B({0, 'C', 0xE9, 'l', 0xE8, 'b', 'r', 'e'}),
         "C\xC3\xA9l\xC3\xA8"
         "bre"},
        {"UTF-16BE", B({2, 0x04, 0x1F, 0x04, 0x40, 0, 0}), "\xD0\x9F\xD1\x80"},
        {"UTF-16 big-endian BOM", B({1, 0xFE, 0xFF, 0x04, 0x1F, 0, 0}), "\xD0\x9F"},
        {"UTF-16 surrogate pair", B({1, 0xFF, 0xFE, 0x3C, 0xD8, 0xB5, 0xDF, 0, 0}), "\xF0\x9F\x8E\xB5"},
        {"second value without BOM keeps the order", B({1, 0xFE, 0xFF, 0, 'A', 0, 0, 0, 'B', 0, 0}), "A\r\nB"},
        {"UTF-16 without BOM is little-endian", B({1, 'A', 0, 0, 0}), "A"},
        {"odd trailing byte is dropped", B({1, 0xFF, 0xFE, 'A', 0, 'B'}), "A"},
        {"no terminator", B({3, 'x', 'y'}), "xy"},
        {"trimmed", B({3, ' ', '\t', 'x', ' ', 0, 0, 0}), "x"},
        {"empty", "", ""},
        {"encoding byte only", B({1}), ""},
    };
    for (const Case& c : cases) {
        OneFrame f("TIT2", c.data);
        EXPECT_EQ(f.tag.GetText(0), c.text) << c.what;
        EXPECT_EQ(f.tag.GetText("TIT2"), c.text) << c.what;
    }
    OneFrame raw("TIT2", B({3, ' ', 'x', ' '}));
    raw.tag.TrimText = false;
    EXPECT_EQ(raw.tag.GetText(0), " x ");
    // Native text: encoding 3 read in the legacy code page (1252 here).
    OneFrame native("TIT2", B({3, 0xE9}));
    EXPECT_EQ(native.tag.GetText(0, true), "\xC3\xA9");
    EXPECT_EQ(native.tag.GetText(0, false), "\xEF\xBF\xBD");
}

TEST(ID3v2Text, WritesEachEncoding) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetText("TIT2", "AB", teUnicode));
    EXPECT_EQ(tag.GetBytes("TIT2"), B({1, 0xFF, 0xFE, 'A', 0, 'B', 0, 0, 0}));
    ASSERT_TRUE(tag.SetText("TIT2", "\xD0\x96", teUTF8));
    EXPECT_EQ(tag.GetBytes("TIT2"), B({3, 0xD0, 0x96, 0}));
    ASSERT_TRUE(tag.SetText("TIT2", "\xC3\xA9", teANSI));
    EXPECT_EQ(tag.GetBytes("TIT2"), B({0, 0xE9, 0}));
    EXPECT_EQ(tag.FrameCount(), 1);
    // By identifier an empty text deletes; by index it writes a lone terminator.
    ASSERT_TRUE(tag.SetText("TIT2", "", teUTF8));
    EXPECT_EQ(tag.FrameExists("TIT2"), -1);
    int64_t i = tag.AddFrame("TPE1");
    ASSERT_TRUE(tag.SetText(i, "", teUnicode));
    EXPECT_EQ(tag.GetBytes(i), B({1, 0xFF, 0xFE, 0, 0}));
    ASSERT_TRUE(tag.SetRawText(i, "Rock"));
    EXPECT_EQ(tag.GetBytes(i), "Rock");
}

TEST(ID3v2Text, SeveralValuesRoundTrip) {
    const std::vector<std::string> values = {"Один", "Two", "\xF0\x9F\x8E\xB5"};
    for (auto e : {teUnicode, teUTF8}) {
        TID3v2Tag tag;
        ASSERT_TRUE(tag.SetTextMultiple("TPE1", values, e));
        std::vector<std::string> back;
        ASSERT_TRUE(tag.GetTextMultiple("TPE1", back));
        EXPECT_EQ(back, values);
    }
    TID3v2Tag tag;
    tag.SetTextMultiple("TPE1", {"A", "B"}, teUnicode);
    // One byte-order mark, at the start only.
    EXPECT_EQ(tag.GetBytes("TPE1"), B({1, 0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0, 0, 0}));
    std::vector<std::string> none;
    EXPECT_FALSE(tag.GetTextMultiple("TALB", none));
}

TEST(ID3v2Content, CommentsAndLyrics) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetComment("COMM", "Текст", "rus", "Описание"));
    std::string language, description;
    EXPECT_EQ(tag.GetComment("COMM", language, description), "Текст");
    EXPECT_EQ(language, "rus");
    EXPECT_EQ(description, "Описание");
    // A mark before each string.
    tag.SetContent("COMM", "T", "en", "D", teUnicode);
    EXPECT_EQ(tag.GetBytes("COMM"), B({1, 'e', 'n', ' ', 0xFF, 0xFE, 'D', 0, 0, 0, 0xFF, 0xFE, 'T', 0, 0, 0}));

    // A text without mark takes the byte order of its description.
    OneFrame be("COMM", B({1, 'e', 'n', 'g', 0xFE, 0xFF, 0, 'D', 0, 0, 0, 'T', 0, 'x'}));
    EXPECT_EQ(be.tag.GetComment(0, language, description), "Tx");
    EXPECT_EQ(description, "D");

    ASSERT_TRUE(tag.SetLyrics("USLT", "La la\r\nla", "eng", ""));
    EXPECT_EQ(tag.GetLyrics("USLT", language, description), "La la\r\nla");
    EXPECT_EQ(description, "");
}

TEST(ID3v2Content, CommentsByDescription) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetCommentByDescription("iTunNORM", "eng", "first"));
    ASSERT_TRUE(tag.SetCommentByDescription("Другое", "rus", "второй"));
    std::string language, comment;
    EXPECT_EQ(tag.FindCommentByDescription("ДРУГОЕ", language, comment), 1);
    EXPECT_EQ(comment, "второй");
    EXPECT_EQ(language, "rus");
    ASSERT_TRUE(tag.SetCommentByDescription("ITUNNORM", "eng", "replaced"));
    EXPECT_EQ(tag.FrameCount(), 2);
    EXPECT_EQ(tag.FindCommentByDescription("itunnorm", language, comment), 0);
    EXPECT_EQ(comment, "replaced");
    EXPECT_EQ(tag.FindCommentByDescription("none", language, comment), -1);
}

TEST(ID3v2Pictures, WriteReadAndPointInto) {
    TID3v2Tag tag;
    TMemoryStream picture(std::string("\x89PNG\r\n\x1A\n\0\xFF", 10));
    ASSERT_TRUE(tag.SetCoverPictureFromStream("APIC", "Обложка", picture, "image/png", 3));
    std::string expected =
        B({1}) + "image/png" + B({0, 3, 0xFF, 0xFE}) + common::utf8ToUtf16le("Обложка") + B({0, 0}) + picture.Bytes();
    EXPECT_EQ(tag.GetBytes("APIC"), expected);

    TMemoryStream out("stale bytes that must go away");
    std::string mime, description;
    uint8_t type = 0;
    ASSERT_TRUE(tag.GetCoverPictureStream("APIC", out, mime, description, type));
    EXPECT_EQ(out.Bytes(), picture.Bytes());
    EXPECT_EQ(out.Position(), 0);
    EXPECT_EQ(mime, "image/png");
    EXPECT_EQ(description, "Обложка");
    EXPECT_EQ(type, 3);

    const uint8_t* data = nullptr;
    uint64_t size = 0;
    std::string_view mimeView, descriptionView;
    int encoding = -1;
    ASSERT_TRUE(tag.GetCoverPictureInfoPointer(0, data, size, mimeView, descriptionView, encoding, type));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), picture.Bytes());
    EXPECT_EQ(mimeView, "image/png");
    EXPECT_EQ(encoding, 1);
    EXPECT_EQ(descriptionView, B({0xFF, 0xFE}) + common::utf8ToUtf16le("Обложка"));

    // Other encodings follow the tag's setting; rewriting converts them all.
    tag.APICTextEncodingToWrite = teUTF8;
    int64_t second = tag.AddFrame("APIC");
    tag.SetCoverPictureFromStream(second, "back", picture, "image/jpeg", 4);
    EXPECT_EQ(tag.GetBytes(second)[0], 3);
    EXPECT_EQ(tag.GetFrameIndexOfCoverArtIndex(1), second);
    EXPECT_EQ(tag.GetFrameIndexOfCoverArtIndex(2), -1);
    ASSERT_TRUE(tag.RewriteCoverArts());
    EXPECT_EQ(tag.GetBytes(0)[0], 3);
    ASSERT_TRUE(tag.GetCoverPictureInfo(0, mime, description, type));
    EXPECT_EQ(description, "Обложка");
    EXPECT_EQ(tag.CoverArtCount(), 2);
    tag.DeleteAllCoverArts();
    EXPECT_EQ(tag.CoverArtCount(), 0);
    EXPECT_FALSE(tag.SetCoverPictureFromFile("APIC", "x", "/nonexistent/picture.png", "image/png", 3));
}

TEST(ID3v2Urls, PlainAndUserDefined) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetURL("WOAR", "http://example.org/a"));
    EXPECT_EQ(tag.GetBytes("WOAR"), "http://example.org/a");
    EXPECT_EQ(tag.GetURL("WOAR"), "http://example.org/a");

    struct Case {
        TID3v2TextEncoding e;
        std::string bytes;
    };
    const Case cases[] = {
        {teUnicode, B({1, 0xFF, 0xFE, 'd', 0, 0, 0}) + "http://u"},
        {teUTF8, B({3, 'd', 0}) + "http://u" + B({0})},
        {teANSI, B({0, 'd', 0}) + "http://u" + B({0})},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(tag.SetUserDefinedURLLink("WXXX", "http://u", "d", c.e));
        EXPECT_EQ(tag.GetBytes("WXXX"), c.bytes);
        std::string description;
        EXPECT_EQ(tag.GetUserDefinedURLLink("WXXX", description), "http://u");
        EXPECT_EQ(description, "d");
    }
    ASSERT_TRUE(tag.SetUserDefinedURLLinkByDescription("Shop", "http://shop"));
    std::string url;
    EXPECT_EQ(tag.FindUserDefinedURLLinkByDescription("shop", url), -1);  // case matters here
    EXPECT_EQ(tag.FindUserDefinedURLLinkByDescription("Shop", url), tag.FrameCount() - 1);
    EXPECT_EQ(url, "http://shop");
}

TEST(ID3v2UserText, SingleAndSeveralValues) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetUserDefinedTextInformation("TXXX", "D", "V", teUnicode));
    EXPECT_EQ(tag.GetBytes("TXXX"), B({1, 0xFF, 0xFE, 'D', 0, 0, 0, 0xFF, 0xFE, 'V', 0, 0, 0}));
    ASSERT_TRUE(tag.SetUserDefinedTextInformationMultiple("TXXX", "D", {"A", "B"}, teUnicode));
    EXPECT_EQ(tag.GetBytes("TXXX"), B({1, 0xFF, 0xFE, 'D', 0, 0, 0, 0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0, 0, 0}));
    // Several values in the legacy code page are written as UTF-8 instead.
    ASSERT_TRUE(tag.SetUserDefinedTextInformationMultiple("TXXX", "D", {"Ж"}, teANSI));
    EXPECT_EQ(tag.GetBytes("TXXX"), B({3, 'D', 0, 0xD0, 0x96, 0}));

    std::string description;
    std::vector<std::string> list;
    OneFrame mutagenStyle("TXXX", B({3}) + "CATALOG" + B({0}) + "A1" + B({0}) + "B2");
    EXPECT_EQ(mutagenStyle.tag.GetUserDefinedTextInformation(0, description), "A1\r\nB2");
    EXPECT_EQ(description, "CATALOG");
    EXPECT_TRUE(mutagenStyle.tag.GetUserDefinedTextInformationMultiple(0, description, list));
    EXPECT_EQ(list, (std::vector<std::string>{"A1", "B2"}));
    EXPECT_EQ(mutagenStyle.tag.GetUserDefinedTextInformation("catalog", false), "A1\r\nB2");
    EXPECT_EQ(mutagenStyle.tag.GetUserDefinedTextInformation("catalog", true), "");
}

TEST(ID3v2UserText, ByDescription) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetTXXXByDescription("replaygain_track_gain", "-6.2 dB", teUTF8));
    ASSERT_TRUE(tag.SetTXXXByDescriptionMultiple("Ключ", {"x", "y"}, teUnicode));
    ASSERT_TRUE(tag.SetTXXXByDescription("REPLAYGAIN_TRACK_GAIN", "-1.0 dB", teUTF8));
    EXPECT_EQ(tag.FrameCount(), 2);
    std::string text;
    EXPECT_EQ(tag.FindTXXXByDescription("Replaygain_Track_Gain", text), 0);
    EXPECT_EQ(text, "-1.0 dB");
    std::vector<std::string> list;
    EXPECT_EQ(tag.FindTXXXByDescriptionMultiple("КЛЮЧ", list), 1);
    EXPECT_EQ(list, (std::vector<std::string>{"x", "y"}));
    ASSERT_TRUE(tag.SetTXXX(1, "Ключ", "z", teUTF8));
    EXPECT_EQ(tag.FindCustomFrame("TXXX", "Ключ"), 1);
    EXPECT_EQ(tag.FindCustomFrame("TXXX", "КЛЮЧ"), -1);
}

TEST(ID3v2Counters, PlayCountAndPopularimeter) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetPlayCount("PCNT", 0x01020304));
    EXPECT_EQ(tag.GetBytes("PCNT"), B({1, 2, 3, 4}));
    EXPECT_EQ(tag.GetPlayCount("PCNT"), 0x01020304u);
    OneFrame wide("PCNT", B({9, 0, 0, 0, 0x2A}));
    EXPECT_EQ(wide.tag.GetPlayCount(0), 0x2Au);

    ASSERT_TRUE(tag.SetPopularimeterByEmail("a@b.c", 196, 0));
    EXPECT_EQ(tag.GetBytes("POPM"), std::string("a@b.c\0\xC4", 7));
    ASSERT_TRUE(tag.SetPopularimeterByEmail("a@b.c", 255, 7));
    EXPECT_EQ(tag.FrameTypeCount("POPM"), 1);
    uint8_t rating = 0;
    uint32_t counter = 0;
    EXPECT_EQ(tag.FindPopularimeter("a@b.c", rating, counter), tag.FrameExists("POPM"));
    EXPECT_EQ(rating, 255);
    EXPECT_EQ(counter, 7u);
    EXPECT_EQ(tag.FindPopularimeter("A@B.C", rating, counter), -1);

    OneFrame five("POPM", std::string("x\0\x80\x01\x00\x00\x00\x05", 8));
    std::string email;
    ASSERT_TRUE(five.tag.GetPopularimeter(0, email, rating, counter));
    EXPECT_EQ(email, "x");
    EXPECT_EQ(rating, 0x80);
    EXPECT_EQ(counter, 5u);
}

TEST(ID3v2Lists, InvolvedPeople) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetListFrame("TIPL", {"producer=Иван", "mix=B=C"}, teUnicode));
    EXPECT_EQ(tag.GetBytes("TIPL").substr(0, 5), B({1, 0xFF, 0xFE, 'p', 0}));
    std::vector<std::string> list;
    ASSERT_TRUE(tag.GetListFrame("TIPL", list));
    EXPECT_EQ(list, (std::vector<std::string>{"producer=Иван", "mix=B=C"}));
    EXPECT_EQ(tag.GetListFrameText("TIPL"), "producer=Иван\r\nmix=B=C");
    OneFrame padded("TMCL", B({3, 'g', 0, 'X', 0, 0, 0}));
    EXPECT_EQ(padded.tag.GetListFrameText(0), "g=X");
}

TEST(ID3v2Identifiers, UniqueFileIdentifiers) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetUFIDByOwnerIdentifier("http://musicbrainz.org", "3b7c1f1c-0000"));
    EXPECT_EQ(tag.GetBytes("UFID"), std::string("http://musicbrainz.org\0"
                                                "3b7c1f1c-0000",
                                                36));
    std::string identifier, owner;
    EXPECT_EQ(tag.FindUFIDByOwnerIdentifier("HTTP://MUSICBRAINZ.ORG", identifier), 0);
    EXPECT_EQ(identifier, "3b7c1f1c-0000");
    ASSERT_TRUE(tag.SetUFIDByOwnerIdentifier("http://MusicBrainz.org", "new"));
    EXPECT_EQ(tag.FrameCount(), 1);
    OneFrame binary("UFID", std::string("own\0\x01\xFF", 6));
    EXPECT_EQ(binary.tag.GetUFIDBytes(0, owner), "\x01\xFF");
    EXPECT_EQ(owner, "own");
}

TEST(ID3v2Objects, LayoutsAndRoundTrips) {
    TID3v2Tag tag;
    ASSERT_TRUE(tag.SetGEOB("GEOB", "text/plain", "f.txt", "d", std::string("\0obj", 4)));
    EXPECT_EQ(tag.GetBytes("GEOB"),
              B({1}) + "text/plain" + B({0, 'f', 0, '.', 0, 't', 0, 'x', 0, 't', 0, 0, 0, 'd', 0, 0, 0, 0}) + "obj");
    std::string mime, name, description, object;
    ASSERT_TRUE(tag.GetGEOB("GEOB", mime, name, description, object));
    EXPECT_EQ(mime, "text/plain");
    EXPECT_EQ(name, "f.txt");
    EXPECT_EQ(description, "d");
    EXPECT_EQ(object, std::string("\0obj", 4));

    ASSERT_TRUE(tag.SetOWNE("OWNE", "USD9.99", "20240131", "Магазин"));
    std::string price, date, seller;
    ASSERT_TRUE(tag.GetOWNE("OWNE", price, date, seller));
    EXPECT_EQ(price + "|" + date + "|" + seller, "USD9.99|20240131|Магазин");
    TID3v2DateTime when;
    ASSERT_TRUE(tag.SetOWNE("OWNE", "EUR1", TID3v2DateTime{1999, 12, 5}, ""));
    ASSERT_TRUE(tag.GetOWNE("OWNE", price, when, seller));
    EXPECT_EQ(when, (TID3v2DateTime{1999, 12, 5}));

    ASSERT_TRUE(tag.SetUSER("USER", "deu", "Nur privat"));
    std::string language, terms;
    ASSERT_TRUE(tag.GetUSER("USER", language, terms));
    EXPECT_EQ(language + "|" + terms, "deu|Nur privat");

    ASSERT_TRUE(tag.SetAENC("AENC", "owner", 10, 300, "\x01\x02"));
    EXPECT_EQ(tag.GetBytes("AENC"), std::string("owner\0\0\x0A\x01\x2C\x01\x02", 12));
    uint16_t start = 0, length = 0;
    std::string info, ownerId;
    ASSERT_TRUE(tag.GetAENC("AENC", ownerId, start, length, info));
    EXPECT_EQ(ownerId, "owner");
    EXPECT_EQ(start, 10);
    EXPECT_EQ(length, 300);
    EXPECT_EQ(info, "\x01\x02");
}

TEST(ID3v2Objects, XmlBlocksOnlyInExistingFrames) {
    TID3v2Tag tag;
    EXPECT_FALSE(tag.SetiXML("PRIV", "<x/>"));
    EXPECT_EQ(tag.FrameCount(), 0);
    tag.AddFrame("PRIV");
    ASSERT_TRUE(tag.SetiXML("PRIV", "<BWFXML>ü</BWFXML>"));
    EXPECT_TRUE(tag.Frames[0]->IsiXML());
    EXPECT_EQ(tag.GetiXML("PRIV"), "<BWFXML>ü</BWFXML>");
    ASSERT_TRUE(tag.SetXMP(0, "<x:xmpmeta/>"));
    EXPECT_TRUE(tag.Frames[0]->IsXMP());
    EXPECT_EQ(tag.GetBytes(0), std::string("XMP\0<x:xmpmeta/>\0\0", 18));
    EXPECT_EQ(tag.GetXMP(0), "<x:xmpmeta/>");
}

TEST(ID3v2Objects, DatesLengthsAndPrivateFrames) {
    TID3v2Tag tag;
    const TID3v2DateTime when{2024, 3, 5, 7, 8, 9};
    ASSERT_TRUE(tag.SetTime("TDRC", when));
    EXPECT_EQ(tag.GetText("TDRC"), "2024-03-05T07:08:09");
    TID3v2DateTime back;
    ASSERT_TRUE(tag.GetTime("TDRC", back));
    EXPECT_EQ(back, when);
    ASSERT_TRUE(tag.SetTLEN("TLEN", 215000));
    EXPECT_EQ(tag.GetBytes("TLEN"), std::string("\0"
                                                "215000",
                                                7));
    EXPECT_EQ(tag.GetText("TLEN"), "215000");

    ASSERT_TRUE(tag.SetAlbumColors("PRIV", 0x00FF0000, 0x000000FF));
    uint32_t title = 0, text = 0;
    ASSERT_TRUE(tag.GetAlbumColors("PRIV", title, text));
    EXPECT_EQ(title, 0x00FF0000u);
    EXPECT_EQ(text, 0x000000FFu);

    ASSERT_TRUE(tag.SetSEBR("SEBR", "~192.5"));
    EXPECT_DOUBLE_EQ(tag.GetSEBR("SEBR"), 192.5);
    EXPECT_EQ(tag.GetSEBRString("SEBR"), "~192.5");
    ASSERT_TRUE(tag.SetSEBR("SEBR", 320.0));
    EXPECT_DOUBLE_EQ(tag.GetSEBR("SEBR"), 320.0);
    // 320 as an 80-bit float: mantissa A0 00.., exponent 0x4007.
    EXPECT_EQ(tag.GetBytes("SEBR").substr(0, 10), B({0, 0, 0, 0, 0, 0, 0, 0xA0, 0x07, 0x40}));

    ASSERT_TRUE(tag.SetSEFC("SEFC", 123456789012));
    EXPECT_EQ(tag.GetSEFC("SEFC"), 123456789012);

    const std::string cache(3000, '\x11');
    ASSERT_TRUE(tag.SetSampleCache("SESC", cache, 2));
    EXPECT_TRUE(tag.Frames[size_t(tag.FrameExists("SESC"))]->Compressed);
    uint8_t version = 0;
    uint32_t channels = 0;
    EXPECT_EQ(tag.GetSampleCache("SESC", false, version, channels), cache);
    EXPECT_EQ(version, 2);
    EXPECT_EQ(channels, 2u);
}

TEST(ID3v2Accessors, OutOfRangeAndMissingFramesGiveEmptyValues) {
    TID3v2Tag tag;
    tag.AddFrame("TIT2");  // empty data
    std::string a, b, c, d;
    uint8_t type = 0;
    uint32_t n = 0;
    std::vector<std::string> list;
    TMemoryStream picture;
    for (int64_t i : {int64_t(-1), int64_t(0), int64_t(7)}) {
        EXPECT_EQ(tag.GetText(i), "");
        EXPECT_EQ(tag.GetContent(i, a, b), "");
        EXPECT_FALSE(tag.GetCoverPictureStream(i, picture, a, b, type));
        EXPECT_EQ(tag.GetUserDefinedURLLink(i, a), "");
        EXPECT_FALSE(tag.GetPopularimeter(i, a, type, n));
        EXPECT_FALSE(tag.GetListFrame(i, list));
        EXPECT_FALSE(tag.GetGEOB(i, a, b, c, d));
        EXPECT_EQ(tag.GetSampleCache(i, true, type, n), "");
    }
    for (int64_t i : {int64_t(-1), int64_t(7)}) {
        EXPECT_FALSE(tag.SetText(i, "x", teUTF8));
        EXPECT_FALSE(tag.SetContent(i, "x", "eng", "", teUTF8));
        EXPECT_FALSE(tag.SetPlayCount(i, 1));
        EXPECT_FALSE(tag.SetListFrame(i, {"a=b"}, teUTF8));
        EXPECT_FALSE(tag.SetCoverPictureFromStream(i, "", picture, "image/png", 3));
    }
    EXPECT_EQ(tag.FrameCount(), 1);
    EXPECT_FALSE(tag.DeleteFrame(int64_t(5)));
    EXPECT_FALSE(tag.DeleteFrame("TALB"));
    EXPECT_TRUE(tag.DeleteFrame("TIT2"));
}

TEST(ID3v2Kinds, FrameKindClassification) {
    const std::pair<const char*, int> cases[] = {
        {"TXXX", 2}, {"TIT2", 1}, {"WOAR", 5}, {"WXXX", 6}, {"APIC", 8}, {"MCDI", 8}, {"PRIV", 11}, {"PCNT", 7},
        {"SESC", 8}, {"GEOB", 8}, {"TIPL", 4}, {"TMCL", 4}, {"COMM", 3}, {"USLT", 3}, {"CHAP", 10}, {"CTOC", 9},
    };
    for (const auto& [id, kind] : cases) EXPECT_EQ(ID3v2FrameKind(id), kind) << id;
}

TEST(ID3v2Kinds, GenreReferences) {
    const std::pair<const char*, const char*> cases[] = {
        {"(17)", "Rock"},
        {"(17)Rock", "Rock"},
        {"(17)(6)", "Rock Grunge"},
        {"(RX)(CR)", "Remix Cover"},
        {"Classical", "Classical"},
        {"(300)Metal", "(300)Metal"},
        {"((Text)", "(Text)"},
        {"(4)Eurodisco", "Disco Eurodisco"},
        {"()(9)", "Metal"},
        {"(200)", "200"},
        {"(255)Pop", "Pop"},
        {"(191)", "Psybient"},
        {"(", "("},
        {"(12", "(12"},
        {"", ""},
    };
    for (const auto& [text, genre] : cases) EXPECT_EQ(DecodeID3v2Genre(text), genre) << text;
}
