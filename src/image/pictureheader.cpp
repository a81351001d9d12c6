#include "image/pictureheader.h"

#include <algorithm>
#include <cstdlib>

namespace image {

namespace {

// Byte reads that answer 0 past the end, so that a short header reads as
// "no size" rather than out of bounds.
struct TBytes {
    std::string_view b;
    bool has(size_t pos, size_t n) const { return pos <= b.size() && n <= b.size() - pos; }
    uint32_t u8(size_t pos) const { return has(pos, 1) ? static_cast<uint8_t>(b[pos]) : 0; }
    uint32_t be16(size_t pos) const { return u8(pos) << 8 | u8(pos + 1); }
    uint32_t le16(size_t pos) const { return u8(pos) | u8(pos + 1) << 8; }
    uint32_t be32(size_t pos) const { return be16(pos) << 16 | be16(pos + 2); }
    uint32_t le32(size_t pos) const { return le16(pos) | le16(pos + 2) << 16; }
};

TPictureHeader jpeg(const TBytes& in) {
    TPictureHeader h{TPictureKind::pkJPEG};
    size_t pos = 2;
    while (in.has(pos, 2)) {
        if (in.u8(pos) != 0xFF) return h;                    // not at a marker: corrupt
        while (in.u8(pos) == 0xFF && in.has(pos, 1)) ++pos;  // fill bytes
        if (!in.has(pos, 1)) return h;
        uint32_t marker = in.u8(pos++);
        // Markers without a length.
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        // The scan or the end before any frame header: no size to read.
        if (marker == 0xD9 || marker == 0xDA || !in.has(pos, 2)) return h;
        uint32_t length = in.be16(pos);
        if (length < 2) return h;
        // SOF0..SOF15; C4, C8 and CC share the range but are other segments.
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (in.has(pos, 7)) h.Height = in.be16(pos + 3), h.Width = in.be16(pos + 5);
            if (h.Width == 0 || h.Height == 0) h.Width = h.Height = 0;
            return h;
        }
        pos += length;
    }
    return h;
}

TPictureHeader png(const TBytes& in) {
    TPictureHeader h{TPictureKind::pkPNG};
    // The first chunk must be IHDR.
    if (in.has(8, 16) && in.b.substr(12, 4) == "IHDR") h.Width = in.be32(16), h.Height = in.be32(20);
    return h;
}

TPictureHeader bmp(const TBytes& in) {
    TPictureHeader h{TPictureKind::pkBMP};
    uint32_t infoSize = in.le32(14);
    if (infoSize == 12 && in.has(18, 4)) {  // the old core header: 16-bit sizes
        h.Width = in.le16(18), h.Height = in.le16(20);
    } else if (infoSize >= 40 && in.has(18, 8)) {
        auto width = static_cast<int32_t>(in.le32(18)), height = static_cast<int32_t>(in.le32(22));
        // A negative height means rows stored top-down; the size is the same.
        if (width > 0 && height != 0 && height != INT32_MIN)
            h.Width = static_cast<uint32_t>(width), h.Height = static_cast<uint32_t>(std::abs(height));
    }
    // Rows padded to 4 bytes, when the pixels are stored as they are:
    // compression 0 (none) or 3 (bit fields); the core header knows no other.
    uint32_t bitsPerPixel = infoSize == 12 ? in.le16(24) : in.le16(28);
    uint32_t compression = infoSize == 12 ? 0 : in.le32(30);
    if (h.Width && (compression == 0 || compression == 3) && bitsPerPixel >= 1 && bitsPerPixel <= 32) {
        h.PixelOffset = in.le32(10);
        h.RowBytes = (uint64_t(h.Width) * bitsPerPixel + 31) / 32 * 4;
    }
    return h;
}

TPictureHeader gif(const TBytes& in) {
    TPictureHeader h{TPictureKind::pkGIF};
    if (!in.has(0, 13)) return h;
    uint32_t screenWidth = in.le16(6), screenHeight = in.le16(8), flags = in.u8(10);
    size_t pos = 13;
    if (flags & 0x80) pos += size_t(3) << ((flags & 7) + 1);  // the global colour table
    // Extensions up to the first image descriptor.
    while (in.has(pos, 1)) {
        uint32_t block = in.u8(pos);
        if (block == 0x2C) {
            if (!in.has(pos, 10)) return h;
            uint32_t frameWidth = in.le16(pos + 5), frameHeight = in.le16(pos + 7);
            if (frameWidth == 0 || frameHeight == 0) return h;
            h.Width = std::max(screenWidth, frameWidth);
            h.Height = std::max(screenHeight, frameHeight);
            return h;
        }
        if (block != 0x21) return h;  // the trailer, or garbage: no picture
        pos += 2;
        while (in.has(pos, 1)) {  // sub-blocks up to the empty one
            uint32_t n = in.u8(pos++);
            if (n == 0) break;
            pos += n;
        }
    }
    return h;
}

TPictureHeader tiff(const TBytes& in, bool bigEndian) {
    TPictureHeader h{TPictureKind::pkTIFF};
    auto u16 = [&](size_t p) { return bigEndian ? in.be16(p) : in.le16(p); };
    auto u32 = [&](size_t p) { return bigEndian ? in.be32(p) : in.le32(p); };
    size_t ifd = u32(4);
    if (!in.has(ifd, 2)) return h;
    uint32_t entries = u16(ifd);
    for (uint32_t i = 0; i < entries && in.has(ifd + 2 + i * 12, 12); ++i) {
        size_t e = ifd + 2 + i * 12;
        uint32_t tag = u16(e), type = u16(e + 2);
        // SHORT values sit in the first two bytes of the value field.
        uint32_t value = type == 3 ? u16(e + 8) : type == 4 ? u32(e + 8) : 0;
        if (tag == 256) h.Width = value;
        if (tag == 257) h.Height = value;
    }
    if (h.Width == 0 || h.Height == 0) h.Width = h.Height = 0;
    return h;
}

}  // namespace

TPictureHeader ReadPictureHeader(std::string_view bytes) {
    TBytes in{bytes};
    auto starts = [&](std::string_view magic) { return bytes.substr(0, magic.size()) == magic; };
    if (starts("\xFF\xD8")) return jpeg(in);
    if (starts("\x89PNG\r\n\x1A\n")) return png(in);
    if (starts("BM")) return bmp(in);
    if (starts("GIF87a") || starts("GIF89a")) return gif(in);
    if (starts(std::string_view("II*\0", 4))) return tiff(in, false);
    if (starts(std::string_view("MM\0*", 4))) return tiff(in, true);
    return {};
}

bool WithinDecodeLimits(uint32_t width, uint32_t height) {
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           uint64_t(width) * height * 4 <= kMaxDecodedBytes;
}

uint64_t LeastBytes(const TPictureHeader& header) {
    constexpr uint64_t kPixelsPerByte = 16384;
    if (header.RowBytes) return header.PixelOffset + header.RowBytes * header.Height;
    return (uint64_t(header.Width) * header.Height + kPixelsPerByte - 1) / kPixelsPerByte;
}

const char* KindName(TPictureKind kind) {
    switch (kind) {
    case TPictureKind::pkJPEG: return "JPEG";
    case TPictureKind::pkPNG: return "PNG";
    case TPictureKind::pkBMP: return "BMP";
    case TPictureKind::pkGIF: return "GIF";
    case TPictureKind::pkTIFF: return "TIFF";
    case TPictureKind::pkUnknown: break;
    }
    return "unknown";
}

}  // namespace image
