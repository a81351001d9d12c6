// The main window: the playlist, the transport, the cover and tag boxes, the
// spectrum, volume and balance, the main menu and the tray icon.
#pragma once

#include "ui/kit/controls.h"
#include "ui/kit/form.h"
#include "ui/kit/grid.h"
#include "ui/kit/menu.h"

namespace ui {

class TForm1 : public TForm {
public:
    explicit TForm1(TApplication& app);

    // Pictures of the 20 x 20 button image list, by index.
    enum ButtonImage {
        biStop = 1, biNext = 2, biPrevious = 3, biPause = 4, biDelete = 5, biPlaylists = 6, biRandom = 7,
        biRepeat = 8, biSoundOff = 9, biSound = 10, biMore = 11, biSettings = 15, biSort = 18, biAdd = 19, biPlay = 20,
    };

    // Top strip: the title line and the main menu button.
    TPanel TabMusicName{this, "TabMusicName"};
    TSpeedButton SpeedButton_GeneralMenu{&TabMusicName, "SpeedButton_GeneralMenu", "\u2261"};
    TLabel Label_ScrollText{&TabMusicName, "Label_ScrollText"};

    // Bottom strip: the seek bar.
    TPanel TabProgress{this, "TabProgress"};
    TTrackBar barSeek{&TabProgress, "barSeek", 0, 100};

    // Left column.
    TPanel TabApp{this, "TabApp"};
    TTabControl TabControlCoverArt{&TabApp, "TabControlCoverArt"};
    TImage ImageSubstrate{&TabControlCoverArt, "ImageSubstrate"};
    TImage ImageTAG{&TabControlCoverArt, "ImageTAG"};
    TLabel LabelImageTag{&TabControlCoverArt, "LabelImageTag"};
    TTabControl TabControlTagInfo{&TabApp, "TabControlTagInfo"};
    TLabel Label_Artist{&TabControlTagInfo, "Label_Artist"};
    TLabel Label_Title{&TabControlTagInfo, "Label_Title"};
    TLabel Label_Year{&TabControlTagInfo, "Label_Year"};

    // The four boxes anchored to the bottom of the left column, top to bottom.
    TPanel PanelVisual{&TabApp, "PanelVisual"};
    TPanel PanelVisualCaptions{&PanelVisual, "PanelVisualCaptions"};
    TLabel Label_Stereo{&PanelVisualCaptions, "Label_Stereo", "Stereo"};
    TLabel SizeCaption{&PanelVisualCaptions, "SizeCaption", "0 b"};
    TLabel HzCaption{&PanelVisualCaptions, "HzCaption", "0 kHz"};
    TLabel kbpsCaption{&PanelVisualCaptions, "kbpsCaption", "0 kbps"};
    TImage Image3{&PanelVisual, "Image3"};
    TPaintBox pb1{&PanelVisual, "pb1"};

    TPanel PanelSound{&TabApp, "PanelSound"};
    TLabel Label2{&PanelSound, "Label2", "Баланс"};
    TTrackBar balanceBar{&PanelSound, "balanceBar", -50, 50};
    TLabel Label1{&PanelSound, "Label1", "Громкость"};
    TTrackBar barVolume{&PanelSound, "barVolume", 0, 100};
    TTrackBar barVolumeSys{&PanelSound, "barVolumeSys", 0, 100};

    TPanel PanelTools{&TabApp, "PanelTools"};
    TComboBox ComboBox_Playlist{&PanelTools, "ComboBox_Playlist"};
    TSpeedButton OptionButton{&PanelTools, "OptionButton"};
    TSpeedButton RandomButton{&PanelTools, "RandomButton"};
    TSpeedButton RepeatButton{&PanelTools, "RepeatButton"};
    TSpeedButton SoundButton{&PanelTools, "SoundButton"};

    TPanel PanelTransport{&TabApp, "PanelTransport"};
    TSpeedButton PlayButton{&PanelTransport, "PlayButton"};
    TSpeedButton PauseButton{&PanelTransport, "PauseButton"};
    TSpeedButton StopButton{&PanelTransport, "StopButton"};
    TSpeedButton PrevButton{&PanelTransport, "PrevButton"};
    TSpeedButton NextButton{&PanelTransport, "NextButton"};
    TStatusBar StatusBarTime{&PanelTransport, "StatusBarTime"};

    // Right: the playlist.
    TPanel TabPlayList{this, "TabPlayList"};
    TStatusBar StatusBarInfo{&TabPlayList, "StatusBarInfo"};
    TPanel PanelPLButtons{&TabPlayList, "PanelPLButtons"};
    TSearchBox SearchBox1{&PanelPLButtons, "SearchBox1"};
    TSpeedButton SpeedButtonControlPL{&PanelPLButtons, "SpeedButtonControlPL"};
    TSpeedButton SpeedButtonAddToPL{&PanelPLButtons, "SpeedButtonAddToPL"};
    TSpeedButton SpeedButtonDelFromPL{&PanelPLButtons, "SpeedButtonDelFromPL"};
    TSpeedButton SpeedButtonSortPL{&PanelPLButtons, "SpeedButtonSortPL"};
    TSpeedButton SpeedButtonOther{&PanelPLButtons, "SpeedButtonOther"};
    TStringGrid StringGrid1{&TabPlayList, "StringGrid1", 4, 1};
    TStringGrid StringGrid2{&TabPlayList, "StringGrid2", 4, 1};

    // Timers.
    TTimer Timer_Play{this, "Timer_Play", 200, false};
    TTimer Timer_Radio{this, "Timer_Radio", 100, false};
    TTimer Timer_Draw{this, "Timer_Draw", 25, true};
    TTimer Timer_TaskTrackGo{this, "Timer_TaskTrackGo", 200, true};

    // Main menu.
    TPopupMenu PopupMenu_General{this, "PopupMenu_General"};
    TMenuItem ThemeMenu{this, "ThemeMenu", "Тема"};
    TMenuItem ThemeAuto{this, "ThemeAuto", "Системная"};
    TMenuItem ThemeLight{this, "ThemeLight", "Светлая"};
    TMenuItem ThemeDark{this, "ThemeDark", "Темная"};
    TMenuItem ThemeSky{this, "ThemeSky", "Sky"};
    TMenuItem ThemeLuna{this, "ThemeLuna", "Luna"};
    TMenuItem LanguageMenu{this, "LanguageMenu", "Язык"};
    TMenuItem OptionMenu{this, "OptionMenu", "Настройки"};
    TMenuItem FileInfoMenu{this, "FileInfoMenu", "Информация о файле"};
    TMenuItem CheckUpdateMenu{this, "CheckUpdateMenu", "Проверить обновления"};
    TMenuItem AboutMenu{this, "AboutMenu", "О программе"};

    // Tray icon and its menu.
    TTrayIcon TrayIcon1{this, "TrayIcon1"};
    TPopupMenu PopupMenuTray{this, "PopupMenuTray"};
    TMenuItem Version{this, "Version"};
    TMenuItem N1{this, "N1", "-"};
    TMenuItem ShowMainWindowTryMenu{this, "ShowMainWindowTryMenu", "Показать главное окно"};
    TMenuItem N2{this, "N2", "-"};
    TMenuItem PlayTryMenu{this, "PlayTryMenu", "Воспроизвести"};
    TMenuItem PauseTryMenu{this, "PauseTryMenu", "Пауза"};
    TMenuItem StopTryMenu{this, "StopTryMenu", "Стоп"};
    TMenuItem NextTryMenu{this, "NextTryMenu", "Следующий файл"};
    TMenuItem PrevTryMenu{this, "PrevTryMenu", "Предыдущий файл"};
    TMenuItem N3{this, "N3", "-"};
    TMenuItem OptionTryMenu{this, "OptionTryMenu", "Настройки"};
    TMenuItem N4{this, "N4", "-"};
    TMenuItem ExitTryMenu{this, "ExitTryMenu", "Выход"};

    // Column 1 takes the width that columns 0 and 2 and the scroll bar leave.
    void FormResize();

private:
    void layOut();
    void buildMenus();
};

}  // namespace ui
