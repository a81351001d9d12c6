// ID3v2 tags inside WAV, RF64, AIFF, DSF and DFF files: found, written,
// grown, shrunk and removed, with every size field of the container kept
// true and the audio untouched.
#include <gtest/gtest.h>

#include <functional>

#include "support/bytes.h"
#include "support/files.h"
#include "support/tempdir.h"
#include "tags/core/bytes.h"
#include "tags/id3v2/id3v2_fixtures.h"
#include "tags/id3v2/id3v2library.h"

using namespace tags;
using namespace id3v2test;
using namespace testenv;

namespace {

std::string Pad(const std::string& data) { return data.size() % 2 ? data + '\0' : data; }
std::string LeChunk(const std::string& id, const std::string& data) { return id + le(data.size(), 4) + Pad(data); }
std::string BeChunk(const std::string& id, const std::string& data) { return id + be(data.size(), 4) + Pad(data); }
std::string DffChunk(const std::string& id, const std::string& data) { return id + be(data.size(), 8) + Pad(data); }

std::string Wav(const std::string& chunks) { return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks; }
std::string Aiff(const std::string& chunks, const std::string& form = "AIFF") {
    return "FORM" + be(4 + chunks.size(), 4) + form + chunks;
}
std::string Dff(const std::string& chunks) { return "FRM8" + be(4 + chunks.size(), 8) + "DSD " + chunks; }

// A "data" chunk whose 32-bit size says 0xFFFFFFFF; ds64 holds the sizes.
std::string Rf64(const std::string& audio, const std::string& after = {}) {
    const std::string fmt = LeChunk("fmt ", std::string(16, '\x01'));
    const std::string data = "data" + le(0xFFFFFFFF, 4) + Pad(audio);
    const uint64_t riff = 4 + 36 + fmt.size() + data.size() + after.size();
    const std::string ds64 =
        "ds64" + le(28, 4) + le(riff, 8) + le(audio.size(), 8) + le(audio.size() / 4, 8) + le(0, 4);
    return "RF64" + le(0xFFFFFFFF, 4) + "WAVE" + ds64 + fmt + data + after;
}

std::string Dsf(const std::string& audio, const std::string& tag = {}) {
    const std::string fmt = "fmt " + le(52, 8) + std::string(40, '\x02');
    const std::string data = "data" + le(12 + audio.size(), 8) + audio;
    const uint64_t total = 28 + fmt.size() + data.size() + tag.size();
    return "DSD " + le(28, 8) + le(total, 8) + le(tag.empty() ? 0 : 28 + fmt.size() + data.size(), 8) + fmt + data +
           tag;
}

const std::string kTitle = std::string("\x03") + "Title";

// Whether the container's own size fields describe exactly the file.
bool SizesAgree(const std::string& b) {
    const auto* p = reinterpret_cast<const uint8_t*>(b.data());
    if (b.compare(0, 4, "RIFF") == 0) return ReadLE32(p + 4) + 8 == b.size();
    if (b.compare(0, 4, "RF64") == 0) return ReadLE32(p + 4) == 0xFFFFFFFF && ReadLE64(p + 20) + 8 == b.size();
    if (b.compare(0, 4, "FORM") == 0) return ReadBE32(p + 4) + 8 == b.size();
    if (b.compare(0, 4, "FRM8") == 0) return ReadBE64(p + 4) + 12 == b.size();
    if (b.compare(0, 4, "DSD ") == 0) {
        const uint64_t meta = ReadLE64(p + 20);
        return ReadLE64(p + 12) == b.size() && (meta == 0 || b.compare(meta, 3, "ID3") == 0);
    }
    return false;
}

struct Container {
    const char* name;
    std::string untagged;
    std::string audio;  // bytes a save must leave where the file keeps them
};

std::vector<Container> Containers() {
    const std::string audio = Audio(3001);
    const std::string fmt = std::string(16, '\x01');
    return {
        {"wav", Wav(LeChunk("fmt ", fmt) + LeChunk("data", audio) + LeChunk("LIST", "INFOISFT" + le(3, 4) + "ab")),
         audio},
        {"rf64", Rf64(audio), audio},
        {"aiff", Aiff(BeChunk("COMM", std::string(18, '\x03')) + BeChunk("SSND", audio)), audio},
        {"aifc", Aiff(BeChunk("FVER", std::string(4, '\x04')) + BeChunk("SSND", audio), "AIFC"), audio},
        {"dsf", Dsf(audio), audio},
        {"dff", Dff(DffChunk("FVER", std::string(4, '\x05')) + DffChunk("DSD ", audio)), audio},
    };
}

class ID3v2Containers : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(ID3v2Containers, TagsAreAddedGrownShrunkAndRemovedWithSizesKeptTrue) {
    for (const Container& c : Containers()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string("song.") + c.name, c.untagged);
        TID3v2Tag tag;
        EXPECT_EQ(tag.LoadFromFile(path), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
        EXPECT_EQ(StripID3v2TagFromFile(path), ID3V2LIBRARY_ERROR_EMPTY_TAG);

        tag.SetText("TIT2", "Title", teUTF8);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        std::string saved = readFile(path);
        EXPECT_TRUE(SizesAgree(saved));
        EXPECT_NE(saved.find(c.audio), std::string::npos);

        TID3v2Tag back;
        ASSERT_EQ(back.LoadFromFile(path), 0);
        EXPECT_EQ(back.GetText("TIT2"), "Title");
        EXPECT_EQ(saved.compare(back.Position(), 3, "ID3"), 0);

        // A small change fits the padding of a chunk: written where the tag
        // is. DSF and DFF tags have no padding and move.
        back.SetText("TPE1", "Artist", teUTF8);
        ASSERT_EQ(back.SaveToFile(path), 0);
        const bool padded = back.SourceFileType() != sftDSF && back.SourceFileType() != sftDFF;
        if (padded) {
            EXPECT_EQ(readFile(path).size(), saved.size());
        }

        // A tag larger than its room moves whatever follows it.
        back.SetText("TIT3", std::string(9000, 'c'), teUTF8);
        back.SetText("TALB", std::string(5001, 'a'), teUTF8);
        ASSERT_EQ(back.SaveToFile(path), 0);
        saved = readFile(path);
        EXPECT_TRUE(SizesAgree(saved));
        TID3v2Tag grown;
        ASSERT_EQ(grown.LoadFromFile(path), 0);
        EXPECT_EQ(grown.GetText("TALB"), std::string(5001, 'a'));
        EXPECT_EQ(grown.GetText("TPE1"), "Artist");
        EXPECT_EQ(grown.SourceFileType(), back.SourceFileType());

        // Shrinking far below the room gives the space back.
        grown.DeleteFrame(std::string_view("TALB"));
        ASSERT_EQ(grown.SaveToFile(path), 0);
        EXPECT_LT(readFile(path).size(), saved.size());
        EXPECT_TRUE(SizesAgree(readFile(path)));

        ASSERT_EQ(StripID3v2TagFromFile(path), 0);
        EXPECT_EQ(readFile(path), c.untagged);
        EXPECT_EQ(dir.entries().size(), 1u);
        std::remove(path.c_str());
    }
}

TEST_F(ID3v2Containers, StreamsAreSavedAndCutLikeFiles) {
    for (const Container& c : Containers()) {
        SCOPED_TRACE(c.name);
        TMemoryStream m(c.untagged);
        TID3v2Tag tag;
        tag.SetText("TIT2", "Title", teUTF8);
        ASSERT_EQ(tag.SaveToStream(m), 0);
        EXPECT_TRUE(SizesAgree(m.Bytes()));
        TID3v2Tag back;
        ASSERT_EQ(back.LoadFromStream(m), 0);
        EXPECT_EQ(back.GetText("TIT2"), "Title");
        ASSERT_EQ(StripID3v2TagFromStream(m), 0);
        EXPECT_EQ(m.Bytes(), c.untagged);
        EXPECT_EQ(StripID3v2TagFromStream(m), ID3V2LIBRARY_ERROR_EMPTY_TAG);
    }
}

// Builds the tagged file by hand, saves a grown tag and hands back the result.
std::string SaveGrown(const TempDir& dir, const std::string& bytes, int* rc = nullptr) {
    const std::string path = dir.file("x.bin", bytes);
    TID3v2Tag tag;
    tag.LoadFromFile(path);
    tag.SetText("TALB", std::string(3000, 'a'), teUTF8);
    int r = tag.SaveToFile(path);
    if (rc) *rc = r;
    else EXPECT_EQ(r, 0);
    return readFile(path);
}

TEST_F(ID3v2Containers, ChunksAroundTheTagStayAsTheyWere) {
    const std::string audio = Audio(1000);
    const std::string list = LeChunk("LIST", "INFOINAM" + le(5, 4) + "name\0" + '\0');
    const std::string tagged = Wav(LeChunk("data", audio) + LeChunk("id3 ", Tag(3, 0, Frame3("TIT2", kTitle))) + list);
    std::string out = SaveGrown(dir, tagged);
    EXPECT_TRUE(SizesAgree(out));
    EXPECT_EQ(out.substr(out.size() - list.size()), list);

    // Bytes after the RIFF body stay after it; the new chunk ends the body.
    const std::string body = Wav(LeChunk("data", audio));
    out = SaveGrown(dir, body + "trailing");
    EXPECT_EQ(out.substr(out.size() - 8), "trailing");
    EXPECT_EQ(ReadLE32(out.data() + 4) + 8, out.size() - 8);
    EXPECT_EQ(out.compare(body.size(), 4, "id3 "), 0);

    // A chunk of that name that holds no tag is not ours: a new one follows it.
    const std::string foreign = Wav(LeChunk("data", audio) + LeChunk("id3 ", "not a tag"));
    out = SaveGrown(dir, foreign);
    EXPECT_EQ(out.substr(12, foreign.size() - 12), foreign.substr(12));
    TID3v2Tag back;
    ASSERT_EQ(back.LoadFromFile(dir.at("x.bin")), 0);
    EXPECT_EQ(back.Position(), int64_t(foreign.size() + 8));

    // An empty one last: the new chunk right after it is not taken for its
    // contents, so the saved tag reads back.
    for (const std::string& file :
         {Wav(LeChunk("data", audio) + LeChunk("id3 ", "")), Aiff(BeChunk("SSND", audio) + BeChunk("ID3 ", ""))}) {
        SaveGrown(dir, file);
        TID3v2Tag grown;
        ASSERT_EQ(grown.LoadFromFile(dir.at("x.bin")), 0);
        EXPECT_EQ(grown.GetText("TALB"), std::string(3000, 'a'));
    }

    // An "ID32" chunk keeps its name when it grows.
    out = SaveGrown(dir, Wav(LeChunk("data", audio) + LeChunk("ID32", Tag(3, 0, Frame3("TIT2", kTitle)))));
    EXPECT_EQ(out.compare(8 + 4 + 8 + 1000, 4, "ID32"), 0);
    EXPECT_TRUE(SizesAgree(out));
}

TEST_F(ID3v2Containers, PadBytesAreWrittenAndCounted) {
    // An AIFF whose last chunk is odd and lacks its pad byte.
    std::string odd = Aiff(BeChunk("SSND", Audio(999)));
    odd.pop_back();
    WriteBE32(odd.data() + 4, uint32_t(odd.size() - 8));
    std::string out = SaveGrown(dir, odd);
    EXPECT_TRUE(SizesAgree(out));
    EXPECT_EQ(out[odd.size()], '\0');
    EXPECT_EQ(out.compare(odd.size() + 1, 4, "ID3 "), 0);

    // A DFF tag of odd length: the pad byte is in FRM8, not in the chunk size.
    const std::string path = dir.file("odd.dff", Dff(DffChunk("DSD ", Audio(100))));
    TID3v2Tag tag;
    tag.SetText("TIT2", "Title", teUTF8);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    out = readFile(path);
    const size_t chunk = out.find("ID3 ");
    ASSERT_NE(chunk, std::string::npos);
    const uint64_t size = ReadBE64(out.data() + chunk + 4);
    EXPECT_EQ(size % 2, 1u);
    EXPECT_EQ(chunk + 12 + size + 1, out.size());
    EXPECT_TRUE(SizesAgree(out));
}

TEST_F(ID3v2Containers, Rf64SizesLiveInDs64) {
    const std::string audio = Audio(1001);
    const std::string tagged = Rf64(audio, LeChunk("id3 ", Tag(3, 0, Frame3("TIT2", kTitle))));
    const std::string path = dir.file("a.rf64", tagged);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    EXPECT_EQ(tag.GetText("TIT2"), "Title");
    tag.SetText("TALB", std::string(3000, 'a'), teUTF8);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    const std::string out = readFile(path);
    EXPECT_TRUE(SizesAgree(out));
    EXPECT_EQ(ReadLE64(out.data() + 20) - ReadLE64(tagged.data() + 20), out.size() - tagged.size());
    EXPECT_NE(out.find(audio), std::string::npos);
}

TEST_F(ID3v2Containers, DsfOffsetPointsAtTheTagAndBackToZero) {
    const std::string audio = Audio(500);
    const std::string path = dir.file("a.dsf", Dsf(audio));
    TID3v2Tag tag;
    tag.SetText("TIT2", "Title", teUTF8);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    std::string out = readFile(path);
    const size_t end = Dsf(audio).size();
    EXPECT_EQ(ReadLE64(out.data() + 20), end);
    EXPECT_EQ(out.compare(end, 3, "ID3"), 0);
    ASSERT_EQ(StripID3v2TagFromFile(path), 0);
    EXPECT_EQ(ReadLE64(readFile(path).data() + 20), 0u);

    // A DSF tag followed by other bytes: they move with the tag's growth.
    out = SaveGrown(dir, Dsf(audio, Tag(3, 0, Frame3("TIT2", kTitle))) + "tail");
    EXPECT_EQ(out.substr(out.size() - 4), "tail");
    EXPECT_EQ(ReadLE64(out.data() + 12), out.size() - 4);
}

TEST_F(ID3v2Containers, DamagedOrForeignContainersAreLeftAlone) {
    const std::string audio = Audio(400);
    const std::string tagChunk = LeChunk("id3 ", Tag(3, 0, Frame3("TIT2", kTitle)));
    std::string truncated = Wav(tagChunk + LeChunk("data", audio));
    truncated.resize(truncated.size() - 10);
    std::string riffNearLimit = Wav(LeChunk("data", audio));
    WriteLE32(riffNearLimit.data() + 4, 0xFFFFFF00u);
    std::string dsfTooLong = Dsf(audio);
    WriteLE64(dsfTooLong.data() + 12, dsfTooLong.size() + 1);
    std::string dffTooLong = Dff(DffChunk("DSD ", audio));
    WriteBE64(dffTooLong.data() + 4, dffTooLong.size());
    std::string rf64TooLong = Rf64(audio);
    WriteLE64(rf64TooLong.data() + 20, 0xFFFFFFFFFFFFFFB8u);  // wraps if grown
    const struct {
        const char* what;
        std::string bytes;
        int save;
        int strip;
    } cases[] = {
        {"a chunk past the end", truncated, ID3V2LIBRARY_ERROR_CORRUPT, ID3V2LIBRARY_ERROR_CORRUPT},
        {"a RIFF size that overflows", riffNearLimit, ID3V2LIBRARY_ERROR_SIZE_OVERFLOW, ID3V2LIBRARY_ERROR_EMPTY_TAG},
        {"a FORM of another type", Aiff(BeChunk("ID3 ", Tag(3, 0, Frame3("TIT2", kTitle))), "8SVX"), ID3V2LIBRARY_ERROR,
         ID3V2LIBRARY_ERROR_NOT_SUPPORTED_FORMAT},
        {"a DSF total past the end", dsfTooLong, ID3V2LIBRARY_ERROR_CORRUPT, ID3V2LIBRARY_ERROR_EMPTY_TAG},
        {"a FRM8 size past the end", dffTooLong, ID3V2LIBRARY_ERROR_CORRUPT, ID3V2LIBRARY_ERROR_EMPTY_TAG},
        {"a ds64 size past the end", rf64TooLong, ID3V2LIBRARY_ERROR_CORRUPT, ID3V2LIBRARY_ERROR_EMPTY_TAG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.bin", c.bytes);
        TID3v2Tag tag;
        tag.SetText("TIT2", "New", teUTF8);
        EXPECT_EQ(tag.SaveToFile(path), c.save);
        EXPECT_EQ(StripID3v2TagFromFile(path), c.strip);
        EXPECT_EQ(readFile(path), c.bytes);
        EXPECT_EQ(dir.entries().size(), 1u);
    }
    // The tag found before the damage still loads.
    TID3v2Tag tag;
    TMemoryStream m(truncated);
    ASSERT_EQ(tag.LoadFromStream(m), 0);
    EXPECT_EQ(tag.GetText("TIT2"), "Title");
}

TEST_F(ID3v2Containers, ATagClaimingMoreThanItsChunkReadsNothingBeyond) {
    // The tag's header says 200 bytes; its chunk holds 21, then a chunk
    // whose bytes look like a frame.
    std::string tag = Tag(3, 0, Frame3("TIT2", kTitle));
    const std::string fake = Frame3("TPE1", std::string("\x03") + "Fake") + std::string(200, '\0');
    tag.replace(6, 4, Synchsafe(200));
    TMemoryStream m(Wav(LeChunk("id3 ", tag) + LeChunk("junk", fake)));
    TID3v2Tag loaded;
    ASSERT_EQ(loaded.LoadFromStream(m), 0);
    EXPECT_EQ(loaded.GetText("TIT2"), "Title");
    EXPECT_EQ(loaded.GetText("TPE1"), "");
}

}  // namespace
