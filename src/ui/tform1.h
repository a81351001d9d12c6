// The main window: the playlist, the transport, the cover and tag boxes, the
// spectrum, volume and balance, the main menu and the tray icon.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/paths.h"
#include "audio/engine.h"
#include "kit/controls.h"
#include "kit/form.h"
#include "kit/grid.h"
#include "kit/menu.h"
#include "platform/desktop.h"
#include "platform/system.h"
#include "platform/trash.h"
#include "platform/urlprobe.h"
#include "spectrum/spectrum.h"

namespace tags {
class TTags;
}
namespace image {
class TImageLoader;
class TPictureWorker;
}  // namespace image

namespace ui {

class TForm2;

enum class TTaskbarProgress { tpsNone, tpsIndeterminate, tpsNormal, tpsError, tpsPaused };
enum class TTaskbarOverlay { toNone, toPlay, toPause };

// What the desktop's task bar shows for the player: progress and an overlay.
struct TTaskbarModel {
    Property<TTaskbarProgress> ProgressState{TTaskbarProgress::tpsNone};
    Property<int> ProgressValue{0}, ProgressMax{100};
    Property<TTaskbarOverlay> Overlay{TTaskbarOverlay::toNone};
    Property<std::string> NextHint;  // the next button's hint
};

class TForm1 : public TForm {
public:
    // Without an engine of its own the window plays nothing (models of the
    // other windows' tests).
    TForm1(TApplication& app, platform::System& system);
    TForm1(TApplication& app, platform::System& system, audio::Engine& engine);
    ~TForm1() override;

    // Pictures of the 20 x 20 button image list, by index.
    enum ButtonImage {
        biStop = 1,
        biNext = 2,
        biPrevious = 3,
        biPause = 4,
        biDelete = 5,
        biPlaylists = 6,
        biRandom = 7,
        biRepeat = 8,
        biSoundOff = 9,
        biSound = 10,
        biRandomOff = 11,
        biRepeatOff = 12,
        biMore = 14,
        biSettings = 15,
        biSort = 18,
        biAdd = 19,
        biPlay = 20,
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
    // The cover box: the drawn placeholder, the cover over it (empty while
    // there is none) and the cover's size line (tform1_cover.cpp).
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

    // Playlist operations, opened above SpeedButtonControlPL.
    TPopupMenu PopupMenuPL{this, "PopupMenuPL"};
    TMenuItem AddPLMenu{this, "AddPLMenu", "Добавить плейлист"};
    TMenuItem OpenPLMenu{this, "OpenPLMenu", "Открыть плейлист"};
    TMenuItem N5{this, "N5", "-"};
    TMenuItem UpdateListPLMenu{this, "UpdateListPLMenu", "Обновить список"};
    TMenuItem N6{this, "N6", "-"};
    TMenuItem DelPLMenu{this, "DelPLMenu", "Удалить плейлист"};
    TMenuItem SavePLMenu{this, "SavePLMenu", "Сохранить плейлист"};
    TMenuItem N7{this, "N7", "-"};
    TMenuItem ManagerPLMenu{this, "ManagerPLMenu", "Управление плейлистами"};
    TOpenDialog OpenDialogPlaylist{this, "OpenDialogPlaylist", "Плейлист|*.m3u;*.m3u8"};

    // Adding media: the add menu above SpeedButtonAddToPL, the grid's context
    // menu with the same items under AddMenu, and the "Разное" menu.
    TPopupMenu PopupMenuAdd{this, "PopupMenuAdd"};
    TMenuItem AddFileMenu1{this, "AddFileMenu1", "Добавить файлы"};
    TMenuItem AddFolderMenu1{this, "AddFolderMenu1", "Добавить папку"};
    TMenuItem AddURLMenu1{this, "AddURLMenu1", "Добавить URL"};
    TPopupMenu PopupMenuPlayList{this, "PopupMenuPlayList"};
    TMenuItem AddMenu{this, "AddMenu", "Добавить"};
    TMenuItem AddFileMenu{this, "AddFileMenu", "Добавить файлы"};
    TMenuItem AddFolderMenu{this, "AddFolderMenu", "Добавить папку"};
    TMenuItem AddURLMenu{this, "AddURLMenu", "Добавить URL"};
    TPopupMenu PopupMenuOther{this, "PopupMenuOther"};
    TMenuItem MenuItemUpdateTags{this, "MenuItemUpdateTags", "Перечитать теги (медиа данные)"};
    TOpenDialog OpenDialogFile{this, "OpenDialogFile"};

    // Editing the playlist (tform1_commands.cpp): the sort and delete menus
    // above their buttons, and the grid's context menu around AddMenu.
    TPopupMenu PopupMenuPLSort{this, "PopupMenuPLSort"};
    TMenuItem SortbyNameMenu{this, "SortbyNameMenu", "Сортировка по названию"};
    TMenuItem SortbyDurationMenu{this, "SortbyDurationMenu", "Сортировка по длительности"};
    TMenuItem SortRandomlyMenu{this, "SortRandomlyMenu", "Сортировать случайно"};
    TPopupMenu PopupMenuDelete{this, "PopupMenuDelete"};
    TMenuItem DeleteNonExistentMenu{this, "DeleteNonExistentMenu", "Удалить несуществующие"};
    TMenuItem DeleteDuplicatesMenu{this, "DeleteDuplicatesMenu", "Удалить дубликаты"};
    TMenuItem ClearlistMenu{this, "ClearlistMenu", "Очистить список"};
    TMenuItem ClearHistoryMenu{this, "ClearHistoryMenu", "Очистить историю"};
    TMenuItem PlayMenu{this, "PlayMenu", "Воспроизвести"};
    TMenuItem FileLocationMenu{this, "FileLocationMenu", "Расположение файла"};
    TMenuItem CopyToMenu{this, "CopyToMenu", "Копировать в ..."};
    TMenuItem CopyToClipboardMenu{this, "CopyToClipboardMenu", "Копировать файл в буфер обмена"};
    TMenuItem DeleteFileFromListMenu{this, "DeleteFileFromListMenu", "Удалить файл из списка"};
    TMenuItem DeleteFileFromDiskMenu{this, "DeleteFileFromDiskMenu", "Удалить файл с диска"};
    TMenuItem FileInfoPLMenu{this, "FileInfoPLMenu", "Информация о файле"};

    // Message texts: captions of hidden items, so language files translate
    // them by name like any other caption.
    TPopupMenu PopupMenuLanguage{this, "PopupMenuLanguage"};
    TMenuItem LangQuestionDelFile{this, "LangQuestionDelFile", "Вы действительно хотите удалить файл с диска?"};
    TMenuItem LangQuestionCleanStori{this, "LangQuestionCleanStori", "Вы действительно хотите очистить историю?"};
    TMenuItem LangQuestionDelPL{this, "LangQuestionDelPL", "Вы действительно хотите удалить плейлист:"};
    TMenuItem LangQuestionDelAllPL{this, "LangQuestionDelAllPL", "Вы действительно хотите удалить все плейлисты?"};
    TMenuItem LangQuestionDelFilePL{this, "LangQuestionDelFilePL", "Вы действительно хотите удалить файл из списка?"};
    TMenuItem LangQuestionCleanList{this, "LangQuestionCleanList", "Вы действительно хотите очистить список?"};
    TMenuItem LangQuestionCleanDup{this, "LangQuestionCleanDup",
                                   "Операция необратима. Вы действительно хотите удалить дубликаты?"};
    TMenuItem LangQuestionDelNotFile{this, "LangQuestionDelNotFile",
                                     "Операция необратима. Вы действительно хотите удалить несуществующие треки?"};
    TMenuItem LangAddFolder{this, "LangAddFolder", "Выберите папку с файлами:"};
    TMenuItem LangAddPL{this, "LangAddPL", "Добавить плейлист"};
    TMenuItem LangNamePL{this, "LangNamePL", "Введите название плейлиста"};
    TMenuItem LangQuestionRepCod{this, "LangQuestionRepCod",
                                 "Не рекомендуется, если шрифты отображаются правильно. Действие необратимо! "
                                 "Исправить кодировку?"};
    TMenuItem LangAttention{this, "LangAttention", "Внимание!"};
    TMenuItem LangNoBASSDLL{this, "LangNoBASSDLL", "Некорректная версия BASS.DLL"};
    TMenuItem LanrErrorAudio{this, "LanrErrorAudio", "Ошибка инициализация аудио"};
    TMenuItem LangDirectX8{this, "LangDirectX8", "DirectX 8.0 не установлен на Вашем компьютере"};
    TMenuItem LangSelectFolder{this, "LangSelectFolder", "Выберите папку:"};
    TMenuItem LangErrorWritingFile{this, "LangErrorWritingFile", "Ошибка записи файла!"};
    TMenuItem LangReplaceFile{this, "LangReplaceFile", "Заменить файл:"};
    TMenuItem LangError{this, "LangError", "Ошибка!"};
    TMenuItem LangNoStationName{this, "LangNoStationName", "Нет Названия станции"};
    TMenuItem LangPasteURL{this, "LangPasteURL", "Вставьте URL"};
    TMenuItem LangConfirmation{this, "LangConfirmation", "Подтверждение"};
    TMenuItem LangQuestionDelTag{this, "LangQuestionDelTag", "Вы хотите удалить тег"};
    TMenuItem LangErrorDelData{this, "LangErrorDelData", "Ошибка удаления данных!"};
    TMenuItem LangErrorSaveData{this, "LangErrorSaveData", "Ошибка сохранения данных"};
    TMenuItem LangOpenInOrvelin{this, "LangOpenInOrvelin", "Открыть в Orvelin"};
    TMenuItem LangAddInOrvelin{this, "LangAddInOrvelin", "Добавить в Orvelin"};
    TMenuItem LangOnlyWindows{this, "LangOnlyWindows", "Эта программа совместима только с Windows 10 и Windows 11."};
    TMenuItem LangErrorTrash{this, "LangErrorTrash", "Не удалось переместить файл в корзину:"};
    TMenuItem LangBadURL{this, "LangBadURL", "Адрес должен начинаться с http:// или https://"};
    TMenuItem LangRadioConnecting{this, "LangRadioConnecting", "Подключение к станции..."};
    TMenuItem LangRadioReconnecting{this, "LangRadioReconnecting", "Связь со станцией потеряна, переподключение..."};

    // The play history and the random order: 1-based row numbers, one per line.
    std::vector<std::string> MemoPlayHistory;
    std::vector<std::string> MemoRandomSong;
    int TimeMode = 0;                                   // what the time display shows: 0 remaining, 1 elapsed
    int PlayerVolumeMemo = 100, SystemVolumeMemo = 50;  // restored by un-muting
    // The command-line arguments, without the program itself.
    std::vector<std::string> ParamStr;

    // Seams that later windows and subsystems fill. Until then each empty one
    // does what the first-run settings imply.
    struct THooks {
        std::function<void()> LoadNastr2, SaveNastr2;  // the settings window's own keys
        std::function<bool()> RandomTrack;             // its random-order box (else the stored key)
        // Adds a folder's media, subfolders included, to the current playlist.
        std::function<void(const std::string& folder)> addfolderLoad;
        // Loads the time display's font; its family, or empty when it failed.
        std::function<std::string()> LoadDisplayFont;
        // Playback's calls into the notification window; each does nothing
        // until that window fills it.
        std::function<void()> ShowNotification, CloseNotification;
        // The notification window's copy of the cover: the bitmap shown, or
        // null when the cover is cleared.
        std::function<void(const TBitmapPtr& cover)> NotificationPicture;
        std::function<bool()> TagEditorShowing;
        std::function<void()> ShowTagEditor;  // for the selected row's file
        // After the user chose another interface language: the folder menu's
        // texts follow it.
        std::function<void()> LanguageChanged;
    } Hooks;

    // The settings window, once it exists: playback reads its options.
    TForm2* Form2 = nullptr;
    // The desktop's file manager and clipboard, and the trash (none: the
    // commands that need them do nothing, or tell that the file stays).
    platform::Desktop* DesktopService = nullptr;
    platform::Trash* TrashService = nullptr;
    TTaskbarModel Taskbar1;

    // Playback state (tform1_transport*.cpp).
    enum TChannelType { ctUnknown, ctStream, ctMusic, ctSample };
    audio::Handle CurrentChannel = 0;
    TChannelType ChannelType = ctUnknown;
    std::string CurrentFile;
    int PlayState = 0;  // 0 stopped, 1 playing, 2 paused
    // False while the program moves the seek bar, so that only the user's moves seek.
    bool SeekArmed = true;
    bool SoundMuted = false;
    std::string ScrollTitle;
    std::string TagArtist, TagTitle, TagAlbum, TagYear, TagGenre;  // of the playing file
    std::string StreamTitle, StationName;                          // of the playing radio stream

    audio::Engine& Engine() { return engine_; }
    // The tag facade that describes the playing file.
    tags::TTags& PlayingTags();

    // The cover box (tform1_cover.cpp). Shows the playing file's first front
    // cover, or else its first picture that decodes, scaled to the box. The
    // decode runs on a worker after the sound has started; the cover appears
    // when the UI thread handles its result.
    void ListCoverArts();
    // Empties the box; a decode still running shows nothing.
    void clearCover();
    // Blocks until the cover being decoded is done, then lets the UI thread
    // show it (tests, benchmarks, pictures of the window).
    void WaitForCover();
    // The decoder the cover box uses; tests point it at one without its library.
    const image::TImageLoader* CoverLoader = nullptr;

    // Start-up and shutdown (tform1_startup.cpp).
    void FormCreate();
    void GlobLoadNastr();
    void LoadNastr();
    void SaveNastr();
    void FormClose();
    void FormActivate();
    void LoadSong();
    void SaveSong();
    void LoadSongRandom();
    void SaveSongRandom();
    void FontApply();
    void TrimWorkingSet();
    bool RandomTrack();
    const app::TPaths& Paths();

    // Adding media (tform1_add*.cpp). The searches and the tag scan run on
    // worker threads; an operation ends on the UI thread once they are done.
    void AddFileMenuClick();
    void AddFolderMenuClick();
    // Searches a folder, subfolders included, into the current playlist and saves it.
    void addfolderLoad(const std::string& folder);
    // Appends a folder's matching files to the grid, then runs done.
    void SearchFilesAndAddToStringGrid(const std::string& folder, const std::vector<std::string>& masks,
                                       bool subfolders, std::function<void()> done);
    void FormDropFiles(const std::vector<std::string>& names);
    // Statistics, renumbering, the tag scan, total time, random order, backup copy.
    void PostProcessing(std::function<void()> done = {});
    // The tag and length scan of every row, then done.
    void addMedia(std::function<void()> done = {});
    void MenuItemUpdateTagsClick();
    // True while an add operation or a scan runs.
    bool Adding() const;
    // Ends what adding runs now, keeping the rows found so far (shutdown).
    void StopAdding();
    // Opens the URL window to add a stream, once that window exists.
    std::function<void()> OnAddURL;
    // The URL window on a stream row, modal; the copy window for the selected row.
    std::function<void(int row)> OnEditURL;
    std::function<void()> OnCopyTo;
    // The playlist manager, modal.
    std::function<void()> OnManagePlaylists;
    // Files the last tag scan measured afresh rather than from what it knew.
    int LastScanDecoded() const;

    // Playlists (tform1_playlist.cpp).
    // Playlist folder + chooser text + ".m3u"; empty while no playlist is chosen.
    std::string CurrentPlaylistFile();
    void SaveList(const std::string& path);
    void UpdatePlayList();
    void MenuAddFolderPlayList();
    void AddPlaylist();
    void OpenPlayList();
    void ComboBox_PlaylistChange();
    void DeletePlayList();
    void SavePLMenuClick();
    void CopyStringGrid();
    void TracksNumberSG();
    void DeleteEmptyRowTrak();
    void DeleteEmptyRow();
    void SongNumberSG();
    void SizeTrackSG();
    void longTimeSG();
    // Panels 0, 1 and 2 at once.
    void RefreshStatistics();
    void RandomSongSG();
    void UpdateNextTrackHints();
    // Duration right-aligned, columns 0 and 2 fitted, column 1 the rest.
    void AlignColumns();

    // Editing the playlist (tform1_commands.cpp). Every command that changes
    // the rows first ends the search filter, so that it works on (and saves)
    // the whole playlist, and does nothing while adding media runs.
    void SortbyNameMenuClick();
    void SortbyDurationMenuClick();
    void SortRandomlyMenuClick();
    void DeleteFileFromListMenuClick();
    void DeleteFileFromDiskMenuClick();
    void DeleteNonExistentMenuClick();
    void DeleteDuplicatesMenuClick();
    void ClearlistMenuClick();
    void ClearHistoryMenuClick();
    void FileLocationMenuClick();
    void CopyToClipboardMenuClick();
    void CopyToMenuClick();
    void FileInfoPLMenuClick();
    // The grid shows the backup rows whose title holds the search text; an
    // empty text brings the whole playlist back.
    void SearchBox1Change();
    // Empties the search box: the whole playlist again, the selected entry kept.
    void EndSearchFilter();
    bool Filtering() const { return filtering_; }
    // What the last command left for later: its save (written on the next
    // turn of the UI thread, and at the latest before anything changes or
    // replaces the rows) and the size and duration panels, counted on a worker.
    bool CommandsPending() const;
    // The tool buttons' menu flags cleared and the buttons up.
    void ReleaseToolButtons();
    // No rows, no history, no random order (both files saved), the panels at zero.
    void EmptyPlaylist();

    // Column 1 takes the width that columns 0 and 2 and the scroll bar leave.
    void FormResize();
    // The settings window, modal; it opens on its first page the next time.
    void OptionMenuClick();

    // Playback (tform1_transport.cpp).
    // Opens a file as the current channel and starts it; false when no
    // creator takes it or it has 8-bit samples.
    bool OpenChannel(const std::string& file);
    void audioPlay();
    void PlayMusicSG();
    void MenuPlaySG();
    void PauseMusic();
    void StopMusic();
    void NextFileSG();
    void PreviousFile();
    void Timer_PlayTimer();
    // 0 stopped, 1 playing, 2 stalled, 3 paused.
    uint32_t ChannelActivity();
    int64_t ChannelLengthMs();
    int64_t ChannelPositionMs();
    void SeekToMs(int64_t ms);
    // The audio engine's part of the shutdown.
    void ReleaseAudio();

    // Internet radio (tform1_radio.cpp). A row whose location is an HTTP(S)
    // URL and no file plays as a stream. The probe and the connection run on
    // a worker, so a slow or dead server never holds up the window; the title
    // line says so meanwhile.
    // Blocks; the radio itself calls it on its worker.
    bool UrlReachable(const std::string& location);
    // Opens the playing row's URL as a stream.
    void Radio();
    // Starts the opened stream.
    void ContinuePlayback();
    // Metadata, headers and labels, every 100 ms; a stream that drops is
    // opened again a few times, waiting longer each time.
    void Timer_RadioTimer();
    // True while a stream connects (or waits to connect again).
    bool RadioConnecting() const;
    // Blocks until the radio's worker is done, then lets the UI thread handle
    // what it posted (tests).
    void WaitForRadio();
    platform::TUrlProbeOptions RadioProbeOptions;
    // The radio's clock for its time display; tests set the time by hand.
    std::function<std::chrono::steady_clock::time_point()> RadioClock = [] { return std::chrono::steady_clock::now(); };
    std::chrono::steady_clock::time_point RadioStartTime;
    // Attempts to open a dropped stream again, and the wait before the first
    // (in radio timer ticks); each later wait is twice the one before.
    int RadioReconnectAttempts = 5, RadioReconnectFirstWaitTicks = 10;

    // The transport's controls (tform1_transport_controls.cpp).
    void barSeekChange();
    void barVolumeChange();
    void balanceBarChange();
    void SoundButtonClick();
    void RandomButtonClick();
    void RepeatButtonClick();
    void StatusBarTimeClick();
    void FormShortCut(uint16_t key, TShiftState shift, bool& handled);
    void TechnicalLabels();

    // The spectrum (tform1_spectrum.cpp): one frame per tick of Timer_Draw,
    // into pb1's picture. The timer runs only while the window can be seen
    // and something plays or bars are still falling.
    void Timer_DrawTimer();
    // Light: black bars and peaks on white; dark: white on 0x303030.
    void SetSpectrumColors(bool dark);
    // The theme items: the clicked one is ticked and sets the spectrum's colours.
    void ThemeMenuClick(TMenuItem& item);
    // Null until the first frame is drawn.
    const spectrum::TSpectrum* Spectrum() const { return spectrum_.get(); }

private:
    TForm1(TApplication& app, platform::System& system, std::unique_ptr<audio::Engine> own, audio::Engine* engine);
    void layOut();
    void buildMenus();
    // Minimising to the tray and coming back from it (tform1_tray.cpp).
    void bindTray();
    // Reads a playlist file into the grid and drops its dead rows.
    void loadPlaylistFile(const std::string& path);
    // The chooser and the playlist panel, off while an operation runs.
    void setPlaylistBusy(bool busy);
    void runCommandLine();
    void bindTransport();
    void afterStart();
    void popNotification();  // closes and shows the notification window again, when enabled
    void startStream(int row);
    void showTaskbarProgress();
    void showTitle();
    void setPlayingRowTitle(const std::string& title);
    void listCover();
    void appendHistory(int row);
    void applyEqualizerSetting();
    void moveSeekBar(int position);  // a move of the program's, which does not seek
    void showPlayProgress();
    bool isStream(const std::string& location);
    bool setting(TCheckBox TForm2::*box) const;
    void trackBarMouseDown(TTrackBar& bar, TMouseButton button, int x);
    void trackBarMouseWheel(TTrackBar& bar, int delta);
    // The keyboard's media keys; false for any other key.
    bool mediaKey(uint16_t key);

    std::unique_ptr<audio::Engine> ownEngine_;  // only when none was handed in
    audio::Engine& engine_;
    std::unique_ptr<tags::TTags> playingTags_;
    struct TTechTexts {
        std::string size, rate, kbps;  // "3 MB", "44.1 kHz", "320 kbps"
    };
    TTechTexts techTexts();
    std::mt19937 random_{std::random_device{}()};
    int playingRow_ = -1;           // the row whose file CurrentFile is
    std::string playingLocation_;   // that row's location when it started (a stream's URL, too)
    bool startKeyPauses_ = true;    // the start key's toggle: the first press pauses
    TTrackBar* dragBar_ = nullptr;  // the bar the left button holds, while it drags
    platform::System& system_;
    std::unique_ptr<app::TPaths> paths_;
    bool commandLineDone_ = false;

    // The spectrum (tform1_spectrum.cpp).
    void bindSpectrum();
    spectrum::TSpectrum& ensureSpectrum();
    void drawSpectrum(const spectrum::TFFTData& data, bool pauseStop);
    // Runs Timer_Draw exactly when a frame could show something new.
    void spectrumWake();
    std::unique_ptr<spectrum::TSpectrum> spectrum_;
    std::shared_ptr<TBitmap> spectrumPicture_;  // pb1's picture, redrawn in place
    bool spectrumDark_ = false;
    bool spectrumStale_ = true;  // the picture does not yet show the current colours

    // Editing (tform1_commands.cpp).
    void bindCommands();
    // A playlist edit may start: nothing is being added, and no filter hides rows.
    bool readyToEdit();
    bool confirm(const TMenuItem& question, const std::string& detail = {});
    void toolButtonClick(size_t index, TSpeedButton& button, TPopupMenu& menu);
    // The play history, the random order and the playing row follow their
    // entries through a map of old rows to new ones (-1: gone).
    void remapRows(const std::vector<int>& map);
    void reorderRows(const std::vector<int>& order, bool renumber);
    void removeRow(int row);
    // Removes the flagged rows at once, with what follows every such removal.
    void removeRows(const std::vector<bool>& remove);
    void afterRowRemoval();
    void saveCurrentPlaylist();
    // The change made to the grid, and to the backup as well when it held
    // the same rows (far cheaper than a copy); else the backup becomes a copy.
    void changeRows(const std::function<void(TStringGrid&)>& change);
    void saveSoon();
    void flushPendingSave();
    void refreshTotalsSoon();
    std::string pendingSave_;  // the playlist file a save is due for
    struct TTotalsJob;
    std::shared_ptr<TTotalsJob> totals_;
    // Posted continuations of the commands run only while the window lives.
    std::shared_ptr<char> commandsAlive_ = std::make_shared<char>();
    // Whether the row's location is a stream URL or an existing file.
    bool selectedStream(std::string& location);
    bool selectedFile(std::string& location);
    // The menu-open flags of the main menu button and the five tool buttons.
    std::array<bool, 6> menuOpen_{};
    bool filtering_ = false;
    std::vector<int> filterRows_;  // the backup row of each row shown while filtering

    // Adding media's running operations and what the scans know (tform1_add.cpp).
    struct TAdding;
    void bindAdding();
    void runNextOperation();
    bool importDroppedPlaylist(const std::string& name, const std::string& file);
    void postProcessing(bool useCache, std::function<void()> done);
    void scanRows(bool useCache, std::function<void()> done);
    void startScan();
    std::shared_ptr<TAdding> adding_;

    // The radio (tform1_radio.cpp).
    struct TRadioJob;
    void startRadioJob(bool probe);
    void radioConnected(const std::shared_ptr<TRadioJob>& job);
    void cancelRadio();
    void radioDropped();
    void showRadioLabels();
    void stopRadio();                                    // cancels every connection and joins its thread
    std::shared_ptr<TRadioJob> radioJob_;                // the connection under way, if any
    std::vector<std::shared_ptr<TRadioJob>> radioJobs_;  // every worker not yet joined
    std::string radioUrl_;                               // what the radio plays, as sent to the network
    int radioAttempt_ = 0;                               // reconnections tried since the stream last opened
    int radioWaitTicks_ = -1;                            // ticks until the next reconnection; -1 none planned
    int radioHealthyTicks_ = 0;                          // ticks played since the last reconnection
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    // Last, so that it stops before anything its results touch goes away.
    std::unique_ptr<image::TPictureWorker> coverWorker_;
};

}  // namespace ui
