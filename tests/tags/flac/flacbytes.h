// Builders for FLAC metadata bytes, shared by the unit and the interop tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "tags/core/bytes.h"
#include "tags/flac/oggstream.h"

namespace flactest {

using testenv::be;
using testenv::le;

inline std::string Block(int type, bool last, const std::string& data) {
    return std::string(1, static_cast<char>(type | (last ? 0x80 : 0))) + be(static_cast<uint32_t>(data.size()), 3) +
           data;
}

// The 34 bytes of a STREAMINFO block.
inline std::string StreamInfo(uint32_t rate, int channels, int bits, uint64_t samples) {
    std::string s = be(4096, 2) + be(4096, 2) + be(0, 3) + be(0, 3);
    uint64_t packed = (uint64_t(rate) << 44) | (uint64_t(channels - 1) << 41) | (uint64_t(bits - 1) << 36) |
                      (samples & 0xFFFFFFFFFull);
    for (int i = 7; i >= 0; --i) s += static_cast<char>((packed >> (i * 8)) & 0xFF);
    return s + std::string(16, '\x11');  // MD5
}

inline std::string Comment(const std::string& vendor, std::initializer_list<std::string> fields) {
    std::string s = le(vendor.size(), 4) + vendor + le(fields.size(), 4);
    for (const std::string& f : fields) s += le(f.size(), 4) + f;
    return s;
}

inline std::string Picture(uint32_t type, const std::string& mime, const std::string& desc, const std::string& data) {
    return be(type, 4) + be(static_cast<uint32_t>(mime.size()), 4) + mime + be(static_cast<uint32_t>(desc.size()), 4) +
           desc + be(16, 4) + be(16, 4) + be(24, 4) + be(0, 4) + be(static_cast<uint32_t>(data.size()), 4) + data;
}

// Not real frames: the tag code never decodes audio, it only has to keep it.
inline std::string FakeAudio(size_t n = 3000) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>((i * 7 + 3) & 0xFF);
    return s;
}

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
