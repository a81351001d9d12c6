#include "ui/tform2.h"

#include "app/inifile.h"
#include "common/files.h"
#include "common/log.h"
#include "ui/tform1.h"

namespace ui {

namespace {
constexpr const char* kOption = "Option";
constexpr TShortCut kKeyF1 = 0x70, kKeyF2 = 0x71, kKeySpace = 0x20, kKeyEnter = 0x0D;

// The four library effects run with the parameters a new effect of their
// type starts with: read them and write them back.
template <class Params>
void refreshParameters(audio::Engine& engine, audio::Handle fx) {
    Params p;
    if (fx && engine.FXGetParameters(fx, p)) engine.FXSetParameters(fx, p);
}
}  // namespace

TForm2::TForm2(TApplication& app, audio::Engine& engine, TForm1& form1)
    : TForm(app, "Form2"), engine_(engine), form1_(form1) {
    Caption.set("Настройки");
    GroupBoxVolume.Caption.set("Громкость");
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
}

TForm2::~TForm2() = default;

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
    load(chEqualizer);
    for (THotKey* key : {&HotKey_Next, &HotKey_Prev, &HotKey_Start, &HotKey_Play}) {
        int value = ini.ReadInteger(kOption, key->Name(), key->HotKey());
        if (key->HotKey.set(static_cast<TShortCut>(value))) key->OnChange();
    }
    form1_.Timer_TaskTrackGo.Enabled.set(false);
    chEqualizerClick();
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
    for (THotKey* key : {&HotKey_Next, &HotKey_Prev, &HotKey_Start, &HotKey_Play})
        ini.WriteInteger(kOption, key->Name(), key->HotKey());
    ini.UpdateFile();
}

void TForm2::Error(const std::string& message) {
    Application().dialogs().MessageBox(message, Application().Title(), MB_ICONWARNING);
}

void TForm2::BASS_RestoreSoundEffect() {
    audio::Handle channel = form1_.CurrentChannel;
    auto remove = [&](audio::Handle& fx) {
        if (fx && engine_.ChannelRemoveFX(channel, fx)) fx = 0;
    };
    for (audio::Handle* fx : {&FlangerFX, &ChorusFX, &EchoFX, &ReverbFX}) remove(*fx);
    for (audio::Handle& fx : EQBandFX) remove(fx);
}

void TForm2::BASS_SetSoundEffects(TSNDEffects effects) {
    BASS_RestoreSoundEffect();
    audio::Handle channel = form1_.CurrentChannel;
    auto create = [&](audio::Handle& fx, int type) {
        if (!fx) fx = engine_.ChannelSetFX(channel, type, 1);
    };
    if (effects & seFlange)
        create(FlangerFX, audio::FX_DX8_FLANGER), refreshParameters<audio::DX8Flanger>(engine_, FlangerFX);
    if (effects & seChorus)
        create(ChorusFX, audio::FX_DX8_CHORUS), refreshParameters<audio::DX8Chorus>(engine_, ChorusFX);
    if (effects & seEcho) create(EchoFX, audio::FX_DX8_ECHO), refreshParameters<audio::DX8Echo>(engine_, EchoFX);
    if (effects & seReverb)
        create(ReverbFX, audio::FX_DX8_REVERB), refreshParameters<audio::DX8Reverb>(engine_, ReverbFX);

    auto band = [&](size_t i, int gain) {
        create(EQBandFX[i], audio::FX_DX8_PARAMEQ);
        EQParams.fCenter = static_cast<float>(EQCenters[i]);
        EQParams.fGain = static_cast<float>(gain);
        engine_.FXSetParameters(EQBandFX[i], EQParams);
    };
    const bool bass = effects & seBass;
    if (effects & seEqualizer) {
        for (size_t i = 0; i < EQBandFX.size(); ++i)
            band(i, bass && i < BassBoostGains.size() ? BassBoostGains[i] : EQGains[i]);
    } else if (bass) {
        for (size_t i = 0; i < BassBoostGains.size(); ++i) band(i, BassBoostGains[i]);
    }
}

void TForm2::BASS_SetDefaultSoundEffect(TSNDEffects effects) {
    if (effects & seEqualizer) EQParams.fBandwidth = 2.5f;
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
    if (chEqualizer.Checked()) CurrentEffects |= seEqualizer;
    else CurrentEffects &= static_cast<TSNDEffects>(~seEqualizer);
    BASS_SetSoundEffects(CurrentEffects);
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

}  // namespace ui
