// The settings window: the options that steer playback, the equalizer and
// the effects of the current channel, the hot keys the main window reads.
// It starts the audio engine when it is created.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "audio/engine.h"
#include "kit/controls.h"
#include "kit/form.h"
#include "player/soundeffects.h"

namespace ui {

class TForm1;

using player::seBass;
using player::seChorus;
using player::seEcho;
using player::seEqualizer;
using player::seFlange;
using player::seReverb;
using player::TEQArray;
using player::TSNDEffects;

class TForm2 : public TForm {
public:
    TForm2(TApplication& app, audio::Engine& engine, TForm1& form1);
    ~TForm2() override;

    // A tree of the pages on the left chooses the page on the right, whose
    // tabs are hidden; a page joins by being a sheet of PageControlOptions
    // and an entry of the tree at the same index.
    TPanel PanelButtons{this, "PanelButtons"};
    TButton ButtonOKSettings{&PanelButtons, "ButtonOKSettings", "Ok"};
    TButton ButtonCancelSettings{&PanelButtons, "ButtonCancelSettings", "Отмена"};
    TTreeView TreeViewMenu{this, "TreeViewMenu"};
    TPanel PanelPages{this, "PanelPages"};
    TLabel LabelInfo{&PanelPages, "LabelInfo"};
    TPageControl PageControlOptions{&PanelPages, "PageControlOptions"};

    TTabSheet PageGeneral{&PageControlOptions, "PageGeneral", "Основные"};
    TCheckBox ShowCoverArts{&PageGeneral, "ShowCoverArts", "Показать обложку файла"};
    TCheckBox ProgressBox{&PageGeneral, "ProgressBox", "Отображать прогресс на панели задач"};
    TCheckBox AutoNext{&PageGeneral, "AutoNext", "Авто переход на следующий трек"};
    TCheckBox RandomTrack{&PageGeneral, "RandomTrack", "Случайный трек в плейлисте"};
    TCheckBox RepeatSong{&PageGeneral, "RepeatSong", "Повтор выбранного трека"};
    TCheckBox BaloonWindow{&PageGeneral, "BaloonWindow", "Показать всплывающее окно с информацией"};

    TTabSheet PageEQ{&PageControlOptions, "PageEQ", "Эквалайзер"};
    TGroupBox GroupBoxEQ{&PageEQ, "GroupBoxEQ"};
    TComboBox boxEQSelect{&GroupBoxEQ, "boxEQSelect"};
    TCheckBox chEqualizer{&GroupBoxEQ, "chEqualizer", "(Вкл/Выкл)"};
    TGroupBox GroupBoxLevels{&PageEQ, "GroupBoxLevels"};
    TTrackBar TrackBar80Hz{&GroupBoxLevels, "TrackBar80Hz", -15, 15};
    TTrackBar TrackBar170Hz{&GroupBoxLevels, "TrackBar170Hz", -15, 15};
    TTrackBar TrackBar310Hz{&GroupBoxLevels, "TrackBar310Hz", -15, 15};
    TTrackBar TrackBar600Hz{&GroupBoxLevels, "TrackBar600Hz", -15, 15};
    TTrackBar TrackBar1000Hz{&GroupBoxLevels, "TrackBar1000Hz", -15, 15};
    TTrackBar TrackBar3000Hz{&GroupBoxLevels, "TrackBar3000Hz", -15, 15};
    TTrackBar TrackBar6000Hz{&GroupBoxLevels, "TrackBar6000Hz", -15, 15};
    TTrackBar TrackBar10000Hz{&GroupBoxLevels, "TrackBar10000Hz", -15, 15};
    TTrackBar TrackBar12000Hz{&GroupBoxLevels, "TrackBar12000Hz", -15, 15};
    TTrackBar TrackBar16000Hz{&GroupBoxLevels, "TrackBar16000Hz", -15, 15};
    TLabel Label80Hz{&GroupBoxLevels, "Label80Hz", "80"};
    TLabel Label170Hz{&GroupBoxLevels, "Label170Hz", "170"};
    TLabel Label310Hz{&GroupBoxLevels, "Label310Hz", "310"};
    TLabel Label600Hz{&GroupBoxLevels, "Label600Hz", "600"};
    TLabel Label1000Hz{&GroupBoxLevels, "Label1000Hz", "1 k"};
    TLabel Label3000Hz{&GroupBoxLevels, "Label3000Hz", "3 k"};
    TLabel Label6000Hz{&GroupBoxLevels, "Label6000Hz", "6 k"};
    TLabel Label10000Hz{&GroupBoxLevels, "Label10000Hz", "10 k"};
    TLabel Label12000Hz{&GroupBoxLevels, "Label12000Hz", "12 k"};
    TLabel Label16000Hz{&GroupBoxLevels, "Label16000Hz", "16 k"};
    TGroupBox GroupBoxEffects{&PageEQ, "GroupBoxEffects"};
    TCheckBox chFlange{&GroupBoxEffects, "chFlange", "Flange"};
    TCheckBox chChorus{&GroupBoxEffects, "chChorus", "Chorus"};
    TCheckBox chEcho{&GroupBoxEffects, "chEcho", "Echo"};
    TCheckBox chReverb{&GroupBoxEffects, "chReverb", "Reverberate"};
    TCheckBox BassEF{&GroupBoxEffects, "BassEF", "Bass"};
    TCheckBox RotateEF{&GroupBoxEffects, "RotateEF", "Rotate"};
    TGroupBox GroupBoxVolume{&PageEQ, "GroupBoxVolume"};
    TRadioButton RadioButton_Player{&GroupBoxVolume, "RadioButton_Player", "Встроенный регулятор"};
    TRadioButton RadioButton_System{&GroupBoxVolume, "RadioButton_System", "Системный регулятор"};

    TTabSheet PageHotKeys{&PageControlOptions, "PageHotKeys", "Горячие клавиши"};
    THotKey HotKey_Next{&PageHotKeys, "HotKey_Next"};
    THotKey HotKey_Prev{&PageHotKeys, "HotKey_Prev"};
    THotKey HotKey_Start{&PageHotKeys, "HotKey_Start"};
    THotKey HotKey_Play{&PageHotKeys, "HotKey_Play"};
    TTabSheet PagePlugin{&PageControlOptions, "PagePlugin", "Плагины"};

    // The band sliders, band 0 (80 Hz) first.
    std::array<TTrackBar*, 10> EQSliders() {
        return {&TrackBar80Hz,   &TrackBar170Hz,  &TrackBar310Hz,   &TrackBar600Hz,   &TrackBar1000Hz,
                &TrackBar3000Hz, &TrackBar6000Hz, &TrackBar10000Hz, &TrackBar12000Hz, &TrackBar16000Hz};
    }

    // The effect state of the current channel and the rotate sweep.
    player::TSoundEffects Effects;
    player::TRotate Rotate;
    // True while a preset or the stored settings move the sliders, so that
    // the moves do not select "Custom".
    bool ApplyingPreset = false;

    // What the add-ons' PluginLoad returned, in the engine's order (0 = refused).
    std::vector<audio::Handle> PluginHandles;

    // Starts the engine on `device` and loads the add-ons. False when the
    // engine cannot be used, after the error box: the program must end.
    bool FormCreate(int device);
    void LoadNastr2();
    void SaveNastr2();

    // Removes every effect from the main window's current channel.
    void BASS_RestoreSoundEffect();
    // Attaches the effects of the set to the current channel, afresh; the
    // rotate sweep, when on, moves to that channel too.
    void BASS_SetSoundEffects(TSNDEffects effects);
    void BASS_SetDefaultSoundEffect(TSNDEffects effects);
    // Moves each band slider to the negated gain; each slider that moves runs its handler.
    void SetEQValues(const TEQArray& gains);

    // Shows the page of a tree entry and puts the entry's text into LabelInfo.
    void SelectPage(int index);

    // A warning box titled with the application title.
    void Error(const std::string& message);

private:
    void layOut();
    void layOutEqualizer();
    void RandomTrackClick();
    void RepeatSongClick();
    void chEqualizerClick();
    void ProgressBoxClick();
    void VolumeRadioClick();
    void boxEQSelectChange();
    void TrackBarChange(size_t band);
    void effectClick(TCheckBox& box, player::TSNDEffect member);
    void RotateEFClick();
    void TreeViewMenuChange();
    void ButtonOKSettingsClick();
    void ButtonCancelSettingsClick();
    void sliderMouseDown(TTrackBar& bar, TMouseButton button, int y);

    audio::Engine& engine_;
    TForm1& form1_;
    TTrackBar* dragSlider_ = nullptr;  // the slider the left button holds, while it drags
};

}  // namespace ui
