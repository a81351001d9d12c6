// Byte-level helpers private to ID3v2Library: byte order, synchsafe integers,
// unsynchronisation and zlib.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "tags/core/bytes.h"

namespace tags {
class TStream;
}

namespace tags::id3v2 {

// The largest frame data a tag can hold; nothing inflates beyond it.
inline constexpr size_t kMaxFrameData = 0x0FFFFFFF;

// Values above 2^28 - 1 are clipped (a data length that does not fit).
inline void AppendSynchsafe(std::string& out, uint32_t v) { AppendSynchsafe28(out, std::min(v, kSynchsafe28Max)); }
inline uint32_t ReadSynchsafe(const void* p) { return ReadSynchsafe28(p); }

inline const uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Drops every 0x00 that directly follows a 0xFF.
std::string RemoveUnsync(std::string_view in);
// Inserts 0x00 after every 0xFF that is followed by 0x00 or a byte >= 0x20.
std::string ApplyUnsync(std::string_view in);

// zlib stream at the maximum level; false on failure or empty input.
bool Deflate(std::string_view in, std::string& out);
// False when the data is not a complete zlib stream or inflates past limit.
bool Inflate(std::string_view in, std::string& out, size_t limit);

// Seeks to the end of the stream and back: bytes left after the position.
int64_t BytesLeft(TStream& s);

}  // namespace tags::id3v2
