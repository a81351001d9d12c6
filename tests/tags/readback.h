// The check every interop test runs after each save of a real audio file:
// the audio between the tags is byte for byte what it was, and independent
// readers take the file: mutagen always, and flac and metaflac, ffprobe or
// wvunpack where they apply.
//
//   const std::string audio = readback::AudioOf(path);   // before the save
//   ... save ...
//   readback::ExpectSaved(path, audio);
#pragma once

#include "tags/core/bytes.h"
#include "tags/flac/flacbytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/files.h"
#include "support/process.h"

namespace readback {

// The audio of a file's bytes: native FLAC frames after the metadata blocks,
// the page data of Ogg audio pages, or whatever lies between a leading
// ID3v2 tag and the trailing APEv2, Lyrics3 v2 and ID3v1 blocks.
inline std::string AudioOfBytes(std::string b) {
    auto u8 = [&](size_t i) { return static_cast<size_t>(static_cast<unsigned char>(b[i])); };
    if (b.size() >= 10 && b.compare(0, 3, "ID3") == 0) {
        size_t size = 10 + (u8(6) << 21 | u8(7) << 14 | u8(8) << 7 | u8(9)) + (b[3] == 4 && (u8(5) & 0x10) ? 10 : 0);
        b.erase(0, std::min(size, b.size()));
    }
    if (b.compare(0, 4, "fLaC") == 0) {
        size_t pos = 4;
        for (bool last = false; !last && pos + 4 <= b.size();) {
            last = u8(pos) & 0x80;
            pos += 4 + (u8(pos + 1) << 16 | u8(pos + 2) << 8 | u8(pos + 3));
        }
        return b.substr(std::min(pos, b.size()));
    }
    if (b.compare(0, 4, "OggS") == 0) return flactest::OggAudio(b);
    auto apeAtEnd = [&] { return b.size() >= 32 && b.compare(b.size() - 32, 8, "APETAGEX") == 0; };
    auto stripApe = [&] {
        const auto* f = reinterpret_cast<const uint8_t*>(b.data() + b.size() - 32);
        size_t size = tags::ReadLE32(f + 12) + (tags::ReadLE32(f + 20) & 0x80000000u ? 32 : 0);
        b.resize(b.size() - std::min(size, b.size()));
    };
    if (apeAtEnd()) {
        stripApe();
        return b;
    }
    if (b.size() >= 128 && b.compare(b.size() - 128, 3, "TAG") == 0) b.resize(b.size() - 128);
    if (b.size() >= 15 && b.compare(b.size() - 9, 9, "LYRICS200") == 0) {
        size_t size = std::stoul(b.substr(b.size() - 15, 6)) + 15;
        b.resize(b.size() - std::min(size, b.size()));
    }
    if (apeAtEnd()) stripApe();
    return b;
}

inline std::string AudioOf(const std::string& path) { return AudioOfBytes(testenv::readFile(path)); }

// Every tag mutagen finds, one "FORMAT key value" line per item; a file it
// cannot parse fails the run.
constexpr const char* kMutagen = R"(import sys, mutagen
from mutagen.id3 import ID3, ID3NoHeaderError, ParseID3v1
from mutagen.apev2 import APEv2, APENoHeaderError
path = sys.argv[1]
f = mutagen.File(path)
print('FILE', type(f).__name__ if f is not None else None)
try:
    for k, v in ID3(path).items(): print('ID3', k, repr(v)[:200])
except ID3NoHeaderError: pass
try:
    for k, v in APEv2(path).items(): print('APE', k, repr(v)[:200])
except APENoHeaderError: pass
if f is not None and f.tags is not None and not isinstance(f.tags, (ID3, APEv2)):
    for k, v in f.tags.items(): print('TAGS', k, repr(v)[:200])
for p in getattr(f, 'pictures', []): print('PICTURE', p.type, p.mime, len(p.data))
data = open(path, 'rb').read()
if data[-128:-125] == b'TAG' and data[-160:-152] != b'APETAGEX':
    for k, v in (ParseID3v1(data[-128:]) or {}).items(): print('ID3v1', k, v)
)";

// mutagen, then the decoder or checker of the file's kind.
inline testenv::Output Read(const std::string& path) {
    using testenv::shellQuote;
    std::string script = path + ".readback.py";
    testenv::writeFile(script, kMutagen);
    testenv::Output out = testenv::run("PYTHONIOENCODING=utf-8 " + testenv::mutagenPython() + " " + shellQuote(script) +
                                       " " + shellQuote(path));
    std::remove(script.c_str());
    if (out.status != 0) return out;
    std::string head = testenv::readFile(path).substr(0, 4096);
    std::string checker;
    if (out.out.find("FILE FLAC\n") != std::string::npos || out.out.find("FILE OggFLAC\n") != std::string::npos)
        checker = "flac -s -t " + std::string(head.compare(0, 4, "OggS") == 0 ? "--ogg " : "") + shellQuote(path) +
                  " && metaflac --list " + shellQuote(path) + " >/dev/null";
    else if (out.out.find("FILE MP3\n") != std::string::npos)
        checker = "test -z \"$(ffprobe -v error " + shellQuote(path) + " 2>&1)\"";
    else if (out.out.find("FILE WavPack\n") != std::string::npos) checker = "wvunpack -q -v " + shellQuote(path);
    if (!checker.empty()) {
        testenv::Output check = testenv::run(checker);
        out.status = check.status;
        out.out += check.out;
        out.err += check.err;
    }
    return out;
}

// After a save: the same audio, and the readers take the file.
inline void ExpectSaved(const std::string& path, const std::string& audioBefore) {
    EXPECT_EQ(AudioOf(path), audioBefore) << path << ": the audio changed";
    testenv::Output read = Read(path);
    EXPECT_EQ(read.status, 0) << path << " is not read back:\n" << read.out << read.err;
}

}  // namespace readback
