// Saving into files and streams (in place or rewritten), removal, and the
// failures that must leave the original untouched.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/disk.h"
#include "support/files.h"
#include "support/tempdir.h"
#include "tags/id3v2/id3v2_fixtures.h"
#include "tags/id3v2/id3v2library.h"

using namespace tags;
using namespace id3v2test;
using namespace testenv;

namespace {

const std::string kTitle = std::string("\x03") + "Title";

uint32_t TagSizeField(const std::string& bytes) {
    return uint32_t(bytes[6]) << 21 | uint32_t(bytes[7]) << 14 | uint32_t(bytes[8]) << 7 | uint32_t(bytes[9]);
}

// What follows the tag that starts the file.
std::string AfterTag(const std::string& bytes) { return bytes.substr(TagSizeField(bytes) + 10); }

class ID3v2Save : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.at("song.mp3");
    std::string audio = Audio();

    // A file whose tag holds one title frame and the given padding.
    void MakeFile(size_t padding, int major = 3) {
        writeFile(path, Tag(major, 0, major == 4 ? Frame4("TIT2", kTitle) : Frame3("TIT2", kTitle), padding) + audio);
    }
};

// A stream whose writes fail after a number of bytes.
class FailingStream : public TMemoryStream {
public:
    FailingStream(std::string bytes, int64_t budget) : TMemoryStream(std::move(bytes)), budget_(budget) {}
    int64_t Write(const void* buffer, int64_t count) override {
        int64_t n = std::min(count, budget_);
        budget_ -= n;
        return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
    }

private:
    int64_t budget_;
};

}  // namespace

TEST_F(ID3v2Save, GrowingIntoThePaddingSavesInPlace) {
    MakeFile(4096);
    const auto before = std::filesystem::file_size(path);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.SetText("TPE1", std::string(90, 'a'), teUTF8);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    std::string out = readFile(path);
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(AfterTag(out), audio);
    EXPECT_EQ(tag.PaddingSize, 4096u - (10 + 1 + 90 + 1));
    EXPECT_EQ(dir.entries().size(), 1u);
    TID3v2Tag back;
    ASSERT_EQ(back.LoadFromFile(path), 0);
    EXPECT_EQ(back.GetText("TPE1"), std::string(90, 'a'));
    EXPECT_EQ(back.GetText("TIT2"), "Title");
}

TEST_F(ID3v2Save, OutgrowingOrLeavingTooMuchRoomRewrites) {
    struct Case {
        size_t padding;
        std::string artist;
    };
    // Too small for the new frame; and far more room than the padding policy allows.
    for (const Case& c : {Case{10, std::string(200, 'b')}, Case{20000, "x"}}) {
        MakeFile(c.padding);
        TID3v2Tag tag;
        ASSERT_EQ(tag.LoadFromFile(path), 0);
        tag.SetText("TPE1", c.artist, teUTF8);
        ASSERT_EQ(tag.SaveToFile(path), 0);
        std::string out = readFile(path);
        EXPECT_EQ(AfterTag(out), audio);
        EXPECT_EQ(tag.PaddingSize, 4096u);
        EXPECT_EQ(TagSizeField(out), tag.CalculateTagSize(4096) - 10);
        EXPECT_EQ(dir.entries().size(), 1u) << "temporary file left behind";
    }
}

TEST_F(ID3v2Save, FileWithoutTagGetsOneAtTheStart) {
    writeFile(path, audio);
    TID3v2Tag tag;
    EXPECT_EQ(tag.LoadFromFile(path), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
    tag.SetText("TIT2", "Neu", teUTF8);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    std::string out = readFile(path);
    EXPECT_EQ(out.substr(0, 4), std::string("ID3\x03", 4));
    EXPECT_EQ(AfterTag(out), audio);
    EXPECT_EQ(out.size(), audio.size() + 10 + 10 + 5 + 4096);
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST_F(ID3v2Save, EmptyTagsRemoveOrRefuse) {
    MakeFile(50);
    const std::string original = readFile(path);
    TID3v2Tag none;
    EXPECT_EQ(none.SaveToFile(path), ID3V2LIBRARY_ERROR_EMPTY_TAG);
    EXPECT_EQ(readFile(path), original);

    TID3v2Tag empty;
    empty.AddFrame("TIT2");
    ASSERT_EQ(empty.SaveToFile(path), 0);
    EXPECT_EQ(readFile(path), audio);
}

TEST_F(ID3v2Save, VersionChoiceOnSave) {
    MakeFile(0, 3);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.WriteVersion = sfid3v24;
    tag.SetText("TPE1", std::string(200, 'c'), teUTF8);  // synchsafe size 202 differs from plain
    ASSERT_EQ(tag.SaveToFile(path), 0);
    EXPECT_EQ(tag.MajorVersion, 4);
    std::string out = readFile(path);
    EXPECT_EQ(out[3], 4);
    TID3v2Tag back;
    ASSERT_EQ(back.LoadFromFile(path), 0);
    EXPECT_EQ(back.GetText("TPE1"), std::string(200, 'c'));

    // A data-length field of a newer tag has no place in an ID3v2.3 frame.
    TID3v2Tag v4;
    v4.MajorVersion = 4;
    TID3v2Frame& f = *v4.AddFrameEx("TIT2");
    f.Data() = kTitle;
    f.DataLengthIndicator = true;
    f.DataLengthIndicatorValue = 6;
    v4.WriteVersion = sfid3v23;
    TMemoryStream m(audio);
    ASSERT_EQ(v4.SaveToStream(m), 0);
    TID3v2Tag read;
    ASSERT_EQ(read.LoadFromStream(m), 0);
    EXPECT_EQ(read.MajorVersion, 3);
    EXPECT_EQ(read.GetText("TIT2"), "Title");
}

TEST_F(ID3v2Save, FooterOfTheOldTagIsReplacedToo) {
    std::string body = Frame4("TIT2", kTitle);
    std::string footer = std::string("3DI\x04\0\x10", 6) + Synchsafe(uint32_t(body.size()));
    writeFile(path, Tag(4, 0x10, body) + footer + audio);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    EXPECT_TRUE(tag.FooterPresent);
    tag.SetText("TPE1", "Artist", teUTF8);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    EXPECT_EQ(AfterTag(readFile(path)), audio);
}

TEST_F(ID3v2Save, TagClaimingMoreThanTheFileIsLeftAlone) {
    std::string bytes = std::string("ID3\x03\0\0", 6) + Synchsafe(100000) + Frame3("TIT2", kTitle) + audio;
    writeFile(path, bytes);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.SetText("TIT2", "Other", teUTF8);
    EXPECT_EQ(tag.SaveToFile(path), ID3V2LIBRARY_ERROR_CORRUPT);
    EXPECT_EQ(StripID3v2TagFromFile(path), ID3V2LIBRARY_ERROR_CORRUPT);
    EXPECT_EQ(readFile(path), bytes);
}

TEST_F(ID3v2Save, ReadOnlyFileIsNotTouched) {
    MakeFile(10);
    const std::string original = readFile(path);
    ReadOnly readOnly(path);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.SetText("TPE1", "x", teUTF8);
    EXPECT_EQ(tag.SaveToFile(path), ID3V2LIBRARY_ERROR_READ_ONLY);
    EXPECT_EQ(StripID3v2TagFromFile(path), ID3V2LIBRARY_ERROR_READ_ONLY);
    EXPECT_EQ(readFile(path), original);
}

TEST_F(ID3v2Save, FileInUseSavesInPlaceButCannotBeRewritten) {
    MakeFile(4096);
    auto reader = TFileStream::Open(path, TFileMode::fmOpenRead);
    ASSERT_TRUE(reader);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.SetText("TPE1", "fits", teUTF8);
    EXPECT_EQ(tag.SaveToFile(path), 0);
    tag.SetText("TPE1", std::string(5000, 'w'), teUTF8);
    const std::string before = readFile(path);
    EXPECT_EQ(tag.SaveToFile(path), ID3V2LIBRARY_ERROR_NEED_EXCLUSIVE_ACCESS);
    EXPECT_EQ(readFile(path), before);
    reader.reset();
    EXPECT_EQ(tag.SaveToFile(path), 0);
    EXPECT_EQ(AfterTag(readFile(path)), audio);
}

TEST_F(ID3v2Save, FailedRewriteLeavesTheOriginalWhole) {
    MakeFile(0);
    const std::string original = readFile(path);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.SetText("TPE1", std::string(500, 'f'), teUTF8);

    // Writes past 2000 bytes fail (as on a full disk); the temporary file
    // cannot be completed.
    {
        FullDisk full(2000);
        EXPECT_EQ(tag.SaveToFile(path), ID3V2LIBRARY_ERROR_WRITING_FILE);
    }
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST_F(ID3v2Save, SavingThroughALinkReplacesTheTarget) {
    MakeFile(0);
    std::string link = dir.at("link.mp3");
    std::filesystem::create_symlink(path, link);
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(link), 0);
    tag.SetText("TPE1", std::string(300, 'l'), teUTF8);
    ASSERT_EQ(tag.SaveToFile(link), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    TID3v2Tag back;
    ASSERT_EQ(back.LoadFromFile(path), 0);
    EXPECT_EQ(back.GetText("TPE1"), std::string(300, 'l'));
}

TEST_F(ID3v2Save, ModificationTimeIsKeptWhenAsked) {
    MakeFile(0);
    ASSERT_TRUE(setModificationTime(path, 1000000000));
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.PreserveFileDateTime = true;
    tag.SetText("TPE1", std::string(300, 'm'), teUTF8);
    ASSERT_EQ(tag.SaveToFile(path), 0);
    EXPECT_EQ(modificationTime(path), 1000000000);
    ASSERT_EQ(StripID3v2TagFromFile(path, true), 0);
    EXPECT_EQ(modificationTime(path), 1000000000);
}

TEST_F(ID3v2Save, TagLoadedWithoutPicturesRefusesToDropThem) {
    std::string apic = std::string("\0image/png\0\x03\0", 13) + "PNGDATA";
    writeFile(path, Tag(3, 0, Frame3("APIC", apic) + Frame3("TIT2", kTitle)) + audio);
    const std::string original = readFile(path);
    TID3v2Tag tag;
    tag.ParseCoverArts = false;
    ASSERT_EQ(tag.LoadFromFile(path), 0);
    tag.SetText("TPE1", "Artist", teUTF8);
    EXPECT_EQ(tag.SaveToFile(path), ID3V2LIBRARY_ERROR);
    EXPECT_EQ(readFile(path), original);
    tag.DeleteAllCoverArts();
    EXPECT_EQ(tag.SaveToFile(path), 0);
}

TEST_F(ID3v2Save, RemovalFromFiles) {
    MakeFile(100);
    ASSERT_EQ(StripID3v2TagFromFile(path), 0);
    EXPECT_EQ(readFile(path), audio);
    EXPECT_EQ(dir.entries().size(), 1u);
    EXPECT_EQ(StripID3v2TagFromFile(path), ID3V2LIBRARY_ERROR_EMPTY_TAG);
    EXPECT_EQ(StripID3v2TagFromFile(dir.at("missing.mp3")), ID3V2LIBRARY_ERROR_OPENING_FILE);
    TID3v2Tag tag;
    EXPECT_EQ(tag.LoadFromFile(dir.at("missing.mp3")), ID3V2LIBRARY_ERROR_OPENING_FILE);
}

TEST(ID3v2SaveStream, InPlaceRewriteAndRemoval) {
    const std::string audio = Audio();
    TMemoryStream m(Tag(3, 0, Frame3("TIT2", kTitle), 4096) + audio);
    const int64_t before = m.Size();
    TID3v2Tag tag;
    ASSERT_EQ(tag.LoadFromStream(m), 0);
    tag.SetText("TPE1", "Artist", teUTF8);
    ASSERT_EQ(tag.SaveToStream(m), 0);
    EXPECT_EQ(m.Position(), 0);
    EXPECT_EQ(m.Size(), before);
    EXPECT_EQ(AfterTag(m.Bytes()), audio);

    tag.SetText("TPE1", std::string(5000, 'z'), teUTF8);
    ASSERT_EQ(tag.SaveToStream(m), 0);
    EXPECT_EQ(m.Position(), 0);
    EXPECT_EQ(AfterTag(m.Bytes()), audio);
    TID3v2Tag back;
    ASSERT_EQ(back.LoadFromStream(m), 0);
    EXPECT_EQ(back.GetText("TPE1"), std::string(5000, 'z'));

    ASSERT_EQ(StripID3v2TagFromStream(m), 0);
    EXPECT_EQ(m.Bytes(), audio);
    EXPECT_EQ(StripID3v2TagFromStream(m), ID3V2LIBRARY_ERROR_EMPTY_TAG);
    TMemoryStream empty;
    EXPECT_EQ(StripID3v2TagFromStream(empty), ID3V2LIBRARY_ERROR);
}

TEST(ID3v2SaveStream, WriteFailuresAreReported) {
    const std::string audio = Audio();
    TID3v2Tag tag;
    tag.SetText("TIT2", "Title", teUTF8);
    FailingStream broken(audio, 100);
    EXPECT_EQ(tag.SaveToStream(broken), ID3V2LIBRARY_ERROR_WRITING_FILE);
    // A short write behind the buffer is reported as well.
    FailingStream tagged(Tag(3, 0, Frame3("TIT2", kTitle), 100) + audio, 20);
    EXPECT_EQ(tag.SaveToStream(tagged, true), ID3V2LIBRARY_ERROR_WRITING_FILE);
    FailingStream none("", 0);
    EXPECT_EQ(tag.SaveTagToStream(none, 10), ID3V2LIBRARY_ERROR_WRITING_FILE);
}
