// The equalizer page: presets, band sliders, effects and the volume choice,
// applied to the main window's current channel as they change.
#include "player/playbackmath.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

void TForm2::layOutEqualizer() {
    GroupBoxEQ.Caption.set("Эквалайзер");
    GroupBoxEQ.SetBounds(8, 4, 470, 58);
    std::vector<std::string> presets;
    for (const player::TEQPreset& p : player::EQPresets) presets.emplace_back(p.Name);
    presets.emplace_back(player::kEQCustomName);
    boxEQSelect.Style.set(TComboBoxStyle::csDropDownList);
    boxEQSelect.Items.set(std::move(presets));
    boxEQSelect.SetBounds(10, 4, 200, 24);
    chEqualizer.SetBounds(226, 4, 220, 24);

    GroupBoxLevels.Caption.set("Уровни");
    GroupBoxLevels.SetBounds(8, 66, 470, 196);
    auto sliders = EQSliders();
    TLabel* labels[] = {&Label80Hz,   &Label170Hz,  &Label310Hz,   &Label600Hz,   &Label1000Hz,
                        &Label3000Hz, &Label6000Hz, &Label10000Hz, &Label12000Hz, &Label16000Hz};
    for (size_t band = 0; band < sliders.size(); ++band) {
        const int x = 10 + static_cast<int>(band) * 45;
        TTrackBar& bar = *sliders[band];
        bar.Orientation.set(TTrackBarOrientation::trVertical);
        bar.Frequency.set(5);
        bar.Position.set(0);  // before the handlers: the start is no move of the user's
        bar.SetBounds(x + 6, 2, 32, 150);
        labels[band]->SetBounds(x, 154, 44, 16);
        labels[band]->Alignment.set(TAlignment::taCenter);
    }

    GroupBoxEffects.Caption.set("Эффекты");
    GroupBoxEffects.SetBounds(8, 266, 284, 82);
    TCheckBox* effects[] = {&chFlange, &chChorus, &chEcho, &chReverb, &BassEF, &RotateEF};
    for (size_t i = 0; i < std::size(effects); ++i)
        effects[i]->SetBounds(10 + static_cast<int>(i % 3) * 90, 4 + static_cast<int>(i / 3) * 28, 88, 24);

    GroupBoxVolume.Caption.set("Громкость");
    GroupBoxVolume.SetBounds(298, 266, 180, 82);
    RadioButton_Player.SetBounds(10, 4, 166, 24);
    RadioButton_System.SetBounds(10, 32, 166, 24);
}

void TForm2::BASS_RestoreSoundEffect() { Effects.Restore(engine_, form1_.CurrentChannel); }

void TForm2::BASS_SetSoundEffects(TSNDEffects effects) {
    Effects.Apply(engine_, form1_.CurrentChannel, effects);
    // The box stays ticked from one track to the next, so the sweep goes along.
    Rotate.Follow(engine_, form1_.CurrentChannel);
}

void TForm2::BASS_SetDefaultSoundEffect(TSNDEffects effects) { Effects.SetDefault(effects); }

void TForm2::SetEQValues(const TEQArray& gains) {
    auto sliders = EQSliders();
    for (size_t band = 0; band < sliders.size(); ++band) sliders[band]->Position.set(-gains[band]);
}

void TForm2::boxEQSelectChange() {
    ApplyingPreset = true;
    int index = boxEQSelect.ItemIndex();
    if (index >= 0 && index < static_cast<int>(player::EQPresets.size())) {
        const TEQArray& gains = player::EQPresets[static_cast<size_t>(index)].Gains;
        Effects.EQGains = gains;
        SetEQValues(gains);
    }
    ApplyingPreset = false;
}

void TForm2::TrackBarChange(size_t band) {
    Effects.EQGains[band] = static_cast<int8_t>(-EQSliders()[band]->Position());
    if (!ApplyingPreset) boxEQSelect.SelectIndex(player::kEQCustom);
    // A slider moved by the stored settings or a preset does not switch on
    // an equalizer whose box is unticked.
    if (chEqualizer.Checked()) Effects.CurrentEffects |= seEqualizer;
    BASS_SetSoundEffects(Effects.CurrentEffects);
    // Later applications use the wider bands; the 6 kHz slider alone leaves them.
    if (band != 6) Effects.EQParams.fBandwidth = 5;
}

void TForm2::effectClick(TCheckBox& box, player::TSNDEffect member) {
    if (box.Checked()) Effects.CurrentEffects |= member;
    else Effects.CurrentEffects &= static_cast<TSNDEffects>(~member);
    BASS_SetSoundEffects(Effects.CurrentEffects);
}

void TForm2::RotateEFClick() {
    if (RotateEF.Checked()) Rotate.Start(engine_, form1_.CurrentChannel);
    else Rotate.Stop(engine_);
}

void TForm2::sliderMouseDown(TTrackBar& bar, TMouseButton button, int y) {
    if (button != TMouseButton::mbLeft) return;
    dragSlider_ = &bar;
    // The thumb jumps to the click, without margins; the minimum is at the top.
    if (auto p = player::TrackBarClickPositionNoMargin(bar.Min(), bar.Max(), bar.Height(), y)) bar.Position.set(*p);
}

void TForm2::chEqualizerClick() {
    const bool on = chEqualizer.Checked();
    boxEQSelect.Enabled.set(on);
    for (TTrackBar* bar : EQSliders()) bar->Enabled.set(on);
    if (on) Effects.CurrentEffects |= seEqualizer;
    else Effects.CurrentEffects &= static_cast<TSNDEffects>(~seEqualizer);
    BASS_SetSoundEffects(Effects.CurrentEffects);
}

void TForm2::VolumeRadioClick() {
    bool player = RadioButton_Player.Checked();
    form1_.barVolume.Visible.set(player);
    form1_.barVolumeSys.Visible.set(!player);
}

}  // namespace ui
