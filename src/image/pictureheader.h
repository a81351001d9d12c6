// What the first bytes of a picture say about it, read without decoding: its
// format and the size it declares. Only pictures whose declared size fits the
// limits reach the decoder, so that a few hundred bytes cannot make it
// allocate gigabytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace image {

enum class TPictureKind { pkUnknown, pkJPEG, pkPNG, pkBMP, pkGIF, pkTIFF };

struct TPictureHeader {
    TPictureKind Kind = TPictureKind::pkUnknown;
    // 0 x 0 when the header is cut short or declares no size. For a GIF, the
    // larger of its screen and its first frame in each direction, since the
    // decoder allocates for either.
    uint32_t Width = 0, Height = 0;
    // An uncompressed BMP's pixel data: where it starts and the bytes of
    // one row (0 for a compressed one).
    uint32_t PixelOffset = 0;
    uint64_t RowBytes = 0;
};

// The formats tags carry pictures in: JPEG, PNG, BMP, GIF and TIFF, by their
// signatures. Anything else is pkUnknown.
TPictureHeader ReadPictureHeader(std::string_view bytes);

// Covers are a few thousand pixels across; these bounds leave room for any
// real one and keep a decode under 256 MiB at 4 bytes a pixel.
inline constexpr uint32_t kMaxPictureSide = 16384;
inline constexpr uint64_t kMaxDecodedBytes = uint64_t(256) << 20;
// True for a size of at least 1 x 1 within both bounds.
bool WithinDecodeLimits(uint32_t width, uint32_t height);

// The fewest bytes a whole picture of the declared size can take: every row
// of an uncompressed BMP, and for compressed data one byte per 16384 pixels,
// more than any of these formats packs into a byte of real pictures. A
// shorter one is cut short or lies about its size, and is not worth a decode
// of its full size.
uint64_t LeastBytes(const TPictureHeader& header);

// "JPEG", "PNG", "BMP", "GIF", "TIFF" or "unknown", for messages.
const char* KindName(TPictureKind kind);

}  // namespace image
