// Helpers shared by the APEv2 item and tag code.
#pragma once

#include "tags/apev2/apev2library.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tags {

// Item text is UTF-8; older writers put legacy code-page text there.
std::string DecodeUtf8OrLegacy(std::string_view bytes);
// "512 Byte", "2.00 KB", "1.50 MB", ...
std::string BinarySizeText(int64_t size);
// The image kind whose signature starts bytes.
TAPEv2PictureFormat PictureFormatAt(std::string_view bytes);

}  // namespace tags
