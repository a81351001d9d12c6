// Ogg comments as the facade shows them, and what a save writes back, on
// streams built here.
#include "tags/facade/tagslibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tags/facade/entrylines.h"
#include "tags/ogg/oggbytes.h"
#include "tags/ogg/oggvorbisandopustaglibrary.h"

using namespace tags;
using namespace oggtest;
using tags::testing::Entries;
using ::testing::ElementsAre;

namespace {

const std::string kPng = "\x89PNG\r\n\x1a\n" + std::string(40, 'p');

std::string PictureField() {
    TOpusTag t;
    TMemoryStream png(kPng);
    TOpusVorbisCoverArtInfo info;
    info.PictureType = 4;
    info.MIMEType = "image/png";
    info.Description = "back";
    info.Width = 8;
    t.AddCoverArtFrame(&png, info);
    return "METADATA_BLOCK_PICTURE=" + t.Frames[0]->Stream.Bytes();
}

struct OggConverter : ::testing::Test {
    TTags tags;
    TMemoryStream file;
    void Load(const std::string& bytes) {
        file.Bytes() = bytes;
        ASSERT_EQ(tags.LoadFromStream(file, true), trSuccess);
    }
    std::vector<std::string> Saved() {
        EXPECT_EQ(tags.SaveToStream(file, true, ttAutomatic), trSuccess);
        TOpusTag back;
        EXPECT_EQ(back.LoadFromStream(file), oggSuccess);
        std::vector<std::string> fields;
        for (const auto& f : back.Frames) fields.push_back(f->Name + "=" + f->Stream.Bytes());
        return fields;
    }
};

TEST_F(OggConverter, FieldsBecomeEntriesAndPictures) {
    for (const std::string& bytes :
         {OpusFile({"ARTIST=One", "artist=Two", "TRACKNUMBER=3/12", "TIPL=producer\r\nAnn\r\n", PictureField()}),
          VorbisFile({"ARTIST=One", "artist=Two", "TRACKNUMBER=3/12", "TIPL=producer\r\nAnn\r\n", PictureField()})}) {
        Load(bytes);
        EXPECT_THAT(Entries(tags), ElementsAre("ARTIST=One", "ARTIST=Two", "TRACKNUMBER=3", "TOTALTRACKS=12",
                                               "TIPL=producer\r\nAnn\r\n"));
        ASSERT_EQ(tags.CoverArtCount(), 1);
        const TCoverArt& c = *tags.CoverArts[0];
        EXPECT_EQ(c.Name, "METADATA_BLOCK_PICTURE");
        EXPECT_EQ(c.Stream.Bytes(), kPng);
        EXPECT_EQ(c.CoverType, 4u);
        EXPECT_EQ(c.Description, "back");
        EXPECT_EQ(c.Width, 8u);
        EXPECT_EQ(c.PictureFormat, tpfPNG);
        EXPECT_EQ(tags.SourceAudioAttributes.Channels(), 2);
    }
    EXPECT_EQ(tags.SourceAudioAttributes.BitRate(), 128u) << "Vorbis' nominal bit rate";
}

TEST_F(OggConverter, UntouchedFieldsKeepTheirBytes) {
    const std::string picture = PictureField();
    Load(OpusFile({"TITLE=Old", "COMMENT=tab\there", "X=\xFF\xFE", "ARTIST=One", "ARTIST=Two", picture}));
    tags.SetText("TITLE", "New");
    tags.Clear("ARTIST");
    EXPECT_THAT(Saved(), ElementsAre("COMMENT=tab\there", "X=\xFF\xFE", picture, "TITLE=New"));
    // Deleting the first of two values deletes both fields; the other value
    // is written again.
    Load(OpusFile({"ARTIST=One", "TITLE=T", "ARTIST=Two"}));
    tags.Delete("ARTIST");
    EXPECT_THAT(Saved(), ElementsAre("TITLE=T", "ARTIST=Two"));

    // A number typed with its total is one field, and the total entry
    // beside it is not written.
    Load(OpusFile({"TITLE=T", "TOTALTRACKS=10"}));
    tags.SetText("TRACKNUMBER", "3/12");
    EXPECT_THAT(Saved(), ElementsAre("TITLE=T", "TRACKNUMBER=3/12"));

    // A changed picture replaces the picture fields.
    Load(OpusFile({"TITLE=T", picture}));
    tags.CoverArts[0]->Description = "front";
    std::vector<std::string> fields = Saved();
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_NE(fields[1], picture);
    Load(file.Bytes());
    EXPECT_EQ(tags.CoverArts[0]->Description, "front");
    EXPECT_EQ(tags.CoverArts[0]->Stream.Bytes(), kPng);
}

}  // namespace
