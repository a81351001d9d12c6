// The settings window: the options that steer playback, the hot keys the
// main window reads, and the effect state of the current channel. It starts
// the audio engine when it is created.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "audio/engine.h"
#include "kit/controls.h"
#include "kit/form.h"

namespace ui {

class TForm1;

// The active effects, one bit each, as the settings keep them in one byte.
enum TSNDEffect : uint8_t {
    seFlange = 0x01,
    seChorus = 0x02,
    seEcho = 0x04,
    seReverb = 0x08,
    seBass = 0x10,
    seEqualizer = 0x20,
};
using TSNDEffects = uint8_t;
using TEQArray = std::array<int8_t, 10>;

class TForm2 : public TForm {
public:
    TForm2(TApplication& app, audio::Engine& engine, TForm1& form1);
    ~TForm2() override;

    TPageControl PageControlOptions{this, "PageControlOptions"};
    TTabSheet PageGeneral{&PageControlOptions, "PageGeneral", "Основные"};
    TCheckBox ShowCoverArts{&PageGeneral, "ShowCoverArts", "Показать обложку файла"};
    TCheckBox ProgressBox{&PageGeneral, "ProgressBox", "Отображать прогресс на панели задач"};
    TCheckBox AutoNext{&PageGeneral, "AutoNext", "Авто переход на следующий трек"};
    TCheckBox RandomTrack{&PageGeneral, "RandomTrack", "Случайный трек в плейлисте"};
    TCheckBox RepeatSong{&PageGeneral, "RepeatSong", "Повтор выбранного трека"};
    TCheckBox BaloonWindow{&PageGeneral, "BaloonWindow", "Показать всплывающее окно с информацией"};
    TTabSheet PageEQ{&PageControlOptions, "PageEQ", "Эквалайзер"};
    TCheckBox chEqualizer{&PageEQ, "chEqualizer", "(Вкл/Выкл)"};
    TGroupBox GroupBoxVolume{&PageEQ, "GroupBoxVolume"};
    TRadioButton RadioButton_Player{&GroupBoxVolume, "RadioButton_Player", "Встроенный регулятор"};
    TRadioButton RadioButton_System{&GroupBoxVolume, "RadioButton_System", "Системный регулятор"};
    TTabSheet PageHotKeys{&PageControlOptions, "PageHotKeys", "Горячие клавиши"};
    THotKey HotKey_Next{&PageHotKeys, "HotKey_Next"};
    THotKey HotKey_Prev{&PageHotKeys, "HotKey_Prev"};
    THotKey HotKey_Start{&PageHotKeys, "HotKey_Start"};
    THotKey HotKey_Play{&PageHotKeys, "HotKey_Play"};
    TTabSheet PagePlugin{&PageControlOptions, "PagePlugin", "Плагины"};

    // Effect state of the current channel.
    TSNDEffects CurrentEffects = 0;
    TEQArray EQGains{};
    audio::DX8ParamEq EQParams{0, 2.5f, 0};  // shared by every band; the centre and gain are set per band
    audio::Handle FlangerFX = 0, ChorusFX = 0, EchoFX = 0, ReverbFX = 0;
    std::array<audio::Handle, 10> EQBandFX{};
    static constexpr std::array<int32_t, 10> EQCenters{80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 16000};
    static constexpr std::array<int32_t, 3> BassBoostGains{4, 3, 2};

    // What the add-ons' PluginLoad returned, in the engine's order (0 = refused).
    std::vector<audio::Handle> PluginHandles;

    // Starts the engine on `device` and loads the add-ons. False when the
    // engine cannot be used, after the error box: the program must end.
    bool FormCreate(int device);
    void LoadNastr2();
    void SaveNastr2();

    // Removes every effect from the current channel; a handle whose removal
    // fails is kept.
    void BASS_RestoreSoundEffect();
    // Attaches the effects of the set to the current channel, afresh.
    void BASS_SetSoundEffects(TSNDEffects effects);
    void BASS_SetDefaultSoundEffect(TSNDEffects effects);

    // A warning box titled with the application title.
    void Error(const std::string& message);

private:
    void RandomTrackClick();
    void RepeatSongClick();
    void chEqualizerClick();
    void ProgressBoxClick();
    void VolumeRadioClick();

    audio::Engine& engine_;
    TForm1& form1_;
};

}  // namespace ui
