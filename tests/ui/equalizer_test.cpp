#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "app/inifile.h"
#include "support/engine.h"
#include "ui/offlineplayer.h"

namespace {

using player::EQCenters;
using player::TEQArray;

constexpr int kDefault = 0, kRock = 2, kGrunge = 4, kCustom = 20;
constexpr double kTone = 0.03;  // per centre: ten of them stay far from full scale

// One tone at every band's centre. The source runs at 48 kHz, where the 16
// kHz band acts at its own centre (the bands act at most at a third of the
// source's rate).
double tones(int64_t frame, int) {
    double t = static_cast<double>(frame) / 48000, sum = 0;
    for (int32_t hz : EQCenters) sum += kTone * std::sin(2 * M_PI * hz * t);
    return sum;
}

// "TrackBar80Hz=..." lines putting the sliders at the negated gains.
std::string sliderKeys(const TEQArray& gains) {
    std::string keys;
    for (size_t band = 0; band < gains.size(); ++band)
        keys += "TrackBar" + std::to_string(EQCenters[band]) + "Hz=" + std::to_string(-gains[band]) + "\r\n";
    return keys;
}

struct Equalizer : testenv::OfflinePlayer {
    // The level of each centre's tone in the last half second of what plays
    // next. The centres are multiples of 10 Hz: over half a second each tone
    // makes whole periods, so the tones do not leak into each other.
    std::array<double, 10> levels(double seconds = 1.5) {
        std::vector<float> out = render(seconds);
        const size_t count = static_cast<size_t>(kRate / 2), begin = out.size() / 2 - count;
        std::array<double, 10> a{};
        for (size_t band = 0; band < a.size(); ++band)
            a[band] = testenv::toneAmplitude(out, begin, count, EQCenters[band], kRate);
        return a;
    }
    static double db(double level, double flat) { return 20 * std::log10(level / flat); }

    void choose(int preset) {
        f2->boxEQSelect.SelectIndex(preset);
        f2->boxEQSelect.OnChange();
    }
    std::vector<int> positions() {
        std::vector<int> p;
        for (ui::TTrackBar* bar : f2->EQSliders()) p.push_back(bar->Position());
        return p;
    }
};

TEST_F(Equalizer, APresetIsHeardAtEveryCentre) {
    start({wav("tones", 48000, 4, tones)}, "chEqualizer=1\r\nboxEQSelect=20\r\n" + sliderKeys({}));
    play(0);
    auto flat = levels();
    choose(kGrunge);
    auto grunge = levels();
    const TEQArray& gains = player::EQPresets[kGrunge].Gains;
    for (size_t band = 0; band < gains.size(); ++band)
        EXPECT_NEAR(db(grunge[band], flat[band]), gains[band], 0.5) << EQCenters[band] << " Hz";
}

TEST_F(Equalizer, RockIsHeardOnThePlayingTrackAndOnTheNext) {
    std::string a = wav("a", 48000, 4, tones), b = wav("b", 48000, 4, tones);
    start({a, b}, "chEqualizer=1\r\nboxEQSelect=0\r\n" + sliderKeys({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(positions(), std::vector<int>(10, 0));  // the stored "Default" had the last word
    play(0);
    auto flat = levels();

    choose(kRock);
    EXPECT_EQ(positions(), (std::vector<int>{0, -3, -3, -3, -2, -1, -4, -7, -7, -8}));
    EXPECT_EQ(f2->boxEQSelect.ItemIndex(), kRock);  // moved by the preset: not "Custom"
    EXPECT_EQ(f2->boxEQSelect.Text(), "Rock");
    // The five lowest bands lie far enough apart to show their own gains;
    // the upper ones overlap and add up.
    auto check = [&](const char* track) {
        auto rock = levels();
        for (size_t band = 0; band < 5; ++band)
            EXPECT_NEAR(db(rock[band], flat[band]), player::EQPresets[kRock].Gains[band], 0.5)
                << track << ", " << EQCenters[band] << " Hz";
        EXPECT_GT(db(rock[9], flat[9]), 6) << track;
    };
    check("playing track");

    audio::Handle first = f->CurrentChannel;
    f->NextButton.OnClick();
    ASSERT_NE(f->CurrentChannel, first);
    ASSERT_EQ(f->CurrentFile, b);
    check("next track");

    f2->SaveNastr2();
    app::TMemIniFile ini(env.settingsFile());
    EXPECT_EQ(ini.ReadInteger("Option", "boxEQSelect", -1), kRock);
    EXPECT_EQ(ini.ReadInteger("Option", "TrackBar16000Hz", 0), -8);
    EXPECT_EQ(ini.ReadInteger("Option", "TrackBar170Hz", 0), -3);
}

TEST_F(Equalizer, BassBoostLiftsTheThreeLowestBands) {
    start({wav("tones", 48000, 6, tones)}, "chEqualizer=0\r\nBassEF=0\r\nboxEQSelect=20\r\n" + sliderKeys({}));
    play(0);
    auto flat = levels();
    const double boost[] = {4, 3, 2};

    f2->BassEF.Checked.set(true);  // the equalizer stays off
    auto bass = levels();
    for (size_t band = 0; band < 10; ++band)
        EXPECT_NEAR(db(bass[band], flat[band]), band < 3 ? boost[band] : 0.0, band < 3 ? 0.5 : 0.3)
            << EQCenters[band] << " Hz";

    // With the equalizer on, the boost takes the three bands' place.
    f2->chEqualizer.Checked.set(true);
    choose(kGrunge);
    auto both = levels();
    for (size_t band = 0; band < 3; ++band)
        EXPECT_NEAR(db(both[band], flat[band]), boost[band], 0.5) << EQCenters[band] << " Hz";
    EXPECT_NEAR(db(both[3], flat[3]), player::EQPresets[kGrunge].Gains[3], 0.5);
}

TEST_F(Equalizer, AHandMoveSelectsCustomAndAPresetInForceChangesNothing) {
    // As the first run stores them: "Rock" chosen over sliders that are not Rock's.
    start({wav("tones", 48000, 2, tones)}, "chEqualizer=1\r\nboxEQSelect=2\r\n" + sliderKeys({0, 1, 3, 1, -2}));
    EXPECT_EQ(f2->boxEQSelect.ItemIndex(), kRock);
    EXPECT_EQ(positions(), (std::vector<int>{0, -3, -3, -3, -2, -1, -4, -7, -7, -8}));
    play(0);
    const auto bands = f2->Effects.EQBandFX;
    for (audio::Handle fx : bands) ASSERT_NE(fx, 0u);

    choose(kRock);  // already in force: no slider moves, nothing is attached again
    EXPECT_EQ(f2->Effects.EQBandFX, bands);

    f2->TrackBar600Hz.Position.set(5);  // by hand
    EXPECT_EQ(f2->boxEQSelect.ItemIndex(), kCustom);
    EXPECT_EQ(f2->boxEQSelect.Text(), "Custom");
    EXPECT_EQ(f2->Effects.EQGains[3], -5);
    EXPECT_EQ(positions()[0], 0);  // choosing "Custom" ran no preset
    EXPECT_NE(f2->Effects.EQBandFX, bands);
    EXPECT_EQ(f2->Effects.EQParams.fBandwidth, 5);

    choose(kCustom);  // nothing to apply
    EXPECT_EQ(positions()[3], 5);

    f2->chEqualizer.Checked.set(false);
    for (audio::Handle fx : f2->Effects.EQBandFX) EXPECT_EQ(fx, 0u);
    EXPECT_FALSE(f2->boxEQSelect.Enabled());
    EXPECT_FALSE(f2->TrackBar80Hz.Enabled());
    f2->chEqualizer.Checked.set(true);
    f2->ButtonOKSettings.OnClick();

    // The next start keeps the hand-set sliders under "Custom".
    restart();
    EXPECT_EQ(f2->boxEQSelect.ItemIndex(), kCustom);
    EXPECT_EQ(positions(), (std::vector<int>{0, -3, -3, 5, -2, -1, -4, -7, -7, -8}));
}

TEST_F(Equalizer, CancelUndoesTheEffectsAndMissingKeysLeaveEverythingOff) {
    start({wav("tones", 48000, 2, tones)}, "");
    EXPECT_EQ(f2->boxEQSelect.ItemIndex(), -1);
    for (ui::TCheckBox* box :
         {&f2->chEqualizer, &f2->chFlange, &f2->chChorus, &f2->chEcho, &f2->chReverb, &f2->BassEF, &f2->RotateEF})
        EXPECT_FALSE(box->Checked()) << box->Name();
    EXPECT_EQ(f2->Effects.CurrentEffects, 0);
    play(0);

    struct Box {
        ui::TCheckBox& box;
        audio::Handle& fx;
    };
    player::TSoundEffects& e = f2->Effects;
    for (Box b : {Box{f2->chFlange, e.FlangerFX}, Box{f2->chChorus, e.ChorusFX}, Box{f2->chEcho, e.EchoFX},
                  Box{f2->chReverb, e.ReverbFX}}) {
        b.box.Checked.set(true);
        EXPECT_NE(b.fx, 0u) << b.box.Name();
    }
    f2->ButtonCancelSettings.OnClick();
    for (Box b : {Box{f2->chFlange, e.FlangerFX}, Box{f2->chChorus, e.ChorusFX}, Box{f2->chEcho, e.EchoFX},
                  Box{f2->chReverb, e.ReverbFX}}) {
        EXPECT_FALSE(b.box.Checked()) << b.box.Name();
        EXPECT_EQ(b.fx, 0u) << b.box.Name();
    }
    EXPECT_EQ(e.CurrentEffects, 0);
}

// A steady level on both sides shows the sweep: the left side is the level
// times |sin(phase)|, silent each time the phase passes pi.
struct Rotate : testenv::OfflinePlayer {
    static constexpr double kPeriod = 3.1415927 / 0.00003;  // frames from one silence to the next

    // Frames at which the left side falls silent, one per passage.
    static std::vector<size_t> silences(const std::vector<float>& out) {
        std::vector<size_t> at;
        for (size_t i = 0; i < out.size() / 2; ++i) {
            if (std::fabs(out[2 * i]) > 0.001) continue;
            if (at.empty() || i - at.back() > 1000) at.push_back(i);
            else if (std::fabs(out[2 * i]) < std::fabs(out[2 * at.back()])) at.back() = i;
        }
        return at;
    }
};

TEST_F(Rotate, SweepsAtItsPeriodAndFollowsTheNextTrack) {
    auto level = [](int64_t, int) { return 0.5; };
    std::string a = wav("a", 44100, 10, level), b = wav("b", 44100, 10, level);
    start({a, b}, "");
    play(0);
    f2->RotateEF.Checked.set(true);
    EXPECT_EQ(f2->Rotate.Phase(), player::TRotate::kStartPhase);
    ASSERT_NE(f2->Rotate.RotateDSP(), 0u);

    std::vector<float> out = render(3.3 * kPeriod / kRate);
    std::vector<size_t> at = silences(out);
    ASSERT_GE(at.size(), 3u);
    for (size_t i = 1; i < at.size(); ++i)
        EXPECT_NEAR(static_cast<double>(at[i] - at[i - 1]), kPeriod, kPeriod * 0.005);
    EXPECT_NEAR(out[2 * at[1] + 1], 0.5, 0.001);  // the right side is at its full level then

    f->NextButton.OnClick();
    ASSERT_EQ(f->CurrentFile, b);
    EXPECT_TRUE(f2->RotateEF.Checked());
    EXPECT_FALSE(silences(render(1.1 * kPeriod / kRate)).empty()) << "the sweep went with the track";

    // Ticked again, it starts over at pi / 4, where both sides are equal.
    f2->RotateEF.Checked.set(false);
    EXPECT_EQ(f2->Rotate.RotateDSP(), 0u);
    f2->RotateEF.Checked.set(true);
    EXPECT_EQ(f2->Rotate.Phase(), player::TRotate::kStartPhase);
}

}  // namespace
