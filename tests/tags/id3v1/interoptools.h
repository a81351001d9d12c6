// Running the independent tools the interop tests compare with: mutagen,
// id3v2, ffmpeg and the WavPack encoder, all installed by the bootstrap.
#pragma once

#include "tags/id3v1/tailfixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/wav.h"

namespace fixtures {

using testenv::TempDir;

// Runs a Python script with mutagen on the arguments; fails the test when it
// does not exit cleanly.
inline std::string RunPython(const TempDir& dir, const std::string& script, const std::string& args) {
    std::string path = dir.file("script.py", script);
    testenv::Output r = testenv::run(testenv::mutagenPython() + " " + testenv::shellQuote(path) + " " + args);
    EXPECT_EQ(r.status, 0) << script << "\n" << r.out << r.err;
    return r.out;
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

// A short MP3 without any tag.
inline std::string MakeMp3(const TempDir& dir, const std::string& name) {
    std::string path = dir.at(name);
    EXPECT_TRUE(testenv::ffmpeg(
        "-f lavfi -i sine=frequency=440:duration=0.3 -c:a libmp3lame -b:a 64k -write_xing 0 -id3v2_version 0 "
        "-map_metadata -1 -f mp3 " +
        testenv::shellQuote(path)))
        << "ffmpeg could not make an MP3";
    return path;
}

// A 16-bit stereo WAV made here and the WavPack file encoded from it.
inline std::string MakeWavPack(const TempDir& dir, const std::string& name, std::string* wavPath = nullptr) {
    std::string in = dir.file(name + ".wav", testenv::wavBytes({44100, 2, 16}, Audio(4 * 8000, 7)));
    std::string path = dir.at(name);
    testenv::Output r = testenv::run("wavpack -q -y " + testenv::shellQuote(in) + " -o " + testenv::shellQuote(path));
    EXPECT_EQ(r.status, 0) << "wavpack failed: " << r.err;
    if (wavPath) *wavPath = in;
    return path;
}

// Decodes a WavPack file (checking its block checksums) back to WAV bytes.
inline std::string DecodeWavPack(const TempDir& dir, const std::string& path) {
    std::string out = dir.at("decoded.wav");
    testenv::Output r = testenv::run("wvunpack -q -y " + testenv::shellQuote(path) + " -o " + testenv::shellQuote(out));
    EXPECT_EQ(r.status, 0) << "wvunpack failed: " << r.err;
    std::string bytes = testenv::readFile(out);
    std::filesystem::remove(out);
    return bytes;
}

}  // namespace fixtures
