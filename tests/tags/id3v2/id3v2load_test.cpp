// Parsing tags of every version: headers, extended headers, frame flags,
// unsynchronisation, compression, identifier conversion, lying sizes.
#include <gtest/gtest.h>
#include <zlib.h>

#include "support/bytes.h"
#include "tags/id3v2/id3v2_fixtures.h"
#include "tags/id3v2/id3v2library.h"

using namespace tags;
using namespace id3v2test;
using testenv::be;

namespace {

int Load(TID3v2Tag& tag, const std::string& bytes) {
    TMemoryStream m(bytes);
    return tag.LoadFromStream(m);
}

std::string Saved(TID3v2Tag& tag) {
    TMemoryStream m;
    EXPECT_EQ(tag.SaveTagToStream(m, 0), ID3V2LIBRARY_SUCCESS);
    return m.Bytes();
}

const std::string kTitle = std::string("\x03") + "Title";  // UTF-8 text frame data

}  // namespace

TEST(ID3v2Load, EachVersionReadsItsFrameLayout) {
    struct Case {
        int major;
        std::string body;
    };
    const Case cases[] = {
        {2, Frame2("TT2", kTitle) + Frame2("TP1", std::string("\0Artist", 7))},
        {3, Frame3("TIT2", kTitle) + Frame3("TPE1", std::string("\0Artist", 7))},
        {4, Frame4("TIT2", kTitle) + Frame4("TPE1", std::string("\0Artist", 7))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.major);
        TID3v2Tag tag;
        ASSERT_EQ(Load(tag, Tag(c.major, 0, c.body, 64) + Audio()), ID3V2LIBRARY_SUCCESS);
        EXPECT_TRUE(tag.Loaded);
        EXPECT_EQ(tag.MajorVersion, c.major);
        EXPECT_EQ(tag.Size, c.body.size() + 64 + 10);
        ASSERT_EQ(tag.FrameCount(), 2);
        EXPECT_EQ(tag.Frames[0]->IDString(), "TIT2");
        EXPECT_EQ(tag.GetText("TIT2"), "Title");
        EXPECT_EQ(tag.GetText("TPE1"), "Artist");
        EXPECT_FALSE(tag.Error());
    }
}

TEST(ID3v2Load, NoTagAndUnsupportedVersions) {
    TID3v2Tag tag;
    EXPECT_EQ(Load(tag, Audio()), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
    EXPECT_EQ(Load(tag, ""), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
    for (int major : {1, 5}) {
        EXPECT_EQ(Load(tag, Tag(major, 0, Frame3("TIT2", kTitle))), ID3V2LIBRARY_ERROR_NOT_SUPPORTED_VERSION);
        EXPECT_FALSE(tag.Loaded);
        EXPECT_EQ(tag.FrameCount(), 0);
    }
}

TEST(ID3v2Load, Version22IdentifiersAndPictureAreConverted) {
    std::string pic = std::string(
                          "\0JPG\x03"
                          "cover\0",
                          11) +
                      "\xFF\xD8jpegbytes";
    std::string body = Frame2("TT2", kTitle) + Frame2("PIC", pic) + Frame2("CRM", "encrypted meta");
    TID3v2Tag tag;
    ASSERT_EQ(Load(tag, Tag(2, 0, body)), ID3V2LIBRARY_SUCCESS);
    ASSERT_EQ(tag.FrameCount(), 3);
    EXPECT_EQ(tag.Frames[0]->IDString(), "TIT2");
    EXPECT_EQ(tag.Frames[1]->IDString(), "APIC");
    EXPECT_EQ(tag.Frames[2]->ID, (TFrameID{'C', 'R', 'M', 0}));

    std::string mime, description, bytes;
    uint8_t type = 0;
    ASSERT_TRUE(tag.GetCoverPictureInfo("APIC", mime, description, type, &bytes));
    EXPECT_EQ(mime, "image/jpeg");
    EXPECT_EQ(description, "cover");
    EXPECT_EQ(type, 3);
    EXPECT_EQ(bytes, "\xFF\xD8jpegbytes");

    // Saved as ID3v2.3 without the unconvertible frame, and the size field
    // counts exactly the bytes that follow the header.
    std::string out = Saved(tag);
    EXPECT_EQ(out[3], 3);
    EXPECT_EQ(out.find("CRM"), std::string::npos);
    EXPECT_EQ(out.size() - 10,
              (uint32_t(out[6]) << 21 | uint32_t(out[7]) << 14 | uint32_t(out[8]) << 7 | uint32_t(out[9])));
    TID3v2Tag back;
    ASSERT_EQ(Load(back, out), ID3V2LIBRARY_SUCCESS);
    EXPECT_EQ(back.FrameCount(), 2);
    EXPECT_TRUE(back.GetCoverPictureInfo("APIC", mime, description, type, &bytes));
    EXPECT_EQ(bytes, "\xFF\xD8jpegbytes");
}

TEST(ID3v2Load, PictureFormatsOfVersion22MapToMimeTypes) {
    const std::pair<std::string, std::string> cases[] = {
        {"PNG", "image/png"}, {"gif", "image/gif"}, {"BMP", "image/bmp"}, {"jpg", "image/jpeg"}, {"TIF", "TIF"}};
    for (const auto& [format, mime] : cases) {
        TID3v2Tag tag;
        ASSERT_EQ(Load(tag, Tag(2, 0, Frame2("PIC", std::string("\0", 1) + format + "\0\0xyz"))), 0);
        std::string m, d;
        uint8_t t;
        EXPECT_TRUE(tag.GetCoverPictureInfo("APIC", m, d, t));
        EXPECT_EQ(m, mime) << format;
    }
}

TEST(ID3v2Load, FrameFlagsAndExtraHeaderBytes) {
    // ID3v2.3: compression adds a 4-byte size, encryption and grouping a byte each.
    std::string v3data = be(999, 4) +
                         "\x07\x09"
                         "payload";
    TID3v2Tag v3;
    ASSERT_EQ(Load(v3, Tag(3, 0, Frame3("PRIV", v3data, 0xE0E0) + Frame3("TIT2", kTitle))), 0);
    ASSERT_EQ(v3.FrameCount(), 2);
    const TID3v2Frame& a = *v3.Frames[0];
    EXPECT_TRUE(a.TagAlterPreservation && a.FileAlterPreservation && a.ReadOnly);
    EXPECT_TRUE(a.Compressed && a.Encrypted && a.GroupingIdentity && a.DataLengthIndicator);
    EXPECT_EQ(a.DataLengthIndicatorValue, 999u);
    EXPECT_EQ(a.EncryptionMethod, 7);
    EXPECT_EQ(a.GroupIdentifier, 9);
    EXPECT_EQ(a.Size, 7u);
    EXPECT_EQ(a.Data(), "payload");
    EXPECT_EQ(v3.GetText("TIT2"), "Title");

    // ID3v2.4: grouping, encryption and the data length come in that order.
    std::string v4data = "\x05\x06" + Synchsafe(300) + "payload";
    TID3v2Tag v4;
    ASSERT_EQ(Load(v4, Tag(4, 0, Frame4("PRIV", v4data, 0x004D))), 0);
    const TID3v2Frame& b = *v4.Frames[0];
    EXPECT_TRUE(b.GroupingIdentity && b.Compressed && b.Encrypted && b.DataLengthIndicator);
    EXPECT_FALSE(b.Unsynchronised);
    EXPECT_EQ(b.GroupIdentifier, 5);
    EXPECT_EQ(b.EncryptionMethod, 6);
    EXPECT_EQ(b.DataLengthIndicatorValue, 300u);
    EXPECT_EQ(b.Data(), "payload");

    // Both survive a save byte for byte (encrypted data is never touched).
    EXPECT_EQ(Saved(v3), Tag(3, 0, Frame3("PRIV", v3data, 0xE0E0) + Frame3("TIT2", kTitle)));
    EXPECT_EQ(Saved(v4), Tag(4, 0, Frame4("PRIV", v4data, 0x004D)));
}

TEST(ID3v2Load, Version24StatusBitsDecodeOneEach) {
    TID3v2Tag tag;
    ASSERT_EQ(Load(tag, Tag(4, 0, Frame4("TIT2", kTitle, 0x4000))), 0);
    const TID3v2Frame& f = *tag.Frames[0];
    EXPECT_TRUE(f.TagAlterPreservation);
    EXPECT_FALSE(f.FileAlterPreservation || f.ReadOnly || f.Compressed || f.Unsynchronised);
    EXPECT_EQ(Saved(tag), Tag(4, 0, Frame4("TIT2", kTitle, 0x4000)));
}

TEST(ID3v2Load, ExtendedHeaders) {
    // ID3v2.3, 6 bytes of flags and padding size after the size field.
    std::string ext3 = be(6, 4) + std::string("\0\0\0\0\0\0", 6);
    TID3v2Tag v3;
    ASSERT_EQ(Load(v3, Tag(3, 0x40, ext3 + Frame3("TIT2", kTitle))), 0);
    EXPECT_TRUE(v3.ExtendedHeader);
    EXPECT_EQ(v3.ExtendedHeader3->Size, 6u);
    EXPECT_EQ(v3.ExtendedHeader3->Data.Bytes().size(), 4u);
    EXPECT_EQ(v3.GetText("TIT2"), "Title");

    // ID3v2.3 with CRC: 10 bytes.
    std::string ext3crc = be(10, 4) + std::string("\x80\0\0\0\0\0", 6) + be(0x12345678, 4);
    ASSERT_EQ(Load(v3, Tag(3, 0x40, ext3crc + Frame3("TIT2", kTitle))), 0);
    EXPECT_TRUE(v3.ExtendedHeader3->CRCPresent);
    EXPECT_EQ(v3.GetText("TIT2"), "Title");

    // ID3v2.4 with CRC and restrictions: 4 + 1 + 1 + (1 + 5) + (1 + 1) = 14 bytes.
    std::string ext4 = Synchsafe(14) + "\x01\x30" + "\x05" + std::string("\x01\x02\x03\x04\x05", 5) + "\x01\x42";
    TID3v2Tag v4;
    ASSERT_EQ(Load(v4, Tag(4, 0x40, ext4 + Frame4("TIT2", kTitle))), 0);
    const auto& x = *v4.ExtendedHeader4;
    EXPECT_EQ(x.Size, 14u);
    EXPECT_TRUE(x.CRCPresent && x.TagRestrictions);
    EXPECT_FALSE(x.TagIsAnUpdate);
    EXPECT_EQ(x.ExtendedFlagsDataSize, 6u);
    EXPECT_EQ(x.ExtendedFlagsData, (std::vector<uint8_t>{1, 2, 3, 4, 5, 0x42}));
    EXPECT_EQ(v4.GetText("TIT2"), "Title");

    // The flag set but a frame right after the header: nothing is consumed.
    TID3v2Tag liar;
    ASSERT_EQ(Load(liar, Tag(4, 0x40, Frame4("TIT2", kTitle))), 0);
    EXPECT_FALSE(liar.ExtendedHeader);
    EXPECT_EQ(liar.GetText("TIT2"), "Title");

    // An extended header larger than the tag loads no frames and flags the error.
    TID3v2Tag huge;
    ASSERT_EQ(Load(huge, Tag(4, 0x40, Synchsafe(5000) + "\x01\x00" + Frame4("TIT2", kTitle))), 0);
    EXPECT_TRUE(huge.Error());
    EXPECT_EQ(huge.FrameCount(), 0);
}

TEST(ID3v2Load, UnsynchronisationOfVersion23CoversFrameHeaders) {
    // A 255-byte frame: its size field ends in FF, so the unsynchronised tag
    // has an inserted 00 inside the frame header itself.
    std::string data = std::string("\x00", 1) + std::string(250, 'a') + "\xFF\xE0\xFF\x00";
    data.resize(255, 'z');
    std::string body = Frame3("TIT2", data) + Frame3("TPE1", std::string("\0Artist", 7));
    std::string unsynced;
    for (size_t i = 0; i < body.size(); ++i) {
        unsynced += body[i];
        if (uint8_t(body[i]) == 0xFF && i + 1 < body.size() && (body[i + 1] == 0 || (uint8_t(body[i + 1]) & 0xE0)))
            unsynced += '\0';
    }
    ASSERT_NE(unsynced, body);
    TID3v2Tag tag;
    ASSERT_EQ(Load(tag, Tag(3, 0x80, unsynced)), 0);
    ASSERT_EQ(tag.FrameCount(), 2);
    EXPECT_EQ(tag.Frames[0]->Data(), data);
    EXPECT_EQ(tag.GetText("TPE1"), "Artist");
    EXPECT_TRUE(tag.WasUnsynchronised());
    EXPECT_FALSE(tag.Unsynchronised);

    // Kept unsynchronised, it is written back as the same bytes.
    TID3v2Tag kept;
    kept.AutoRemoveUnsynchronisation = false;
    ASSERT_EQ(Load(kept, Tag(3, 0x80, unsynced)), 0);
    EXPECT_TRUE(kept.Unsynchronised);
    EXPECT_EQ(kept.Frames[0]->Data(), data);
    EXPECT_EQ(Saved(kept), Tag(3, 0x80, unsynced));
}

TEST(ID3v2Load, UnsynchronisationOfVersion24IsPerFrame) {
    const std::string plain(
        "\0A\xFF\xE0"
        "B",
        5);
    const std::string stored(
        "\0A\xFF\0\xE0"
        "B",
        6);
    std::string body = Frame4("TIT2", stored, 0x0002) + Frame4("TPE1", std::string("\0\xFF\x00X", 4));
    TID3v2Tag tag;
    ASSERT_EQ(Load(tag, Tag(4, 0, body)), 0);
    EXPECT_EQ(tag.Frames[0]->Data(), plain);
    EXPECT_TRUE(tag.Frames[0]->WasUnsynchronised());
    EXPECT_FALSE(tag.Frames[0]->Unsynchronised);
    // A frame without the flag keeps its FF 00.
    EXPECT_EQ(tag.Frames[1]->Data(), std::string("\0\xFF\x00X", 4));
    EXPECT_EQ(Saved(tag), Tag(4, 0, Frame4("TIT2", plain) + Frame4("TPE1", std::string("\0\xFF\x00X", 4))));

    TID3v2Tag kept;
    kept.AutoRemoveUnsynchronisation = false;
    ASSERT_EQ(Load(kept, Tag(4, 0, body)), 0);
    EXPECT_EQ(kept.Frames[0]->Data(), stored);
    EXPECT_EQ(Saved(kept), Tag(4, 0, body));
}

TEST(ID3v2Load, UnsynchronisationBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xFF\xE0", std::string("\xFF\x00\xE0", 3)},
        {std::string("\xFF\x00", 2), std::string("\xFF\x00\x00", 3)},
        {"\xFF\x20", std::string("\xFF\x00\x20", 3)},
        {"\xFF\x10", "\xFF\x10"},
        {"\xFF\xFF\xFF", std::string("\xFF\x00\xFF\x00\xFF", 5)},
        {"\xFF", "\xFF"},
    };
    for (const auto& [in, out] : cases) {
        TID3v2Tag tag;
        TID3v2Frame& f = *tag.AddFrameEx("PRIV");
        f.Data() = in;
        ASSERT_TRUE(f.ApplyUnsynchronisation());
        EXPECT_EQ(f.Data(), out);
        EXPECT_TRUE(f.Unsynchronised);
        ASSERT_TRUE(f.RemoveUnsynchronisation());
        EXPECT_EQ(f.Data(), in);
        EXPECT_TRUE(f.WasUnsynchronised());
    }
}

TEST(ID3v2Load, CompressedFramesInflateAndDeflate) {
    std::string text = std::string("\x03") + std::string(500, 'x') + " end";
    uLongf len = compressBound(uLong(text.size()));
    std::string packed(len, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &len, reinterpret_cast<const Bytef*>(text.data()),
             uLong(text.size()));
    packed.resize(len);

    TID3v2Tag tag;
    ASSERT_EQ(Load(tag, Tag(3, 0, Frame3("TIT2", be(text.size(), 4) + packed, 0x0080))), 0);
    EXPECT_TRUE(tag.Frames[0]->Compressed);
    EXPECT_EQ(tag.Frames[0]->Data(), packed);
    ASSERT_TRUE(tag.DeCompressAllFrames());
    EXPECT_FALSE(tag.Frames[0]->Compressed);
    EXPECT_EQ(tag.GetText("TIT2"), std::string(500, 'x') + " end");

    // Our own compression round-trips through a saved tag of either version.
    for (int major : {3, 4}) {
        tag.MajorVersion = uint8_t(major);
        ASSERT_TRUE(tag.Frames[0]->Compress());
        EXPECT_EQ(tag.Frames[0]->DataLengthIndicatorValue, text.size());
        EXPECT_LT(tag.Frames[0]->Data().size(), text.size());
        TID3v2Tag back;
        ASSERT_EQ(Load(back, Saved(tag)), 0);
        ASSERT_TRUE(back.Frames[0]->Compressed);
        EXPECT_EQ(back.Frames[0]->DataLengthIndicatorValue, text.size());
        ASSERT_TRUE(back.DeCompressAllFrames());
        EXPECT_EQ(back.Frames[0]->Data(), text);
        ASSERT_TRUE(tag.Frames[0]->DeCompress());
    }

    // Data that is not a zlib stream stays as stored.
    TID3v2Frame& junk = *tag.AddFrameEx("PRIV");
    junk.Data() = "not zlib at all";
    junk.Compressed = true;
    EXPECT_FALSE(junk.DeCompress());
    EXPECT_EQ(junk.Data(), "not zlib at all");
    EXPECT_TRUE(junk.Compressed);
}

TEST(ID3v2Load, PaddingAndGarbageEndTheFrameList) {
    TID3v2Tag tag;
    ASSERT_EQ(Load(tag, Tag(3, 0, Frame3("TIT2", kTitle), 100)), 0);
    EXPECT_EQ(tag.FrameCount(), 1);
    ASSERT_EQ(Load(tag, Tag(3, 0, Frame3("TIT2", kTitle) + "tpe1" + std::string(20, 'q'))), 0);
    EXPECT_EQ(tag.FrameCount(), 1);
    EXPECT_FALSE(tag.Error());
}

TEST(ID3v2Load, LyingFrameSizesKeepEarlierFramesAndFlagTheError) {
    const std::string first = Frame3("TIT2", kTitle);
    // Larger than the whole tag, and larger than what is left of the tag.
    for (uint32_t claimed : {100000u, 40u}) {
        std::string liar = std::string("TPE1") + be(claimed, 4) + std::string("\0\0\0Artist", 9);
        TID3v2Tag tag;
        ASSERT_EQ(Load(tag, Tag(3, 0, first + liar) + Audio()), ID3V2LIBRARY_SUCCESS);
        EXPECT_TRUE(tag.Loaded);
        EXPECT_TRUE(tag.Error());
        ASSERT_EQ(tag.FrameCount(), 2);
        EXPECT_EQ(tag.GetText("TIT2"), "Title");
        EXPECT_TRUE(tag.Frames[1]->Data().empty());
        // The broken frame is not written back.
        TID3v2Tag back;
        ASSERT_EQ(Load(back, Saved(tag)), 0);
        EXPECT_EQ(back.FrameCount(), 1);
    }
}

TEST(ID3v2Load, EveryTruncationOfATagLoadsSafely) {
    std::string ext = Synchsafe(12) + "\x01\x20\x05" + std::string("\x01\x02\x03\x04\x05", 5);
    const std::string tags[] = {
        Tag(4, 0x40, ext + Frame4("TIT2", kTitle, 0x0043) + Frame4("APIC", std::string("\0image/png\0\x03\0PNG", 15))),
        Tag(3, 0x80, Frame3("TIT2", std::string("\x01\xFF\x00\xFE\x41\x00\x00\x00", 8)) + Frame3("PRIV", "x", 0x00E0)),
        Tag(2, 0, Frame2("TT2", kTitle) + Frame2("PIC", std::string("\x01PNG\x03\xFF\xFEx\0\0\0", 12))),
    };
    for (const std::string& full : tags) {
        for (size_t n = 0; n <= full.size(); ++n) {
            TID3v2Tag tag;
            int rc = Load(tag, full.substr(0, n));
            EXPECT_TRUE(rc == 0 || rc == 1 || rc == ID3V2LIBRARY_ERROR) << n;
            TMemoryStream out;
            if (tag.FrameCount() > 0) tag.SaveToStream(out);
            EXPECT_LE(tag.CalculateTotalFramesSize(), int64_t(full.size()));
        }
    }
}

TEST(ID3v2Load, MisplacedTagIsFoundOnlyWhenSearching) {
    std::string file = std::string(100, 'j') + Tag(3, 0, Frame3("TIT2", kTitle)) + Audio();
    TID3v2Tag tag;
    EXPECT_EQ(Load(tag, file), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
    tag.BeginningSearchLength = 128;
    ASSERT_EQ(Load(tag, file), 0);
    EXPECT_EQ(tag.Position(), 100);
    EXPECT_EQ(tag.GetText("TIT2"), "Title");
    tag.BeginningSearchLength = 50;
    EXPECT_EQ(Load(tag, file), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
}

TEST(ID3v2Load, ATagRightAfterAContainerHeaderIsNoChunkOfIt) {
    const std::pair<std::string, TSourceFileType> cases[] = {
        {std::string("RIFF\x24\0\0\0WAVEfmt ", 16), sftWAVE},
        {std::string("RF64\xFF\xFF\xFF\xFFWAVEds64", 16), sftRF64},
        {std::string("FORM\0\0\0\x20"
                     "AIFFCOMM",
                     16),
         sftAIFF},
        {std::string("DSD \x1C\0\0\0\0\0\0\0\0\0\0\0", 16), sftDSF},
        {std::string("FRM8\0\0\0\0\0\0\0\x20"
                     "DSD ",
                     16),
         sftDFF},
    };
    for (const auto& [head, type] : cases) {
        TID3v2Tag tag;
        EXPECT_EQ(Load(tag, head + Tag(3, 0, Frame3("TIT2", kTitle))), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
        EXPECT_EQ(tag.SourceFileType(), type);
        EXPECT_EQ(tag.FrameCount(), 0);
    }
}

TEST(ID3v2Load, LoadFromMemoryNeverReadsPastTheBlock) {
    std::string bytes = Tag(3, 0, Frame3("TIT2", kTitle) + Frame3("TPE1", std::string("\0Artist", 7)));
    TID3v2Tag tag;
    EXPECT_EQ(tag.LoadFromMemory(nullptr, 100), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
    EXPECT_EQ(tag.LoadFromMemory("xyz", 3), ID3V2LIBRARY_ERROR_NO_TAG_FOUND);
    ASSERT_EQ(tag.LoadFromMemory(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(tag.FrameCount(), 2);
    // A block that ends inside the second frame: the header lies about the size.
    std::vector<char> exact(bytes.begin(), bytes.begin() + 30);
    ASSERT_EQ(tag.LoadFromMemory(exact.data(), exact.size()), 0);
    EXPECT_EQ(tag.GetText("TIT2"), "Title");
    EXPECT_EQ(tag.GetText("TPE1"), "");
}

TEST(ID3v2Load, FramesWithoutPictureDataWhenCoverArtsAreSkipped) {
    std::string apic = std::string("\0image/png\0\x03\0", 13) + std::string(5000, 'P');
    TID3v2Tag tag;
    tag.ParseCoverArts = false;
    ASSERT_EQ(Load(tag, Tag(3, 0, Frame3("APIC", apic) + Frame3("TIT2", kTitle))), 0);
    ASSERT_EQ(tag.FrameCount(), 2);
    EXPECT_EQ(tag.CoverArtCount(), 1);
    EXPECT_TRUE(tag.Frames[0]->Data().empty());
    EXPECT_EQ(tag.GetText("TIT2"), "Title");
}

TEST(ID3v2Load, CheckValidFrame) {
    TID3v2Tag tag;
    auto errors = [&](const std::string& id, const std::string& data, uint16_t flags, int major) {
        tag.Clear();
        tag.MajorVersion = uint8_t(major);
        TID3v2Frame& f = *tag.AddFrameEx(id);
        f.Data() = data;
        f.Flags = flags;
        return tag.CheckValidFrame(0);
    };
    EXPECT_TRUE(errors("TIT2", kTitle, 0, 3).Empty());
    EXPECT_TRUE(errors("tit2", kTitle, 0, 4).Contains(id3v2feInvalidFrameID));
    EXPECT_TRUE(errors("TIT2", kTitle, 0x0010, 3).Contains(id3v2feInvalidFlags));
    EXPECT_TRUE(errors("TIT2", kTitle, 0x0080, 4).Contains(id3v2feInvalidFlags));
    EXPECT_TRUE(errors("TIT2", kTitle, 0x0080, 3).Empty());
    EXPECT_TRUE(errors("TIT2", "Rock", 0, 4).Contains(id3v2feInvalidTextEncoding));
    EXPECT_TRUE(errors("PRIV", "", 0, 4).Contains(id3v2feNoContent));
    EXPECT_TRUE(tag.CheckValidFrame(5).Empty());
}

TEST(ID3v2Load, TagCrcCoversTheWrittenFrames) {
    std::string frames = Frame3("TIT2", kTitle) + Frame3("TPE1", std::string("\0Artist", 7));
    TID3v2Tag tag;
    ASSERT_EQ(Load(tag, Tag(3, 0, frames)), 0);
    EXPECT_EQ(tag.CalculateTagCRC32(), crc32(0, reinterpret_cast<const Bytef*>(frames.data()), uInt(frames.size())));
}

TEST(ID3v2Load, AssignCopiesFramesDeeply) {
    TID3v2Tag a;
    ASSERT_EQ(Load(a, Tag(4, 0, Frame4("TIT2", kTitle, 0x4000) + Frame4("TPE1", std::string("\0Artist", 7)))), 0);
    TID3v2Tag b;
    b.Assign(a);
    EXPECT_EQ(b.MajorVersion, 4);
    ASSERT_EQ(b.FrameCount(), 2);
    EXPECT_TRUE(b.Frames[0]->TagAlterPreservation);
    b.SetText("TIT2", "Changed", teUTF8);
    EXPECT_EQ(a.GetText("TIT2"), "Title");
    EXPECT_EQ(b.Frames[1]->Parent, &b);
}
