#include "ui/tform2.h"

#include <functional>
#include <utility>

#include "app/inifile.h"
#include "common/files.h"
#include "common/log.h"
#include "player/playbackmath.h"
#include "ui/tform1.h"

namespace ui {

namespace {
constexpr const char* kOption = "Option";
constexpr TShortCut kKeyF1 = 0x70, kKeyF2 = 0x71, kKeySpace = 0x20, kKeyEnter = 0x0D;
}  // namespace

TForm2::TForm2(TApplication& app, audio::Engine& engine, TForm1& form1)
    : TForm(app, "Form2"), engine_(engine), form1_(form1) {
    Caption.set("Настройки");
    layOut();
    chEqualizer.Hint.set("Включить/Выключить эквалайзер");
    HotKey_Next.HotKey.set(kKeyF2);
    HotKey_Next.Hint.set("Следующий файл");
    HotKey_Prev.HotKey.set(kKeyF1);
    HotKey_Prev.Hint.set("Предыдущий файл");
    HotKey_Start.HotKey.set(kKeySpace);
    HotKey_Start.Hint.set("Старт/Пауза");
    HotKey_Play.HotKey.set(kKeyEnter);
    HotKey_Play.Hint.set("Воспроизведение");

    RandomTrack.OnClick = [this] { RandomTrackClick(); };
    RepeatSong.OnClick = [this] { RepeatSongClick(); };
    chEqualizer.OnClick = [this] { chEqualizerClick(); };
    ProgressBox.OnClick = [this] { ProgressBoxClick(); };
    RadioButton_Player.OnClick = [this] { VolumeRadioClick(); };
    RadioButton_System.OnClick = [this] { VolumeRadioClick(); };

    boxEQSelect.OnChange = [this] { boxEQSelectChange(); };
    auto sliders = EQSliders();
    for (size_t band = 0; band < sliders.size(); ++band) {
        TTrackBar& bar = *sliders[band];
        bar.OnChange = [this, band] { TrackBarChange(band); };
        bar.OnMouseDown = [this, &bar](TMouseButton b, TShiftState, int, int y) { sliderMouseDown(bar, b, y); };
        bar.OnMouseMove = [this, &bar](TShiftState, int, int y) {
            if (dragSlider_ == &bar) sliderMouseDown(bar, TMouseButton::mbLeft, y);
        };
        bar.OnMouseUp = [this](TMouseButton, TShiftState, int, int) { dragSlider_ = nullptr; };
        // Turning the wheel up lowers the position, which moves the thumb up.
        bar.OnMouseWheel = [&bar](int delta, int, int) {
            bar.Position.set(player::TrackBarWheelPosition(bar.Position(), -delta));
        };
    }
    chFlange.OnClick = [this] { effectClick(chFlange, seFlange); };
    chChorus.OnClick = [this] { effectClick(chChorus, seChorus); };
    chEcho.OnClick = [this] { effectClick(chEcho, seEcho); };
    chReverb.OnClick = [this] { effectClick(chReverb, seReverb); };
    BassEF.OnClick = [this] { effectClick(BassEF, seBass); };
    RotateEF.OnClick = [this] { RotateEFClick(); };

    TreeViewMenu.OnChange = [this] { TreeViewMenuChange(); };
    ButtonOKSettings.OnClick = [this] { ButtonOKSettingsClick(); };
    ButtonCancelSettings.OnClick = [this] { ButtonCancelSettingsClick(); };
}

TForm2::~TForm2() = default;

void TForm2::layOut() {
    ClientWidth.set(640);
    ClientHeight.set(460);
    MinWidth.set(640);
    MinHeight.set(460);
    PanelButtons.Align.set(TAlign::alBottom);
    PanelButtons.Height.set(44);
    ButtonOKSettings.SetBounds(444, 8, 88, 28);
    ButtonOKSettings.Default.set(true);
    ButtonCancelSettings.SetBounds(540, 8, 88, 28);
    TreeViewMenu.Align.set(TAlign::alLeft);
    TreeViewMenu.Width.set(150);
    std::vector<TTreeNode> entries;
    for (TTabSheet* page : PageControlOptions.Pages()) {
        entries.push_back(TTreeNode{page->Caption(), {}});
        page->TabVisible.set(false);
    }
    TreeViewMenu.Items.set(std::move(entries));
    PanelPages.Align.set(TAlign::alClient);
    LabelInfo.Align.set(TAlign::alTop);
    LabelInfo.Height.set(32);
    LabelInfo.Alignment.set(TAlignment::taRightJustify);
    LabelInfo.Font.set(TFont{"Tahoma", 12, true});
    PageControlOptions.Align.set(TAlign::alClient);

    int y = 8;
    for (TCheckBox* box : {&ShowCoverArts, &ProgressBox, &AutoNext, &RandomTrack, &RepeatSong, &BaloonWindow}) {
        box->SetBounds(12, y, 440, 22);
        y += 26;
    }
    layOutEqualizer();
    y = 8;
    for (THotKey* key : {&HotKey_Next, &HotKey_Prev, &HotKey_Start, &HotKey_Play}) {
        key->SetBounds(12, y, 200, 24);
        y += 30;
    }
}

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

bool TForm2::FormCreate(int device) {
    const std::string& title = form1_.LangError.Caption();
    if ((audio::Engine::GetVersion() >> 16) != 0x0204) {
        Application().dialogs().MessageBox(form1_.LangNoBASSDLL.Caption(), title, MB_ICONERROR);
        return false;
    }
    engine_.SetConfig(audio::CONFIG_FLOATDSP, 1);
    if (!engine_.Init(device, 44100, audio::UNICODE)) {
        int code = audio::Engine::ErrorGetCode();
        common::log::error("ui.audio", "the audio engine did not start: ", code, " (", audio::describe(code), ")");
        Application().dialogs().MessageBox(form1_.LanrErrorAudio.Caption(), title, MB_ICONERROR);
        return false;
    }
    engine_.Start();
    BASS_SetDefaultSoundEffect(seFlange | seChorus | seEcho | seReverb | seEqualizer);
    audio::Info info;
    if (engine_.GetInfo(info) && info.dsver < 8) Error(form1_.LangDirectX8.Caption());
    engine_.SetConfig(audio::CONFIG_NET_PLAYLIST, 1);
    engine_.SetConfig(audio::CONFIG_NET_PREBUF, 1000);
    engine_.SetConfig(audio::CONFIG_NET_BUFFER, 1000);
    engine_.SetConfig(audio::CONFIG_NET_TIMEOUT, 5000);
    engine_.SetConfig(audio::CONFIG_BUFFER, 1000);
    for (const audio::AddOnInfo& addOn : engine_.AddOns()) {
        PluginHandles.push_back(engine_.PluginLoad(addOn.name, audio::UNICODE));
        if (PluginHandles.back()) continue;
        int code = audio::Engine::ErrorGetCode();
        // A family this build has no decoder for is expected to refuse.
        common::log::line(addOn.available ? common::log::Level::warning : common::log::Level::info, "ui.audio",
                          "add-on ", addOn.name, " not loaded: ", code, " (", audio::describe(code), ")");
    }
    if (common::fileExists(form1_.Paths().PortablePath())) LoadNastr2();
    SelectPage(0);
    TreeViewMenu.Focused.set(true);
    return true;
}

void TForm2::LoadNastr2() {
    app::TMemIniFile ini(form1_.Paths().PortablePath());
    auto load = [&](TCheckBox& box) { box.Checked.set(ini.ReadBool(kOption, box.Name(), false)); };
    load(ProgressBox);
    load(RandomTrack);
    load(AutoNext);
    load(BaloonWindow);
    // Saved with the others, so read with them: the repeat mode survives a restart.
    load(RepeatSong);
    load(ShowCoverArts);
    RadioButton_Player.Checked.set(ini.ReadBool(kOption, RadioButton_Player.Name(), false));
    RadioButton_System.Checked.set(ini.ReadBool(kOption, RadioButton_System.Name(), false));

    // The equalizer: the stored slider positions must not select "Custom"
    // on their way, and the stored preset, applied last, has the final word.
    ApplyingPreset = true;
    load(chEqualizer);
    boxEQSelect.SelectIndex(ini.ReadInteger(kOption, boxEQSelect.Name(), boxEQSelect.ItemIndex()));
    for (TTrackBar* bar : EQSliders()) bar->Position.set(ini.ReadInteger(kOption, bar->Name(), bar->Position()));
    for (TCheckBox* box : {&chFlange, &chChorus, &chEcho, &chReverb, &BassEF, &RotateEF}) load(*box);
    chEqualizerClick();
    boxEQSelectChange();

    for (THotKey* key : {&HotKey_Next, &HotKey_Prev, &HotKey_Start, &HotKey_Play}) {
        int value = ini.ReadInteger(kOption, key->Name(), key->HotKey());
        if (key->HotKey.set(static_cast<TShortCut>(value))) key->OnChange();
    }
    form1_.Timer_TaskTrackGo.Enabled.set(false);
    RandomTrackClick();
    RepeatSongClick();
    if (RadioButton_Player.Checked() || RadioButton_System.Checked()) VolumeRadioClick();
}

void TForm2::SaveNastr2() {
    app::TMemIniFile ini(form1_.Paths().PortablePath());
    // Only the options this window has so far: the others keep their stored values.
    for (TCheckBox* box :
         {&ProgressBox, &RandomTrack, &AutoNext, &chEqualizer, &RepeatSong, &ShowCoverArts, &BaloonWindow})
        ini.WriteBool(kOption, box->Name(), box->Checked());
    ini.WriteBool(kOption, RadioButton_Player.Name(), RadioButton_Player.Checked());
    ini.WriteBool(kOption, RadioButton_System.Name(), RadioButton_System.Checked());
    for (TCheckBox* box : {&chFlange, &chChorus, &chEcho, &chReverb, &BassEF, &RotateEF})
        ini.WriteBool(kOption, box->Name(), box->Checked());
    ini.WriteInteger(kOption, boxEQSelect.Name(), boxEQSelect.ItemIndex());
    for (TTrackBar* bar : EQSliders()) ini.WriteInteger(kOption, bar->Name(), bar->Position());
    for (THotKey* key : {&HotKey_Next, &HotKey_Prev, &HotKey_Start, &HotKey_Play})
        ini.WriteInteger(kOption, key->Name(), key->HotKey());
    ini.UpdateFile();
}

void TForm2::Error(const std::string& message) {
    Application().dialogs().MessageBox(message, Application().Title(), MB_ICONWARNING);
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

void TForm2::RandomTrackClick() {
    form1_.RandomButton.ImageIndex.set(RandomTrack.Checked() ? TForm1::biRandom : TForm1::biRandomOff);
    if (RandomTrack.Checked()) form1_.RandomSongSG();
    form1_.UpdateNextTrackHints();
}

void TForm2::RepeatSongClick() {
    form1_.RepeatButton.ImageIndex.set(RepeatSong.Checked() ? TForm1::biRepeat : TForm1::biRepeatOff);
}

void TForm2::chEqualizerClick() {
    const bool on = chEqualizer.Checked();
    boxEQSelect.Enabled.set(on);
    for (TTrackBar* bar : EQSliders()) bar->Enabled.set(on);
    if (on) Effects.CurrentEffects |= seEqualizer;
    else Effects.CurrentEffects &= static_cast<TSNDEffects>(~seEqualizer);
    BASS_SetSoundEffects(Effects.CurrentEffects);
}

void TForm2::ProgressBoxClick() {
    if (ProgressBox.Checked()) {
        form1_.Taskbar1.ProgressMax.set(form1_.barSeek.Max());
        form1_.Taskbar1.ProgressValue.set(form1_.barSeek.Position());
        form1_.Taskbar1.ProgressState.set(TTaskbarProgress::tpsNormal);
    } else {
        form1_.Taskbar1.ProgressState.set(TTaskbarProgress::tpsNone);
        form1_.Taskbar1.Overlay.set(TTaskbarOverlay::toNone);
    }
}

void TForm2::VolumeRadioClick() {
    bool player = RadioButton_Player.Checked();
    form1_.barVolume.Visible.set(player);
    form1_.barVolumeSys.Visible.set(!player);
}

void TForm2::SelectPage(int index) {
    const auto& entries = TreeViewMenu.Items();
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    TreeViewMenu.Selected.set({index});
    PageControlOptions.ActivePageIndex.set(index);
    LabelInfo.Caption.set(entries[static_cast<size_t>(index)].Text);
}

void TForm2::TreeViewMenuChange() {
    // The page of an entry is the entry's place when the whole tree is read top to bottom.
    std::vector<std::pair<std::vector<int>, std::string>> entries;
    std::function<void(const std::vector<TTreeNode>&, std::vector<int>)> read = [&](const auto& nodes, auto path) {
        for (size_t i = 0; i < nodes.size(); ++i) {
            path.push_back(static_cast<int>(i));
            entries.emplace_back(path, nodes[i].Text);
            read(nodes[i].Children, path);
            path.pop_back();
        }
    };
    read(TreeViewMenu.Items(), {});
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].first != TreeViewMenu.Selected()) continue;
        PageControlOptions.ActivePageIndex.set(static_cast<int>(i));
        LabelInfo.Caption.set(entries[i].second);
    }
}

void TForm2::ButtonOKSettingsClick() {
    Close();
    SaveNastr2();
    form1_.SaveNastr();
}

void TForm2::ButtonCancelSettingsClick() {
    Close();
    // Reading the options again undoes what was changed, the effects with it.
    LoadNastr2();
}

}  // namespace ui
