#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "spectrum/spectrum.h"

namespace spectrum {
namespace {

constexpr uint32_t kOpaque = 0xFF000000;

TFFTData frame(int column, float magnitude) {
    TFFTData d{};
    d[static_cast<size_t>(column)] = magnitude;
    return d;
}

uint32_t pixel(const TSpectrum& s, int x, int y) { return s.Pixels()[static_cast<size_t>(y * s.Width() + x)]; }

TEST(Spectrum, BarsRiseAtOnceAndFallTwiceAsFastAsTheirPeaks) {
    TSpectrum s(512, 45);
    // Each step: the magnitude of column 5 and whether there are live data,
    // then the bar and the peak in pixels.
    struct Step {
        float magnitude;
        bool pauseStop;
        int bar, peak;
    };
    const Step steps[] = {
        {0.02f, false, 10, 10},                            // a rising value lifts both at once
        {0.05f, false, 25, 25},  {0.01f, false, 23, 24},   // falling: the bar 2 pixels a frame, the peak 1
        {0.01f, false, 21, 23},  {0.044f, false, 22, 22},  // the bar rises again; the peak above it goes on falling
        {0.0f, true, 20, 21},                              // nothing plays: everything sinks
        {0.5f, true, 18, 20},                              // data are ignored while paused
        {0.09f, false, 45, 45},                            // 0.09 fills the 45-pixel box
        {1e9f, false, 45, 45},   {std::numeric_limits<float>::quiet_NaN(), false, 43, 44},  // NaN is silence
        {-0.03f, false, 41, 43},  // magnitudes count without their sign
    };
    for (const Step& step : steps) {
        s.Draw(frame(5, step.magnitude), 0, 0, step.pauseStop);
        EXPECT_EQ(s.FFTFallOff[5], step.bar) << step.magnitude;
        EXPECT_EQ(s.FFTPeacks[5], step.peak) << step.magnitude;
    }
}

TEST(Spectrum, AFullBarOfAStoppedPlayerIsGoneAfterTwentyThreeFrames) {
    TSpectrum s(512, 45);
    s.Draw(frame(0, 0.09f), 0, 0, false);
    int frames = 0;
    while (s.FFTFallOff[0] > 0) {
        s.Draw(TFFTData{}, 0, 0, true);
        ++frames;
    }
    EXPECT_EQ(frames, 23);
    EXPECT_FALSE(s.Idle());  // the peak is still falling, one pixel a frame
    while (!s.Idle()) s.Draw(TFFTData{}, 0, 0, true), ++frames;
    EXPECT_EQ(frames, 45);
}

TEST(Spectrum, ThePictureShowsBarsPeaksAndBlockLines) {
    TSpectrum s(20, 30);
    s.BkColor = 0x303030, s.PenColor = 0xFFFFFF, s.PeakColor = 0xFF0000;
    s.Draw(frame(1, 0.042f), 0, 0, false);  // column 1: 21 pixels
    s.Draw(frame(1, 0.02f), 0, 0, false);   // the bar drops to 19, the peak to 20
    ASSERT_EQ(s.FFTFallOff[1], 19);
    ASSERT_EQ(s.FFTPeacks[1], 20);
    const uint32_t bk = kOpaque | 0x303030, pen = kOpaque | 0xFFFFFF, peak = kOpaque | 0xFF0000;
    // Column 1 spans x 4..6; x 7 is the gap before column 2.
    for (int x = 4; x <= 6; ++x) {
        EXPECT_EQ(pixel(s, x, 30 - 20), peak) << x;  // the mark one pixel above the bar
        EXPECT_EQ(pixel(s, x, 30 - 19), pen) << x;   // the bar's top row
        EXPECT_EQ(pixel(s, x, 28), pen) << x;
        EXPECT_EQ(pixel(s, x, 27), bk) << x;  // a block line cuts it
    }
    EXPECT_EQ(pixel(s, 7, 28), bk);
    EXPECT_EQ(pixel(s, 4, 8), bk);  // above the peak
    // Rows 0, 3, 6, ... are background all along.
    for (int y = 0; y < 30; y += 3)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(pixel(s, x, y), bk) << x << "," << y;

    // A bar as high as its peak covers the mark.
    s.Draw(frame(1, 0.09f), 0, 0, false);
    EXPECT_EQ(pixel(s, 5, 1), pen);
    EXPECT_EQ(pixel(s, 5, 0), bk);  // a block row
}

TEST(Spectrum, AFrameLikeTheLastIsNotDrawnAgain) {
    TSpectrum s(64, 20);
    EXPECT_TRUE(s.Draw(TFFTData{}, 0, 0, true));  // the first frame always
    EXPECT_FALSE(s.Draw(TFFTData{}, 0, 0, true));
    EXPECT_FALSE(s.Draw(TFFTData{}, 0, 0, false));  // silence while playing
    EXPECT_TRUE(s.Draw(frame(3, 0.01f), 0, 0, false));
    EXPECT_FALSE(s.Draw(frame(3, 0.01f), 0, 0, false));  // held: same bars, same peaks
    s.BkColor = 0xFFFFFF;
    EXPECT_TRUE(s.Draw(frame(3, 0.01f), 0, 0, false));  // new colours
    EXPECT_EQ(s.Pixels()[0], kOpaque | 0xFFFFFF);

    // Columns out of sight (16 fit in 64 pixels) change no picture.
    TSpectrum narrow(64, 20);
    narrow.Draw(TFFTData{}, 0, 0, false);
    EXPECT_FALSE(narrow.Draw(frame(100, 0.03f), 0, 0, false));
    EXPECT_EQ(narrow.FFTFallOff[100], 15);
    EXPECT_TRUE(narrow.Draw(frame(15, 0.03f), 0, 0, false));
}

TEST(Spectrum, ColumnsBeyondTheBoxAreComputedButNotDrawn) {
    TSpectrum s(10, 10);  // three columns fit
    TFFTData d{};
    for (float& v : d) v = 0.01f;
    s.Draw(d, 0, 0, false);
    EXPECT_EQ(s.FFTFallOff[127], 5);
    EXPECT_EQ(s.FFTFallOff[128], 0);  // one past the columns: never touched
    TSpectrum empty(0, 0);
    EXPECT_TRUE(empty.Draw(d, 0, 0, false));
    EXPECT_TRUE(empty.Pixels().empty());
}

}  // namespace
}  // namespace spectrum
