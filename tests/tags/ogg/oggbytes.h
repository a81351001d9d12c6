// Ogg Opus, Vorbis and Theora streams built byte by byte, shared by the unit
// and facade tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tags/core/bytes.h"
#include "tags/flac/oggstream.h"

namespace oggtest {

inline std::string LE32(uint32_t v) {
    std::string s;
    tags::AppendLE32(s, v);
    return s;
}

// A page on which every packet given ends; continued marks a page whose
// first packet began on the page before.
inline std::string Page(uint32_t serial, uint32_t number, uint8_t flags, uint64_t granule,
                        const std::vector<std::string>& packets) {
    tags::TOggHeader h;
    h.TypeFlag = flags;
    h.AbsolutePosition = granule;
    h.Serial = serial;
    h.PageNumber = number;
    std::string data;
    for (const std::string& p : packets) {
        for (size_t n = p.size(); n >= 255; n -= 255) h.LacingValues[h.Segments++] = 255;
        h.LacingValues[h.Segments++] = static_cast<uint8_t>(p.size() % 255);
        data += p;
    }
    std::string page = h.Serialize() + data;
    tags::SetOggPageChecksum(page);
    return page;
}

inline std::string OpusHead(uint8_t channels = 2, uint16_t preSkip = 312) {
    std::string s = "OpusHead";
    s += '\x01';
    s += static_cast<char>(channels);
    tags::AppendLE16(s, preSkip);
    tags::AppendLE32(s, 44100);
    tags::AppendLE16(s, 0);
    s += '\0';
    return s;
}

inline std::string VorbisIdent(uint8_t channels = 2, uint32_t rate = 44100, uint32_t nominal = 128000) {
    std::string s = "\x01vorbis" + LE32(0);
    s += static_cast<char>(channels);
    s += LE32(rate) + LE32(0) + LE32(nominal) + LE32(0);
    s += '\xB8';
    s += '\x01';
    return s;
}

inline std::string TheoraIdent() { return "\x80theora" + std::string(35, '\x03'); }

// The comment packet: signature, vendor, fields, then what follows them
// (Vorbis: the framing bit).
inline std::string Comment(const std::string& signature, const std::string& vendor,
                           const std::vector<std::string>& fields, const std::string& after = "") {
    std::string s =
        signature + LE32(static_cast<uint32_t>(vendor.size())) + vendor + LE32(static_cast<uint32_t>(fields.size()));
    for (const std::string& f : fields) s += LE32(static_cast<uint32_t>(f.size())) + f;
    return s + after;
}
inline std::string OpusTags(const std::vector<std::string>& fields, const std::string& after = "") {
    return Comment("OpusTags", "test vendor", fields, after);
}
inline std::string VorbisComment(const std::vector<std::string>& fields) {
    return Comment("\x03vorbis", "test vendor", fields, "\x01");
}

// Not a real setup header or real audio: the tag code never decodes them.
inline std::string Filler(size_t n, char seed) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>(seed + static_cast<char>(i * 13));
    return s;
}
inline std::string SetupHeader(size_t n = 3000) { return "\x05vorbis" + Filler(n, 'v'); }

constexpr uint32_t kSerial = 0x51E7A1;

// Three audio pages after the headers, the last one ending the stream.
inline std::string AudioPages(uint32_t serial, uint32_t firstNumber) {
    std::string s;
    for (uint32_t i = 0; i < 3; ++i)
        s += Page(serial, firstNumber + i, i == 2 ? 4 : 0, 960 * (i + 1), {Filler(700 + i, 'a'), Filler(300, 'b')});
    return s;
}

inline std::string OpusFile(const std::vector<std::string>& fields) {
    return Page(kSerial, 0, 2, 0, {OpusHead()}) + Page(kSerial, 1, 0, 0, {OpusTags(fields)}) + AudioPages(kSerial, 2);
}

// Comment and setup share page 1, as libvorbis writes them.
inline std::string VorbisFile(const std::vector<std::string>& fields, const std::string& setup = SetupHeader()) {
    return Page(kSerial, 0, 2, 0, {VorbisIdent()}) + Page(kSerial, 1, 0, 0, {VorbisComment(fields), setup}) +
           AudioPages(kSerial, 2);
}

// The setup header on a page of its own.
inline std::string VorbisFileSetupApart(const std::vector<std::string>& fields) {
    return Page(kSerial, 0, 2, 0, {VorbisIdent()}) + Page(kSerial, 1, 0, 0, {VorbisComment(fields)}) +
           Page(kSerial, 2, 0, 0, {SetupHeader()}) + AudioPages(kSerial, 3);
}

inline std::string TheoraFile(const std::vector<std::string>& fields) {
    return Page(kSerial, 0, 2, 0, {TheoraIdent()}) +
           Page(kSerial, 1, 0, 0, {Comment("\x81theora", "test vendor", fields), "\x82theora" + Filler(500, 't')}) +
           AudioPages(kSerial, 2);
}

}  // namespace oggtest
