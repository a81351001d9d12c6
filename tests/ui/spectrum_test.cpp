#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ui/offlineplayer.h"

namespace {

using ui::TWindowState;

// A tone on the centre of FFT bin 10 (of 1024 at 44.1 kHz): the spectrum's
// column 10 gets 0.05 (the Hann window halves a sine), 25 pixels.
constexpr int kColumn = 10;
constexpr double kHz = kColumn * 44100.0 / 1024;

struct SpectrumBox : testenv::OfflinePlayer {
    void SetUp() override {
        start({wav("tone", 44100, 4, [](int64_t i, int) { return 0.1 * std::sin(2 * M_PI * kHz * i / 44100); })}, "");
        f->Show();
    }
    const spectrum::TSpectrum& s() { return *f->Spectrum(); }
    uint32_t pixel(int x, int y) { return f->pb1.Picture()->Pixels[size_t(y * f->pb1.Picture()->Width + x)]; }
};

TEST_F(SpectrumBox, APureToneRaisesItsOwnBarAndThePeaksFallAtTheirRate) {
    play(0);
    ASSERT_TRUE(f->Timer_Draw.Enabled());
    render(0.2);
    f->Timer_Draw.fire();
    const auto& bars = s().FFTFallOff;
    auto highest = std::max_element(bars.begin(), bars.end());
    EXPECT_EQ(highest - bars.begin(), kColumn);
    EXPECT_NEAR(*highest, 25, 1);
    EXPECT_LT(bars[kColumn - 1], *highest / 2 + 1);  // the window's neighbours hold a quarter of the sine
    EXPECT_LT(bars[kColumn + 2], 3);
    // Black bars on white, as the light theme has them; column 10 spans x 40..42.
    const int h = f->pb1.Picture()->Height;
    EXPECT_EQ(pixel(41, h - 2), 0xFF000000u);
    EXPECT_EQ(pixel(41, h - 30), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(43, h - 2), 0xFFFFFFFFu);

    // Stopped, bars sink two pixels a tick and peaks one, until the timer
    // has nothing left to draw and stops.
    f->StopButton.OnClick();
    int bar = s().FFTFallOff[kColumn], peak = s().FFTPeacks[kColumn], ticks = 0;
    while (f->Timer_Draw.Enabled() && ticks < 100) {
        f->Timer_Draw.fire();
        ++ticks;
        EXPECT_EQ(s().FFTFallOff[kColumn], std::max(0, bar - 2 * ticks));
        EXPECT_EQ(s().FFTPeacks[kColumn], std::max(0, peak - ticks));
    }
    EXPECT_EQ(ticks, peak);
    EXPECT_TRUE(s().Idle());

    // Nothing changes any more, so nothing is drawn again.
    int repaints = 0;
    f->pb1.Picture.observe([&](const ui::TBitmapPtr&) { ++repaints; });
    f->Timer_DrawTimer();
    EXPECT_EQ(repaints, 0);
}

TEST_F(SpectrumBox, TheTimerRunsOnlyWhileTheWindowCanBeSeen) {
    play(0);
    EXPECT_TRUE(f->Timer_Draw.Enabled());
    f->WindowState.set(TWindowState::wsMinimized);
    EXPECT_FALSE(f->Timer_Draw.Enabled());
    f->WindowState.set(TWindowState::wsNormal);
    EXPECT_TRUE(f->Timer_Draw.Enabled());
    f->Hide();
    EXPECT_FALSE(f->Timer_Draw.Enabled());
    f->Show();
    EXPECT_TRUE(f->Timer_Draw.Enabled());

    // Paused, the bars sink and the timer stops; playing again starts it.
    render(0.2);
    f->Timer_Draw.fire();
    f->PauseButton.OnClick();
    for (int i = 0; i < 100 && f->Timer_Draw.Enabled(); ++i) f->Timer_Draw.fire();
    EXPECT_FALSE(f->Timer_Draw.Enabled());
    f->PlayButton.OnClick();
    EXPECT_TRUE(f->Timer_Draw.Enabled());
}

TEST_F(SpectrumBox, TheThemeSetsTheColours) {
    struct Case {
        ui::TMenuItem& theme;
        uint32_t background;
    };
    for (const Case& c : {Case{f->ThemeDark, 0xFF303030u}, Case{f->ThemeSky, 0xFFFFFFFFu}}) {
        c.theme.Click();
        EXPECT_TRUE(c.theme.Checked());
        // Stopped, the new colours show at once.
        EXPECT_EQ(pixel(0, 1), c.background) << c.theme.Name();
    }
    EXPECT_FALSE(f->ThemeDark.Checked());
    f->ThemeDark.Click();
    play(0);
    render(0.2);
    f->Timer_Draw.fire();
    EXPECT_EQ(pixel(41, f->pb1.Picture()->Height - 2), 0xFFFFFFFFu);  // white bars
}

}  // namespace
