// Running the independent tools the interop tests compare with: mutagen,
// id3v2, ffmpeg and the WavPack encoder, all installed by the bootstrap.
#pragma once

#include "tags/id3v1/tailfixtures.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace fixtures {

inline std::string Quote(std::string_view s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command; returns its exit status and its standard output.
inline int RunCommand(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    int status = ::pclose(pipe);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Debian's mutagen belongs to the system interpreter, which may not be the
// first python3 on PATH.
inline std::string Python() {
    static const std::string python = [] {
        for (const char* candidate : {"/usr/bin/python3", "python3"})
            if (RunCommand(std::string(candidate) + " -c 'import mutagen' 2>/dev/null") == 0)
                return std::string(candidate);
        return std::string("python3");
    }();
    return python;
}

// Runs a Python script with mutagen on the arguments; fails the test when it
// does not exit cleanly.
inline std::string RunPython(const TempDir& dir, const std::string& script, const std::string& args) {
    std::string path = dir.Write("script.py", script);
    std::string out;
    int status = RunCommand(Python() + " " + Quote(path) + " " + args, &out);
    EXPECT_EQ(status, 0) << script << "\n" << out;
    return out;
}

// "key<TAB>value" lines as a map; values are hex in the scripts below, so
// any bytes survive the pipe.
inline std::map<std::string, std::string> ParseLines(const std::string& text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos) out[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return out;
}

inline std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

// A short MP3 without any tag.
inline std::string MakeMp3(const TempDir& dir, const std::string& name) {
    std::string path = dir.File(name);
    int status = RunCommand(
        "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=0.3 -c:a libmp3lame "
        "-b:a 64k -write_xing 0 -id3v2_version 0 -map_metadata -1 -f mp3 " +
        Quote(path));
    EXPECT_EQ(status, 0) << "ffmpeg could not make an MP3";
    return path;
}

// A 16-bit stereo WAV made here and the WavPack file encoded from it.
inline std::string MakeWavPack(const TempDir& dir, const std::string& name, std::string* wavPath = nullptr) {
    std::string pcm = Audio(4 * 8000, 7);
    std::string wav = "RIFF";
    PutLE32(wav, static_cast<uint32_t>(36 + pcm.size()));
    wav += "WAVEfmt ";
    PutLE32(wav, 16);
    wav += std::string("\x01\x00\x02\x00", 4);
    PutLE32(wav, 44100);
    PutLE32(wav, 44100 * 4);
    wav += std::string("\x04\x00\x10\x00", 4);
    wav += "data";
    PutLE32(wav, static_cast<uint32_t>(pcm.size()));
    wav += pcm;
    std::string in = dir.Write(name + ".wav", wav);
    std::string path = dir.File(name);
    EXPECT_EQ(RunCommand("wavpack -q -y " + Quote(in) + " -o " + Quote(path) + " 2>&1"), 0) << "wavpack failed";
    if (wavPath) *wavPath = in;
    return path;
}

// Decodes a WavPack file (checking its block checksums) back to WAV bytes.
inline std::string DecodeWavPack(const TempDir& dir, const std::string& path) {
    std::string out = dir.File("decoded.wav");
    EXPECT_EQ(RunCommand("wvunpack -q -y " + Quote(path) + " -o " + Quote(out) + " 2>&1"), 0) << "wvunpack failed";
    std::string bytes = ReadAll(out);
    std::filesystem::remove(out);
    return bytes;
}

}  // namespace fixtures
