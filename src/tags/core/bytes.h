// Byte-order helpers for tag headers: fixed-width big- and little-endian
// integers on raw byte buffers, and the 28-bit synchsafe integers of ID3v2
// (four 7-bit groups, most significant first, top bit of every byte clear).
#pragma once

#include <cstdint>
#include <string>

namespace tags {

namespace detail {
inline const uint8_t* bytes(const void* p) { return static_cast<const uint8_t*>(p); }
inline uint8_t* bytes(void* p) { return static_cast<uint8_t*>(p); }
}  // namespace detail

// --- Reads (the caller guarantees the buffer holds the bytes) -------------

inline uint16_t ReadBE16(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return static_cast<uint16_t>(b[0] << 8 | b[1]);
}
inline uint32_t ReadBE24(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return uint32_t(b[0]) << 16 | uint32_t(b[1]) << 8 | b[2];
}
inline uint32_t ReadBE32(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}
inline uint64_t ReadBE64(const void* p) { return uint64_t(ReadBE32(p)) << 32 | ReadBE32(detail::bytes(p) + 4); }
inline uint16_t ReadLE16(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return static_cast<uint16_t>(b[1] << 8 | b[0]);
}
inline uint32_t ReadLE24(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
}
inline uint32_t ReadLE32(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return uint32_t(b[3]) << 24 | uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
}
inline uint64_t ReadLE64(const void* p) { return uint64_t(ReadLE32(detail::bytes(p) + 4)) << 32 | ReadLE32(p); }

// --- Writes -----------------------------------------------------------------

inline void WriteBE16(void* p, uint16_t v) {
    uint8_t* b = detail::bytes(p);
    b[0] = uint8_t(v >> 8), b[1] = uint8_t(v);
}
inline void WriteBE24(void* p, uint32_t v) {
    uint8_t* b = detail::bytes(p);
    b[0] = uint8_t(v >> 16), b[1] = uint8_t(v >> 8), b[2] = uint8_t(v);
}
inline void WriteBE32(void* p, uint32_t v) {
    uint8_t* b = detail::bytes(p);
    b[0] = uint8_t(v >> 24), b[1] = uint8_t(v >> 16);
    b[2] = uint8_t(v >> 8), b[3] = uint8_t(v);
}
inline void WriteBE64(void* p, uint64_t v) {
    WriteBE32(p, uint32_t(v >> 32));
    WriteBE32(detail::bytes(p) + 4, uint32_t(v));
}
inline void WriteLE16(void* p, uint16_t v) {
    uint8_t* b = detail::bytes(p);
    b[0] = uint8_t(v), b[1] = uint8_t(v >> 8);
}
inline void WriteLE24(void* p, uint32_t v) {
    uint8_t* b = detail::bytes(p);
    b[0] = uint8_t(v), b[1] = uint8_t(v >> 8), b[2] = uint8_t(v >> 16);
}
inline void WriteLE32(void* p, uint32_t v) {
    uint8_t* b = detail::bytes(p);
    b[0] = uint8_t(v), b[1] = uint8_t(v >> 8);
    b[2] = uint8_t(v >> 16), b[3] = uint8_t(v >> 24);
}
inline void WriteLE64(void* p, uint64_t v) {
    WriteLE32(p, uint32_t(v));
    WriteLE32(detail::bytes(p) + 4, uint32_t(v >> 32));
}

// --- Appends, for building headers in a std::string ---------------------

// clang-format off
inline void AppendBE16(std::string& out, uint16_t v) { char b[2]; WriteBE16(b, v); out.append(b, 2); }
inline void AppendBE24(std::string& out, uint32_t v) { char b[3]; WriteBE24(b, v); out.append(b, 3); }
inline void AppendBE32(std::string& out, uint32_t v) { char b[4]; WriteBE32(b, v); out.append(b, 4); }
inline void AppendBE64(std::string& out, uint64_t v) { char b[8]; WriteBE64(b, v); out.append(b, 8); }
inline void AppendLE16(std::string& out, uint16_t v) { char b[2]; WriteLE16(b, v); out.append(b, 2); }
inline void AppendLE24(std::string& out, uint32_t v) { char b[3]; WriteLE24(b, v); out.append(b, 3); }
inline void AppendLE32(std::string& out, uint32_t v) { char b[4]; WriteLE32(b, v); out.append(b, 4); }
inline void AppendLE64(std::string& out, uint64_t v) { char b[8]; WriteLE64(b, v); out.append(b, 8); }
// clang-format on

// --- Synchsafe 28-bit integers ------------------------------------------

constexpr uint32_t kSynchsafe28Max = (1u << 28) - 1;

// Takes the low 7 bits of each byte, so a stray top bit cannot inflate the
// value past 2^28 - 1. IsSynchsafe tells whether all four top bits are clear.
inline uint32_t ReadSynchsafe28(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return uint32_t(b[0] & 0x7F) << 21 | uint32_t(b[1] & 0x7F) << 14 | uint32_t(b[2] & 0x7F) << 7 | (b[3] & 0x7F);
}
inline bool IsSynchsafe(const void* p) {
    const uint8_t* b = detail::bytes(p);
    return ((b[0] | b[1] | b[2] | b[3]) & 0x80) == 0;
}
// False (and nothing written) when v does not fit in 28 bits.
inline bool WriteSynchsafe28(void* p, uint32_t v) {
    if (v > kSynchsafe28Max) return false;
    uint8_t* b = detail::bytes(p);
    b[0] = uint8_t(v >> 21 & 0x7F), b[1] = uint8_t(v >> 14 & 0x7F);
    b[2] = uint8_t(v >> 7 & 0x7F), b[3] = uint8_t(v & 0x7F);
    return true;
}
inline bool AppendSynchsafe28(std::string& out, uint32_t v) {
    char b[4];
    if (!WriteSynchsafe28(b, v)) return false;
    out.append(b, 4);
    return true;
}

}  // namespace tags
