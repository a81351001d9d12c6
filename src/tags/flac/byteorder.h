// Byte-order helpers for the FLAC and Ogg readers. Metadata block headers and
// PICTURE fields are big-endian; Vorbis comments and Ogg pages little-endian.
#pragma once

#include <cstdint>
#include <string>

namespace tags::flacio {

inline uint32_t ReadBE(const void* p, int bytes) {
    auto* b = static_cast<const uint8_t*>(p);
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | b[i];
    return v;
}

inline uint64_t ReadLE(const void* p, int bytes) {
    auto* b = static_cast<const uint8_t*>(p);
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}

inline void WriteBE(void* p, uint32_t v, int bytes) {
    auto* b = static_cast<uint8_t*>(p);
    for (int i = bytes - 1; i >= 0; --i, v >>= 8) b[i] = static_cast<uint8_t>(v);
}

inline void WriteLE(void* p, uint64_t v, int bytes) {
    auto* b = static_cast<uint8_t*>(p);
    for (int i = 0; i < bytes; ++i, v >>= 8) b[i] = static_cast<uint8_t>(v);
}

inline void AppendBE32(std::string& out, uint32_t v) {
    char b[4];
    WriteBE(b, v, 4);
    out.append(b, 4);
}

inline void AppendLE32(std::string& out, uint32_t v) {
    char b[4];
    WriteLE(b, v, 4);
    out.append(b, 4);
}

}  // namespace tags::flacio
