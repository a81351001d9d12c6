// MP4 files built atom by atom, with chunk tables that point into their
// media data, shared by the unit and facade tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tags/core/bytes.h"

namespace mp4test {

inline std::string BE(uint64_t v, int n) {
    std::string s(static_cast<size_t>(n), '\0');
    for (int i = n - 1; i >= 0; --i, v >>= 8) s[static_cast<size_t>(i)] = static_cast<char>(v & 0xFF);
    return s;
}

inline std::string Box(const std::string& type, const std::string& content) {
    return BE(8 + content.size(), 4) + type + content;
}
inline std::string FullBox(const std::string& type, const std::string& content, uint32_t versionFlags = 0) {
    return Box(type, BE(versionFlags, 4) + content);
}

inline std::string Data(uint32_t type, const std::string& payload, uint32_t locale = 0) {
    return Box("data", BE(type, 4) + BE(locale, 4) + payload);
}
inline std::string Text(const std::string& id, const std::string& text) { return Box(id, Data(1, text)); }
inline std::string Freeform(const std::string& name, const std::string& text,
                            const std::string& mean = "com.apple.iTunes") {
    return Box("----", FullBox("mean", mean) + FullBox("name", name) + Data(1, text));
}

inline std::string Handler(const std::string& type) {
    return FullBox("hdlr", BE(0, 4) + type + std::string(12, '\0') + '\0');
}
inline std::string Meta(const std::string& items, bool handler = true) {
    return FullBox("meta",
                   (handler ? FullBox("hdlr", BE(0, 4) + "mdirappl" + std::string(9, '\0')) : "") + Box("ilst", items));
}
inline std::string Udta(const std::string& items) { return Box("udta", Meta(items)); }

inline std::string Mp4aEntry(uint16_t channels = 2, uint16_t bits = 16, uint32_t rate = 44100) {
    return Box("mp4a", std::string(6, '\0') + BE(1, 2) + std::string(8, '\0') + BE(channels, 2) + BE(bits, 2) +
                           BE(0, 4) + BE(uint64_t(rate) << 16, 4) + Box("esds", std::string(30, '\x05')));
}
inline std::string AlacEntry(uint8_t bits, uint8_t channels, uint32_t rate) {
    std::string config = BE(4096, 4) + '\0' + static_cast<char>(bits) + "\x28\x0A\x0E" + static_cast<char>(channels) +
                         BE(255, 2) + BE(0, 4) + BE(0, 4) + BE(rate, 4);
    return Box("alac", std::string(6, '\0') + BE(1, 2) + std::string(8, '\0') + BE(channels, 2) + BE(16, 2) + BE(0, 4) +
                           BE(uint64_t(rate & 0xFFFF) << 16, 4) + FullBox("alac", config));
}

// The chunk table: "stco" (32-bit) or "co64".
inline std::string ChunkTable(bool co64, const std::vector<uint64_t>& offsets) {
    std::string entries;
    for (uint64_t o : offsets) entries += BE(o, co64 ? 8 : 4);
    return FullBox(co64 ? "co64" : "stco", BE(offsets.size(), 4) + entries);
}

inline std::string Mvhd(uint32_t scale = 1000, uint32_t duration = 2000) {
    return FullBox("mvhd", BE(0, 8) + BE(scale, 4) + BE(duration, 4) + std::string(80, '\0'));
}

// One sound track: its stbl ends with the chunk table; extra goes into
// stbl and minf gets a self-contained data reference unless dref is given.
inline std::string Track(const std::string& entry, const std::string& chunks, const std::string& extra = "",
                         const std::string& dref = FullBox("dref", BE(1, 4) + FullBox("url ", "", 1))) {
    std::string stbl = Box("stbl", FullBox("stsd", BE(1, 4) + entry) + FullBox("stts", BE(0, 4)) +
                                       FullBox("stsc", BE(0, 4)) + FullBox("stsz", BE(0, 8)) + extra + chunks);
    std::string minf = Box("minf", FullBox("smhd", BE(0, 4)) + Box("dinf", dref) + stbl);
    std::string mdia =
        Box("mdia", FullBox("mdhd", BE(0, 8) + BE(44100, 4) + BE(88200, 4) + BE(0, 4)) + Handler("soun") + minf);
    return Box("trak", FullBox("tkhd", std::string(80, '\0'), 7) + mdia);
}

inline std::string Ftyp() { return Box("ftyp", "M4A " + BE(0, 4) + "M4A isom"); }

// Chunk k of track t: 100 bytes of its own, so that a wrong offset shows.
inline std::string Chunk(int t, int k) { return std::string(100, static_cast<char>('A' + t * 8 + k)); }

struct Layout {
    std::string udta = Udta(Text("\xA9nam", "Title"));
    int tracks = 1;
    std::vector<bool> co64 = {false, false};
    bool moovFirst = true;     // else after the media data
    size_t freeAfterMoov = 0;  // a free atom of this size after moov
    // More children of moov, of each track's stbl, and top-level atoms
    // after everything.
    std::string moovExtra, stblExtra, tail;
};

// ftyp, then moov and mdat in the order asked, every chunk offset pointing
// at its chunk in mdat.
inline std::string File(const Layout& l) {
    std::string payload;
    for (int t = 0; t < l.tracks; ++t)
        for (int k = 0; k < 3; ++k) payload += Chunk(t, k);
    const std::string mdat = Box("mdat", payload);
    auto moovWith = [&](uint64_t mdatAt) {
        std::string traks;
        for (int t = 0; t < l.tracks; ++t) {
            std::vector<uint64_t> offsets;
            for (int k = 0; k < 3; ++k) offsets.push_back(mdatAt + 8 + static_cast<uint64_t>(t * 3 + k) * 100);
            traks += Track(Mp4aEntry(), ChunkTable(l.co64[static_cast<size_t>(t)], offsets), l.stblExtra);
        }
        return Box("moov", Mvhd() + traks + l.moovExtra + l.udta);
    };
    const std::string free = l.freeAfterMoov ? Box("free", std::string(l.freeAfterMoov - 8, '\0')) : "";
    const std::string ftyp = Ftyp();
    if (!l.moovFirst) return ftyp + mdat + moovWith(ftyp.size()) + free + l.tail;
    const size_t moovSize = moovWith(0).size();
    return ftyp + moovWith(ftyp.size() + moovSize + free.size()) + free + mdat + l.tail;
}

}  // namespace mp4test
