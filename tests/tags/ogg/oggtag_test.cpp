#include "tags/ogg/oggvorbisandopustaglibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>

#include "common/files.h"
#include "support/files.h"
#include "support/tempdir.h"
#include "tags/flac/flacbytes.h"
#include "tags/flac/flacpicture.h"
#include "tags/ogg/oggbytes.h"

using namespace tags;
using namespace oggtest;

namespace {

int Load(TOpusTag& tag, const std::string& bytes) {
    TMemoryStream s(bytes);
    return tag.LoadFromStream(s);
}

std::vector<std::string> Fields(const TOpusTag& tag) {
    std::vector<std::string> out;
    for (const auto& f : tag.Frames) out.push_back(f->Name + "=" + const_cast<TOpusTagFrame&>(*f).GetText());
    return out;
}

// Every page of the file, whose checksums must all hold.
std::vector<flactest::OggPage> CheckedPages(const std::string& bytes) {
    std::vector<flactest::OggPage> pages = flactest::Pages(bytes);
    size_t total = 0;
    for (const auto& p : pages) {
        EXPECT_TRUE(p.checksumOk) << "page " << p.header.PageNumber << " of serial " << p.header.Serial;
        total += static_cast<size_t>(p.header.HeaderSize()) + p.data.size();
    }
    EXPECT_EQ(total, bytes.size()) << "bytes that are no page";
    return pages;
}

std::string SaveOver(TOpusTag& tag, const std::string& bytes, int expect = oggSuccess) {
    TMemoryStream s(bytes);
    EXPECT_EQ(tag.SaveToStream(s), expect);
    EXPECT_EQ(s.Position(), 0);
    return s.Bytes();
}

// The audio pages: the pages of the stream after the header pages.
std::vector<flactest::OggPage> AudioPagesOf(const std::string& bytes) {
    std::vector<flactest::OggPage> pages = CheckedPages(bytes), audio;
    for (const auto& p : pages)
        if (p.header.AbsolutePosition != 0 && p.header.AbsolutePosition != ~uint64_t(0)) audio.push_back(p);
    return audio;
}

TEST(OggLoad, ReadsTheCommentOfEachCodec) {
    const std::vector<std::string> fields = {"artist=Ann", "GENRE=Rock", "no equals sign", "Genre=Jazz", "TITLE=Песня"};
    const std::vector<std::string> shown = {"ARTIST=Ann", "GENRE=Rock", "GENRE=Jazz", "TITLE=Песня"};
    struct Case {
        const char* what;
        std::string bytes;
        TOggFormat format;
        uint8_t channels;
    } cases[] = {
        {"Opus", OpusFile(fields), ofOpus, 2},
        {"Vorbis, comment and setup on one page", VorbisFile(fields), ofVorbis, 2},
        {"Vorbis, setup on its own page", VorbisFileSetupApart(fields), ofVorbis, 2},
        {"Theora", TheoraFile(fields), ofTheora, 0},
        {"Opus after an ID3v2 tag", "ID3\x03" + std::string(5, '\0') + '\x0A' + std::string(10, 'x') + OpusFile(fields),
         ofOpus, 2},
    };
    for (const Case& c : cases) {
        TOpusTag tag;
        ASSERT_EQ(Load(tag, c.bytes), oggSuccess) << c.what;
        EXPECT_TRUE(tag.Loaded) << c.what;
        EXPECT_EQ(tag.Format, c.format) << c.what;
        EXPECT_EQ(tag.VendorString, "test vendor") << c.what;
        EXPECT_EQ(Fields(tag), shown) << c.what;
        EXPECT_EQ(tag.Info.OpusParameters.ChannelCount + tag.Info.VorbisParameters.ChannelMode, c.channels) << c.what;
    }
    TOpusTag vorbis;
    Load(vorbis, VorbisFile(fields));
    EXPECT_EQ(vorbis.Info.VorbisParameters.SampleRate, 44100u);
    EXPECT_EQ(vorbis.Info.VorbisParameters.BitRateNominal, 128000);
    EXPECT_EQ(vorbis.VorbisData.Bytes(), SetupHeader());
    EXPECT_EQ(vorbis.Info.PlayTime, 0) << "the last page is read only when asked";

    TOpusTag opus;
    opus.ParsePlayTime = true;
    Load(opus, OpusFile(fields));
    EXPECT_EQ(opus.Info.SampleCount, 2880);
    EXPECT_DOUBLE_EQ(opus.Info.PlayTime, (2880 - 312) / 48000.0) << "the pre-skip is not played";
}

TEST(OggLoad, DamagedStreamsGiveAClearCodeAndSavesLeaveThemAlone) {
    const std::string ident = Page(kSerial, 0, 2, 0, {OpusHead()});
    std::string longField = OpusTags({"A=1"});
    tags::WriteLE32(longField.data() + 8 + 4 + 11 + 4, 1000);  // the field's length
    std::string manyFields = OpusTags({"A=1"});
    tags::WriteLE32(manyFields.data() + 8 + 4 + 11, 0xFFFFFFFFu);
    std::string longVendor = OpusTags({});
    tags::WriteLE32(longVendor.data() + 8, 500);
    const std::string whole = OpusFile({"A=1"});
    // A last page whose packet goes on past it.
    tags::TOggHeader endless;
    endless.TypeFlag = 4;
    endless.Serial = kSerial;
    endless.PageNumber = 1;
    endless.Segments = 1;
    endless.LacingValues[0] = 255;
    std::string unfinished = endless.Serialize() + OpusTags({"A=1"}) + std::string(255 - OpusTags({"A=1"}).size(), 'x');
    tags::SetOggPageChecksum(unfinished);
    struct Case {
        const char* what;
        std::string bytes;
        int load, save;
    } cases[] = {
        {"a field longer than its packet", ident + Page(kSerial, 1, 0, 0, {longField}) + AudioPages(kSerial, 2),
         oggCorruptHeader, oggCorruptHeader},
        {"more fields than the packet holds", ident + Page(kSerial, 1, 0, 0, {manyFields}), oggCorruptHeader,
         oggCorruptHeader},
        {"a vendor longer than its packet", ident + Page(kSerial, 1, 0, 0, {longVendor}), oggCorruptHeader,
         oggCorruptHeader},
        {"cut inside the comment page", whole.substr(0, ident.size() + 40), oggCorruptHeader, oggCorruptHeader},
        {"the stream ends inside its headers", ident + unfinished, oggCorruptHeader, oggCorruptHeader},
        {"a second page that is not a comment", ident + Page(kSerial, 1, 0, 0, {"OpusHeaX" + std::string(20, '\0')}),
         oggCorruptHeader, oggCorruptHeader},
        {"the audio begins on the last header page",
         ident + Page(kSerial, 1, 0, 960, {OpusTags({"A=1"}), Filler(300, 'a')}) + AudioPages(kSerial, 2), oggSuccess,
         oggCorruptHeader},
        {"an unknown codec", Page(kSerial, 0, 2, 0, {"Speex   " + std::string(72, '\0')}), oggError, oggNotSupported},
        {"not Ogg at all", std::string(200, 'x'), oggError, oggNotSupported},
    };
    for (const Case& c : cases) {
        TOpusTag tag;
        EXPECT_EQ(Load(tag, c.bytes), c.load) << c.what;
        EXPECT_EQ(tag.Loaded, c.load == oggSuccess) << c.what;
        TOpusTag writer;
        writer.AddTextFrame("TITLE", "new");
        EXPECT_TRUE(SaveOver(writer, c.bytes, c.save) == c.bytes) << c.what << ": the stream changed";
    }
    TOpusTag headOnly;
    EXPECT_EQ(Load(headOnly, ident), oggCorruptHeader);
    EXPECT_EQ(headOnly.Format, ofOpus) << "the codec is named even when the comment is missing";
}

// Fields and how the saved file must look.
struct SaveCase {
    const char* what;
    std::string before;
    std::function<void(TOpusTag&)> change;
    bool sameSize;
    int pageDelta;  // header pages added
};

TEST(OggSave, ReplacesOnlyTheHeaderPages) {
    const std::string bigPicture = Filler(70000, 'p');  // more than the 255 segments of one page
    auto addPicture = [&](TOpusTag& t) {
        TMemoryStream picture(bigPicture);
        TOpusVorbisCoverArtInfo info;
        info.PictureType = 3;
        info.MIMEType = "IMAGE/PNG";
        ASSERT_GE(t.AddCoverArtFrame(&picture, info), 0);
    };
    const SaveCase cases[] = {
        {"Opus, a value of the same length", OpusFile({"TITLE=Abc"}), [](TOpusTag& t) { t.SetText("TITLE", "Xyz"); },
         true, 0},
        {"Opus, a longer value", OpusFile({"TITLE=Abc"}), [](TOpusTag& t) { t.SetText("TITLE", "A longer title"); },
         false, 0},
        {"Opus, a picture over several pages", OpusFile({"TITLE=Abc"}), addPicture, false, 1},
        {"Vorbis sharing its page with the setup header", VorbisFile({"TITLE=Abc"}),
         [](TOpusTag& t) { t.AddTextFrame("ALBUM", "Record"); }, false, 0},
        {"Vorbis with its setup apart", VorbisFileSetupApart({"TITLE=Abc"}),
         [](TOpusTag& t) { t.AddTextFrame("ALBUM", "Record"); }, false, 0},
        {"Vorbis, a picture over several pages", VorbisFile({"TITLE=Abc"}), addPicture, false, 1},
        {"Theora", TheoraFile({"TITLE=Abc"}), [](TOpusTag& t) { t.SetText("TITLE", "Other"); }, false, 0},
        {"Opus, nothing changed", OpusFile({"TITLE=Abc", "artist=lower"}), [](TOpusTag&) {}, true, 0},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        TOpusTag tag;
        ASSERT_EQ(Load(tag, c.before), oggSuccess);
        c.change(tag);
        const std::vector<std::string> wanted = Fields(tag);
        const std::string after = SaveOver(tag, c.before);
        EXPECT_EQ(after.size() == c.before.size(), c.sameSize);

        TOpusTag again;
        ASSERT_EQ(Load(again, after), oggSuccess);
        EXPECT_EQ(Fields(again), wanted);
        EXPECT_EQ(again.VorbisData.Bytes(), tag.VorbisData.Bytes()) << "the setup header is kept";
        EXPECT_EQ(again.Info.HeaderOggPageCount, tag.Info.HeaderOggPageCount + c.pageDelta);

        // Audio pages: the same data and granule positions, numbers moved by
        // as many pages as the headers grew, and unchanged bytes when they
        // did not grow.
        const auto oldAudio = AudioPagesOf(c.before), newAudio = AudioPagesOf(after);
        ASSERT_EQ(newAudio.size(), oldAudio.size());
        for (size_t i = 0; i < oldAudio.size(); ++i) {
            EXPECT_EQ(newAudio[i].data, oldAudio[i].data);
            EXPECT_EQ(newAudio[i].header.AbsolutePosition, oldAudio[i].header.AbsolutePosition);
            EXPECT_EQ(newAudio[i].header.TypeFlag, oldAudio[i].header.TypeFlag);
            EXPECT_EQ(newAudio[i].header.PageNumber, oldAudio[i].header.PageNumber + c.pageDelta);
        }
        if (c.pageDelta == 0) {
            EXPECT_EQ(after.substr(after.size() - AudioPages(kSerial, 0).size()),
                      c.before.substr(c.before.size() - AudioPages(kSerial, 0).size()));
        }
        // Every page of the stream in sequence.
        uint32_t expected = 0;
        for (const auto& p : CheckedPages(after)) EXPECT_EQ(p.header.PageNumber, expected++);
    }
}

TEST(OggSave, PaddingLetsAShorterCommentFitInPlace) {
    for (const std::string& before : {OpusFile({"TITLE=A rather long title"}), VorbisFile({"TITLE=A long title"})}) {
        TOpusTag tag;
        ASSERT_EQ(Load(tag, before), oggSuccess);
        tag.SetText("TITLE", "Short");
        tag.WritePadding = true;
        tag.PaddingSizeToWrite = 64;
        const std::string after = SaveOver(tag, before);
        EXPECT_EQ(after.size(), before.size()) << tag.Format;
        EXPECT_EQ(after.substr(after.size() - AudioPages(kSerial, 2).size()), AudioPages(kSerial, 2));
        TOpusTag again;
        ASSERT_EQ(Load(again, after), oggSuccess);
        EXPECT_EQ(Fields(again), std::vector<std::string>{"TITLE=Short"});
        EXPECT_EQ(again.VorbisData.Bytes(), tag.VorbisData.Bytes());
    }
    // Without padding the same change rewrites, and the file shrinks.
    TOpusTag tag;
    Load(tag, OpusFile({"TITLE=A rather long title"}));
    tag.SetText("TITLE", "Short");
    EXPECT_LT(SaveOver(tag, OpusFile({"TITLE=A rather long title"})).size(),
              OpusFile({"TITLE=A rather long title"}).size());
}

TEST(OggSave, OtherStreamsAndLaterLinksAreLeftAsTheyAre) {
    // A second logical stream interleaved with ours, then a chained link that
    // reuses our serial from page 0.
    const uint32_t other = 77;
    const std::string otherBos = Page(other, 0, 2, 0, {VorbisIdent(1)});
    const std::string otherHeader = Page(other, 1, 0, 0, {VorbisComment({"X=1"}), SetupHeader(100)});
    const std::string otherAudio = Page(other, 2, 4, 500, {Filler(100, 'o')});
    const std::string link = OpusFile({"TITLE=Next link"});
    const std::string before = Page(kSerial, 0, 2, 0, {OpusHead()}) + otherBos +
                               Page(kSerial, 1, 0, 0, {OpusTags({"TITLE=Abc"})}) + otherHeader +
                               AudioPages(kSerial, 2) + otherAudio + link;
    TOpusTag tag;
    ASSERT_EQ(Load(tag, before), oggSuccess);
    TMemoryStream picture(Filler(70000, 'p'));
    tag.AddCoverArtFrame(&picture, {});
    const std::string after = SaveOver(tag, before);
    for (const std::string& kept : {otherBos, otherHeader, otherAudio, link})
        EXPECT_NE(after.find(kept), std::string::npos) << "a page of another stream or link changed";
    std::map<uint32_t, std::vector<uint32_t>> numbers;
    for (const auto& p : CheckedPages(after.substr(0, after.size() - link.size())))
        numbers[p.header.Serial].push_back(p.header.PageNumber);
    EXPECT_EQ(numbers[kSerial], (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(numbers[other], (std::vector<uint32_t>{0, 1, 2}));
}

TEST(OggSave, KeepsWhatAnOpusWriterAskedToKeep) {
    const std::string kept = std::string("\x01private", 8);
    const std::string before = Page(kSerial, 0, 2, 0, {OpusHead()}) +
                               Page(kSerial, 1, 0, 0, {OpusTags({"A=1"}, kept)}) + AudioPages(kSerial, 2);
    TOpusTag tag;
    ASSERT_EQ(Load(tag, before), oggSuccess);
    tag.SetText("A", "2");
    tag.WritePadding = true;
    const std::string after = SaveOver(tag, before);
    const std::string comment = OpusTags({"A=2"}, kept);
    EXPECT_NE(after.find(comment), std::string::npos);
    EXPECT_EQ(after.size(), before.size());
    // Zero padding is not kept: it only reserved room.
    TOpusTag padded;
    const std::string zeros = Page(kSerial, 0, 2, 0, {OpusHead()}) +
                              Page(kSerial, 1, 0, 0, {OpusTags({"A=1"}, std::string(100, '\0'))}) +
                              AudioPages(kSerial, 2);
    ASSERT_EQ(Load(padded, zeros), oggSuccess);
    EXPECT_EQ(SaveOver(padded, zeros).size(), zeros.size() - 100);
}

TEST(OggTag, PicturesAndBinaryFields) {
    TOpusTag tag;
    ASSERT_EQ(Load(tag, OpusFile({})), oggSuccess);
    TMemoryStream png(std::string("\x89PNG\r\n\x1a\n", 8) + "pixels");
    TOpusVorbisCoverArtInfo info;
    info.PictureType = 4;
    info.MIMEType = "Image/PNG";
    info.Description = "Обложка";
    info.Width = 16;
    ASSERT_EQ(tag.AddCoverArtFrame(&png, info), 0);
    const std::string after = SaveOver(tag, OpusFile({}));

    TOpusTag again;
    ASSERT_EQ(Load(again, after), oggSuccess);
    ASSERT_EQ(again.CoverArtCount(), 1);
    EXPECT_EQ(again.Frames[0]->Name, "METADATA_BLOCK_PICTURE");
    TMemoryStream picture;
    TOpusVorbisCoverArtInfo read;
    ASSERT_TRUE(again.GetCoverArtFromFrame(0, picture, read));
    EXPECT_EQ(picture.Bytes(), png.Bytes());
    EXPECT_EQ(read.PictureType, 4u);
    EXPECT_EQ(read.MIMEType, "image/png") << "written in lower case";
    EXPECT_EQ(read.Description, "Обложка");
    EXPECT_EQ(read.Width, 16u);
    EXPECT_EQ(again.Frames[0]->GetText(),
              "COVER ART BINARY " + std::to_string(again.Frames[0]->Stream.Size()) + " Byte");

    // The older convention: a bare image in COVERART, its type beside it.
    TOpusTag old;
    ASSERT_EQ(Load(old, OpusFile({"COVERART=/9j/4AAQ", "COVERARTMIME=image/jpeg"})), oggSuccess);
    ASSERT_EQ(old.CoverArtCount(), 1);
    TMemoryStream bare;
    ASSERT_TRUE(old.GetCoverArtFromFrame(0, bare, read));
    EXPECT_EQ(bare.Bytes(), std::string("\xFF\xD8\xFF\xE0\x00\x10", 6));
    EXPECT_EQ(read.MIMEType, "image/jpeg");
    EXPECT_EQ(read.PictureType, 3u);

    TMemoryStream four(std::string("\x00\x01\x02\xFF", 4)), back;
    ASSERT_TRUE(tag.AddBinaryFrame("BLOB", four));
    EXPECT_EQ(tag.Frames.back()->Stream.Bytes(), "AAEC/w==");
    EXPECT_EQ(tag.Frames.back()->GetText(), "BINARY 8 Byte");
    ASSERT_TRUE(tag.ReadBinaryFrame("blob", back));
    EXPECT_EQ(back.Bytes(), four.Bytes());
    EXPECT_FALSE(tag.ReadBinaryFrame("missing", back));

    TOpusTag big;
    big.AddFrame("METADATA_BLOCK_PICTURE")->Stream.Bytes() = std::string(20000, 'A');
    big.Frames[0]->Format = otffCoverArt;
    EXPECT_EQ(big.Frames[0]->GetText(), "COVER ART BINARY 19.53 KB");
}

TEST(OggFile, SavesRemovalAndRefusals) {
    testenv::TempDir dir;
    const std::string path = dir.file("a.opus", OpusFile({"ENCODER=enc", "TITLE=t", "PICTURE=x"}));
    TOpusTag tag;
    ASSERT_EQ(tag.LoadFromFile(path), oggSuccess);
    EXPECT_EQ(tag.FileName, path);
    tag.SetText("TITLE", "A much longer title than before");
    tag.PreserveFileDateTime = true;
    struct stat before {
    }, after{};
    ::stat(path.c_str(), &before);
    ASSERT_EQ(tag.SaveToFile(path), oggSuccess);
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_NE(after.st_ino, before.st_ino) << "grown: written to a new file that took its place";
    EXPECT_EQ(common::listFiles(dir.path).size(), 1u);

    ASSERT_EQ(RemoveOggVorbisAndOpusTagFromFile(path, 0, false), oggSuccess);
    ASSERT_EQ(tag.LoadFromFile(path), oggSuccess);
    EXPECT_EQ(Fields(tag), std::vector<std::string>{"ENCODER=enc"});

    const std::string bytes = testenv::readFile(path);
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(tag.SaveToFile(path), oggReadOnly);
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(tag.SaveToFile(dir.path + "missing.opus"), oggCannotOpen);
    EXPECT_EQ(tag.LoadFromFile(dir.path + "missing.opus"), oggCannotOpen);
    const std::string notOgg = dir.file("a.mp3", std::string(300, 'm'));
    EXPECT_EQ(tag.SaveToFile(notOgg), oggNotSupported);
    EXPECT_EQ(testenv::readFile(notOgg), std::string(300, 'm'));
    EXPECT_EQ(testenv::readFile(path), bytes);
}

}  // namespace
