// The check every interop test runs after each save of a real audio file:
// the audio between the tags is byte for byte what it was, and independent
// readers take the file: mutagen always, and flac and metaflac, ffprobe,
// wvunpack, ogginfo, opusinfo or ffmpeg's decoder where they apply.
//
//   const std::string audio = readback::AudioOf(path);   // before the save
//   ... save ...
//   readback::ExpectSaved(path, audio);
#pragma once

#include "tags/core/bytes.h"
#include "tags/flac/flacbytes.h"
#include "tags/ogg/oggvorbisandopustaglibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/files.h"
#include "support/process.h"

namespace readback {

// The data of every page after the header packets of an Opus, Vorbis or
// Theora stream (its pages may be renumbered, their data may not change).
inline std::string OggPacketData(const std::string& b) {
    tags::TOpusTag tag;
    tags::TMemoryStream s(b);
    if (tag.LoadFromStream(s) != tags::oggSuccess) return b;
    std::string data;
    for (const flactest::OggPage& p : flactest::Pages(b.substr(static_cast<size_t>(tag.Info.TagEndPos))))
        data += p.data;
    return data;
}

// The payload of every top-level mdat atom of an MP4 file (moov may move
// it, never change it).
inline std::string MP4MediaData(const std::string& b) {
    std::string data;
    for (size_t pos = 0; pos + 8 <= b.size();) {
        uint64_t size = tags::ReadBE32(b.data() + pos), header = 8;
        if (size == 1 && pos + 16 <= b.size()) size = tags::ReadBE64(b.data() + pos + 8), header = 16;
        if (size == 0) size = b.size() - pos;
        if (size < header || size > b.size() - pos) break;
        if (b.compare(pos + 4, 4, "mdat") == 0) data += b.substr(pos + header, size - header);
        pos += size;
    }
    return data;
}

// The sound chunks of a WAV, RF64, AIFF, DSF or DFF file ("data", "SSND",
// "DSD "), each as stored; empty for anything else.
inline std::string ContainerAudio(const std::string& b) {
    std::string audio;
    const auto* p = reinterpret_cast<const uint8_t*>(b.data());
    const bool riff = b.compare(0, 4, "RIFF") == 0 || b.compare(0, 4, "RF64") == 0;
    const bool aiff = b.compare(0, 4, "FORM") == 0, dff = b.compare(0, 4, "FRM8") == 0;
    if (b.size() < 28) return audio;
    if (b.compare(0, 4, "DSD ") == 0) {
        size_t pos = size_t(tags::ReadLE64(p + 4));
        while (pos + 12 <= b.size()) {
            const uint64_t size = tags::ReadLE64(p + pos + 4);
            if (size < 12 || size > b.size() - pos) break;
            if (b.compare(pos, 4, "data") == 0) audio += b.substr(pos + 12, size - 12);
            pos += size;
        }
        return audio;
    }
    if (!riff && !aiff && !dff) return audio;
    const bool rf64 = b.compare(0, 4, "RF64") == 0 && b.compare(12, 4, "ds64") == 0;
    const size_t header = dff ? 12 : 8;
    for (size_t pos = dff ? 16 : 12; pos + header <= b.size();) {
        uint64_t size = dff    ? tags::ReadBE64(p + pos + 4)
                        : aiff ? tags::ReadBE32(p + pos + 4)
                               : tags::ReadLE32(p + pos + 4);
        if (rf64 && b.compare(pos, 4, "data") == 0) size = tags::ReadLE64(p + 28);
        if (size > b.size() - pos - header) break;
        if (b.compare(pos, 4, riff ? "data" : aiff ? "SSND" : "DSD ") == 0) audio += b.substr(pos + header, size);
        pos += header + size + (size & 1);
    }
    return audio;
}

// The audio of a file's bytes: native FLAC frames after the metadata blocks,
// the page data of Ogg audio pages, or whatever lies between a leading
// ID3v2 tag and the trailing APEv2, Lyrics3 v2 and ID3v1 blocks.
inline std::string AudioOfBytes(std::string b) {
    auto u8 = [&](size_t i) { return static_cast<size_t>(static_cast<unsigned char>(b[i])); };
    if (std::string audio = ContainerAudio(b); !audio.empty()) return audio;
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
    if (b.compare(0, 4, "OggS") == 0)
        return b.size() > 33 && b.compare(29, 4, "FLAC") == 0 ? flactest::OggAudio(b) : OggPacketData(b);
    if (b.size() > 8 && b.compare(4, 4, "ftyp") == 0) return MP4MediaData(b);
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

// A command that must succeed; its output.
inline std::string Must(const std::string& command) {
    testenv::Output out = testenv::run(command);
    EXPECT_EQ(out.status, 0) << command << "\n" << out.out << out.err;
    return out.out;
}

// A Python script run by the interpreter that has mutagen, with path as its
// argument; its output.
inline std::string Python(const std::string& script, const std::string& path) {
    std::string file = path + ".py";
    testenv::writeFile(file, script + "\n");
    std::string out = Must("PYTHONIOENCODING=utf-8 " + testenv::mutagenPython() + " " + testenv::shellQuote(file) +
                           " " + testenv::shellQuote(path));
    std::remove(file.c_str());
    return out;
}

// Checksums of every decoded frame of every audio stream: what a player
// hears, whatever moved in the file.
inline std::string Decoded(const std::string& path) {
    return testenv::run("ffmpeg -nostdin -v error -i " + testenv::shellQuote(path) + " -map 0:a -f framemd5 -").out;
}

// The audio bytes; for MP4 and Ogg Opus, Vorbis or Theora, whose chunks and
// pages a save may move or renumber, and for chunked containers, also the
// decoded audio.
inline std::string AudioOf(const std::string& path) {
    std::string b = testenv::readFile(path);
    const bool moves = (b.size() > 33 && b.compare(0, 4, "OggS") == 0 && b.compare(29, 4, "FLAC") != 0) ||
                       (b.size() > 8 && b.compare(4, 4, "ftyp") == 0) || !ContainerAudio(b).empty();
    std::string audio = AudioOfBytes(std::move(b));
    return moves ? audio + "\n--- decoded ---\n" + Decoded(path) : audio;
}

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
    else if (out.out.find("FILE OggVorbis\n") != std::string::npos ||
             out.out.find("FILE OggTheora\n") != std::string::npos)
        checker = "out=$(ogginfo " + shellQuote(path) + " 2>&1) && ! printf '%s' \"$out\" | grep -E 'WARNING|ERROR'";
    else if (out.out.find("FILE OggOpus\n") != std::string::npos)
        checker = "out=$(opusinfo " + shellQuote(path) + " 2>&1) && ! printf '%s' \"$out\" | grep -E 'WARNING|ERROR'";
    else if (out.out.find("FILE WAVE\n") != std::string::npos || out.out.find("FILE AIFF\n") != std::string::npos ||
             out.out.find("FILE DSF\n") != std::string::npos || out.out.find("FILE DSDIFF\n") != std::string::npos)
        checker = "test -z \"$(ffmpeg -nostdin -v error -i " + shellQuote(path) +
                  " -f null - 2>&1)\" && test -z \"$(ffprobe -v error " + shellQuote(path) + " 2>&1)\"";
    else if (out.out.find("FILE MP4\n") != std::string::npos)
        checker = "test -z \"$(ffmpeg -nostdin -v error -i " + shellQuote(path) +
                  " -f null - 2>&1)\" && test -z \"$(ffprobe -v error " + shellQuote(path) + " 2>&1)\"";
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
