// Byte builders for the ID3v2 tests.
#pragma once

#include <cstdint>
#include <string>

#include "support/bytes.h"

namespace id3v2test {

inline std::string Synchsafe(uint32_t v) {
    return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}

inline std::string Frame2(const std::string& id, const std::string& data) {
    return id + testenv::be(data.size(), 3) + data;
}
inline std::string Frame3(const std::string& id, const std::string& data, uint16_t flags = 0) {
    return id + testenv::be(data.size(), 4) + testenv::be(flags, 2) + data;
}
inline std::string Frame4(const std::string& id, const std::string& data, uint16_t flags = 0) {
    return id + Synchsafe(uint32_t(data.size())) + testenv::be(flags, 2) + data;
}
// "ID3", version, revision 0, flags, synchsafe size, body, zero padding.
inline std::string Tag(int major, uint8_t flags, const std::string& body, size_t padding = 0) {
    return std::string("ID3") + char(major) + '\0' + char(flags) + Synchsafe(uint32_t(body.size() + padding)) + body +
           std::string(padding, '\0');
}

// Stand-in audio: never starts with "ID3" and contains FF bytes and zeros.
inline std::string Audio(size_t n = 3000) {
    std::string a(n, '\0');
    for (size_t i = 0; i < n; ++i) a[i] = char((i * 131 + 7) % 251);
    a[0] = char(0xFF);
    a[1] = char(0xFB);
    return a;
}

}  // namespace id3v2test
