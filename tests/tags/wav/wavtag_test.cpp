// RIFF INFO lists, "bext" and "cart" chunks: loading, saving with every other
// chunk kept in its order, RF64 sizes, and files that are refused.
#include <gtest/gtest.h>

#include "support/bytes.h"
#include "support/files.h"
#include "support/tempdir.h"
#include "tags/core/bytes.h"
#include "tags/facade/tagslibrary.h"
#include "tags/wav/wavtaglibrary.h"

using namespace tags;
using namespace testenv;

namespace {

std::string Chunk(const std::string& id, const std::string& data) {
    return id + le(data.size(), 4) + data + (data.size() % 2 ? std::string(1, '\0') : "");
}
std::string Wav(const std::string& chunks) { return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks; }

// 16-bit stereo at 8000 Hz.
const std::string kFmt = Chunk("fmt ", le(1, 2) + le(2, 2) + le(8000, 4) + le(32000, 4) + le(4, 2) + le(16, 2));
std::string Samples(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char(i * 7 + 1);
    return s;
}

std::string Info(const std::string& items) { return Chunk("LIST", "INFO" + items); }

std::string Bext(const std::string& description, const std::string& history) {
    std::string fixed(602, '\0');
    fixed.replace(0, description.size(), description);
    fixed.replace(346, 2, le(1, 2));
    return Chunk("bext", fixed + history);
}

// The chunk identifiers after "WAVE", in order.
std::string Ids(const std::string& b) {
    std::string ids;
    for (size_t pos = 12; pos + 8 <= b.size();) {
        const uint32_t size = ReadLE32(b.data() + pos + 4);
        ids += b.substr(pos, 4) + "|";
        pos += 8 + size + (size & 1);
    }
    return ids;
}

TEST(WAVTag, LoadsInfoBextCartAndTheStreamProperties) {
    std::string cart(2048, '\0');
    cart.replace(0, 4, "0101");
    cart.replace(4, 5, "Title");
    cart.replace(684, 8, "SEC1" + le(4410, 4));
    const std::string file =
        Wav(kFmt + Info(Chunk("INAM", std::string("Name\0", 5)) + Chunk("IART", "Odd\0")) + Bext("Desc", "A=PCM\r\n") +
            Chunk("cart", cart + "text") + Chunk("data", Samples(32000)));
    TMemoryStream m(file);
    m.SetPosition(5);
    TWAVTag tag;
    ASSERT_EQ(tag.LoadFromStream(m), 0);
    EXPECT_EQ(m.Position(), 5);
    ASSERT_EQ(tag.Count(), 2);
    EXPECT_EQ(tag.GetText("INAM"), "Name");
    EXPECT_EQ(tag.GetText("IART"), "Odd");
    EXPECT_EQ(tag.BEXT.Get("Description"), "Desc");
    EXPECT_EQ(tag.BEXT.Get("CodingHistory"), "A=PCM\r\n");
    EXPECT_EQ(tag.BEXT.Get("Version"), "1");
    EXPECT_EQ(tag.CART.Get("Title"), "Title");
    EXPECT_EQ(tag.CART.Get("PostTimer0"), "SEC1 4410");
    EXPECT_EQ(tag.CART.Get("TagText"), "text");
    EXPECT_EQ(tag.Attributes.Channels, 2);
    EXPECT_EQ(tag.SampleCount, 8000u);
    EXPECT_DOUBLE_EQ(tag.PlayTime, 1.0);
    EXPECT_EQ(tag.BitRate, 256);
}

TEST(WAVTag, SavesTheChunksAfterWaveAndKeepsEveryOtherChunk) {
    const std::string samples = Samples(1001);
    const std::string id3 = Chunk("id3 ", "ID3\x03" + std::string(6, '\0'));
    const std::string adtl = Chunk("LIST", "adtl" + Chunk("labl", "x"));
    const std::string file =
        Wav(kFmt + Info(Chunk("INAM", "Old\0")) + Chunk("data", samples) + adtl + id3 + Bext("Old", ""));
    TMemoryStream m(file);
    TWAVTag tag;
    ASSERT_EQ(tag.LoadFromStream(m), 0);
    tag.SetText("INAM", "Новое имя");
    tag.AddTextFrame("IART", "Odd");
    tag.BEXT.Set("Originator", std::string(31, 'o') + "Я");  // the two-byte letter does not fit 32 bytes
    tag.BEXT.Set("CodingHistory", "12345");
    tag.BEXT.Set("TimeReference", "8589934593");
    tag.CART.Set("PostTimer7", "MRK 99");
    ASSERT_EQ(tag.SaveToStream(m), 0);
    const std::string& out = m.Bytes();
    EXPECT_EQ(Ids(out), "LIST|bext|cart|fmt |data|LIST|id3 |");
    EXPECT_EQ(ReadLE32(out.data() + 4) + 8, out.size());
    EXPECT_NE(out.find(Chunk("data", samples) + adtl + id3), std::string::npos);
    // 602 bytes, the history and its terminating zero.
    const size_t bext = out.find("bext");
    EXPECT_EQ(ReadLE32(out.data() + bext + 4), 608u);

    TWAVTag back;
    ASSERT_EQ(back.LoadFromStream(m), 0);
    EXPECT_EQ(back.GetText("INAM"), "Новое имя");
    EXPECT_EQ(back.GetText("IART"), "Odd");
    EXPECT_EQ(back.BEXT.Get("Description"), "Old");
    EXPECT_EQ(back.BEXT.Get("Originator"), std::string(31, 'o'));
    EXPECT_EQ(back.BEXT.Get("CodingHistory"), "12345");
    EXPECT_EQ(back.BEXT.Get("TimeReference"), "8589934593");
    EXPECT_EQ(back.CART.Get("PostTimer7"), "MRK 99");
    EXPECT_EQ(back.CART.Get("Version"), "0101");

    // An empty tag takes the three chunks away and nothing else.
    TWAVTag empty;
    ASSERT_EQ(empty.SaveToStream(m), 0);
    EXPECT_EQ(m.Bytes(), Wav(kFmt + Chunk("data", samples) + adtl + id3));
}

TEST(WAVTag, Rf64KeepsItsSizesInDs64) {
    const std::string samples = Samples(4000);
    const std::string data = "data" + le(0xFFFFFFFF, 4) + samples;
    const std::string rest = kFmt + data;
    const std::string ds64 =
        "ds64" + le(28, 4) + le(4 + 36 + rest.size(), 8) + le(samples.size(), 8) + le(1000, 8) + le(0, 4);
    const std::string file = "RF64" + le(0xFFFFFFFF, 4) + "WAVE" + ds64 + rest;
    TMemoryStream m(file);
    TWAVTag tag;
    ASSERT_EQ(tag.LoadFromStream(m), 0);
    EXPECT_EQ(tag.SampleDataSize, samples.size());
    EXPECT_EQ(tag.SampleCount, 1000u);
    tag.SetText("INAM", "Title");
    ASSERT_EQ(tag.SaveToStream(m), 0);
    const std::string& out = m.Bytes();
    EXPECT_EQ(ReadLE32(out.data() + 4), 0xFFFFFFFFu);
    EXPECT_EQ(ReadLE64(out.data() + 20) + 8, out.size());
    EXPECT_EQ(out.compare(48, 4, "LIST"), 0);
    EXPECT_EQ(out.substr(out.size() - data.size()), data);
    TWAVTag back;
    ASSERT_EQ(back.LoadFromStream(m), 0);
    EXPECT_EQ(back.GetText("INAM"), "Title");
}

TEST(WAVTag, RefusedFilesStayAsTheyWere) {
    TempDir dir;
    std::string truncated = Wav(kFmt + Chunk("data", Samples(100)));
    truncated.resize(truncated.size() - 10);
    const std::string tagged = "ID3\x03" + std::string(5, '\0') + "\x05" + std::string(5, '\0') + Wav(kFmt);
    const struct {
        const char* what;
        std::string bytes;
        int load, save;
    } cases[] = {
        {"not RIFF", "OggS" + std::string(100, '\0'), WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT,
         WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT},
        {"a RIFF of another form", "RIFF" + le(4, 4) + "AVI ", WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT,
         WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT},
        {"a chunk past the end", truncated, 0, WAVTAGLIBRARY_ERROR_CORRUPT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("a.wav", c.bytes);
        TWAVTag tag;
        EXPECT_EQ(tag.LoadFromFile(path), c.load);
        tag.SetText("INAM", "x");
        EXPECT_EQ(tag.SaveToFile(path), c.save);
        EXPECT_EQ(readFile(path), c.bytes);
        EXPECT_EQ(dir.entries().size(), 1u);
    }
    // A leading ID3v2 tag stays at the start, byte for byte.
    const std::string path = dir.file("b.wav", tagged);
    TWAVTag tag;
    tag.SetText("INAM", "x");
    ASSERT_EQ(tag.SaveToFile(path), 0);
    const std::string out = readFile(path);
    EXPECT_EQ(out.substr(0, 15), tagged.substr(0, 15));
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    EXPECT_EQ(tag.GetText("INAM"), "x");
}

TEST(WAVTag, FacadeEntriesJoinRepeatsAndCarryBextAndCartFields) {
    TempDir dir;
    const std::string path = dir.file("a.wav", Wav(kFmt + Bext("Desc", "") + Chunk("data", Samples(400))));
    TTags tags;
    ASSERT_EQ(tags.LoadFromFile(path), 0);
    EXPECT_EQ(tags.GetText("BEXT Description"), "Desc");
    tags.Add("ARTIST")->Value = "A";
    tags.Add("ARTIST")->Value = "B";
    tags.Add("ARTIST")->Value = "A";
    tags.SetText("TRACKNUMBER", "4");
    tags.SetText("TOTALTRACKS", "12");
    tags.SetText("BEXT Description", "New");
    tags.SetText("CART PostTimer1", "INT 7");
    tags.SetText("NOSUCHFIELD", "dropped");
    ASSERT_EQ(tags.SaveToFile(path, ttWAV), 0);
    TWAVTag wav;
    ASSERT_EQ(wav.LoadFromFile(path), 0);
    EXPECT_EQ(wav.GetText("IART"), "A, B");
    EXPECT_EQ(wav.GetText("ITRK"), "4/12");
    EXPECT_EQ(wav.BEXT.Get("Description"), "New");
    EXPECT_EQ(wav.CART.Get("PostTimer1"), "INT 7");
    EXPECT_EQ(wav.Count(), 2);
}

}  // namespace
