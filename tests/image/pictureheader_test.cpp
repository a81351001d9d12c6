#include <gtest/gtest.h>

#include <string>

#include "image/pictureheader.h"

using image::TPictureKind;

namespace {

std::string be16(unsigned v) { return {char(v >> 8), char(v)}; }
std::string le16(unsigned v) { return {char(v), char(v >> 8)}; }
std::string be32(unsigned v) { return be16(v >> 16) + be16(v & 0xFFFF); }
std::string le32(unsigned v) { return le16(v & 0xFFFF) + le16(v >> 16); }
std::string segment(unsigned marker, const std::string& body) {
    return std::string{'\xFF', char(marker)} + be16(unsigned(body.size()) + 2) + body;
}
std::string sof(unsigned marker, unsigned width, unsigned height) {
    return segment(marker, std::string(1, 8) + be16(height) + be16(width) + std::string("\x01\x01\x11\x00", 4));
}
const std::string kSoi = "\xFF\xD8";
const std::string kPng = "\x89PNG\r\n\x1A\n";
std::string tiffEntry(bool big, unsigned tag, unsigned type, unsigned value) {
    auto u16 = big ? be16 : le16;
    auto u32 = big ? be32 : le32;
    std::string v = type == 3 ? u16(value) + std::string(2, '\0') : u32(value);
    return u16(tag) + u16(type) + u32(1) + v;
}

}  // namespace

TEST(PictureHeader, ReadsTheDeclaredSizeOfEachFormat) {
    const std::string app0 = segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
    const std::string dht = segment(0xC4, std::string(20, '\x01'));
    struct Case {
        const char* what;
        std::string bytes;
        TPictureKind kind;
        uint32_t width, height;
    } cases[] = {
        {"baseline JPEG", kSoi + app0 + sof(0xC0, 3000, 2000), TPictureKind::pkJPEG, 3000, 2000},
        {"progressive JPEG after a table", kSoi + dht + sof(0xC2, 640, 480), TPictureKind::pkJPEG, 640, 480},
        {"fill bytes before a marker", kSoi + "\xFF\xFF" + sof(0xC1, 7, 9), TPictureKind::pkJPEG, 7, 9},
        {"JPEG cut before its frame", kSoi + app0, TPictureKind::pkJPEG, 0, 0},
        {"JPEG scan before any frame", kSoi + segment(0xDA, "ab"), TPictureKind::pkJPEG, 0, 0},
        {"JPEG frame of height 0", kSoi + sof(0xC0, 100, 0), TPictureKind::pkJPEG, 0, 0},
        {"PNG", kPng + be32(13) + "IHDR" + be32(20000) + be32(300), TPictureKind::pkPNG, 20000, 300},
        {"PNG cut in its header", kPng + be32(13) + "IHDR" + be32(20000), TPictureKind::pkPNG, 0, 0},
        {"BMP info header", "BM" + std::string(12, '\0') + le32(40) + le32(640) + le32(480), TPictureKind::pkBMP, 640,
         480},
        {"BMP stored top-down", "BM" + std::string(12, '\0') + le32(40) + le32(64) + le32(unsigned(-48)),
         TPictureKind::pkBMP, 64, 48},
        {"BMP core header", "BM" + std::string(12, '\0') + le32(12) + le16(33) + le16(17) + le32(0),
         TPictureKind::pkBMP, 33, 17},
        {"GIF frame larger than its screen",
         "GIF89a" + le16(10) + le16(10) + std::string("\x80\0\0", 3) + std::string(6, '\0') + "!\xF9\x04" +
             std::string(4, '\0') + '\0' + ',' + le16(0) + le16(0) + le16(40000) + le16(2) + '\0',
         TPictureKind::pkGIF, 40000, 10},
        {"GIF without a frame", "GIF87a" + le16(5) + le16(5) + std::string(3, '\0') + ";", TPictureKind::pkGIF, 0, 0},
        {"little-endian TIFF",
         std::string("II*\0", 4) + le32(8) + le16(2) + tiffEntry(false, 256, 3, 640) + tiffEntry(false, 257, 4, 480),
         TPictureKind::pkTIFF, 640, 480},
        {"big-endian TIFF",
         std::string("MM\0*", 4) + be32(8) + be16(2) + tiffEntry(true, 257, 3, 90) + tiffEntry(true, 256, 4, 70000),
         TPictureKind::pkTIFF, 70000, 90},
        {"TIFF directory past the end", std::string("II*\0", 4) + le32(4000), TPictureKind::pkTIFF, 0, 0},
        {"text", "not a picture at all", TPictureKind::pkUnknown, 0, 0},
        {"nothing", "", TPictureKind::pkUnknown, 0, 0},
    };
    for (const Case& c : cases) {
        image::TPictureHeader h = image::ReadPictureHeader(c.bytes);
        EXPECT_EQ(h.Kind, c.kind) << c.what;
        EXPECT_EQ(h.Width, c.width) << c.what;
        EXPECT_EQ(h.Height, c.height) << c.what;
        // Every shorter prefix reads without going past its end.
        for (size_t n = 0; n < c.bytes.size(); ++n) image::ReadPictureHeader(std::string(c.bytes, 0, n));
    }
}

TEST(PictureHeader, DecodeLimitsAreEachSideAndTheDecodedBytes) {
    struct Case {
        uint32_t width, height;
        bool within;
    } cases[] = {
        {1, 1, true},
        {3000, 3000, true},
        {8192, 8192, true},
        {8193, 8192, false},
        {16384, 4096, true},
        {16385, 1, false},
        {1, 16385, false},
        {16384, 16384, false},
        {0, 10, false},
        {10, 0, false},
        {0xFFFFFFFF, 0xFFFFFFFF, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(image::WithinDecodeLimits(c.width, c.height), c.within) << c.width << " x " << c.height;
}

TEST(PictureHeader, LeastBytesAreTheRowsOfAPlainBmpAndAFloorForCompressedData) {
    auto bmp = [](unsigned width, unsigned height, unsigned bits, unsigned compression) {
        return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height) + le16(1) + le16(bits) +
               le32(compression);
    };
    struct Case {
        const char* what;
        std::string bytes;
        uint64_t least;
    } cases[] = {
        {"24-bit rows padded to 4 bytes", bmp(17, 9, 24, 0), 54 + 52 * 9},
        {"1-bit rows", bmp(33, 2, 1, 0), 54 + 8 * 2},
        {"bit fields store pixels as they are", bmp(10, 10, 32, 3), 54 + 40 * 10},
        {"run-length coded", bmp(4352, 14335, 8, 1), (4352ull * 14335 + 16383) / 16384},
        {"PNG", kPng + be32(13) + "IHDR" + be32(3000) + be32(3000), (9000000 + 16383) / 16384},
        {"no size", "", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(image::LeastBytes(image::ReadPictureHeader(c.bytes)), c.least) << c.what;
}
