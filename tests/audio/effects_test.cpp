#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "audio/engine.h"
#include "audio/fx/effect.h"
#include "support/engine.h"
#include "support/files.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "support/wav.h"

namespace audio::test {
using namespace testenv;
namespace {

using detail::Echo;
using detail::ParamEq;
using detail::Reverb;

std::vector<float> sine(double freq, size_t frames, double amp = 0.25, double rate = 44100) {
    std::vector<float> v(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        v[2 * i] = v[2 * i + 1] = static_cast<float>(amp * std::sin(2 * M_PI * freq * i / rate));
    return v;
}

double gainDb(ParamEq& eq, double freq, double rate) {
    eq.reset();
    const size_t n = static_cast<size_t>(rate);
    auto buf = sine(freq, n, 0.25, rate);
    eq.process(buf.data(), n, 2);
    // Measure past the filter's settling time, over a whole number of periods.
    size_t periods = static_cast<size_t>(std::floor(0.5 * freq));
    size_t count = static_cast<size_t>(std::lround(periods * rate / freq));
    return 20 * std::log10(toneAmplitude(buf, n / 2 - 1, count, freq, rate) / 0.25);
}

TEST(Effects, ParametricEqGainAtCentreAndBandwidth) {
    struct Case {
        float centre, bandwidth, gain;
        uint32_t rate;
    };
    const Case cases[] = {{80, 5, 4, 44100},
                          {1000, 12, -15, 44100},
                          {3000, 2.5f, 15, 44100},
                          {10000, 5, 7, 44100},
                          {16000, 5, -8, 48000}};
    for (const auto& c : cases) {
        ParamEq eq(c.rate);
        eq.set({c.centre, c.bandwidth, c.gain});
        EXPECT_NEAR(gainDb(eq, c.centre, c.rate), c.gain, 0.2) << c.centre;
        // The band edges, half an octave-bandwidth either side, sit at half the gain in dB.
        double half = c.bandwidth / 24.0;
        double lo = c.centre * std::pow(2.0, -half), hi = std::min(c.centre * std::pow(2.0, half), 21000.0);
        EXPECT_NEAR(gainDb(eq, lo, c.rate), c.gain / 2, 0.6) << c.centre << " lower edge";
        if (hi < c.rate / 4.0) {  // nearer Nyquist the edges warp
            EXPECT_NEAR(gainDb(eq, hi, c.rate), c.gain / 2, 0.6) << c.centre << " upper edge";
        }
        // Well outside the band the signal passes unchanged.
        EXPECT_NEAR(gainDb(eq, c.centre * std::pow(2.0, -4 * half - 2), c.rate), 0.0, 0.5) << c.centre;
    }
    // Above a third of the rate the band acts at a third of the rate.
    ParamEq low(44100);
    low.set({16000, 5, 10});
    EXPECT_FLOAT_EQ(low.get().fCenter, 16000);
    EXPECT_NEAR(gainDb(low, 14700, 44100), 10, 0.2);
}

TEST(Effects, EchoShowsAtItsDelay) {
    Echo echo(44100);
    DX8Echo p;
    p.fLeftDelay = 100;
    p.fRightDelay = 250;
    echo.set(p);
    std::vector<float> buf(44100 * 2, 0.0f);
    buf[0] = buf[1] = 1.0f;
    echo.process(buf.data(), 44100, 2);
    const float gin = std::sqrt(1 - 0.25f);
    EXPECT_NEAR(buf[0], 0.5f, 1e-6);  // the dry half
    EXPECT_NEAR(buf[4410 * 2], gin * 0.5f, 1e-5);
    EXPECT_NEAR(buf[8820 * 2], gin * 0.5f * 0.5f, 1e-5);  // the second echo, through the feedback
    EXPECT_NEAR(buf[11025 * 2 + 1], gin * 0.5f, 1e-5);
    double between = 0;
    for (size_t i = 1; i < 4410; ++i) between += std::fabs(buf[i * 2]);
    EXPECT_EQ(between, 0.0);

    // With the pan delay the echoes swap sides.
    p.lPanDelay = 1;
    p.fRightDelay = 100;
    echo.set(p);
    echo.reset();
    std::vector<float> one(10000 * 2, 0.0f);
    one[0] = 1.0f;  // left only
    echo.process(one.data(), 10000, 2);
    EXPECT_NEAR(one[4410 * 2], 0.0f, 1e-6);
    EXPECT_NEAR(one[4410 * 2 + 1], gin * 0.5f, 1e-5);
    EXPECT_NEAR(one[8820 * 2], gin * 0.5f * 0.5f, 1e-5);
}

TEST(Effects, ReverbTailDecaysAtItsReverbTime) {
    Reverb rv(44100);
    std::vector<float> buf(size_t(44100 * 1.5) * 2, 0.0f);
    buf[0] = buf[1] = 1.0f;
    rv.process(buf.data(), buf.size() / 2, 2);
    auto energy = [&](double from, double to) {
        double e = 0;
        for (size_t i = size_t(from * 44100); i < size_t(to * 44100); ++i)
            e += double(buf[2 * i]) * buf[2 * i] + double(buf[2 * i + 1]) * buf[2 * i + 1];
        return e / ((to - from) * 44100);
    };
    double early = energy(0.1, 0.2), late = energy(1.1, 1.2);
    EXPECT_GT(early, 0);
    double dropDb = 10 * std::log10(early / late);
    EXPECT_NEAR(dropDb, 60.0, 12.0);  // 60 dB per fReverbTime (1 s)
    EXPECT_EQ(buf[0], buf[0]);        // not NaN
    // All dry at the lowest mix: the input passes nearly unchanged.
    rv.set({0, -96, 1000, 0.001f});
    rv.reset();
    auto s = sine(440, 4410);
    auto copy = s;
    rv.process(s.data(), 4410, 2);
    double diff = 0;
    for (size_t i = 0; i < s.size(); ++i) diff = std::max(diff, std::fabs(double(s[i]) - copy[i]));
    EXPECT_LT(diff, 0.01);
}

TEST(Effects, ModulationEffectsStayBoundedAndMixAsSet) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-0.5f, 0.5f);
    std::vector<float> noise(44100 * 2);
    for (auto& v : noise) v = u(rng);
    for (int type : {FX_DX8_CHORUS, FX_DX8_FLANGER}) {
        auto fx = detail::makeEffect(type, 44100);
        auto buf = noise;
        fx->process(buf.data(), 44100, 2);
        double peak = 0, diff = 0;
        for (size_t i = 0; i < buf.size(); ++i) {
            peak = std::max(peak, std::fabs(double(buf[i])));
            diff += std::fabs(double(buf[i]) - noise[i]);
        }
        EXPECT_LT(peak, 2.0) << type;
        EXPECT_GT(diff / buf.size(), 0.01) << type;  // it does something
    }
    // A dry mix leaves the chorus input untouched; the flanger only delays it by two samples.
    detail::Chorus ch(44100);
    DX8Chorus c;
    c.fWetDryMix = 0;
    ch.set(c);
    auto buf = noise;
    ch.process(buf.data(), 44100, 2);
    EXPECT_EQ(buf, noise);
    detail::Flanger fl(44100);
    DX8Flanger f;
    f.fWetDryMix = 0;
    fl.set(f);
    buf = noise;
    fl.process(buf.data(), 44100, 2);
    EXPECT_EQ(buf[100 * 2], noise[98 * 2]);
    EXPECT_EQ(buf[100 * 2 + 1], noise[98 * 2 + 1]);
}

class ChannelEffects : public ::testing::Test {
protected:
    void SetUp() override {
        writeWav(dir.at("tone.wav"), 44100, 2, 16, 44100,
                 [](int64_t n, int) { return 0.5 * std::sin(2 * M_PI * 990.52734375 * n / 44100.0); });
        h = o.e.StreamCreateFile(dir.at("tone.wav"), 0, 0, 0);
        ASSERT_NE(h, 0u);
    }
    TempDir dir;
    Offline o;
    Handle h = 0;
};

TEST_F(ChannelEffects, NewEffectsStartFromTheDirectXDefaults) {
    DX8Chorus c{};
    DX8Flanger f{};
    DX8Echo e{};
    DX8ParamEq q{};
    DX8Reverb r{};
    c.fDepth = f.fDepth = e.fFeedback = q.fGain = r.fReverbTime = -1;  // overwritten by Get
    ASSERT_TRUE(o.e.FXGetParameters(o.e.ChannelSetFX(h, FX_DX8_CHORUS, 1), c));
    ASSERT_TRUE(o.e.FXGetParameters(o.e.ChannelSetFX(h, FX_DX8_FLANGER, 1), f));
    ASSERT_TRUE(o.e.FXGetParameters(o.e.ChannelSetFX(h, FX_DX8_ECHO, 1), e));
    ASSERT_TRUE(o.e.FXGetParameters(o.e.ChannelSetFX(h, FX_DX8_PARAMEQ, 1), q));
    ASSERT_TRUE(o.e.FXGetParameters(o.e.ChannelSetFX(h, FX_DX8_REVERB, 1), r));
    EXPECT_EQ(c.fWetDryMix, 50);
    EXPECT_EQ(c.fDepth, 10);
    EXPECT_EQ(c.fFeedback, 25);
    EXPECT_FLOAT_EQ(c.fFrequency, 1.1f);
    EXPECT_EQ(c.lWaveform, 1);
    EXPECT_EQ(c.fDelay, 16);
    EXPECT_EQ(c.lPhase, 3);
    EXPECT_EQ(f.fDepth, 100);
    EXPECT_EQ(f.fFeedback, -50);
    EXPECT_FLOAT_EQ(f.fFrequency, 0.25f);
    EXPECT_EQ(f.fDelay, 2);
    EXPECT_EQ(f.lPhase, 2);
    EXPECT_EQ(e.fWetDryMix, 50);
    EXPECT_EQ(e.fFeedback, 50);
    EXPECT_EQ(e.fLeftDelay, 500);
    EXPECT_EQ(e.fRightDelay, 500);
    EXPECT_EQ(e.lPanDelay, 0);
    EXPECT_EQ(q.fCenter, 8000);
    EXPECT_EQ(q.fBandwidth, 12);
    EXPECT_EQ(q.fGain, 0);
    EXPECT_EQ(r.fInGain, 0);
    EXPECT_EQ(r.fReverbMix, 0);
    EXPECT_EQ(r.fReverbTime, 1000);
    EXPECT_FLOAT_EQ(r.fHighFreqRTRatio, 0.001f);

    Handle eq = o.e.ChannelSetFX(h, FX_DX8_PARAMEQ, 1);
    ASSERT_TRUE(o.e.FXSetParameters(eq, DX8ParamEq{20, 100, 40}));  // out of range
    ASSERT_TRUE(o.e.FXGetParameters(eq, q));
    EXPECT_EQ(q.fCenter, 80);
    EXPECT_EQ(q.fBandwidth, 36);
    EXPECT_EQ(q.fGain, 15);
    EXPECT_FALSE(o.e.FXGetParameters(eq, r));  // a record of another type
    EXPECT_EQ(o.e.ChannelSetFX(h, FX_DX8_GARGLE, 1), 0u);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_ILLTYPE);
}

TEST_F(ChannelEffects, EqualizerBandActsOnThePlayingChannelAndCanBeRemoved) {
    Handle eq = o.e.ChannelSetFX(h, FX_DX8_PARAMEQ, 1);
    ASSERT_TRUE(o.e.FXSetParameters(eq, DX8ParamEq{990.52734375f, 5, -12}));
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    auto out = o.render(8820);
    EXPECT_NEAR(20 * std::log10(toneAmplitude(out, 4410, 4410, 990.52734375, 44100) / 0.5), -12, 0.3);
    ASSERT_TRUE(o.e.ChannelRemoveFX(h, eq));
    EXPECT_FALSE(o.e.ChannelRemoveFX(h, eq));
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_HANDLE);
    EXPECT_FALSE(o.e.FXSetParameters(eq, DX8ParamEq{}));
    // Removal takes effect for what is decoded next; a seek flushes what was buffered.
    ASSERT_TRUE(o.e.ChannelSetPosition(h, 0, POS_BYTE));
    out = o.render(4410);
    EXPECT_NEAR(toneAmplitude(out, 0, 4410, 990.52734375, 44100), 0.5, 0.01);
}

struct Order {
    std::vector<int> calls;
    uint32_t lastLength = 0;
};

template <int Id>
void recordDsp(Handle, Handle, void* buffer, uint32_t length, void* user) {
    auto* o = static_cast<Order*>(user);
    if (o->calls.size() < 30) o->calls.push_back(Id);
    o->lastLength = length;
    auto* s = static_cast<float*>(buffer);
    if (Id == 3)
        for (uint32_t i = 0; i < length / 4; ++i) s[i] *= 0.5f;
}

TEST_F(ChannelEffects, DspRunsByPriorityThenByOrderAdded) {
    Order order;
    o.e.ChannelSetDSP(h, recordDsp<1>, &order, 1);
    Handle three = o.e.ChannelSetDSP(h, recordDsp<3>, &order, 3);
    o.e.ChannelSetDSP(h, recordDsp<2>, &order, 1);
    o.e.ChannelSetDSP(h, recordDsp<4>, &order, 5);
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    auto out = o.render(1000);
    ASSERT_GE(order.calls.size(), 4u);
    EXPECT_EQ(std::vector<int>(order.calls.begin(), order.calls.begin() + 4), (std::vector<int>{4, 3, 1, 2}));
    EXPECT_EQ(order.lastLength % 8, 0u);                                       // whole stereo frames of 32-bit floats
    EXPECT_NEAR(toneAmplitude(out, 0, 882, 990.52734375, 44100), 0.25, 0.01);  // DSP 3 halves
    ASSERT_TRUE(o.e.ChannelRemoveDSP(h, three));
    ASSERT_TRUE(o.e.ChannelSetPosition(h, 0, POS_BYTE));
    order.calls.clear();
    out = o.render(1000);
    EXPECT_EQ(std::vector<int>(order.calls.begin(), order.calls.begin() + 3), (std::vector<int>{4, 1, 2}));
    EXPECT_NEAR(toneAmplitude(out, 0, 882, 990.52734375, 44100), 0.5, 0.01);
}

TEST_F(ChannelEffects, FftOfASinePeaksInItsBin) {
    ASSERT_TRUE(o.e.ChannelPlay(h, false));
    ASSERT_TRUE(o.e.ChannelSetAttribute(h, ATTRIB_VOL, 0.1f));  // not in the FFT
    o.render(4096);
    float bins[512];
    ASSERT_EQ(o.e.ChannelGetData(h, bins, DATA_FFT1024), 1024 * 8);
    int peak = static_cast<int>(std::max_element(bins, bins + 512) - bins);
    EXPECT_EQ(peak, 23);  // 990.5 Hz = 23 × 44100 / 1024
    // Half scale on a bin centre with the Hann window: 0.5 × 0.5, and a quarter of it next door.
    EXPECT_NEAR(bins[23], 0.25f, 0.005f);
    EXPECT_NEAR(bins[22], 0.125f, 0.005f);
    EXPECT_LT(bins[100], 1e-3f);
    // Channels are mixed: a sine on the left only gives half the magnitude.
    writeWav(dir.at("left.wav"), 44100, 2, 16, 44100,
             [](int64_t n, int ch) { return ch ? 0.0 : 0.5 * std::sin(2 * M_PI * 990.52734375 * n / 44100.0); });
    Handle left = o.e.StreamCreateFile(dir.at("left.wav"), 0, 0, 0);
    ASSERT_TRUE(o.e.ChannelPlay(left, false));
    o.render(2048);
    ASSERT_GT(o.e.ChannelGetData(left, bins, DATA_FFT1024), 0);
    EXPECT_NEAR(bins[23], 0.125f, 0.005f);
    o.renderToEnd(left);
    EXPECT_EQ(o.e.ChannelGetData(left, bins, DATA_FFT1024), -1);
    EXPECT_EQ(Engine::ErrorGetCode(), ERROR_ENDED);
}

}  // namespace
}  // namespace audio::test
