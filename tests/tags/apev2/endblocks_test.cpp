// Every combination of APEv2 tag, Lyrics3 block and ID3v1 tag at the end of
// a file, saved and removed by both units, on files and on memory streams.
#include "tags/apev2/apev2library.h"
#include "tags/id3v1/id3v1library.h"
#include "tags/id3v1/tailfixtures.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/files.h"
#include "support/tempdir.h"

using namespace tags;
using namespace fixtures;
using namespace testenv;

namespace {

struct Layout {
    bool ape, lyrics, id3;
    std::string Name() const {
        return std::string(ape ? "ape " : "") + (lyrics ? "lyrics " : "") + (id3 ? "id3v1" : "") + "|";
    }
};

const std::string kAudio = Audio(5000);
const std::string kOldApe = ApeTag({{"Title", "old"}, {"Cover Art (Front)", std::string("d\0\xFF\xD8", 4), 2}});
const std::string kNewApe = ApeTag({{"Title", "a much longer new title"}, {"Year", "2024"}});
const std::string kOldLyrics = Lyrics3Block({{"IND", "100"}, {"LYR", "old words"}});
const std::string kNewLyrics = Lyrics3Block({{"IND", "100"}, {"LYR", "new words"}});
const std::string kOldId3 = ID3v1Block("Old title", "", "", "", "", 1, 17);
const std::string kNewId3 = ID3v1Block("New", "", "", "", "", 2, 8);

std::string Compose(const Layout& l, const std::string& ape, const std::string& lyrics, const std::string& id3) {
    return kAudio + (l.ape ? ape : "") + (l.lyrics ? lyrics : "") + (l.id3 ? id3 : "");
}

// Runs an operation on a file and on a memory stream holding the same bytes;
// both must give the same code and the same bytes.
void Check(const std::string& start, const std::function<int(const std::string&)>& onFile,
           const std::function<int(TStream&)>& onStream, int expectedCode, const std::string& expectedBytes) {
    TempDir dir;
    std::string path = dir.file("song.bin", start);
    EXPECT_EQ(onFile(path), expectedCode);
    EXPECT_EQ(readFile(path), expectedBytes);
    EXPECT_EQ(dir.entries().size(), 1u);
    TMemoryStream stream(start);
    EXPECT_EQ(onStream(stream), expectedCode);
    EXPECT_EQ(stream.Bytes(), expectedBytes);
}

std::string Saved(TAPEv2Tag& tag, std::string bytes) {
    TMemoryStream stream(std::move(bytes));
    EXPECT_EQ(tag.SaveToStream(stream), APEV2_SUCCESS);
    return stream.Bytes();
}

std::string SavedID3v1(TID3v1Tag& tag, std::string bytes) {
    TMemoryStream stream(std::move(bytes));
    EXPECT_EQ(tag.SaveToStream(stream, false), ID3V1_SUCCESS);
    return stream.Bytes();
}

}  // namespace

TEST(EndBlocks, EveryCombinationSavesAndRemovesAroundTheOthers) {
    for (int bits = 0; bits < 8; ++bits) {
        Layout l{bool(bits & 4), bool(bits & 2), bool(bits & 1)};
        SCOPED_TRACE(l.Name());
        const std::string start = Compose(l, kOldApe, kOldLyrics, kOldId3);

        TAPEv2Tag ape;
        TMemoryStream s(start);
        ASSERT_EQ(ape.LoadFromStream(s), l.ape ? APEV2_SUCCESS : APEV2_ERROR_NO_TAG);
        ASSERT_EQ(ape.Count(), l.ape ? 2 : 0);
        EXPECT_EQ(ape.GetText("title"), l.ape ? "old" : "");

        TAPEv2Tag newApe;
        newApe.AddTextFrame("Title", "a much longer new title");
        newApe.AddTextFrame("Year", "2024");
        Layout withApe = l;
        withApe.ape = true;
        Check(
            start, [&](auto& p) { return newApe.SaveToFile(p); }, [&](auto& st) { return newApe.SaveToStream(st); },
            APEV2_SUCCESS, Compose(withApe, kNewApe, kOldLyrics, kOldId3));

        Layout noApe = l;
        noApe.ape = false;
        Check(
            start, [](auto& p) { return RemoveAPEv2TagFromFile(p, false); }, RemoveAPEv2TagFromStream,
            l.ape ? APEV2_SUCCESS : APEV2_ERROR_NO_TAG, Compose(noApe, "", kOldLyrics, kOldId3));

        TID3v1Tag id3;
        ASSERT_EQ(id3.LoadFromStream(s), l.id3 ? ID3V1_SUCCESS : ID3V1_ERROR);
        EXPECT_EQ(id3.GetLyrics(), l.id3 && l.lyrics ? "old words" : "");
        id3.Clear();
        id3.Title = "New";
        id3.Track = 2;
        id3.Genre = "Jazz";
        id3.SetLyrics("new words");
        // Without WriteLyricsTag an old Lyrics3 block stays where it is.
        Layout withId3 = l;
        withId3.id3 = true;
        Check(
            start, [&](auto& p) { return id3.SaveToFile(p, false); },
            [&](auto& st) { return id3.SaveToStream(st, false); }, ID3V1_SUCCESS,
            Compose(withId3, kOldApe, kOldLyrics, kNewId3));
        Layout withBoth = withId3;
        withBoth.lyrics = true;
        Check(
            start, [&](auto& p) { return id3.SaveToFile(p, true); },
            [&](auto& st) { return id3.SaveToStream(st, true); }, ID3V1_SUCCESS,
            Compose(withBoth, kOldApe, kNewLyrics, kNewId3));

        Layout noId3 = l;
        if (l.id3) noId3.id3 = noId3.lyrics = false;
        Check(
            start, [](auto& p) { return RemoveID3v1TagFromFile(p, false); }, RemoveID3v1TagFromStream,
            l.id3 ? ID3V1_SUCCESS : ID3V1_ERROR, Compose(noId3, kOldApe, kOldLyrics, kOldId3));
    }
}

TEST(EndBlocks, ApeTagWithHeaderFlagButNoHeaderKeepsTheAudio) {
    // A footer that claims a header which is not there: nothing in front of
    // the items may be taken for it.
    std::string items = ApeItems({{"Title", "x"}});
    std::string tag = items + ApeHeader(2000, uint32_t(items.size() + 32), 1, 0x80000000u);
    TAPEv2Tag ape;
    ape.AddTextFrame("Title", "y");
    TMemoryStream s(kAudio + tag + kOldId3);
    ASSERT_EQ(ape.SaveToStream(s), APEV2_SUCCESS);
    EXPECT_EQ(s.Bytes(), kAudio + ApeTag({{"Title", "y"}}) + kOldId3);
}

TEST(EndBlocks, ApeHeaderIsNotTakenForAnID3v1Tag) {
    // 67 bytes of items make the tag 131 bytes long, so the "TAG" inside
    // "APETAGEX" of its header stands exactly 128 bytes before the end.
    const std::string tag = ApeTag({{"Title", std::string(53, 'x')}});
    ASSERT_EQ(tag.size(), 131u);
    const std::string file = kAudio + tag;
    TMemoryStream s(file);
    TAPEv2Tag ape;
    ASSERT_EQ(ape.LoadFromStream(s), APEV2_SUCCESS);
    EXPECT_EQ(ape.GetText("Title"), std::string(53, 'x'));
    EXPECT_EQ(Saved(ape, file), file);

    TID3v1Tag id3;
    EXPECT_EQ(id3.LoadFromStream(s), ID3V1_ERROR);
    EXPECT_EQ(RemoveID3v1TagFromStream(s), ID3V1_ERROR);
    id3.Title = "New";
    id3.Track = 2;
    id3.Genre = "Jazz";
    EXPECT_EQ(SavedID3v1(id3, file), file + kNewId3);  // appended, the APE tag intact
}
