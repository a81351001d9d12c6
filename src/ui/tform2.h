// The settings window: the options that steer playback and the main window,
// the equalizer and the effects of the current channel, the keyboard
// shortcuts of the main window's commands, the folder menu of the file
// managers and the list of add-ons. It starts the audio engine when it is
// created.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "audio/engine.h"
#include "kit/controls.h"
#include "kit/form.h"
#include "kit/grid.h"
#include "kit/menu.h"
#include "platform/foldermenu.h"
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
    TGroupBox GroupBoxMain{&PageGeneral, "GroupBoxMain"};
    TCheckBox ShowCoverArts{&GroupBoxMain, "ShowCoverArts", "Показать обложку файла"};
    TCheckBox CheckBox_ShowPL{&GroupBoxMain, "CheckBox_ShowPL", "Показать плейлист"};
    TCheckBox ProgressBox{&GroupBoxMain, "ProgressBox", "Отображать прогресс на панели задач"};
    TCheckBox CheckBox_LinesPL{&GroupBoxMain, "CheckBox_LinesPL", "Показать сетку плейлиста"};
    TCheckBox TaskTrackGo{&GroupBoxMain, "TaskTrackGo", "Бегущая строка"};
    TGroupBox GroupBoxAutomation{&PageGeneral, "GroupBoxAutomation"};
    TCheckBox AutoNext{&GroupBoxAutomation, "AutoNext", "Авто переход на следующий трек"};
    TCheckBox RandomTrack{&GroupBoxAutomation, "RandomTrack", "Случайный трек в плейлисте"};
    TCheckBox RepeatSong{&GroupBoxAutomation, "RepeatSong", "Повтор выбранного трека"};
    TGroupBox GroupBoxTray{&PageGeneral, "GroupBoxTray"};
    TCheckBox TrayIcon{&GroupBoxTray, "TrayIcon", "Показывать значок в области уведомлений"};
    TCheckBox TrayIconMinimize{&GroupBoxTray, "TrayIconMinimize", "Сворачивать в область уведомлений"};
    TCheckBox BaloonWindow{&GroupBoxTray, "BaloonWindow", "Показать всплывающее окно с информацией"};
    TCheckBox CheckBoxColorTrayIcon{&GroupBoxTray, "CheckBoxColorTrayIcon", "Цветная иконка в трее"};
    TGroupBox GroupBoxIntegration{&PageGeneral, "GroupBoxIntegration"};
    TCheckBox CheckBoxFolderMenu{&GroupBoxIntegration, "CheckBoxFolderMenu", "Интеграция в меню папок"};
    TGroupBox GroupBoxWindowPosition{&PageGeneral, "GroupBoxWindowPosition"};
    TCheckBox PlayerWindowCenter{&GroupBoxWindowPosition, "PlayerWindowCenter", "Окно плеера по центру"};

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

    // Each field's hint is its name on screen; the label before it shows
    // that hint.
    TTabSheet PageHotKeys{&PageControlOptions, "PageHotKeys", "Горячие клавиши"};
    TLabel LabelHotKey_Next{&PageHotKeys, "LabelHotKey_Next"};
    THotKey HotKey_Next{&PageHotKeys, "HotKey_Next"};
    TLabel LabelHotKey_Prev{&PageHotKeys, "LabelHotKey_Prev"};
    THotKey HotKey_Prev{&PageHotKeys, "HotKey_Prev"};
    TLabel LabelHotKey_Start{&PageHotKeys, "LabelHotKey_Start"};
    THotKey HotKey_Start{&PageHotKeys, "HotKey_Start"};
    TLabel LabelHotKey_FileInfo{&PageHotKeys, "LabelHotKey_FileInfo"};
    THotKey HotKey_FileInfo{&PageHotKeys, "HotKey_FileInfo"};
    TLabel LabelHotKey_Play{&PageHotKeys, "LabelHotKey_Play"};
    THotKey HotKey_Play{&PageHotKeys, "HotKey_Play"};
    TLabel LabelHotKey_Option{&PageHotKeys, "LabelHotKey_Option"};
    THotKey HotKey_Option{&PageHotKeys, "HotKey_Option"};
    TLabel LabelHotKey_AddPL{&PageHotKeys, "LabelHotKey_AddPL"};
    THotKey HotKey_AddPL{&PageHotKeys, "HotKey_AddPL"};
    TLabel LabelHotKey_OpenPL{&PageHotKeys, "LabelHotKey_OpenPL"};
    THotKey HotKey_OpenPL{&PageHotKeys, "HotKey_OpenPL"};
    TLabel LabelHotKey_SavePL{&PageHotKeys, "LabelHotKey_SavePL"};
    THotKey HotKey_SavePL{&PageHotKeys, "HotKey_SavePL"};
    TLabel LabelHotKey_ClearSpisok{&PageHotKeys, "LabelHotKey_ClearSpisok"};
    THotKey HotKey_ClearSpisok{&PageHotKeys, "HotKey_ClearSpisok"};
    TLabel LabelHotKey_ClearHistory{&PageHotKeys, "LabelHotKey_ClearHistory"};
    THotKey HotKey_ClearHistory{&PageHotKeys, "HotKey_ClearHistory"};
    TLabel LabelHotKey_DelFile{&PageHotKeys, "LabelHotKey_DelFile"};
    THotKey HotKey_DelFile{&PageHotKeys, "HotKey_DelFile"};
    TLabel LabelHotKey_DelFilePL{&PageHotKeys, "LabelHotKey_DelFilePL"};
    THotKey HotKey_DelFilePL{&PageHotKeys, "HotKey_DelFilePL"};
    TLabel LabelHotKey_NonEx{&PageHotKeys, "LabelHotKey_NonEx"};
    THotKey HotKey_NonEx{&PageHotKeys, "HotKey_NonEx"};
    TLabel LabelHotKey_DuplFile{&PageHotKeys, "LabelHotKey_DuplFile"};
    THotKey HotKey_DuplFile{&PageHotKeys, "HotKey_DuplFile"};
    TLabel LabelHotKey_BrowseFile{&PageHotKeys, "LabelHotKey_BrowseFile"};
    THotKey HotKey_BrowseFile{&PageHotKeys, "HotKey_BrowseFile"};
    TLabel LabelHotKey_AddFile{&PageHotKeys, "LabelHotKey_AddFile"};
    THotKey HotKey_AddFile{&PageHotKeys, "HotKey_AddFile"};
    TLabel LabelHotKey_AddFolder{&PageHotKeys, "LabelHotKey_AddFolder"};
    THotKey HotKey_AddFolder{&PageHotKeys, "HotKey_AddFolder"};
    TLabel LabelHotKey_AddURL{&PageHotKeys, "LabelHotKey_AddURL"};
    THotKey HotKey_AddURL{&PageHotKeys, "HotKey_AddURL"};
    // Shown, disabled and empty: these toggles have their buttons only.
    TLabel LabelHotKey_Sound{&PageHotKeys, "LabelHotKey_Sound"};
    THotKey HotKey_Sound{&PageHotKeys, "HotKey_Sound"};
    TLabel LabelHotKey_Repeat{&PageHotKeys, "LabelHotKey_Repeat"};
    THotKey HotKey_Repeat{&PageHotKeys, "HotKey_Repeat"};
    TLabel LabelHotKey_Random{&PageHotKeys, "LabelHotKey_Random"};
    THotKey HotKey_Random{&PageHotKeys, "HotKey_Random"};
    TButton Button_Reset2{&PageHotKeys, "Button_Reset2", "Сброс"};

    // One row per add-on family of the engine: file name, description,
    // decoder version, extensions, whether this build decodes it.
    TTabSheet PagePlugin{&PageControlOptions, "PagePlugin", "Плагины"};
    TPanel PanelPlugHeader{&PagePlugin, "PanelPlugHeader"};
    TLabel LabelPlugName{&PanelPlugHeader, "LabelPlugName", "Файл"};
    TLabel LabelPlugDescription{&PanelPlugHeader, "LabelPlugDescription", "Описание"};
    TLabel LabelPlugVersion{&PanelPlugHeader, "LabelPlugVersion", "Версия"};
    TLabel LabelPlugExtensions{&PanelPlugHeader, "LabelPlugExtensions", "Расширения"};
    TLabel LabelPlugAvailable{&PanelPlugHeader, "LabelPlugAvailable", "Доступен"};
    TStringGrid StringGridPlug{&PagePlugin, "StringGridPlug", 5, 0};
    enum TPlugColumn { pcName, pcDescription, pcVersion, pcExtensions, pcAvailable };

    // This window's message texts: captions of hidden items, translated by
    // name like any other caption. "%s" stands for what the message names.
    TPopupMenu PopupMenuMessages{this, "PopupMenuMessages"};
    TMenuItem LangHotKeyTaken{this, "LangHotKeyTaken", "Сочетание %s уже назначено команде «%s». Выберите другое."};
    TMenuItem LangHotKeyModifiers{this, "LangHotKeyModifiers",
                                  "Команде «%s» можно назначить только клавишу без модификаторов или с Shift."};

    // The band sliders, band 0 (80 Hz) first.
    std::array<TTrackBar*, 10> EQSliders() {
        return {&TrackBar80Hz,   &TrackBar170Hz,  &TrackBar310Hz,   &TrackBar600Hz,   &TrackBar1000Hz,
                &TrackBar3000Hz, &TrackBar6000Hz, &TrackBar10000Hz, &TrackBar12000Hz, &TrackBar16000Hz};
    }

    // A shortcut field, its value before any setting, and the main window's
    // menu items that take its shortcut. Items the main window does not have
    // are skipped: the field is stored all the same.
    struct THotKeyCommand {
        THotKey TForm2::*Field;
        TShortCut Initial;
        std::vector<const char*> MenuItems;
    };
    // The nineteen stored fields, in the order they are saved.
    static const std::vector<THotKeyCommand>& HotKeyCommands();
    std::vector<THotKey*> HotKeys();

    // The effect state of the current channel and the rotate sweep.
    player::TSoundEffects Effects;
    player::TRotate Rotate;
    // True while a preset or the stored settings move the sliders, so that
    // the moves do not select "Custom".
    bool ApplyingPreset = false;

    // What the add-ons' PluginLoad returned, one per row of StringGridPlug (0 = refused).
    std::vector<audio::Handle> PluginHandles;

    // Whether the folder menu was in place when the settings were last read
    // or written.
    bool FPrevEmbedMenuState = false;
    // The main window's width to give back when the playlist shows again.
    int RememberedWidth = 0;

    // Set before FormCreate. Without a folder menu service the box does nothing.
    platform::FolderMenu* FolderMenuService = nullptr;
    // True when the desktop prefers dark colours; light while unset.
    std::function<bool()> DesktopPrefersDark;

    // Starts the engine on `device` and loads the add-ons. False when the
    // engine cannot be used, after the error box: the program must end.
    bool FormCreate(int device);
    // Reads every option and applies it; a settings file that cannot be read
    // leaves everything as it is.
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

    // The folder menu with the texts of the current language; false when it
    // could not be written (the box stays as the user set it).
    bool RegisterContextMenu();
    bool UnregisterContextMenu();
    // After another interface language was chosen: the folder menu follows.
    void LanguageChanged();
    // The tray icon's picture: in colour when ticked, else the one that
    // stands out on the desktop's panel.
    void CheckBoxColorTrayIconClick();

    // A field changed by the user: refused, with a message, when another
    // command has that key or the command takes no such modifiers; else its
    // menu items take it at once.
    void HotKeyChange(THotKey& key);
    // Every field back to its initial value.
    void Button_Reset2Click();
    // Esc closes without saving or reading; Enter in a shortcut field gives
    // it Enter (the field cannot take the window's key itself), elsewhere it
    // is Ok's.
    void FormShortCut(uint16_t key, TShiftState shift, bool& handled);

    // A warning box titled with the application title.
    void Error(const std::string& message);

private:
    void layOut();
    void layOutGeneral();
    void layOutEqualizer();
    void layOutHotKeys();
    void layOutPlugins();
    void FillPlugins();
    void plugColumns();
    void hotKeyLabels();
    void RandomTrackClick();
    void RepeatSongClick();
    void chEqualizerClick();
    void ProgressBoxClick();
    void VolumeRadioClick();
    void ShowCoverArtsClick();
    void CheckBox_ShowPLClick();
    void CheckBox_LinesPLClick();
    void TrayIconClick();
    void CheckBoxFolderMenuClick();
    void PlayerWindowCenterClick();
    void boxEQSelectChange();
    void TrackBarChange(size_t band);
    void effectClick(TCheckBox& box, player::TSNDEffect member);
    void RotateEFClick();
    void TreeViewMenuChange();
    void ButtonOKSettingsClick();
    void ButtonCancelSettingsClick();
    void sliderMouseDown(TTrackBar& bar, TMouseButton button, int y);
    // Gives each field's shortcut to its menu items.
    void applyHotKey(THotKey& key);
    void applyAllHotKeys();

    audio::Engine& engine_;
    TForm1& form1_;
    TTrackBar* dragSlider_ = nullptr;  // the slider the left button holds, while it drags
    bool loading_ = false;             // LoadNastr2 runs: the folder menu box only follows what is there
    std::map<const THotKey*, TShortCut> acceptedKeys_;  // what each field's menu items have now
};

}  // namespace ui
