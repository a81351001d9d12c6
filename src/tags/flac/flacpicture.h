// The PICTURE block body, shared by the tag and its tests.
#pragma once

#include <string>

#include "tags/flac/flactaglibrary.h"

namespace tags {

// Fills info from a PICTURE block body (PictureData stays null); pictureOffset,
// when given, receives where the picture bytes start. False when a length runs
// past the block.
bool ParsePictureBlock(const std::string& data, TFlacTagCoverArtInfo& info, size_t* pictureOffset);
std::string BuildPictureBlock(const TFlacTagCoverArtInfo& info, const std::string& picture);

}  // namespace tags
