#include "tags/facade/tagslibrary.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

using namespace tags;
using testenv::TempDir;

TEST(Pictures, ClassifiedByTheirFirstBytes) {
    // A memory block needs more than 2 bytes; a stream is read as far as it goes.
    struct Case {
        std::string bytes;
        TTagPictureFormat block, stream;
        const char* mime;
    };
    const Case cases[] = {
        {"GIF89a", tpfGIF, tpfGIF, "image/gif"},
        {"BM\x36\0", tpfBMP, tpfBMP, "image/bmp"},
        {"\x89PNG\r\n\x1A\n", tpfPNG, tpfPNG, "image/png"},
        {"\xFF\xD8\xFF\xE0", tpfJPEG, tpfJPEG, "image/jpeg"},
        {std::string("II\x2A\0", 4), tpfTIFF, tpfTIFF, "image/tiff"},
        {std::string("MM\0\x2A", 4), tpfTIFF, tpfTIFF, "image/tiff"},
        {std::string("MM\0\x2B", 4), tpfUnknown, tpfUnknown, ""},
        {"RIFF", tpfUnknown, tpfUnknown, ""},
        {"\xFF\xD8", tpfUnknown, tpfJPEG, "image/jpeg"},
        {std::string("MM\0", 3), tpfUnknown, tpfUnknown, ""},  // never read past the block
        {"", tpfUnknown, tpfUnknown, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(PicturePointerType(c.bytes.data(), c.bytes.size()), c.block);
        EXPECT_EQ(MIMETypeFromPicture(c.bytes.data(), c.bytes.size()), c.mime);
        TMemoryStream s(c.bytes);
        s.Seek(3, TSeekOrigin::soBeginning);
        EXPECT_EQ(PictureStreamType(&s), c.stream);
        EXPECT_EQ(s.Position(), 0);
    }
    EXPECT_EQ(PictureStreamType(nullptr), tpfUnknown);
    EXPECT_EQ(PicturePointerType(nullptr, 100), tpfUnknown);
}

TEST(Pictures, FormatsFromMIMETypesAndTypesFromTexts) {
    EXPECT_EQ(PictureFormatFromMIMEType("IMAGE/JPEG"), tpfJPEG);
    EXPECT_EQ(PictureFormatFromMIMEType("image/jpg"), tpfJPEG);
    EXPECT_EQ(PictureFormatFromMIMEType("image/png"), tpfPNG);
    EXPECT_EQ(PictureFormatFromMIMEType("image/bmp"), tpfBMP);
    EXPECT_EQ(PictureFormatFromMIMEType("image/Gif"), tpfGIF);
    EXPECT_EQ(PictureFormatFromMIMEType("image/tiff"), tpfUnknown);
    EXPECT_EQ(PictureFormatFromMIMEType(""), tpfUnknown);
    EXPECT_EQ(PictureTypeFromText("cover (FRONT)"), 3u);
    EXPECT_EQ(PictureTypeFromText("Publisher/Studio logotype"), 20u);
    EXPECT_EQ(PictureTypeFromText("A bright coloured fish"), 17u);
    EXPECT_EQ(PictureTypeFromText("Cover Art (Front)"), 0u);
}

TEST(Pictures, AddedFromStreamsAndFiles) {
    TTags tags;
    TCoverArt* empty = tags.AddCoverArt("first");
    EXPECT_EQ(empty->Description, "No description");
    EXPECT_EQ(empty->PictureFormat, tpfUnknown);

    TMemoryStream png(std::string("\x89PNG\r\n\x1A\nrest"));
    png.Seek(0, TSeekOrigin::soEnd);  // copied whole from wherever it stands
    TCoverArt* c = tags.AddCoverArt("second", png, "image/png");
    EXPECT_EQ(c->Stream.Bytes(), png.Bytes());
    EXPECT_EQ(c->Stream.Position(), 0);
    EXPECT_EQ(c->PictureFormat, tpfPNG);

    TempDir dir;
    std::string file = dir.file("front.jpg", "\xFF\xD8\xFF\xE0 jpeg body");
    TCoverArt* f = tags.AddCoverArt("third", file);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->MIMEType, "image/jpeg");
    EXPECT_EQ(f->PictureFormat, tpfJPEG);
    EXPECT_EQ(f->Description, "front.jpg");
    EXPECT_EQ(f->Stream.Size(), 14);
    EXPECT_EQ(tags.AddCoverArt("none", dir.at("missing.png")), nullptr);
    EXPECT_EQ(tags.CoverArtCount(), 3);

    EXPECT_EQ(tags.CoverArt("SECOND"), c);
    EXPECT_EQ(c->GetIndex(), 1);
    TCoverArt copy(nullptr);
    c->Width = 7;
    c->CoverType = 4;
    copy.Assign(*c);
    EXPECT_EQ(copy.Stream.Bytes(), png.Bytes());
    EXPECT_EQ(copy.Width, 7u);
    EXPECT_EQ(copy.CoverType, 4u);
    EXPECT_EQ(copy.MIMEType, "image/png");
    copy.Clear();
    EXPECT_EQ(copy.PictureFormat, tpfUnknown) << "a cleared picture keeps no format of the old bytes";
    EXPECT_EQ(copy.Stream.Size(), 0);
    EXPECT_EQ(copy.Width, 0u);

    EXPECT_TRUE(c->Delete());
    EXPECT_FALSE(tags.DeleteCoverArt(2));
    EXPECT_EQ(tags.CoverArt("second"), nullptr);
    tags.DeleteAllCoverArts();
    EXPECT_EQ(tags.CoverArtCount(), 0);
}
