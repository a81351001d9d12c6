// Builders for FLAC metadata bytes and temporary folders, shared by the unit
// and the interop tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tags/core/bytes.h"
#include "tags/flac/oggstream.h"

namespace flactest {

inline std::string BE(uint32_t v, int n) {
    std::string s(n, '\0');
    for (int i = n - 1; i >= 0; --i, v >>= 8) s[i] = static_cast<char>(v & 0xFF);
    return s;
}

inline std::string LE32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i, v >>= 8) s[i] = static_cast<char>(v & 0xFF);
    return s;
}

inline std::string Block(int type, bool last, const std::string& data) {
    return std::string(1, static_cast<char>(type | (last ? 0x80 : 0))) + BE(static_cast<uint32_t>(data.size()), 3) +
           data;
}

// The 34 bytes of a STREAMINFO block.
inline std::string StreamInfo(uint32_t rate, int channels, int bits, uint64_t samples) {
    std::string s = BE(4096, 2) + BE(4096, 2) + BE(0, 3) + BE(0, 3);
    uint64_t packed = (uint64_t(rate) << 44) | (uint64_t(channels - 1) << 41) | (uint64_t(bits - 1) << 36) |
                      (samples & 0xFFFFFFFFFull);
    for (int i = 7; i >= 0; --i) s += static_cast<char>((packed >> (i * 8)) & 0xFF);
    return s + std::string(16, '\x11');  // MD5
}

inline std::string Comment(const std::string& vendor, std::initializer_list<std::string> fields) {
    std::string s = LE32(static_cast<uint32_t>(vendor.size())) + vendor + LE32(static_cast<uint32_t>(fields.size()));
    for (const std::string& f : fields) s += LE32(static_cast<uint32_t>(f.size())) + f;
    return s;
}

inline std::string Picture(uint32_t type, const std::string& mime, const std::string& desc, const std::string& data) {
    return BE(type, 4) + BE(static_cast<uint32_t>(mime.size()), 4) + mime + BE(static_cast<uint32_t>(desc.size()), 4) +
           desc + BE(16, 4) + BE(16, 4) + BE(24, 4) + BE(0, 4) + BE(static_cast<uint32_t>(data.size()), 4) + data;
}

// Not real frames: the tag code never decodes audio, it only has to keep it.
inline std::string FakeAudio(size_t n = 3000) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>((i * 7 + 3) & 0xFF);
    return s;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char tmpl[] = "/tmp/orvelin-flac-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
    size_t Count() const { return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path), {})); }
};

struct OggPage {
    tags::TOggHeader header;
    std::string data;
    bool checksumOk;
};

inline std::vector<OggPage> Pages(const std::string& bytes) {
    std::vector<OggPage> pages;
    tags::TMemoryStream s(bytes);
    tags::TOGGStream reader(&s);
    for (;;) {
        int64_t start = s.Position();
        OggPage p;
        if (!reader.GetNextPageHeader(p.header)) break;
        std::string page = bytes.substr(static_cast<size_t>(start), static_cast<size_t>(s.Position() - start));
        p.data = page.substr(static_cast<size_t>(p.header.HeaderSize()));
        tags::SetOggPageChecksum(page);
        p.checksumOk = tags::ReadLE32(page.data() + 22) == p.header.Checksum;
        pages.push_back(p);
    }
    return pages;
}

// The audio packets: the data of every page with a granule position.
inline std::string OggAudio(const std::string& bytes) {
    std::string audio;
    for (const OggPage& p : Pages(bytes))
        if (p.header.AbsolutePosition) audio += p.data;
    return audio;
}

}  // namespace flactest
