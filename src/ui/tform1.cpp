#include "ui/tform1.h"

#include <algorithm>

#include "image/imageloader.h"
#include "image/pictures.h"
#include "image/pictureworker.h"
#include "player/playlistgrid.h"
#include "tags/facade/tagslibrary.h"
#include "ui/tform2.h"

namespace ui {

TForm1::TForm1(TApplication& app, platform::System& system)
    : TForm1(app, system, std::make_unique<audio::Engine>(), nullptr) {}

TForm1::TForm1(TApplication& app, platform::System& system, audio::Engine& engine)
    : TForm1(app, system, nullptr, &engine) {}

TForm1::TForm1(TApplication& app, platform::System& system, std::unique_ptr<audio::Engine> own, audio::Engine* engine)
    : TForm(app, "Form1"), ownEngine_(std::move(own)), engine_(engine ? *engine : *ownEngine_), system_(system) {
    CoverLoader = &image::ImageLoader();
    Caption.set("Orvelin");
    // The title carries the version; these texts are the program's, made while it runs.
    TranslateCaption = false;
    RuntimeTextComponents = {"Version",      "Label_ScrollText", "TrayIcon1",     "barVolume",     "barVolumeSys",
                             "balanceBar",   "barSeek",          "LabelImageTag", "StatusBarInfo", "StatusBarTime",
                             "HzCaption",    "kbpsCaption",      "SizeCaption",   "Label_Stereo",  "Label_Title",
                             "Label_Artist", "Label_Year"};
    // The next button's hint names the next track once there is one.
    OnTranslated = [this] { UpdateNextTrackHints(); };
    layOut();
    buildMenus();
    bindTray();
    bindAdding();
    OnResize = [this] { FormResize(); };
    // The grid learns its new width only after the window has been laid out.
    StringGrid1.Width.observe([this](const int&) { FormResize(); });
    OnClose = [this] { FormClose(); };
    OnActivate = [this] { FormActivate(); };
    ComboBox_Playlist.OnChange = [this] { ComboBox_PlaylistChange(); };
    AddPLMenu.OnClick = [this] { AddPlaylist(); };
    OpenPLMenu.OnClick = [this] { OpenPlayList(); };
    UpdateListPLMenu.OnClick = [this] { UpdatePlayList(); };
    DelPLMenu.OnClick = [this] { DeletePlayList(); };
    SavePLMenu.OnClick = [this] { SavePLMenuClick(); };
    OptionMenu.OnClick = [this] { OptionMenuClick(); };
    OptionButton.OnClick = [this] { OptionMenuClick(); };
    OptionTryMenu.OnClick = [this] {
        if (Form2) Form2->Show();
    };
    bindTransport();
    bindSpectrum();
    // Last: it wraps the menus' commands made above.
    bindCommands();
}

TForm1::~TForm1() { stopRadio(); }

void TForm1::layOut() {
    SetBounds(327, 74, 743, 562);
    ClientWidth.set(743);
    ClientHeight.set(562);
    MinWidth.set(240);
    MinHeight.set(600);
    KeyPreview.set(true);

    TabMusicName.Align.set(TAlign::alTop);
    TabMusicName.Height.set(25);
    SpeedButton_GeneralMenu.Align.set(TAlign::alRight);
    SpeedButton_GeneralMenu.Width.set(25);
    SpeedButton_GeneralMenu.Hint.set("Меню");
    Label_ScrollText.Align.set(TAlign::alClient);
    Label_ScrollText.Alignment.set(TAlignment::taCenter);
    Label_ScrollText.EllipsisInMiddle.set(true);
    Label_ScrollText.Hint.set("Скопировать название в буфер обмена");

    TabProgress.Align.set(TAlign::alBottom);
    TabProgress.Height.set(35);
    barSeek.Align.set(TAlign::alClient);
    barSeek.Enabled.set(false);
    barSeek.TickMarks.set(false);

    TabApp.Align.set(TAlign::alLeft);
    TabApp.Width.set(225);
    TabControlCoverArt.Align.set(TAlign::alTop);
    TabControlCoverArt.Height.set(232);
    LabelImageTag.Align.set(TAlign::alBottom);
    LabelImageTag.Height.set(16);
    LabelImageTag.Alignment.set(TAlignment::taCenter);
    ImageSubstrate.Align.set(TAlign::alClient);
    image::ShowResourcePicture(ImageSubstrate, image::TResourcePicture::rpCoverPlaceholder, false);
    ImageTAG.Align.set(TAlign::alClient);
    ImageTAG.Proportional.set(true);
    ImageTAG.Center.set(true);
    // The placeholder stands in for a cover; it does not peek out around one.
    ImageTAG.Picture.observe([this](const TBitmapPtr& cover) { ImageSubstrate.Visible.set(!cover); });

    TabControlTagInfo.Align.set(TAlign::alTop);
    TabControlTagInfo.Height.set(72);
    for (TLabel* l : {&Label_Artist, &Label_Title, &Label_Year}) {
        l->Align.set(TAlign::alTop);
        l->Height.set(20);
        l->Alignment.set(TAlignment::taCenter);
        l->Font.set(TFont{"Segoe UI", 9, false});
    }

    PanelVisual.Align.set(TAlign::alBottom);
    PanelVisual.Height.set(64);
    PanelVisualCaptions.Align.set(TAlign::alRight);
    PanelVisualCaptions.Width.set(56);
    for (TLabel* l : {&Label_Stereo, &SizeCaption, &HzCaption, &kbpsCaption}) {
        l->Align.set(TAlign::alTop);
        l->Height.set(15);
        l->Font.set(TFont{"Tahoma", 7.5, true});
    }
    Image3.Align.set(TAlign::alClient);
    Image3.Stretch.set(true);
    pb1.Align.set(TAlign::alClient);

    PanelSound.Align.set(TAlign::alBottom);
    PanelSound.Height.set(58);
    Label2.SetBounds(4, 6, 70, 14);
    balanceBar.SetBounds(74, 0, 147, 26);
    balanceBar.TickMarks.set(false);
    balanceBar.Position.set(0);
    Label1.SetBounds(4, 34, 70, 14);
    barVolume.SetBounds(74, 28, 147, 26);
    barVolume.TickMarks.set(false);
    barVolume.Position.set(100);
    barVolumeSys.SetBounds(74, 28, 147, 26);
    barVolumeSys.Position.set(50);
    barVolumeSys.TickMarks.set(false);
    barVolumeSys.Visible.set(false);

    PanelTools.Align.set(TAlign::alBottom);
    PanelTools.Height.set(28);
    ComboBox_Playlist.Align.set(TAlign::alClient);
    ComboBox_Playlist.Style.set(TComboBoxStyle::csDropDownList);
    ComboBox_Playlist.Sorted.set(true);
    ComboBox_Playlist.Hint.set("Выбор плейлиста");
    struct ToolButton {
        TSpeedButton* button;
        const char* hint;
        int image;
    };
    const ToolButton tools[] = {
        {&OptionButton, "Настройки", biSettings},
        {&RandomButton, "Случайный порядок (Вкл/выкл)", biRandom},
        {&RepeatButton, "Повтор (Вкл/выкл)", biRepeat},
        {&SoundButton, "Звук (Вкл/выкл)", biSound},
    };
    for (const auto& t : tools) {
        t.button->Align.set(TAlign::alRight);
        t.button->Width.set(28);
        t.button->Hint.set(t.hint);
        t.button->ImageIndex.set(t.image);
    }

    PanelTransport.Align.set(TAlign::alBottom);
    PanelTransport.Height.set(30);
    const ToolButton transport[] = {
        {&PlayButton, "Воспроизвести", biPlay},  {&PauseButton, "Пауза", biPause},
        {&StopButton, "Стоп", biStop},           {&PrevButton, "Предыдущий файл", biPrevious},
        {&NextButton, "Следующий файл", biNext},
    };
    for (const auto& t : transport) {
        t.button->Align.set(TAlign::alLeft);
        t.button->Width.set(24);  // leaves the time display room for " 00:00:00" in its display font
        t.button->Hint.set(t.hint);
        t.button->ImageIndex.set(t.image);
    }
    StatusBarTime.Align.set(TAlign::alClient);
    StatusBarTime.Panels.set({TStatusPanel{" 00:00:00", 85, TAlignment::taCenter}});

    TabPlayList.Align.set(TAlign::alClient);
    StringGrid1.Align.set(TAlign::alClient);
    StringGrid1.DefaultRowHeight.set(17);
    StringGrid1.DefaultColWidth.set(40);
    StringGrid1.ColWidths.set({40, 300, 40, 40});
    StringGrid2.Visible.set(false);
    StatusBarInfo.Align.set(TAlign::alBottom);
    StatusBarInfo.Height.set(20);
    StatusBarInfo.Panels.set(
        {TStatusPanel{"0", 70}, TStatusPanel{"0 b", 70}, TStatusPanel{"00:00:00:00", 80}, TStatusPanel{"", 50}});
    PanelPLButtons.Align.set(TAlign::alBottom);
    PanelPLButtons.Height.set(28);
    SearchBox1.Align.set(TAlign::alClient);
    SearchBox1.TextHint.set("Поиск");
    const ToolButton playlistButtons[] = {
        {&SpeedButtonControlPL, "Управление плейлистами", biPlaylists},
        {&SpeedButtonAddToPL, "Добавить в плейлист", biAdd},
        {&SpeedButtonDelFromPL, "Удалить из плейлиста", biDelete},
        {&SpeedButtonSortPL, "Сортировать плейлист", biSort},
        {&SpeedButtonOther, "Разное", biMore},
    };
    for (const auto& t : playlistButtons) {
        t.button->Align.set(TAlign::alRight);
        t.button->Width.set(28);
        t.button->Hint.set(t.hint);
        t.button->ImageIndex.set(t.image);
    }
}

void TForm1::buildMenus() {
    for (TMenuItem* theme : {&ThemeAuto, &ThemeLight, &ThemeDark, &ThemeSky, &ThemeLuna}) {
        theme->RadioItem.set(true);
        theme->GroupIndex.set(1);
        ThemeMenu.Add(theme);
    }
    ThemeAuto.Checked.set(true);
    for (TMenuItem* item : {&ThemeMenu, &LanguageMenu, &OptionMenu, &FileInfoMenu, &CheckUpdateMenu, &AboutMenu})
        PopupMenu_General.Add(item);

    Version.Enabled.set(false);
    for (TMenuItem* item : {&Version, &N1, &ShowMainWindowTryMenu, &N2, &PlayTryMenu, &PauseTryMenu, &StopTryMenu,
                            &NextTryMenu, &PrevTryMenu, &N3, &OptionTryMenu, &N4, &ExitTryMenu})
        PopupMenuTray.Add(item);
    TrayIcon1.PopupMenu = &PopupMenuTray;
    ExitTryMenu.OnClick = [this] { Close(); };

    for (TMenuItem* item :
         {&AddPLMenu, &OpenPLMenu, &N5, &UpdateListPLMenu, &N6, &DelPLMenu, &SavePLMenu, &N7, &ManagerPLMenu})
        PopupMenuPL.Add(item);

    for (TMenuItem* item : {&LangQuestionDelFile,
                            &LangQuestionCleanStori,
                            &LangQuestionDelPL,
                            &LangQuestionDelAllPL,
                            &LangQuestionDelFilePL,
                            &LangQuestionCleanList,
                            &LangQuestionCleanDup,
                            &LangQuestionDelNotFile,
                            &LangAddFolder,
                            &LangAddPL,
                            &LangNamePL,
                            &LangQuestionRepCod,
                            &LangAttention,
                            &LangNoBASSDLL,
                            &LanrErrorAudio,
                            &LangDirectX8,
                            &LangSelectFolder,
                            &LangErrorWritingFile,
                            &LangReplaceFile,
                            &LangError,
                            &LangNoStationName,
                            &LangPasteURL,
                            &LangConfirmation,
                            &LangQuestionDelTag,
                            &LangErrorDelData,
                            &LangErrorSaveData,
                            &LangOpenInOrvelin,
                            &LangAddInOrvelin,
                            &LangOnlyWindows}) {
        item->Visible.set(false);
        PopupMenuLanguage.Add(item);
    }
}

void TForm1::OptionMenuClick() {
    if (!Form2) return;
    Form2->ShowModal();
    Form2->SelectPage(0);
}

void TForm1::FormResize() {
    const auto& widths = StringGrid1.ColWidths();
    if (widths.size() < 3 || StringGrid1.Width() <= 0) return;
    auto w = widths;
    w[1] = std::max(0, StringGrid1.Width() - w[0] - w[2] - 20);
    StringGrid1.ColWidths.set(std::move(w));
}

void TForm1::AlignColumns() {
    StringGrid1.ColAlignments.set(
        {TAlignment::taLeftJustify, TAlignment::taLeftJustify, TAlignment::taRightJustify, TAlignment::taLeftJustify});
    auto w = StringGrid1.ColWidths();
    w.resize(size_t(StringGrid1.ColCount()), StringGrid1.DefaultColWidth());
    w[0] = player::ColumnWidthAlign(StringGrid1, 0);
    w[2] = player::ColumnWidthAlign(StringGrid1, 2);
    StringGrid1.ColWidths.set(std::move(w));
    FormResize();
}

}  // namespace ui
