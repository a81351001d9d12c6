#include "tags/flac/flactaglibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "support/disk.h"
#include "support/files.h"
#include "support/tempdir.h"
#include "tags/core/bytes.h"
#include "tags/flac/flacbytes.h"
#include "tags/flac/flacpicture.h"
#include "tags/flac/oggstream.h"

using namespace tags;
using namespace flactest;
using namespace testenv;

namespace {

const std::string kInfo = StreamInfo(44100, 2, 16, 22050);
const std::string kAudio = FakeAudio();

std::string Native(const std::string& blocks, const std::string& audio = kAudio) {
    return "fLaC" + Block(0, blocks.empty(), kInfo) + blocks + audio;
}

// comment block followed by 4096 bytes of padding: the common layout.
std::string Padded(std::initializer_list<std::string> fields) {
    return Native(Block(4, false, Comment("vendor", fields)) + Block(1, true, std::string(4096, '\0')));
}

int Load(TFlacTag& tag, const std::string& bytes) {
    TMemoryStream s(bytes);
    return tag.LoadFromStream(s);
}

// Saves the tag over bytes held in memory and returns the new bytes.
std::string SaveOver(TFlacTag& tag, const std::string& bytes, int expect = flacSuccess) {
    TMemoryStream s(bytes);
    EXPECT_EQ(tag.SaveToStream(s), expect);
    EXPECT_EQ(s.Position(), 0);
    return s.Bytes();
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A file before a change and the change made to its tag.
struct Change {
    const char* what;
    std::string before;
    std::function<void(TFlacTag&)> change;
};

void AddPicture(TFlacTag& tag, size_t size) {
    TMemoryStream pic(Picture(3, "image/jpeg", "", std::string(size, 'j')));
    tag.AddMetaDataCoverArt(&pic, pic.Size());
}

// Loads c.before, makes the change with the facade's padding size and
// returns the saved bytes.
std::string Rewrite(const Change& c, TFlacTag& tag) {
    EXPECT_EQ(Load(tag, c.before), flacSuccess) << c.what;
    tag.PaddingSizeToWrite = 4096;
    c.change(tag);
    return SaveOver(tag, c.before);
}

// Loads before, changes the tag and saves it; the file must keep its size
// and its audio. back receives what was written.
void SaveInPlace(const std::string& before, const std::function<void(TFlacTag&)>& change, TFlacTag& back) {
    TFlacTag tag;
    ASSERT_EQ(Load(tag, before), flacSuccess);
    change(tag);
    std::string after = SaveOver(tag, before);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(EndsWith(after, kAudio));
    ASSERT_EQ(Load(back, after), flacSuccess);
}

}  // namespace

TEST(FlacTag, StreamPropertiesComeFromStreamInfo) {
    struct Case {
        uint32_t rate;
        int channels, bits;
        uint64_t samples;
        double playtime;
        const char* mode;
    } cases[] = {
        {44100, 2, 16, 22050, 0.5, "Stereo"},
        {8000, 1, 8, 16000, 2.0, "Mono"},
        {48000, 6, 24, 48000, 1.0, "Multi Channel"},
        // Past 2^32 samples the top bits of the 36-bit count matter.
        {192000, 2, 24, (1ull << 32) + 192000, ((1ull << 32) + 192000) / 192000.0, "Stereo"},
    };
    for (const Case& c : cases) {
        TFlacTag tag;
        std::string bytes = "fLaC" + Block(0, false, StreamInfo(c.rate, c.channels, c.bits, c.samples)) +
                            Block(4, true, Comment("v", {})) + kAudio;
        ASSERT_EQ(Load(tag, bytes), flacSuccess) << c.rate;
        EXPECT_EQ(tag.StreamType, fstNativeFlac);
        EXPECT_EQ(tag.FSampleRate, c.rate);
        EXPECT_EQ(tag.FChannels, c.channels);
        EXPECT_EQ(tag.FBitsPerSample, c.bits);
        EXPECT_EQ(static_cast<uint64_t>(tag.FSamples), c.samples);
        EXPECT_DOUBLE_EQ(tag.Playtime(), c.playtime);
        EXPECT_EQ(tag.ChannelMode(), c.mode);
        EXPECT_EQ(tag.FAudioOffset, static_cast<int64_t>(bytes.size() - kAudio.size()));
        EXPECT_EQ(tag.FAudioSize, static_cast<int64_t>(kAudio.size()));
        EXPECT_EQ(tag.FBitrate, static_cast<uint32_t>(std::lround(kAudio.size() / 1000.0 * 8 / c.playtime)));
        double raw = double(c.samples) * c.channels * c.bits / 8;
        EXPECT_DOUBLE_EQ(tag.Ratio(), kAudio.size() / raw * 100);
    }
}

TEST(FlacTag, LoadsFieldsPicturesAndKeepsOtherBlocks) {
    std::string pic = Picture(3, "image/png", "Обложка", "PNGDATA");
    std::string app = "TEST" + std::string("app-data");
    std::string bytes = Native(Block(3, false, std::string(18, '\x01')) +
                               Block(4, false, Comment("our vendor", {"artist=Мастер", "Title=a=b", "NOEQUALS", ""})) +
                               Block(6, false, pic) + Block(1, false, std::string(100, '\0')) + Block(2, false, app) +
                               Block(1, false, std::string(50, '\0')) + Block(9, true, "reserved"));
    TFlacTag tag;
    ASSERT_EQ(Load(tag, bytes), flacSuccess);
    EXPECT_TRUE(tag.Loaded);
    EXPECT_TRUE(tag.FExists);
    EXPECT_EQ(tag.VendorString, "our vendor");
    ASSERT_EQ(tag.Count(), 2);  // the field without "=" and the empty one are dropped
    EXPECT_EQ(tag.Tags[0]->Name, "ARTIST");
    EXPECT_EQ(tag.GetText("Artist"), "Мастер");
    EXPECT_EQ(tag.GetText("TITLE"), "a=b");
    EXPECT_EQ(tag.FrameExists("TITLE"), 1);
    EXPECT_EQ(tag.FrameExists("title"), -1);  // exact, unlike GetText

    EXPECT_EQ(tag.FVorbisIndex, 2u);
    EXPECT_EQ(tag.FPaddingIndex, 4u);
    EXPECT_EQ(tag.FPadding, 100u);
    EXPECT_FALSE(tag.FPaddingLast);
    EXPECT_TRUE(tag.FPaddingFragments);

    ASSERT_EQ(tag.CoverArtCount(), 1);
    TFlacTagCoverArtInfo info;
    TMemoryStream picture;
    ASSERT_TRUE(tag.GetCoverArt(0, picture, info));
    EXPECT_EQ(picture.Bytes(), "PNGDATA");
    EXPECT_EQ(picture.Position(), 0);
    EXPECT_EQ(info.MIMEType, "image/png");
    EXPECT_EQ(info.Description, "Обложка");
    EXPECT_EQ(info.PictureType, 3u);
    EXPECT_EQ(info.Width, 16u);
    EXPECT_EQ(info.ColorDepth, 24u);
    EXPECT_EQ(info.SizeOfPictureData, 7u);
    EXPECT_FALSE(tag.GetCoverArt(1, picture, info));

    ASSERT_EQ(tag.aMetaBlockOther.size(), 4u);  // seektable, application, second padding, reserved type
    EXPECT_EQ(tag.aMetaBlockOther[0].BlockType, 3u);
    EXPECT_EQ(tag.aMetaBlockOther[1].Data.Bytes(), app);
    EXPECT_EQ(tag.aMetaBlockOther[2].BlockType, 1u);
    EXPECT_EQ(tag.aMetaBlockOther[3].BlockType, 9u);
    EXPECT_EQ(tag.FMetaBlocksSize, tag.CalculateMetaBlocksSize(true));
    EXPECT_EQ(tag.CalculateMetaBlocksSize(false), tag.CalculateMetaBlocksSize(true) - 54);
}

TEST(FlacTag, ResultCodes) {
    auto firstPage = [](const std::string& packet) {
        TOggHeader h;
        h.TypeFlag = 2;
        h.Segments = 1;
        h.LacingValues[0] = static_cast<uint8_t>(packet.size());
        std::string page = h.Serialize() + packet;
        SetOggPageChecksum(page);
        return page;
    };
    std::string flacV2 = firstPage(std::string("\x7F"
                                               "FLAC\x02\x00\x00\x01",
                                               9) +
                                   "fLaC" + Block(0, false, kInfo));
    std::string vorbis = firstPage("\x01vorbis" + std::string(60, '\x02'));
    std::string id3 = std::string("ID3\x03\x00\x00\x00\x00\x00\x05", 10) + "xxxxx";
    struct Case {
        const char* what;
        std::string bytes;
        int result;
    } cases[] = {
        {"empty", "", flacNotFlac},
        {"not flac", "RIFF" + std::string(100, 'x'), flacNotFlac},
        {"STREAMINFO cut short", ("fLaC" + Block(0, false, kInfo)).substr(0, 30), flacNotFlac},
        {"first block not STREAMINFO", "fLaC" + Block(4, true, kInfo), flacNotFlac},
        {"STREAMINFO alone", Native(""), flacNoMetaData},
        {"block header cut short", "fLaC" + Block(0, false, kInfo) + "\x04\x00", flacError},
        {"block data cut short", "fLaC" + Block(0, false, kInfo) + Block(4, true, Comment("v", {"A=b"})).substr(0, 12),
         flacError},
        {"padding cut short", "fLaC" + Block(0, false, kInfo) + Block(1, true, std::string(64, '\0')).substr(0, 40),
         flacError},
        {"forbidden block type", Native(Block(127, true, "xx")), flacError},
        {"ogg mapping 2", flacV2, flacMappingVersion},
        {"ogg vorbis", vorbis, flacNotFlac},
        {"ID3v2 before the stream", id3 + Padded({"A=b"}), flacSuccess},
        {"zero sample rate", "fLaC" + Block(0, false, StreamInfo(0, 2, 16, 100)) + Block(1, true, "\0"), flacNotFlac},
    };
    for (const Case& c : cases)
        for (bool buffered : {true, false}) {
            TFlacTag tag;
            TMemoryStream s(c.bytes);
            EXPECT_EQ(tag.LoadFromStream(s, buffered), c.result) << c.what;
            EXPECT_EQ(tag.Loaded, c.result == flacSuccess) << c.what;
        }
}

TEST(FlacTag, UnknownLengthStreamStillLoads) {
    TFlacTag tag;
    std::string bytes = "fLaC" + Block(0, false, StreamInfo(44100, 2, 16, 0)) + Block(4, true, Comment("v", {"A=1"}));
    EXPECT_EQ(Load(tag, bytes), flacSuccess);
    EXPECT_FALSE(tag.Valid());
    EXPECT_EQ(tag.Playtime(), 0.0);
    EXPECT_EQ(tag.GetText("A"), "1");
}

TEST(FlacTag, DamagedCommentKeepsTheFieldsBeforeTheDamage) {
    std::string comment = Comment("v", {"A=1", "B=2"}) + le(1000, 4) + "C=3";
    std::string data = comment.substr(0, 4 + 1) + le(3, 4) + comment.substr(9);  // count says 3
    TFlacTag tag;
    ASSERT_EQ(Load(tag, Native(Block(4, true, data))), flacSuccess);
    EXPECT_EQ(tag.Count(), 2);
    EXPECT_EQ(tag.GetText("B"), "2");
}

TEST(VorbisComment, TextListAndDeletion) {
    TFlacTag tag;
    tag.AddTextTag("COMMENT", std::string("a\tb\x01"
                                          "c\r\nd",
                                          8));
    EXPECT_EQ(tag.GetText("comment"), "a b c\r\nd");
    EXPECT_EQ(tag.Tags[0]->Stream.Bytes(), std::string("a\tb\x01"
                                                       "c\r\nd",
                                                       8));  // stored bytes untouched
    EXPECT_TRUE(tag.Tags[0]->AlreadyParsed);
    tag.ReSetAlreadyParsedState();
    EXPECT_FALSE(tag.Tags[0]->AlreadyParsed);

    tag.SetText("Comment", "new");
    EXPECT_EQ(tag.Count(), 1);
    tag.SetText("ALBUM", "x");
    EXPECT_EQ(tag.Count(), 2);
    EXPECT_TRUE(tag.Tags[1]->SetText(""));  // deletes itself
    EXPECT_EQ(tag.Count(), 1);
    tag.SetText("comment", "");
    EXPECT_EQ(tag.Count(), 0);

    std::vector<std::string> list{"Producer=Ann", "Mixer=Bob=Jr"}, back;
    tag.SetList("INVOLVED", list);
    EXPECT_EQ(tag.Tags[0]->Stream.Bytes(), "Producer\r\nAnn\r\nMixer\r\nBob=Jr\r\n");
    EXPECT_TRUE(tag.GetList("involved", back));
    EXPECT_EQ(back, list);
    EXPECT_FALSE(tag.GetList("missing", back));
    EXPECT_TRUE(back.empty());

    tag.SetMultipleValues("ARTIST", {"One", "Two"});
    tag.AddTextTag("artist", "Three");
    std::vector<std::string> values;
    EXPECT_TRUE(tag.GetMultipleValues("Artist", values));
    EXPECT_EQ(values, (std::vector<std::string>{"One", "Two", "Three"}));
    tag.SetMultipleValues("ARTIST", {"Solo"});
    EXPECT_TRUE(tag.GetMultipleValues("ARTIST", values));
    EXPECT_EQ(values, std::vector<std::string>{"Solo"});
    EXPECT_TRUE(tag.DeleteFrameByName("artist"));
    EXPECT_FALSE(tag.DeleteFrameByName("artist"));
    EXPECT_FALSE(tag.DeleteFrame(5));
}

TEST(FlacTag, CommentSizeMatchesWhatASaveWrites) {
    TFlacTag tag;
    tag.AddTextTag("artist", "Мастер");
    tag.AddTextTag("EMPTY", "");
    tag.AddTag("UNKNOWNFORMAT");
    // Default vendor, one field written, upper-cased.
    std::string expected = Comment("reference libFLAC 1.1.0 20030126", {"ARTIST=Мастер"});
    EXPECT_EQ(tag.CalculateVorbisCommentsSize(), static_cast<int64_t>(expected.size()));
    std::string saved = SaveOver(tag, Padded({}));
    EXPECT_NE(saved.find(Block(4, false, expected)), std::string::npos);

    tag.UpperCaseFieldNamesToWrite = false;
    saved = SaveOver(tag, Padded({}));
    EXPECT_NE(saved.find("artist=Мастер"), std::string::npos);
}

TEST(FlacSave, FieldThatFitsThePaddingPatchesInPlace) {
    TFlacTag back;
    SaveInPlace(
        Padded({"TITLE=Old"}), [](TFlacTag& t) { t.AddTextTag("ARTIST", "Someone"); }, back);
    EXPECT_EQ(back.FPadding, 4096 - std::string("ARTIST=Someone").size() - 4);
    EXPECT_EQ(back.GetText("ARTIST"), "Someone");
    EXPECT_EQ(back.GetText("TITLE"), "Old");
    EXPECT_EQ(back.VendorString, "vendor");
    EXPECT_TRUE(back.FPaddingLast);
}

TEST(FlacSave, PaddingAwayFromTheCommentIsRebuiltInPlace) {
    // comment, seektable, padding, padding: the blocks after STREAMINFO are
    // rewritten with one padding block that absorbs both.
    std::string seek(18, '\x05');
    std::string before = Native(Block(4, false, Comment("v", {"A=1"})) + Block(3, false, seek) +
                                Block(1, false, std::string(500, '\0')) + Block(1, true, std::string(300, '\0')));
    TFlacTag back;
    SaveInPlace(
        before, [](TFlacTag& t) { t.SetText("B", "22"); }, back);
    EXPECT_EQ(back.GetText("B"), "22");
    ASSERT_EQ(back.aMetaBlockOther.size(), 1u);
    EXPECT_EQ(back.aMetaBlockOther[0].Data.Bytes(), seek);
    EXPECT_FALSE(back.FPaddingFragments);
    EXPECT_EQ(back.FPadding, 500u + 300u + 4 - 8);  // "B=22" and its length word
}

TEST(FlacSave, RewriteWhenTheRoomIsTooSmall) {
    const Change cases[] = {
        {"no padding", Native(Block(4, true, Comment("v", {"A=1"}))), [](TFlacTag& t) { t.SetText("A", "2"); }},
        {"field larger than the padding", Padded({"A=1"}),
         [](TFlacTag& t) { t.SetText("LYRICS", std::string(5000, 'l')); }},
        {"picture added", Padded({"A=1"}), [](TFlacTag& t) { AddPicture(t, 5000); }},
        {"forced", Padded({"A=1"}), [](TFlacTag& t) { t.ForceReWrite = true; }},
        {"ID3v2 tag in front", std::string("ID3\x04\x00\x00\x00\x00\x00\x03", 10) + "abc" + Padded({"A=1"}),
         [](TFlacTag& t) { t.SetText("LYRICS", std::string(5000, 'l')); }},
    };
    for (const Change& c : cases) {
        TFlacTag tag;
        const std::string after = Rewrite(c, tag);
        EXPECT_TRUE(EndsWith(after, kAudio)) << c.what;
        const std::string prefix = c.before.substr(0, c.before.find("fLaC"));
        EXPECT_EQ(after.substr(0, prefix.size()), prefix) << c.what;
        TFlacTag back;
        ASSERT_EQ(Load(back, after), flacSuccess) << c.what;
        EXPECT_EQ(back.FPadding, 4096u) << c.what;
        EXPECT_TRUE(back.FPaddingLast) << c.what;
        EXPECT_EQ(back.Count(), tag.Count()) << c.what;
        EXPECT_EQ(back.CoverArtCount(), tag.CoverArtCount()) << c.what;
        if (back.CoverArtCount()) {
            EXPECT_EQ(back.FVorbisIndex, 2u) << "pictures come before the comment";
        }
    }
}

TEST(FlacSave, ChangedPictureOfTheSameSizeIsWritten) {
    std::string before = Native(Block(6, false, Picture(3, "image/png", "front", "AAAA")) +
                                Block(4, false, Comment("v", {"A=1"})) + Block(1, true, std::string(256, '\0')));
    TFlacTag back;
    SaveInPlace(
        before,
        [](TFlacTag& t) {
            TFlacTagCoverArtInfo info;
            ASSERT_TRUE(t.GetCoverArtInfo(0, info));
            info.Description = "back!";
            info.PictureType = 4;
            TMemoryStream data(std::string("BBBB"));
            ASSERT_TRUE(t.SetCoverArt(0, data, info));
        },
        back);
    TFlacTagCoverArtInfo info;
    TMemoryStream pic;
    ASSERT_TRUE(back.GetCoverArt(0, pic, info));
    EXPECT_EQ(info.Description, "back!");
    EXPECT_EQ(info.PictureType, 4u);
    EXPECT_EQ(pic.Bytes(), "BBBB");
}

TEST(FlacSave, UnwritableTagsLeaveTheStreamAlone) {
    const Change cases[] = {
        {"STREAMINFO is the only block", Native(""), [](TFlacTag& t) { t.AddTextTag("A", "1"); }},
        // A block size has 24 bits.
        {"picture too large for a block", Padded({"A=1"}), [](TFlacTag& t) { AddPicture(t, 0x1000000); }},
    };
    for (const Change& c : cases) {
        TFlacTag tag;
        c.change(tag);
        TMemoryStream s(c.before);
        EXPECT_EQ(tag.SaveToStream(s), flacError) << c.what;
        EXPECT_EQ(s.Bytes(), c.before) << c.what;
        EXPECT_FALSE(tag.FExists) << c.what;
    }
}

TEST(FlacSave, ObjectLoadedFromOneFileSavesIntoAnother) {
    TFlacTag tag;
    ASSERT_EQ(Load(tag, Native(Block(4, false, Comment("v", {"A=1", "B=2"})) + Block(1, true, std::string(10, '\0')))),
              flacSuccess);
    std::string other = Native(Block(2, false, "APPLxyz") + Block(4, true, Comment("w", {"Z=9"})), "other audio");
    std::string after = SaveOver(tag, other);
    TFlacTag back;
    ASSERT_EQ(Load(back, after), flacSuccess);
    EXPECT_EQ(back.GetText("B"), "2");
    EXPECT_EQ(back.GetText("Z"), "");
    ASSERT_EQ(back.aMetaBlockOther.size(), 1u);
    EXPECT_EQ(back.aMetaBlockOther[0].Data.Bytes(), "APPLxyz");
    EXPECT_TRUE(EndsWith(after, "other audio"));
}

TEST(FlacTag, AssignCopiesEverything) {
    TFlacTag a;
    ASSERT_EQ(Load(a, Native(Block(6, false, Picture(3, "image/png", "", "P")) + Block(2, false, "APPL") +
                             Block(4, true, Comment("v", {"A=1"})))),
              flacSuccess);
    TFlacTag b;
    b.Assign(a);
    EXPECT_EQ(b.GetText("A"), "1");
    EXPECT_EQ(b.VendorString, "v");
    EXPECT_EQ(b.CoverArtCount(), 1);
    EXPECT_EQ(b.aMetaBlockOther.size(), 1u);
    EXPECT_EQ(b.FSampleRate, 44100u);
    b.SetText("A", "2");
    EXPECT_EQ(a.GetText("A"), "1");
    EXPECT_TRUE(b.Tags[0]->Delete());  // owned by b, not a
    EXPECT_EQ(a.Count(), 1);
}

TEST(OggStream, ChecksumAndPacketWrapping) {
    EXPECT_EQ(OggCRC("123456789", 9), 0x89A1897Fu);

    TOGGStream writer(nullptr);
    writer.FirstOGGHeader.Serial = 0x1234;
    std::vector<int> full17AndEnd(17, 255);
    full17AndEnd.push_back(0);
    struct Case {
        int64_t size;
        std::vector<std::vector<int>> lacing;  // per page
    } cases[] = {
        {0, {{0}}},
        {510, {{255, 255, 0}}},
        {600, {{255, 255, 90}}},
        {4335, {full17AndEnd}},
        {4336, {std::vector<int>(17, 255), {1}}},
    };
    for (const Case& c : cases) {
        TMemoryStream packet(std::string(static_cast<size_t>(c.size), 'p')), out;
        EXPECT_EQ(writer.CreateTagStream(packet, out, 5), static_cast<int>(c.lacing.size()));
        EXPECT_EQ(out.Size(), TOGGStream::CalculateWrappedStreamSize(c.size)) << c.size;
        out.SetPosition(0);
        TOGGStream reader(&out);
        for (size_t p = 0; p < c.lacing.size(); ++p) {
            int64_t start = out.Position();
            TOggHeader h;
            ASSERT_TRUE(reader.GetNextPageHeader(h)) << c.size;
            EXPECT_EQ(h.Serial, 0x1234u);
            EXPECT_EQ(h.PageNumber, 5 + p);
            EXPECT_EQ(h.TypeFlag, p == 0 ? 0 : 1);
            EXPECT_EQ(h.AbsolutePosition, 0u);
            ASSERT_EQ(h.Segments, c.lacing[p].size()) << c.size;
            for (size_t i = 0; i < c.lacing[p].size(); ++i) EXPECT_EQ(h.LacingValues[i], c.lacing[p][i]);
            std::string page =
                out.Bytes().substr(static_cast<size_t>(start), static_cast<size_t>(out.Position() - start));
            uint32_t stored = h.Checksum;
            SetOggPageChecksum(page);
            EXPECT_EQ(ReadLE32(page.data() + 22), stored);
        }
        TOggHeader h;
        EXPECT_FALSE(reader.GetNextPageHeader(h));
    }
}

TEST(OggStream, PagesByNumberAndRenumbering) {
    TOGGStream writer(nullptr);
    writer.FirstOGGHeader.Serial = 7;
    TMemoryStream pages;
    for (std::string p : {"first", "second", "third"}) {
        TMemoryStream packet(p);
        writer.CreateTagStream(packet, pages, 40);
    }
    // A page of another logical stream in between keeps its number.
    TOGGStream foreign(nullptr);
    foreign.FirstOGGHeader.Serial = 8;
    TMemoryStream packet(std::string("other")), fpage;
    foreign.CreateTagStream(packet, fpage, 99);
    std::string all = fpage.Bytes() + pages.Bytes() + "trailing";
    TMemoryStream src(all);

    TOGGStream reader(&src);
    TMemoryStream data;
    ASSERT_TRUE(reader.GetPageData(3, data));
    EXPECT_EQ(data.Bytes(), "second");
    EXPECT_EQ(reader.LastPageQueried, 3);
    TMemoryStream whole;
    ASSERT_TRUE(reader.GetPage(1, whole));
    EXPECT_EQ(whole.Bytes(), fpage.Bytes());
    EXPECT_FALSE(reader.GetPage(5, whole));

    src.SetPosition(0);
    TOGGStream renumber(&src);
    renumber.FirstOGGHeader.Serial = 7;
    TMemoryStream out;
    ASSERT_TRUE(renumber.ReNumberPages(2, -1, out));
    EXPECT_EQ(src.Position(), static_cast<int64_t>(all.size() - 8));  // stops before the trailing bytes
    out.SetPosition(0);
    TOGGStream check(&out);
    std::vector<uint32_t> numbers;
    TOggHeader h;
    while (check.GetNextPageHeader(h)) {
        numbers.push_back(h.PageNumber);
        std::string page = out.Bytes().substr(static_cast<size_t>(out.Position() - h.HeaderSize() - h.DataSize()),
                                              static_cast<size_t>(h.HeaderSize() + h.DataSize()));
        uint32_t stored = h.Checksum;
        SetOggPageChecksum(page);
        EXPECT_EQ(ReadLE32(page.data() + 22), stored);
    }
    EXPECT_EQ(numbers, (std::vector<uint32_t>{99, 2, 3, 4}));
}

// --- files -----------------------------------------------------------------

namespace {
struct FlacFile {
    TempDir dir;
    std::string path;
    explicit FlacFile(const std::string& bytes) : path(dir.file("song.flac", bytes)) {}
};
}  // namespace

TEST(FlacFile, LoadAndSaveThroughFiles) {
    FlacFile f(Padded({"TITLE=Old"}));
    TFlacTag tag;
    ASSERT_EQ(tag.LoadFromFile(f.path), flacSuccess);
    EXPECT_EQ(tag.FileName, f.path);
    tag.SetText("TITLE", "New");
    EXPECT_EQ(tag.SaveToFile(f.path, false), flacSuccess);  // unbuffered
    EXPECT_TRUE(tag.FExists);
    tag.SetText("LYRICS", std::string(6000, 'x'));  // forces a rewrite
    EXPECT_EQ(tag.SaveToFile(f.path), flacSuccess);
    EXPECT_EQ(f.dir.entries().size(), 1u) << "no temporary file left behind";
    TFlacTag back;
    ASSERT_EQ(back.LoadFromFile(f.path), flacSuccess);
    EXPECT_EQ(back.GetText("TITLE"), "New");
    EXPECT_EQ(back.GetText("LYRICS").size(), 6000u);
    EXPECT_TRUE(EndsWith(readFile(f.path), kAudio));

    EXPECT_EQ(back.LoadFromFile(f.dir.at("missing.flac")), flacCannotOpen);
    EXPECT_EQ(back.SaveToFile(f.dir.at("missing.flac")), flacCannotOpen);
}

TEST(FlacFile, RefusedSavesLeaveTheFileAlone) {
    FlacFile f(Padded({"A=1"}));
    const std::string before = readFile(f.path);
    TFlacTag tag;
    ASSERT_EQ(tag.LoadFromFile(f.path), flacSuccess);
    tag.SetText("BIG", std::string(8000, 'b'));

    {
        ReadOnly readOnly(f.path);
        EXPECT_EQ(tag.SaveToFile(f.path), flacReadOnly);
    }
    {
        auto reader = TFileStream::Open(f.path, TFileMode::fmOpenRead);  // another reader holds the file
        EXPECT_EQ(tag.SaveToFile(f.path), flacCannotLock);
        tag.SetText("BIG", "");
        tag.SetText("SMALL", "s");
        EXPECT_EQ(tag.SaveToFile(f.path), flacCannotOpen);  // in place needs the file to itself
        tag.SetText("BIG", std::string(8000, 'b'));
    }
    EXPECT_FALSE(tag.FExists);
    FlacFile alone(Native(""));
    EXPECT_EQ(tag.SaveToFile(alone.path), flacNoMetaData);
    EXPECT_EQ(readFile(alone.path), Native(""));

    // A disk that fills up while the temporary file is written.
    {
        FullDisk full(before.size());
        EXPECT_EQ(tag.SaveToFile(f.path), flacTempFile);
    }

    EXPECT_EQ(readFile(f.path), before);
    EXPECT_EQ(f.dir.entries().size(), 1u);
}

TEST(FlacFile, RewriteKeepsDatePermissionsAndLinks) {
    FlacFile f(Padded({"A=1"}));
    ::chmod(f.path.c_str(), 0640);
    ASSERT_TRUE(setModificationTime(f.path, 1000000000));
    TFlacTag tag;
    ASSERT_EQ(tag.LoadFromFile(f.path), flacSuccess);
    tag.PreserveFileDateTime = true;
    tag.SetText("BIG", std::string(8000, 'b'));  // rewrite
    ASSERT_EQ(tag.SaveToFile(f.path), flacSuccess);
    struct stat st {};
    ::stat(f.path.c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Saving through a link rewrites the file it points to.
    std::string link = f.dir.at("link.flac");
    ASSERT_EQ(::symlink(f.path.c_str(), link.c_str()), 0);
    tag.SetText("BIG", std::string(9000, 'c'));
    ASSERT_EQ(tag.SaveToFile(link), flacSuccess);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    TFlacTag back;
    ASSERT_EQ(back.LoadFromFile(f.path), flacSuccess);
    EXPECT_EQ(back.GetText("BIG"), std::string(9000, 'c'));
}

TEST(FlacFile, RemoveKeepsOtherBlocksAndAudio) {
    std::string app = "APPLdata";
    FlacFile f(Native(Block(2, false, app) + Block(6, false, Picture(3, "image/png", "", "P")) +
                      Block(4, true, Comment("v", {"A=1", "B=2"}))));
    EXPECT_EQ(RemoveFlacTagFromFile(f.path, 0, false), flacSuccess);
    TFlacTag back;
    ASSERT_EQ(back.LoadFromFile(f.path), flacSuccess);
    EXPECT_EQ(back.Count(), 0);
    EXPECT_EQ(back.CoverArtCount(), 0);
    EXPECT_EQ(back.VendorString, "reference libFLAC 1.1.0 20030126");
    ASSERT_EQ(back.aMetaBlockOther.size(), 1u);
    EXPECT_EQ(back.aMetaBlockOther[0].Data.Bytes(), app);
    EXPECT_EQ(back.FPadding, 0u);
    EXPECT_TRUE(EndsWith(readFile(f.path), kAudio));
}

// --- Ogg FLAC ----------------------------------------------------------------

namespace {

std::string OggFlac(const std::vector<std::string>& blocks, uint32_t firstAudioPage = 0) {
    std::string packet = std::string(
                             "\x7F"
                             "FLAC\x01\x00",
                             7) +
                         be(static_cast<uint32_t>(blocks.size()), 2) + "fLaC" + Block(0, blocks.empty(), kInfo);
    TOggHeader h;
    h.TypeFlag = 2;
    h.Serial = 0xABCD;
    h.Segments = 1;
    h.LacingValues[0] = static_cast<uint8_t>(packet.size());
    std::string first = h.Serialize() + packet;
    SetOggPageChecksum(first);
    TMemoryStream out(first);
    out.Seek(0, TSeekOrigin::soEnd);
    TOGGStream writer(nullptr);
    writer.FirstOGGHeader = h;
    uint32_t seq = 1;
    for (const std::string& b : blocks) {
        TMemoryStream p(b);
        seq += writer.CreateTagStream(p, out, seq);
    }
    if (firstAudioPage) seq = firstAudioPage;
    for (int i = 0; i < 3; ++i) {
        TOggHeader a = h;
        a.TypeFlag = 0;
        a.AbsolutePosition = 4096u * (i + 1);
        a.PageNumber = seq++;
        a.LacingValues[0] = 200;
        std::string page = a.Serialize() + std::string(200, static_cast<char>('a' + i));
        SetOggPageChecksum(page);
        out.Write(page.data(), static_cast<int64_t>(page.size()));
    }
    return out.Bytes();
}

void ExpectWellFormedOgg(const std::string& bytes) {
    auto pages = Pages(bytes);
    int64_t total = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(pages[i].checksumOk) << "page " << i;
        EXPECT_EQ(pages[i].header.PageNumber, i) << "page " << i;
        total += pages[i].header.HeaderSize() + static_cast<int64_t>(pages[i].data.size());
    }
    EXPECT_EQ(total, static_cast<int64_t>(bytes.size()));
}

}  // namespace

TEST(OggFlac, LoadsBlocksSpreadOverPages) {
    std::string pic = Picture(3, "image/jpeg", "", std::string(9000, 'j'));  // three pages
    std::string bytes = OggFlac(
        {Block(4, false, Comment("v", {"title=Ogg"})), Block(6, false, pic), Block(1, true, std::string(300, '\0'))});
    TFlacTag tag;
    ASSERT_EQ(Load(tag, bytes), flacSuccess);
    EXPECT_EQ(tag.StreamType, fstOggFlac);
    EXPECT_TRUE(tag.Valid());
    EXPECT_EQ(tag.FSampleRate, 44100u);
    EXPECT_EQ(tag.GetText("TITLE"), "Ogg");
    ASSERT_EQ(tag.CoverArtCount(), 1);
    EXPECT_EQ(tag.MetaBlocksCoverArts[0].Data.Bytes(), pic);
    EXPECT_EQ(tag.FPadding, 300u);
    EXPECT_EQ(tag.FAudioSize, 3 * (28 + 200));

    EXPECT_EQ(Load(tag, bytes.substr(0, 79 + 40)), flacError) << "header pages cut short";
    EXPECT_FALSE(tag.Loaded);
}

TEST(OggFlac, SmallChangeFillsTheOldPagesExactly) {
    std::string before =
        OggFlac({Block(4, false, Comment("v", {"TITLE=Old"})), Block(1, true, std::string(1000, '\0'))});
    TFlacTag tag;
    ASSERT_EQ(Load(tag, before), flacSuccess);
    tag.SetText("ARTIST", "Someone");
    std::string after = SaveOver(tag, before);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(after.size() - 3 * 228), before.substr(before.size() - 3 * 228)) << "audio pages untouched";
    ExpectWellFormedOgg(after);
    TFlacTag back;
    ASSERT_EQ(Load(back, after), flacSuccess);
    EXPECT_EQ(back.GetText("ARTIST"), "Someone");
    EXPECT_EQ(back.GetText("TITLE"), "Old");
    EXPECT_EQ(back.FOggFlacHeader.NumberOfHeaderPackets[1], 2);
}

TEST(OggFlac, RewriteRenumbersAudioPages) {
    const Change cases[] = {
        {"field larger than the padding",
         OggFlac({Block(4, false, Comment("v", {"A=1"})), Block(1, true, std::string(100, '\0'))}),
         [](TFlacTag& t) { t.SetText("LYRICS", std::string(5000, 'l')); }},
        {"no padding at all, audio numbered oddly", OggFlac({Block(4, true, Comment("v", {"A=1"}))}, 17),
         [](TFlacTag& t) { t.SetText("A", "2"); }},
        {"picture and seek table",
         OggFlac({Block(4, false, Comment("v", {"A=1"})), Block(3, false, std::string(18, 's')),
                  Block(1, true, std::string(100, '\0'))}),
         [](TFlacTag& t) { AddPicture(t, 300); }},
    };
    for (const Change& c : cases) {
        TFlacTag tag;
        const std::string after = Rewrite(c, tag);
        ExpectWellFormedOgg(after);
        EXPECT_EQ(OggAudio(after), OggAudio(c.before)) << c.what;
        TFlacTag back;
        ASSERT_EQ(Load(back, after), flacSuccess) << c.what;
        EXPECT_EQ(back.GetText("A"), tag.GetText("A")) << c.what;
        EXPECT_EQ(back.GetText("LYRICS"), tag.GetText("LYRICS")) << c.what;
        EXPECT_EQ(back.CoverArtCount(), tag.CoverArtCount()) << c.what;
        EXPECT_EQ(back.aMetaBlockOther.size(), tag.aMetaBlockOther.size()) << c.what;
        EXPECT_EQ(back.FPadding, 4096u) << c.what;
        EXPECT_EQ(back.FOggFlacHeader.NumberOfHeaderPackets[1], 2 + back.CoverArtCount() + back.aMetaBlockOther.size());
    }
}

TEST(OggFlac, HeaderPagesSharedWithOtherDataAreNotRewritten) {
    const std::string before = OggFlac({Block(4, false, Comment("v", {"A=1"})), Block(1, true, std::string(10, '\0'))});
    auto rebuild = [&](bool audioInLastHeader, bool foreignPage) {
        std::string out;
        auto pages = Pages(before);
        for (size_t i = 0; i < pages.size(); ++i) {
            OggPage p = pages[i];
            if (i == 2 && audioInLastHeader) {
                p.data += "AUDIO";
                p.header.LacingValues[p.header.Segments++] = 5;
            }
            std::string page = p.header.Serialize() + p.data;
            SetOggPageChecksum(page);
            out += page;
            if (i == 1 && foreignPage) {
                TOggHeader f = p.header;
                f.Serial = 99;
                f.Segments = 1;
                f.LacingValues[0] = 3;
                std::string other = f.Serialize() + "xyz";
                SetOggPageChecksum(other);
                out += other;
            }
        }
        return out;
    };
    for (bool audio : {true, false}) {
        std::string bytes = rebuild(audio, !audio);
        TFlacTag tag;
        ASSERT_EQ(Load(tag, bytes), flacSuccess) << audio;
        EXPECT_EQ(tag.GetText("A"), "1");
        tag.SetText("A", "2");
        EXPECT_EQ(SaveOver(tag, bytes, flacError), bytes) << audio;
    }
}

TEST(FlacTag, FuzzSeedsLoad) {
    // Real encoder output cut after a little audio: the seeds must reach the
    // save path of the fuzz target.
    for (const char* name : {"native.flac", "ogg.oga", "id3-picture.flac"}) {
        TFlacTag tag;
        EXPECT_EQ(tag.LoadFromFile(std::string(ORVELIN_SOURCE_DIR) + "/tests/tags/flac/corpus/" + name), flacSuccess)
            << name;
        EXPECT_EQ(tag.GetText("ARTIST"), name[0] == 'o' ? "" : "a") << name;
        EXPECT_EQ(tag.CoverArtCount(), name[0] == 'i' ? 1 : 0) << name;
    }
}
