#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/engine.h"
#include "audio/playlist.h"
#include "support/engine.h"
#include "support/env.h"
#include "support/files.h"
#include "support/logcapture.h"
#include "support/process.h"
#include "support/realtime.h"
#include "support/tempdir.h"
#include "support/wav.h"

namespace audio::test {
using namespace testenv;
namespace {

// A TCP socket bound to a free port on 127.0.0.1.
int loopbackSocket(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

// A one-connection-at-a-time radio server on 127.0.0.1: a reply head, then
// the MP3 bytes, with ICY metadata blocks when metaint > 0.
class RadioServer {
public:
    RadioServer(std::string head, std::vector<uint8_t> body, int metaint, std::vector<std::string> titles)
        : head_(std::move(head)), body_(std::move(body)), metaint_(metaint), titles_(std::move(titles)) {
        fd_ = loopbackSocket(port_);
        ::listen(fd_, 4);
        thread_ = std::thread([this] { run(); });
    }
    ~RadioServer() {
        stop_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        thread_.join();
    }
    std::string url(const std::string& path = "/stream") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string request() const { return request_; }

private:
    void run() {
        for (int served = 0; served < 4 && !stop_; ++served) {
            int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0) return;
            timeval tv{2, 0};
            ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
            ::setsockopt(c, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
            std::string req;
            char buf[1024];
            while (req.find("\r\n\r\n") == std::string::npos) {
                ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                req.append(buf, static_cast<size_t>(n));
            }
            if (request_.empty()) request_ = req;
            serve(c);
            ::close(c);
        }
    }
    bool send(int c, const void* p, size_t n) { return ::send(c, p, n, MSG_NOSIGNAL) == static_cast<ssize_t>(n); }
    void serve(int c) {
        if (!send(c, head_.data(), head_.size())) return;
        size_t pos = 0, block = 0;
        while (pos < body_.size() && !stop_) {
            size_t n = metaint_ > 0 ? std::min<size_t>(metaint_, body_.size() - pos) : body_.size() - pos;
            if (!send(c, body_.data() + pos, n)) return;
            pos += n;
            if (metaint_ > 0 && n == static_cast<size_t>(metaint_)) {
                std::string t = block < titles_.size() ? titles_[block] : "";
                size_t units = (t.size() + 15) / 16;
                std::string meta(1, static_cast<char>(units));
                meta += t;
                meta.resize(1 + units * 16, '\0');
                if (!send(c, meta.data(), meta.size())) return;
                ++block;
            }
        }
    }

    std::string head_;
    std::vector<uint8_t> body_;
    int metaint_;
    std::vector<std::string> titles_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::string request_;
    std::thread thread_;
};

std::vector<std::string> split(const char* block) {
    std::vector<std::string> out;
    for (const char* p = block; p && *p; p += std::strlen(p) + 1) out.emplace_back(p);
    return out;
}

std::vector<uint8_t> mp3Bytes(const TempDir& dir, double seconds) {
    std::string path = dir.at("radio.mp3");
    EXPECT_TRUE(ffmpeg("-f lavfi -i sine=frequency=700:duration=" + std::to_string(seconds) +
                       " -ac 2 -c:a libmp3lame -b:a 128k " + path));
    std::string bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

TEST(Streams, IcyHeadersAndStreamTitleFromALocalServer) {
    TempDir dir;
    auto body = mp3Bytes(dir, 6);
    std::vector<std::string> titles(40, "StreamTitle='First Artist - First Song';StreamUrl='';");
    for (size_t i = 8; i < titles.size(); ++i) titles[i] = i == 8 ? "StreamTitle='Second Artist - Second Song';" : "";
    RadioServer server(
        "ICY 200 OK\r\nicy-name:Rock FM\r\nicy-genre:Testing\r\nicy-br:128\r\n"
        "icy-metaint:8192\r\nContent-Type:audio/mpeg\r\n\r\n",
        body, 8192, titles);
    Offline o;
    o.e.SetConfig(CONFIG_NET_BUFFER, 1000);
    o.e.SetConfig(CONFIG_NET_PREBUF, 1000);
    Handle h = o.e.StreamCreateURL(server.url(), 0, STREAM_AUTOFREE | STREAM_BLOCK | STREAM_STATUS);
    ASSERT_NE(h, 0u) << Engine::ErrorGetCode();
    EXPECT_NE(server.request().find("Icy-MetaData: 1"), std::string::npos);

    auto icy = split(o.e.ChannelGetTags(h, TAG_ICY));
    ASSERT_FALSE(icy.empty());
    EXPECT_EQ(icy[0], "ICY 200 OK");
    EXPECT_NE(std::find(icy.begin(), icy.end(), "icy-name:Rock FM"), icy.end());
    EXPECT_NE(std::find(icy.begin(), icy.end(), "icy-br:128"), icy.end());
    EXPECT_EQ(o.e.ChannelGetTags(h, TAG_HTTP), nullptr);

    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STALLED);  // until the pre-buffer is full
    EXPECT_EQ(o.e.StreamGetFilePosition(h, FILEPOS_BUFFERING), 100u);
    o.render(4410);
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_PLAYING);
    EXPECT_EQ(o.e.StreamGetFilePosition(h, FILEPOS_BUFFERING), 0u);
    const char* meta = o.e.ChannelGetTags(h, TAG_META);
    ASSERT_NE(meta, nullptr);
    EXPECT_STREQ(meta, "StreamTitle='First Artist - First Song';StreamUrl='';");
    // The second title comes into force when playback reaches it, not when it is downloaded.
    o.render(44100);
    EXPECT_STREQ(o.e.ChannelGetTags(h, TAG_META), "StreamTitle='First Artist - First Song';StreamUrl='';");
    o.render(4 * 44100);
    EXPECT_STREQ(o.e.ChannelGetTags(h, TAG_META), "StreamTitle='Second Artist - Second Song';");
    float kbps = 0;
    EXPECT_TRUE(o.e.ChannelGetAttribute(h, ATTRIB_BITRATE, kbps));
    // Freed automatically once stopped.
    ASSERT_TRUE(o.e.ChannelStop(h));
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STOPPED);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_HANDLE);
}

// The same stream on the real-time path: a decoding thread fills the buffer
// while the device plays, and freeing the stream stops a blocked download.
TEST(Streams, RadioPlaysOnTheRealTimeDevice) {
    TempDir dir;
    auto body = mp3Bytes(dir, 4);
    RadioServer server("ICY 200 OK\r\nicy-name:Live\r\nicy-metaint:4096\r\n\r\n", body, 4096,
                       std::vector<std::string>(100, "StreamTitle='Live - Now';"));
    Engine e;
    ASSERT_TRUE(e.Init(DEVICE_NOSOUND, 44100, 0));
    e.SetConfig(CONFIG_NET_BUFFER, 300);
    e.SetConfig(CONFIG_NET_PREBUF, 50);
    Handle h = e.StreamCreateURL(server.url(), 0, STREAM_AUTOFREE);
    ASSERT_NE(h, 0u) << Engine::ErrorGetCode();
    ASSERT_TRUE(e.ChannelPlay(h, false));
    EXPECT_TRUE(eventually([&] { return e.ChannelIsActive(h) == ACTIVE_PLAYING; }));
    EXPECT_TRUE(eventually([&] { return e.ChannelGetPosition(h, POS_BYTE) > 0; }));
    EXPECT_STREQ(e.ChannelGetTags(h, TAG_META), "StreamTitle='Live - Now';");
    float fft[512];
    EXPECT_EQ(e.ChannelGetData(h, fft, DATA_FFT1024), 1024 * 8);
    EXPECT_TRUE(e.StreamFree(h));
    EXPECT_TRUE(e.Free());
}

TEST(Streams, HttpHeadersWhenTheServerAnswersHttp) {
    TempDir dir;
    auto body = mp3Bytes(dir, 2);
    RadioServer server("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Jazz Radio\r\n\r\n", body, 0, {});
    Offline o;
    Handle h = o.e.StreamCreateURL(server.url(), 0, 0);
    ASSERT_NE(h, 0u) << Engine::ErrorGetCode();
    EXPECT_EQ(o.e.ChannelGetTags(h, TAG_ICY), nullptr);
    auto http = split(o.e.ChannelGetTags(h, TAG_HTTP));
    ASSERT_GE(http.size(), 3u);
    EXPECT_EQ(http[0].rfind("HTTP/1.", 0), 0u);
    EXPECT_NE(std::find(http.begin(), http.end(), "Content-Type:audio/mpeg"), http.end());
    EXPECT_NE(std::find(http.begin(), http.end(), "icy-name:Jazz Radio"), http.end());
    EXPECT_EQ(o.e.ChannelGetTags(h, TAG_META), nullptr);
    EXPECT_FALSE(o.e.ChannelSetPosition(h, 0, POS_BYTE));  // not seekable
}

// A radio stream has no end: the server closing it is a drop, which the log
// reports without the password in the URL; a file that plays to its end is not.
TEST(Streams, ADroppedStreamIsLoggedAndAFileThatEndsIsNot) {
    TempDir dir;
    auto body = mp3Bytes(dir, 1);
    RadioServer server("ICY 200 OK\r\nContent-Type:audio/mpeg\r\n\r\n", body, 0, {});
    Offline o;
    std::string url = server.url();
    url.insert(url.find("//") + 2, "user:secret@");
    testenv::LogCapture log;
    Handle radio = o.e.StreamCreateURL(url, 0, 0);
    ASSERT_NE(radio, 0u) << Engine::ErrorGetCode();
    Handle file = o.e.StreamCreateFile(dir.at("radio.mp3"), 0, 0, 0);
    ASSERT_NE(file, 0u) << Engine::ErrorGetCode();
    ASSERT_TRUE(o.e.ChannelPlay(radio, false));
    ASSERT_TRUE(o.e.ChannelPlay(file, false));
    o.render(3 * 44100);
    EXPECT_EQ(o.e.ChannelIsActive(radio), ACTIVE_STOPPED);
    EXPECT_EQ(o.e.ChannelIsActive(file), ACTIVE_STOPPED);
    // One line, for the radio only; the reason is in the network library's words.
    EXPECT_THAT(log.text(), ::testing::MatchesRegex("[-0-9 :.]+ warning audio\\.stream: the stream "
                                                    "\"http://127\\.0\\.0\\.1:[0-9]+/stream\" ended early: [^\n]+\n"));
}

TEST(Streams, PlaylistEntries) {
    using detail::firstPlaylistEntry;
    const std::pair<const char*, const char*> cases[] = {
        {"[playlist]\r\nNumberOfEntries=2\r\nFile1=http://a.example/live\r\nTitle1=A\r\nFile2=http://b/\r\n",
         "http://a.example/live"},
        {"#EXTM3U\n#EXTINF:-1,Radio\nhttps://b.example/stream.mp3\n", "https://b.example/stream.mp3"},
        {"\xEF\xBB\xBFhttp://c.example/x\n", "http://c.example/x"},
        {"<asx version=\"3.0\"><entry><ref href=\"http://d.example/wma\"/></entry></asx>", "http://d.example/wma"},
        {"#EXTM3U\n#EXT-X-TARGETDURATION:10\nseg1.ts\n", ""},  // HLS is played as it is
        {"[playlist]\nFile1=/etc/passwd\n", ""},               // only network entries
        {"ID3\x03garbage", ""},
        {"<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
         "<track><location>file:///etc/passwd</location></track>"
         "<track><location> http://e.example/live?a=1&amp;b=2 </location></track></trackList></playlist>",
         "http://e.example/live?a=1&b=2"},
    };
    for (auto [text, url] : cases) EXPECT_EQ(firstPlaylistEntry(text), url) << text;
    EXPECT_TRUE(detail::looksLikePlaylistUrl("http://x/listen.pls?sid=1"));
    EXPECT_TRUE(detail::looksLikePlaylistUrl("https://x/station.XSPF"));
    EXPECT_FALSE(detail::looksLikePlaylistUrl("http://x/stream"));
}

TEST(Streams, PlaylistUrlPlaysItsFirstEntry) {
    TempDir dir;
    auto body = mp3Bytes(dir, 1);
    RadioServer radio("ICY 200 OK\r\nicy-name:Listed\r\nContent-Type:audio/mpeg\r\n\r\n", body, 0, {});
    std::string pls = "[playlist]\nFile1=" + radio.url() + "\nLength1=-1\n";
    RadioServer list("HTTP/1.0 200 OK\r\nContent-Type: audio/x-scpls\r\n\r\n",
                     std::vector<uint8_t>(pls.begin(), pls.end()), 0, {});
    Offline o;
    o.e.SetConfig(CONFIG_NET_PLAYLIST, 1);
    Handle h = o.e.StreamCreateURL(list.url("/listen.pls"), 0, 0);
    ASSERT_NE(h, 0u) << Engine::ErrorGetCode();
    auto icy = split(o.e.ChannelGetTags(h, TAG_ICY));
    EXPECT_NE(std::find(icy.begin(), icy.end(), "icy-name:Listed"), icy.end());
}

TEST(Streams, UnreachableUrlsFailWithoutHanging) {
    Offline o;
    o.e.SetConfig(CONFIG_NET_TIMEOUT, 2000);
    int port = 0;
    ::close(loopbackSocket(port));  // a port nobody listens on
    EXPECT_EQ(o.e.StreamCreateURL("http://127.0.0.1:" + std::to_string(port) + "/", 0, 0), 0u);
    EXPECT_NE(Engine::ErrorGetCode(), ERROR_OK);
    EXPECT_EQ(o.e.StreamCreateURL("ftp://127.0.0.1/x.mp3", 0, 0), 0u);
    EXPECT_EQ(o.e.StreamCreateURL("/etc/passwd", 0, 0), 0u);
}

// The real output path: SDL's silent driver consumes in real time. A loaded
// machine can only make it slower, so the test holds it to never running
// ahead of the clock, to pausing, and to reaching the end.
TEST(Streams, NoSoundDeviceAdvancesInRealTime) {
    TempDir dir;
    auto tone = [](int64_t n, int) { return 0.3 * std::sin(n * 0.1); };
    writeWav(dir.at("a.wav"), 44100, 2, 16, 44100 / 2, tone);
    writeWav(dir.at("long.wav"), 44100, 2, 16, 44100 * 30, tone);
    Engine e;
    ASSERT_TRUE(e.Init(DEVICE_NOSOUND, 44100, 0)) << Engine::ErrorGetCode();
    ASSERT_TRUE(e.Start());
    Handle h = e.StreamCreateFile(dir.at("a.wav"), 0, 0, 0);
    auto started = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };
    ASSERT_TRUE(e.ChannelPlay(h, false));
    ASSERT_TRUE(eventually([&] { return e.ChannelGetPosition(h, POS_BYTE) > 0; }));
    double at = e.ChannelBytes2Seconds(h, e.ChannelGetPosition(h, POS_BYTE));
    EXPECT_LT(at, elapsed() + 0.05);  // never ahead of real time by more than a device buffer

    // Paused, it stays where it is while another channel goes on playing.
    ASSERT_TRUE(e.ChannelPause(h));
    QWord paused = e.ChannelGetPosition(h, POS_BYTE);
    Handle other = e.StreamCreateFile(dir.at("long.wav"), 0, 0, 0);
    ASSERT_TRUE(e.ChannelPlay(other, false));
    QWord tenth = e.ChannelSeconds2Bytes(other, 0.1);
    ASSERT_TRUE(eventually([&] { return e.ChannelGetPosition(other, POS_BYTE) > tenth; }));
    EXPECT_EQ(e.ChannelGetPosition(h, POS_BYTE), paused);
    ASSERT_TRUE(e.ChannelStop(other));

    ASSERT_TRUE(e.ChannelPlay(h, false));
    EXPECT_TRUE(eventually([&] { return e.ChannelIsActive(h) != ACTIVE_PLAYING; }));
    EXPECT_EQ(e.ChannelIsActive(h), ACTIVE_STOPPED);
    EXPECT_EQ(e.ChannelGetPosition(h, POS_BYTE), e.ChannelGetLength(h, POS_BYTE));
    EXPECT_GT(elapsed(), 0.5 - 0.05);  // half a second of sound took at least about that long
    EXPECT_TRUE(e.Free());
}

// Plays a file on SDL's disk driver, which records what the device callback
// produced, faster than real time (delayMs per device buffer), until it ends.
// Returns the stereo mix; bufferMs 0 keeps the engine's buffer length.
std::vector<float> captureOnDiskDriver(TempDir& dir, const std::string& file, const char* delayMs, uint32_t bufferMs,
                                       float volume) {
    {
        EnvVar driver("SDL_AUDIODRIVER", "disk"), output("SDL_DISKAUDIOFILE", dir.at("out.raw")),
            delay("SDL_DISKAUDIODELAY", delayMs);
        Engine e;
        EXPECT_TRUE(e.Init(DEVICE_DEFAULT, 44100, 0)) << Engine::ErrorGetCode();
        DeviceInfo info;
        EXPECT_TRUE(e.GetDeviceInfo(1, info));
        EXPECT_EQ(info.driver, "disk");
        if (bufferMs) {
            EXPECT_TRUE(e.SetConfig(CONFIG_BUFFER, bufferMs));
        }
        Handle h = e.StreamCreateFile(file, 0, 0, 0);
        EXPECT_TRUE(e.ChannelSetAttribute(h, ATTRIB_VOL, volume));
        EXPECT_TRUE(e.ChannelPlay(h, false));
        EXPECT_TRUE(eventually([&] { return e.ChannelIsActive(h) != ACTIVE_PLAYING; }));
        EXPECT_EQ(e.ChannelIsActive(h), ACTIVE_STOPPED);
        e.Free();
    }
    std::string bytes = readFile(dir.at("out.raw"));
    std::vector<float> mix(bytes.size() / 4);
    std::memcpy(mix.data(), bytes.data(), mix.size() * 4);
    return mix;
}

// The mix with volume applied.
TEST(Streams, DiskDriverCapturesTheMix) {
    TempDir dir;
    writeWav(dir.at("a.wav"), 44100, 2, 16, 22050,
             [](int64_t n, int) { return 0.8 * std::sin(2 * M_PI * 1000 * n / 44100.0); });
    std::vector<float> mix = captureOnDiskDriver(dir, dir.at("a.wav"), "5", 0, 0.5f);  // about four times real time
    // All of the file reached the device once, at half volume. (A loaded
    // machine may starve the decoder at this speed; gaps are silence and not counted.)
    size_t sounding = 0;
    float peak = 0;
    for (size_t i = 0; i + 1 < mix.size(); i += 2) {
        if (mix[i] != 0.0f) ++sounding;
        EXPECT_EQ(mix[i], mix[i + 1]);
        peak = std::max(peak, std::fabs(mix[i]));
    }
    EXPECT_NEAR(peak, 0.4f, 0.002f);
    EXPECT_LE(sounding, 22050u);
    EXPECT_GE(sounding, 21800u);
}

// A file longer than the channel's buffer: the decoder tops it up in bursts
// while the device plays, and every frame arrives once, in order. How soon
// the decoder comes is up to the machine: one too busy to keep up leaves
// silence between frames, never a lost or repeated one, so only silence may
// stand between the frames of the file.
TEST(Streams, DiskDriverCapturesALongFileFrameByFrame) {
    TempDir dir;
    const int64_t frames = 2 * 44100;
    auto sine = [](int64_t n, int) { return 0.5 * std::sin(2 * M_PI * 1000 * n / 44100.0); };
    writeWav(dir.at("a.wav"), 44100, 2, 16, frames, sine);
    std::vector<float> mix = captureOnDiskDriver(dir, dir.at("a.wav"), "10", 500, 1.0f);  // about twice real time
    // Frame 0 is silent like the device's start, so the file shows from frame 1.
    int64_t next = 1;
    for (size_t i = 0; i < mix.size() / 2; ++i) {
        const float got = mix[2 * i];
        const double want = next < frames ? std::lround(sine(next, 0) * 32767) / 32768.0 : 0.0;
        if (next < frames && std::fabs(got - want) < 1e-3) {
            ++next;
        } else if (got != 0.0f) {
            ADD_FAILURE() << "output frame " << i << " is " << got << " where frame " << next << " of the file ("
                          << want << ") or silence belongs";
            break;
        }
    }
    EXPECT_EQ(next, frames) << "frames of the file that never came";
}

}  // namespace
}  // namespace audio::test
