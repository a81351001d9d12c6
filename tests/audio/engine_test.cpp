#include <gtest/gtest.h>

#include <cmath>

#include "audio/engine.h"
#include "support/engine.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/wav.h"

namespace audio::test {
using namespace testenv;
namespace {

TEST(Engine, HandlesAndErrorCodes) {
    Engine e;
    EXPECT_EQ(Engine::GetVersion() >> 16, 0x0204u);
    EXPECT_EQ(e.StreamCreateFile("/nonexistent.wav", 0, 0, 0), 0u);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_INIT);
    ASSERT_TRUE(e.Init(DEVICE_OFFLINE, 44100, 0));
    EXPECT_FALSE(e.Init(DEVICE_OFFLINE, 44100, 0));
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_ALREADY);

    EXPECT_EQ(e.ChannelIsActive(12345), ACTIVE_STOPPED);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_HANDLE);
    EXPECT_EQ(e.ChannelGetLength(12345, POS_BYTE), kFail64);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_HANDLE);
    float fft[512];
    EXPECT_EQ(e.ChannelGetData(0, fft, DATA_FFT1024), -1);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_HANDLE);

    TempDir dir;
    writeWav(dir.at("a.wav"), 44100, 2, 16, 4410, [](int64_t, int) { return 0.0; });
    Handle h = e.StreamCreateFile(dir.at("a.wav"), 0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(e.ChannelIsActive(h), ACTIVE_STOPPED);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_OK);  // a valid, stopped channel
    EXPECT_FALSE(e.MusicFree(h));                 // freed by its kind only
    EXPECT_TRUE(e.StreamFree(h));
    EXPECT_FALSE(e.StreamFree(h));
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_HANDLE);
    EXPECT_FALSE(e.SampleFree(h));
}

TEST(Engine, BadInputIsRefusedWithAReason) {
    Offline o;
    TempDir dir;
    EXPECT_EQ(o.e.StreamCreateFile(dir.at("missing.mp3"), 0, 0, 0), 0u);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_FILEOPEN);
    writeFile(dir.at("empty.mp3"), "");
    writeFile(dir.at("text.mp3"), std::vector<uint8_t>(4000, 'x'));
    for (const char* name : {"empty.mp3", "text.mp3"}) {
        Handle h = 0;
        EXPECT_EQ(openLikePlayer(o.e, dir.at(name), h), "none") << name;
        EXPECT_NE(Engine::ErrorGetCode(), ERROR_OK) << name;
    }
    // A truncated file plays what it has and then ends.
    ASSERT_TRUE(ffmpeg("-f lavfi -i sine=frequency=440:duration=2 -c:a libmp3lame " + dir.at("full.mp3")));
    std::string bytes = readFile(dir.at("full.mp3"));
    bytes.resize(bytes.size() / 3);
    writeFile(dir.at("cut.mp3"), bytes);
    Handle h = o.e.StreamCreateFile(dir.at("cut.mp3"), 0, 0, 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    o.renderToEnd(h);
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STOPPED);
    EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), o.e.ChannelGetLength(h, POS_BYTE));
}

TEST(Engine, AddOnsAreListedAndLoadIntoTheCoreCreator) {
    Offline o;
    auto list = o.e.AddOns();
    ASSERT_EQ(list.size(), 17u);
    EXPECT_EQ(list[1].name, "libflac.orv");
    EXPECT_FALSE(list[1].version.empty());
    EXPECT_FALSE(list[3].available);  // OptimFROG
    EXPECT_EQ(o.e.PluginLoad(list[3].name, 0), 0u);
    EXPECT_EQ(o.e.PluginLoad("nothing.orv", 0), 0u);

    TempDir dir;
    ASSERT_TRUE(ffmpeg("-f lavfi -i sine=duration=0.2 -c:a flac " + dir.at("a.flac")));
    EXPECT_EQ(o.e.StreamCreateFile(dir.at("a.flac"), 0, 0, 0), 0u);
    Handle plugin = o.e.PluginLoad("/usr/lib/orvelin/libflac.orv", 0);
    ASSERT_NE(plugin, 0u);
    Handle h = o.e.StreamCreateFile(dir.at("a.flac"), 0, 0, 0);
    EXPECT_NE(h, 0u);
    ASSERT_TRUE(o.e.PluginFree(plugin));
    EXPECT_EQ(o.e.StreamCreateFile(dir.at("a.flac"), 0, 0, 0), 0u);
}

TEST(Engine, ChannelInfoFlagsEightBitSourcesAndMono) {
    Offline o;
    TempDir dir;
    auto tone = [](int64_t n, int) { return 0.5 * std::sin(n * 0.05); };
    writeWav(dir.at("u8.wav"), 22050, 2, 8, 2205, tone);
    writeWav(dir.at("s16.wav"), 22050, 1, 16, 2205, tone);
    ChannelInfo info;
    Handle a = o.e.StreamCreateFile(dir.at("u8.wav"), 0, 0, UNICODE);
    ASSERT_TRUE(o.e.ChannelGetInfo(a, info));
    EXPECT_EQ(info.flags & SAMPLE_8BITS, SAMPLE_8BITS);
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 2u);
    Handle b = o.e.StreamCreateFile(dir.at("s16.wav"), 0, 0, UNICODE);
    ASSERT_TRUE(o.e.ChannelGetInfo(b, info));
    EXPECT_EQ(info.flags & SAMPLE_8BITS, 0u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.origres, 16u);
    EXPECT_EQ(info.ctype, static_cast<uint32_t>(CTYPE_STREAM_WAV_PCM));
    // Byte counts are of float frames at the channel's own rate.
    EXPECT_EQ(o.e.ChannelGetLength(b, POS_BYTE), 2205u * 4);
    EXPECT_EQ(o.e.ChannelSeconds2Bytes(b, 0.05), 1102u * 4);  // rounded down to a frame
    EXPECT_DOUBLE_EQ(o.e.ChannelBytes2Seconds(b, 22050 * 4), 1.0);
}

TEST(Engine, StreamFromPartOfAFile) {
    Offline o;
    TempDir dir;
    writeWav(dir.at("a.wav"), 8000, 1, 16, 800, [](int64_t n, int) { return (n % 100) / 200.0; });
    std::string wav = readFile(dir.at("a.wav"));
    std::vector<uint8_t> packed(1000 + wav.size() + 500, 0x55);
    std::fill(packed.begin(), packed.begin() + 1000, 0xAA);
    std::copy(wav.begin(), wav.end(), packed.begin() + 1000);
    writeFile(dir.at("packed.bin"), packed);
    Handle h = o.e.StreamCreateFile(dir.at("packed.bin"), 1000, wav.size(), 0);
    ASSERT_NE(h, 0u) << Engine::ErrorGetCode();
    EXPECT_EQ(o.e.ChannelGetLength(h, POS_BYTE), 800u * 4);
    EXPECT_EQ(o.e.StreamGetFilePosition(h, FILEPOS_SIZE), wav.size());
}

TEST(Engine, ConfigValues) {
    Offline o;
    const std::pair<uint32_t, uint32_t> sets[] = {
        {CONFIG_FLOATDSP, 1},       {CONFIG_NET_PLAYLIST, 1}, {CONFIG_NET_PREBUF, 1000},      {CONFIG_NET_BUFFER, 1000},
        {CONFIG_NET_TIMEOUT, 5000}, {CONFIG_BUFFER, 1000},    {CONFIG_NET_READTIMEOUT, 10000}};
    for (auto [opt, value] : sets) {
        EXPECT_TRUE(o.e.SetConfig(opt, value)) << opt;
        EXPECT_EQ(o.e.GetConfig(opt), value) << opt;
    }
    EXPECT_TRUE(o.e.SetConfig(CONFIG_BUFFER, 1));
    EXPECT_EQ(o.e.GetConfig(CONFIG_BUFFER), 10u);  // clamped to the shortest buffer
    EXPECT_FALSE(o.e.SetConfig(9999, 1));
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_ILLTYPE);
    Info info;
    ASSERT_TRUE(o.e.GetInfo(info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_GE(info.dsver, 8u);
}

TEST(Engine, TrackerMusicLengthByPrescanAndMono) {
    Offline o;
    TempDir dir;
    writeFile(dir.at("a.mod"), tinyModule());
    Handle h = o.e.MusicLoad(dir.at("a.mod"), 0, 0, UNICODE | MUSIC_PRESCAN | SAMPLE_FLOAT | SAMPLE_MONO, 1);
    ASSERT_NE(h, 0u);
    ChannelInfo info;
    ASSERT_TRUE(o.e.ChannelGetInfo(h, info));
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.freq, 44100u);  // a rate of 1 means the device's
    EXPECT_EQ(info.ctype, static_cast<uint32_t>(CTYPE_MUSIC_MOD));
    QWord len = o.e.ChannelGetLength(h, POS_BYTE);
    EXPECT_NEAR(o.e.ChannelBytes2Seconds(h, len), 0.96, 1e-3);
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    auto out = o.renderToEnd(h);
    EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), len);
    EXPECT_EQ(o.e.ChannelGetLength(h, POS_BYTE), len);
    double peak = 0;
    for (float v : out) peak = std::max(peak, static_cast<double>(std::fabs(v)));
    EXPECT_GT(peak, 0.05);
    EXPECT_FALSE(o.e.StreamFree(h));
    EXPECT_TRUE(o.e.MusicFree(h));

    Handle plain = o.e.MusicLoad(dir.at("a.mod"), 0, 0, SAMPLE_FLOAT, 0);
    ASSERT_NE(plain, 0u);
    EXPECT_EQ(o.e.ChannelGetLength(plain, POS_BYTE), kFail64);  // not scanned
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_NOTAVAIL);
}

}  // namespace
}  // namespace audio::test
