// Byte builders for the tests of the blocks at the end of a file (APEv2,
// Lyrics3 v2, ID3v1). The builders know the layouts on their own, so a test
// compares our reader and writer with an independent picture of the bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/bytes.h"

namespace fixtures {

inline std::string Padded(std::string_view text, size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, '\0');
    return out;
}

// track < 0 writes the original layout (30-byte comment, no track byte).
inline std::string ID3v1Block(std::string_view title, std::string_view artist = "", std::string_view album = "",
                              std::string_view year = "", std::string_view comment = "", int track = -1,
                              uint8_t genre = 255) {
    std::string b = "TAG" + Padded(title, 30) + Padded(artist, 30) + Padded(album, 30) + Padded(year, 4);
    if (track < 0) {
        b += Padded(comment, 30);
    } else {
        b += Padded(comment, 28) + '\0' + static_cast<char>(track);
    }
    return b + static_cast<char>(genre);
}

using Fields = std::vector<std::pair<std::string, std::string>>;

inline std::string Lyrics3Block(const Fields& fields) {
    std::string body = "LYRICSBEGIN";
    char digits[16];
    for (const auto& [id, data] : fields) {
        std::snprintf(digits, sizeof digits, "%05zu", data.size());
        body += id + digits + data;
    }
    std::snprintf(digits, sizeof digits, "%06zu", body.size());
    return body + digits + "LYRICS200";
}

struct ApeItem {
    std::string key;
    std::string value;
    uint32_t flags = 0;  // bits 1-2: 0 text, 1 binary, 2 external reference, 3 reserved
};

inline std::string ApeItems(const std::vector<ApeItem>& items) {
    std::string out;
    for (const auto& item : items) {
        out += testenv::le(item.value.size(), 4) + testenv::le(item.flags, 4) + item.key + '\0' + item.value;
    }
    return out;
}

inline std::string ApeHeader(uint32_t version, uint32_t size, uint32_t count, uint32_t flags) {
    return "APETAGEX" + testenv::le(version, 4) + testenv::le(size, 4) + testenv::le(count, 4) + testenv::le(flags, 4) +
           std::string(8, '\0');
}

inline std::string ApeTag(const std::vector<ApeItem>& items, uint32_t version = 2000, bool header = true) {
    std::string body = ApeItems(items);
    auto size = static_cast<uint32_t>(body.size() + 32);
    auto count = static_cast<uint32_t>(items.size());
    std::string out;
    if (header) out = ApeHeader(version, size, count, 0xA0000000u);
    return out + body + ApeHeader(version, size, count, header ? 0x80000000u : 0u);
}

// Deterministic bytes standing in for audio; they contain no tag markers.
inline std::string Audio(size_t size, unsigned seed = 1) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (auto& c : out) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>('a' + (x >> 16) % 26);
    }
    return out;
}

}  // namespace fixtures
