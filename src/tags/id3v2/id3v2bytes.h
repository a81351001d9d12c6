// Byte-level helpers private to ID3v2Library: byte order, synchsafe integers,
// unsynchronisation and zlib.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tags {
class TStream;
}

namespace tags::id3v2 {

// The largest frame data a tag can hold; nothing inflates beyond it.
inline constexpr size_t kMaxFrameData = 0x0FFFFFFF;

inline uint32_t ReadBE32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint32_t ReadBE24(const uint8_t* p) { return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]; }
inline uint16_t ReadBE16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t ReadLE32(const uint8_t* p) {
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}
// Synchsafe: four 7-bit groups, most significant first.
inline uint32_t ReadSynchsafe(const uint8_t* p) {
    return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) | (uint32_t(p[2] & 0x7F) << 7) |
           (p[3] & 0x7F);
}

void AppendBE32(std::string& out, uint32_t v);
void AppendBE16(std::string& out, uint16_t v);
void AppendLE32(std::string& out, uint32_t v);
void AppendSynchsafe(std::string& out, uint32_t v);  // values above 2^28 - 1 are clipped

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
