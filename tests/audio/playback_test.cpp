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

// Each sample holds its frame index (mod 60000), so rendered output tells where it came from.
double ramp(int64_t n, int) { return static_cast<double>((n % 60000) - 30000) / 32767.0; }
int64_t indexOf(float v) { return (std::lround(v * 32768.0) + 30000 + 60000) % 60000; }

class Playback : public ::testing::Test {
protected:
    void SetUp() override {
        writeWav(dir.at("ramp.wav"), 44100, 2, 16, 3 * 44100, ramp);
        writeWav(dir.at("tone.wav"), 44100, 2, 16, 2 * 44100,
                 [](int64_t n, int) { return 0.5 * std::sin(2 * M_PI * 1000 * n / 44100.0); });
    }
    Handle open(const std::string& name) {
        Handle h = o.e.StreamCreateFile(dir.at(name), 0, 0, UNICODE);
        EXPECT_NE(h, 0u) << name;
        return h;
    }
    TempDir dir;
    Offline o;
};

TEST_F(Playback, SeekingIsSampleAccurateOnWavAndFlac) {
    ASSERT_TRUE(ffmpeg("-i " + dir.at("ramp.wav") + " -c:a flac " + dir.at("ramp.flac")));
    for (const char* name : {"ramp.wav", "ramp.flac"}) {
        Handle h = o.e.StreamCreateFile(dir.at(name), 0, 0, 0);
        if (!h) h = o.e.AddOnStreamCreateFile(AddOn::FLAC, dir.at(name), 0, 0, 0);
        ASSERT_NE(h, 0u) << name;
        ASSERT_TRUE(o.e.ChannelPlay(h, false));
        for (int64_t target : {int64_t{22050}, int64_t{5444}, int64_t{100001}, int64_t{3}, int64_t{130000}}) {
            ASSERT_TRUE(o.e.ChannelSetPosition(h, static_cast<QWord>(target) * 8 + 5, POS_BYTE)) << name;
            EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), static_cast<QWord>(target) * 8) << name;
            auto out = o.render(100);
            EXPECT_EQ(indexOf(out[0]), target % 60000) << name << " at " << target;
            EXPECT_EQ(indexOf(out[99 * 2 + 1]), (target + 99) % 60000) << name;
            EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), static_cast<QWord>(target + 100) * 8) << name;
        }
        EXPECT_FALSE(o.e.ChannelSetPosition(h, o.e.ChannelGetLength(h, POS_BYTE) + 8, POS_BYTE));
        EXPECT_EQ(Engine::ErrorGetCode(), ERROR_POSITION);
        o.e.StreamFree(h);
    }
}

TEST_F(Playback, PauseKeepsThePositionAndPlayResumes) {
    Handle h = open("ramp.wav");
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    o.render(10000);
    ASSERT_TRUE(o.e.ChannelPause(h));
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_PAUSED);
    QWord at = o.e.ChannelGetPosition(h, POS_BYTE);
    EXPECT_EQ(at, 10000u * 8);
    auto silent = o.render(5000);
    EXPECT_EQ(silent[4000], 0.0f);
    EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), at);
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_PLAYING);
    EXPECT_EQ(indexOf(o.render(1)[0]), 10000);
    // Restart goes back to the beginning; so does Play after the end.
    ASSERT_TRUE(o.e.ChannelPlay(h, true));
    EXPECT_EQ(indexOf(o.render(1)[0]), 0);
    o.renderToEnd(h);
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STOPPED);
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    EXPECT_EQ(indexOf(o.render(1)[0]), 0);
    // Stop keeps the position for a later Play.
    o.render(999);
    ASSERT_TRUE(o.e.ChannelStop(h));
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STOPPED);
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    EXPECT_EQ(indexOf(o.render(1)[0]), 1000);
}

TEST_F(Playback, SlideReachesItsTargetAtItsTime) {
    Handle h = open("tone.wav");
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    ASSERT_TRUE(o.e.ChannelSlideAttribute(h, ATTRIB_VOL, 0.0f, 500));
    EXPECT_TRUE(o.e.ChannelIsSliding(h, ATTRIB_VOL));
    auto first = o.render(11025);  // 250 ms
    float v = -1;
    ASSERT_TRUE(o.e.ChannelGetAttribute(h, ATTRIB_VOL, v));
    EXPECT_NEAR(v, 0.5f, 0.01f);
    // The output follows the ramp: about 0.5 * 0.75 of the tone around 125 ms.
    EXPECT_NEAR(toneAmplitude(first, 5292 - 882, 1764, 1000, 44100), 0.5 * 0.75, 0.02);
    auto second = o.render(11025 + 882);  // 20 ms past the end
    ASSERT_TRUE(o.e.ChannelGetAttribute(h, ATTRIB_VOL, v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(o.e.ChannelIsSliding(h, 0));
    EXPECT_LT(toneAmplitude(second, 11025 + 441, 441, 1000, 44100), 1e-4);

    // Slides go on while the channel is paused, and Set cancels a slide.
    ASSERT_TRUE(o.e.ChannelPause(h));
    ASSERT_TRUE(o.e.ChannelSlideAttribute(h, ATTRIB_VOL, 0.8f, 100));
    o.render(8820);
    ASSERT_TRUE(o.e.ChannelGetAttribute(h, ATTRIB_VOL, v));
    EXPECT_FLOAT_EQ(v, 0.8f);
    ASSERT_TRUE(o.e.ChannelSlideAttribute(h, ATTRIB_PAN, -1.0f, 1000));
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_PAN, 0.25f));
    o.render(4410);
    ASSERT_TRUE(o.e.ChannelGetAttribute(h, ATTRIB_PAN, v));
    EXPECT_FLOAT_EQ(v, 0.25f);

    // A negative volume target fades out and stops.
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    ASSERT_TRUE(o.e.ChannelSlideAttribute(h, ATTRIB_VOL, -1.0f, 50));
    o.render(4410);
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_STOPPED);
}

TEST_F(Playback, VolumeAndPanApplyAtTheOutputOnly) {
    Handle h = open("tone.wav");
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_VOL, 0.5f));
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_PAN, 0.5f));
    auto out = o.render(4410);
    EXPECT_NEAR(toneAmplitude(out, 0, 4410, 1000, 44100, 0), 0.5 * 0.5 * 0.5, 0.005);  // left reduced
    EXPECT_NEAR(toneAmplitude(out, 0, 4410, 1000, 44100, 1), 0.5 * 0.5, 0.005);        // right whole
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_PAN, -1.0f));
    out = o.render(4410);
    EXPECT_LT(toneAmplitude(out, 0, 4410, 1000, 44100, 1), 1e-4);
    // Neither appears in the channel's data.
    std::vector<float> raw(200);
    ASSERT_EQ(o.e.ChannelGetData(h, raw.data(), 800), 800);
    double peak = 0;
    for (float s : raw) peak = std::max(peak, static_cast<double>(std::fabs(s)));
    EXPECT_NEAR(peak, 0.5, 0.02);
    EXPECT_FALSE(o.e.ChannelSetAttribute(h, ATTRIB_BITRATE, 1.0f));
    float buffer = 0;
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_BUFFER, 10000.0f));
    ASSERT_TRUE(o.e.ChannelGetAttribute(h, ATTRIB_BUFFER, buffer));
    EXPECT_LE(buffer, 1.0f);  // capped to the playback buffer
}

TEST_F(Playback, LogarithmicVolumeCurve) {
    ASSERT_TRUE(o.e.SetConfig(CONFIG_CURVE_VOL, 1));  // for channels created from now on
    Handle h = open("tone.wav");
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_VOL, 0.5f));
    auto out = o.render(4410);
    EXPECT_NEAR(20 * std::log10(toneAmplitude(out, 0, 4410, 1000, 44100) / 0.5), -50, 0.1);
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_VOL, 1.0f));
    out = o.render(4410);
    EXPECT_NEAR(toneAmplitude(out, 0, 4410, 1000, 44100), 0.5, 0.005);
}

TEST_F(Playback, LoopFlagWrapsInsteadOfEnding) {
    Handle h = open("ramp.wav");
    uint32_t flags = o.e.ChannelFlags(h, SAMPLE_LOOP, SAMPLE_LOOP);
    EXPECT_EQ(flags & SAMPLE_LOOP, SAMPLE_LOOP);
    EXPECT_EQ(o.e.ChannelFlags(h, 0, 0), flags);
    ASSERT_TRUE(o.e.ChannelSetPosition(h, (3 * 44100 - 1000) * 8, POS_BYTE));
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    auto out = o.render(3000);
    EXPECT_EQ(o.e.ChannelIsActive(h), ACTIVE_PLAYING);
    EXPECT_EQ(indexOf(out[1000 * 2]), 0);  // straight after the last frame comes the first
    EXPECT_EQ(o.e.ChannelGetPosition(h, POS_BYTE), 2000u * 8);
}

TEST_F(Playback, BitRateAndFileSize) {
    ASSERT_TRUE(ffmpeg("-f lavfi -i sine=duration=2 -c:a libmp3lame -b:a 128k " + dir.at("a.mp3")));
    Handle h = open("a.mp3");
    float kbps = 0;
    ASSERT_TRUE(o.e.ChannelGetAttribute(h, ATTRIB_BITRATE, kbps));
    EXPECT_NEAR(kbps, 128, 8);
    QWord size = o.e.StreamGetFilePosition(h, FILEPOS_END);
    EXPECT_EQ(size, o.e.StreamGetFilePosition(h, FILEPOS_SIZE));
    EXPECT_NEAR(static_cast<double>(size), 2 * 128000 / 8.0, 3000);
    EXPECT_EQ(o.e.StreamGetFilePosition(h, FILEPOS_BUFFERING), kFail64);  // not a network stream
}

}  // namespace
}  // namespace audio::test
