// One picture of a TTags list, with the helpers that classify image bytes.
#pragma once

#include "tags/core/stream.h"
#include "tags/facade/tagtypes.h"

#include <cstdint>
#include <string>

namespace tags {

class TTags;

class TCoverArt {
public:
    explicit TCoverArt(TTags* parent) : Parent(parent) {}

    std::string Name;
    TMemoryStream Stream;  // the complete image file
    std::string Description;
    uint32_t CoverType = 0;  // the ID3v2 picture type, 3 = front cover
    std::string MIMEType;
    TTagPictureFormat PictureFormat = tpfUnknown;
    uint32_t Width = 0, Height = 0, ColorDepth = 0, NoOfColors = 0;
    TTags* Parent;  // not owned
    bool AlreadyParsed = false;

    int GetIndex() const;
    // Destroys this picture.
    bool Delete();
    void Clear();
    void Assign(const TCoverArt& source);
};

// From the first bytes (JPEG, PNG, GIF, BMP, TIFF); the stream is rewound
// before and after.
TTagPictureFormat PictureStreamType(TStream* pictureStream);
TTagPictureFormat PicturePointerType(const void* picture, uint64_t dataSize);
// "image/jpeg", "image/jpg", "image/png", "image/bmp", "image/gif", ignoring
// case; anything else is tpfUnknown.
TTagPictureFormat PictureFormatFromMIMEType(const std::string& mimeType);
// "image/jpeg" ... "image/tiff" from the image bytes; empty when unknown.
std::string MIMETypeFromPicture(const void* picture, uint64_t dataSize);

// The 21 ID3v2 picture types by their description ("Cover (front)" is 3);
// any other text gives 0.
uint32_t PictureTypeFromText(const std::string& text);

}  // namespace tags
