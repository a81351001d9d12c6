// The spectrum box: Timer_Draw fetches the playing channel's FFT and has the
// spectrum draw one frame into pb1. The timer stops whenever a frame could
// not show anything new, so a hidden, minimised or silent player costs
// nothing.
#include "ui/tform1.h"

namespace ui {

void TForm1::bindSpectrum() {
    Timer_Draw.OnTimer = [this] { Timer_DrawTimer(); };
    Visible.observe([this](const bool&) { spectrumWake(); });
    WindowState.observe([this](const TWindowState&) { spectrumWake(); });
    for (TMenuItem* theme : {&ThemeAuto, &ThemeLight, &ThemeDark, &ThemeSky, &ThemeLuna})
        theme->OnClick = [this, theme] { ThemeMenuClick(*theme); };
}

spectrum::TSpectrum& TForm1::ensureSpectrum() {
    // The box's size once the window has been laid out; until then the size
    // the layout will give it.
    int w = pb1.Width() > 0 ? pb1.Width() : TabApp.Width() - PanelVisualCaptions.Width();
    int h = pb1.Height() > 0 ? pb1.Height() : PanelVisual.Height();
    if (!spectrum_ || spectrum_->Width() != w || spectrum_->Height() != h) {
        auto next = std::make_unique<spectrum::TSpectrum>(w, h);
        if (spectrum_) {
            next->FFTPeacks = spectrum_->FFTPeacks;
            next->FFTFallOff = spectrum_->FFTFallOff;
        }
        spectrum_ = std::move(next);
        spectrumPicture_ = std::make_shared<TBitmap>(w, h);
        spectrumStale_ = true;
    }
    return *spectrum_;
}

void TForm1::SetSpectrumColors(bool dark) {
    spectrumDark_ = dark;
    spectrumStale_ = true;
    spectrumWake();
}

void TForm1::ThemeMenuClick(TMenuItem& item) {
    for (TMenuItem* theme : {&ThemeAuto, &ThemeLight, &ThemeDark, &ThemeSky, &ThemeLuna})
        theme->Checked.set(theme == &item);
    // The system's own theme is not known here yet: it counts as light.
    SetSpectrumColors(&item == &ThemeDark);
}

void TForm1::drawSpectrum(const spectrum::TFFTData& data, bool pauseStop) {
    spectrum::TSpectrum& s = ensureSpectrum();
    s.PenColor = s.PeakColor = spectrumDark_ ? spectrum::clWhite : spectrum::clBlack;
    s.BkColor = spectrumDark_ ? spectrum::clDarkBack : spectrum::clWhite;
    bool changed = s.Draw(data, 0, 0, pauseStop);
    if (!changed && !spectrumStale_) return;
    std::copy(s.Pixels().begin(), s.Pixels().end(), spectrumPicture_->Pixels.begin());
    spectrumStale_ = false;
    if (!pb1.Picture.set(spectrumPicture_)) pb1.Picture.notify();
}

void TForm1::Timer_DrawTimer() {
    spectrum::TFFTData data{};
    try {
        if (CurrentChannel != 0 && ChannelActivity() == audio::ACTIVE_PLAYING) {
            int32_t got = engine_.ChannelGetData(CurrentChannel, data.data(), audio::DATA_FFT1024);
            if (got < 0) {
                if (audio::Engine::ErrorGetCode() != audio::ERROR_HANDLE) return;
                // The channel is gone: from now on nothing is current.
                CurrentChannel = 0;
                data.fill(0);
                drawSpectrum(data, true);
            } else {
                if (got == 0) data.fill(0);
                drawSpectrum(data, false);
            }
        } else {
            drawSpectrum(data, true);
        }
    } catch (...) {
        Timer_Draw.Enabled.set(false);
        data.fill(0);
        drawSpectrum(data, true);
        return;
    }
    spectrumWake();
}

void TForm1::spectrumWake() {
    const bool seen = Visible() && WindowState() != TWindowState::wsMinimized;
    // A stopped player shows its background (in the current colours) at once,
    // without waiting for a tick.
    if (seen && spectrumStale_ && PlayState != 1) drawSpectrum(spectrum::TFFTData{}, true);
    const bool moving = PlayState == 1 || spectrumStale_ || !spectrum_ || !spectrum_->Idle();
    Timer_Draw.Enabled.set(seen && moving);
}

}  // namespace ui
