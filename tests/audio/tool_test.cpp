#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "support/engine.h"
#include "support/files.h"
#include "support/httpserver.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/wav.h"

namespace audio::test {
using namespace testenv;
namespace {

const std::string kTool = std::string(ORVELIN_BINARY_DIR) + "/src/audio/tool/orvelin-audio";

// The tool's exit status; its standard output goes to out.
int tool(const std::string& args, std::string* out = nullptr) {
    Output r = run(kTool + " " + args);
    if (out) *out = r.out;
    return r.status;
}

TEST(Tool, InfoAndRender) {
    TempDir dir;
    writeWav(dir.at("tone.wav"), 44100, 2, 16, 44100,
             [](int64_t n, int) { return 0.5 * std::sin(2 * M_PI * 1000 * n / 44100.0); });
    std::string json;
    ASSERT_EQ(tool("info " + dir.at("tone.wav"), &json), 0);
    EXPECT_NE(json.find("\"creator\": \"StreamCreateFile\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"rate\": 44100"), std::string::npos);
    EXPECT_NE(json.find("\"length_bytes\": 352800"), std::string::npos);
    EXPECT_NE(json.find("\"length_seconds\": 1.000000"), std::string::npos);

    // The 1 kHz band at -12 dB, for half a second, through the player's chain.
    std::string out = dir.at("out.wav");
    ASSERT_EQ(tool("render " + dir.at("tone.wav") + " " + out + " --eq 0,0,0,0,-12,0,0,0,0,0 --seconds 0.5"), 0);
    std::string bytes = readFile(out);
    ASSERT_EQ(bytes.size(), 44u + 22050u * 8);
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    uint16_t format;
    std::memcpy(&format, bytes.data() + 20, 2);
    EXPECT_EQ(format, 3);  // float
    std::vector<float> frames(22050 * 2);
    std::memcpy(frames.data(), bytes.data() + 44, frames.size() * 4);
    EXPECT_NEAR(20 * std::log10(toneAmplitude(frames, 11025, 11025, 1000, 44100) / 0.5), -12, 0.3);
}

TEST(Tool, FailuresLeaveNoFile) {
    TempDir dir;
    std::string out = dir.at("out.wav");
    EXPECT_EQ(tool("render " + dir.at("missing.wav") + " " + out), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(out + ".part"));
    EXPECT_EQ(tool("info " + dir.at("missing.wav")), 1);
    EXPECT_EQ(tool("render a b --eq 1,2"), 2);
    EXPECT_EQ(tool("render a b --fx wobble"), 1);  // the file is checked first
    EXPECT_EQ(tool("frobnicate"), 2);
    writeWav(dir.at("a.wav"), 8000, 1, 16, 800, [](int64_t, int) { return 0.0; });
    EXPECT_EQ(tool("render " + dir.at("a.wav") + " " + dir.at("no/such/dir/out.wav")), 1);
}

// A station checked from the command line: through its playlist file, with
// its name, bit rate and title.
TEST(Tool, InfoOfAStation) {
    TempDir dir;
    ASSERT_TRUE(
        ffmpeg("-f lavfi -i sine=frequency=500:duration=2 -ac 2 -c:a libmp3lame -b:a 128k " + dir.at("radio.mp3")));
    const std::string body = readFile(dir.at("radio.mp3"));
    LoopbackServer radio([&](int fd, const std::string&) {
        serveIcy(fd, "ICY 200 OK\r\nicy-name:Rock FM\r\nicy-br:128\r\nicy-metaint:4096\r\n\r\n", body, 4096,
                 std::vector<std::string>(20, "StreamTitle='Sting; The Police - Roxanne';StreamUrl='';"));
    });
    LoopbackServer list([&](int fd, const std::string&) {
        LoopbackServer::send(fd,
                             "HTTP/1.0 200 OK\r\nContent-Type: application/xspf+xml\r\n\r\n"
                             "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList><track><location>" +
                                 radio.url("/live") + "</location></track></trackList></playlist>");
    });
    std::string json;
    ASSERT_EQ(tool("info " + list.url("/station.xspf"), &json), 0);
    EXPECT_NE(json.find("\"station\": \"Rock FM\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"bitrate_kbps\": \"128\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"title\": \"Sting; The Police - Roxanne\""), std::string::npos) << json;

    LoopbackServer missing(
        [](int fd, const std::string&) { LoopbackServer::send(fd, "HTTP/1.0 404 Not Found\r\n\r\n"); });
    EXPECT_EQ(tool("info " + missing.url("/gone.mp3")), 1);
}

}  // namespace
}  // namespace audio::test
