#include "tags/facade/coverart.h"

#include "common/text.h"
#include "tags/facade/ownedlist.h"
#include "tags/facade/tagslibrary.h"

#include <array>
#include <cstring>

namespace tags {

int TCoverArt::GetIndex() const { return Parent ? detail::IndexOf(Parent->CoverArts, this) : -1; }

bool TCoverArt::Delete() { return Parent && Parent->DeleteCoverArt(GetIndex()); }

void TCoverArt::Clear() {
    Name.clear();
    Stream.Clear();
    Description.clear();
    MIMEType.clear();
    CoverType = 0;
    PictureFormat = tpfUnknown;
    Width = Height = ColorDepth = NoOfColors = 0;
}

void TCoverArt::Assign(const TCoverArt& source) {
    if (&source == this) return;
    Clear();
    Name = source.Name;
    Stream.Bytes() = source.Stream.Bytes();
    CoverType = source.CoverType;
    Description = source.Description;
    MIMEType = source.MIMEType;
    PictureFormat = source.PictureFormat;
    Width = source.Width;
    Height = source.Height;
    ColorDepth = source.ColorDepth;
    NoOfColors = source.NoOfColors;
    Stream.Seek(0, TSeekOrigin::soBeginning);
}

namespace {

TTagPictureFormat Classify(const unsigned char* b, size_t n) {
    if (n >= 2) {
        if (b[0] == 'G' && b[1] == 'I') return tpfGIF;
        if (b[0] == 'B' && b[1] == 'M') return tpfBMP;
        if (b[0] == 0x89 && b[1] == 'P') return tpfPNG;
        if (b[0] == 0xFF && b[1] == 0xD8) return tpfJPEG;
    }
    if (n >= 4 && (std::memcmp(b, "II\x2A\0", 4) == 0 || std::memcmp(b, "MM\0\x2A", 4) == 0)) return tpfTIFF;
    return tpfUnknown;
}

// The magic numbers take at most 4 bytes; a shorter block is read no further.
size_t HeadSize(uint64_t dataSize) { return dataSize < 4 ? static_cast<size_t>(dataSize) : 4; }

}  // namespace

TTagPictureFormat PictureStreamType(TStream* pictureStream) {
    if (!pictureStream || !pictureStream->SetPosition(0)) return tpfUnknown;
    unsigned char head[4];
    int64_t got = pictureStream->Read(head, 4);
    pictureStream->SetPosition(0);
    return got > 0 ? Classify(head, static_cast<size_t>(got)) : tpfUnknown;
}

TTagPictureFormat PicturePointerType(const void* picture, uint64_t dataSize) {
    if (!picture || dataSize <= 2) return tpfUnknown;
    return Classify(static_cast<const unsigned char*>(picture), HeadSize(dataSize));
}

TTagPictureFormat PictureFormatFromMIMEType(const std::string& mimeType) {
    std::string m = common::asciiLower(mimeType);
    if (m == "image/jpeg" || m == "image/jpg") return tpfJPEG;
    if (m == "image/png") return tpfPNG;
    if (m == "image/bmp") return tpfBMP;
    if (m == "image/gif") return tpfGIF;
    return tpfUnknown;
}

std::string MIMETypeFromPicture(const void* picture, uint64_t dataSize) {
    if (!picture) return {};
    switch (Classify(static_cast<const unsigned char*>(picture), HeadSize(dataSize))) {
    case tpfJPEG: return "image/jpeg";
    case tpfPNG: return "image/png";
    case tpfGIF: return "image/gif";
    case tpfBMP: return "image/bmp";
    case tpfTIFF: return "image/tiff";
    default: return {};
    }
}

namespace {
constexpr std::array<const char*, 21> kPictureTypes = {
    "Other",
    "32x32 pixels 'file icon' (PNG only)",
    "Other file icon",
    "Cover (front)",
    "Cover (back)",
    "Leaflet page",
    "Media (e.g. label side of CD)",
    "Lead artist/lead performer/soloist",
    "Artist/performer",
    "Conductor",
    "Band/Orchestra",
    "Composer",
    "Lyricist/text writer",
    "Recording Location",
    "During recording",
    "During performance",
    "Movie/video screen capture",
    "A bright coloured fish",
    "Illustration",
    "Band/artist logotype",
    "Publisher/Studio logotype",
};
}  // namespace

uint32_t PictureTypeFromText(const std::string& text) {
    for (size_t i = 0; i < kPictureTypes.size(); ++i)
        if (common::equalsNoCase(text, kPictureTypes[i])) return static_cast<uint32_t>(i);
    return 0;
}

}  // namespace tags
