// The general page: what each option does to the main window as it changes,
// the tray icon's picture and the file managers' folder menu.
#include "app/inifile.h"
#include "common/log.h"
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

namespace {
constexpr int kCoverMinHeight = 600, kNoCoverMinHeight = 330, kPlaylistlessWidth = 240;
enum TTrayImage { tiDark = 0, tiLight = 1, tiColour = 2 };
}  // namespace

void TForm2::ShowCoverArtsClick() {
    if (ShowCoverArts.Checked()) {
        form1_.MinHeight.set(kCoverMinHeight);
        form1_.TabControlCoverArt.Visible.set(true);
        form1_.ListCoverArts();
    } else {
        form1_.MinHeight.set(kNoCoverMinHeight);
        form1_.clearCover();
        form1_.TabControlCoverArt.Visible.set(false);
    }
}

void TForm2::CheckBox_ShowPLClick() {
    // Without the playlist the window is the left column alone.
    form1_.MinHeight.set(kCoverMinHeight);
    form1_.MinWidth.set(kPlaylistlessWidth);
    if (CheckBox_ShowPL.Checked()) {
        form1_.MaxWidth.set(0);
        if (RememberedWidth > 0) form1_.Width.set(RememberedWidth);
    } else {
        form1_.MaxWidth.set(kPlaylistlessWidth);
        form1_.Width.set(kPlaylistlessWidth);
    }
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

void TForm2::CheckBox_LinesPLClick() { form1_.StringGrid1.GridLineWidth.set(CheckBox_LinesPL.Checked() ? 1 : 0); }

void TForm2::RandomTrackClick() {
    form1_.RandomButton.ImageIndex.set(RandomTrack.Checked() ? TForm1::biRandom : TForm1::biRandomOff);
    if (RandomTrack.Checked()) form1_.RandomSongSG();
    form1_.UpdateNextTrackHints();
}

void TForm2::RepeatSongClick() {
    form1_.RepeatButton.ImageIndex.set(RepeatSong.Checked() ? TForm1::biRepeat : TForm1::biRepeatOff);
}

void TForm2::TrayIconClick() {
    const bool on = TrayIcon.Checked();
    form1_.TrayIcon1.Visible.set(on);
    // Minimising to an icon that is not there would lose the window.
    TrayIconMinimize.Enabled.set(on);
    if (!on) TrayIconMinimize.Checked.set(false);
}

void TForm2::CheckBoxColorTrayIconClick() {
    if (CheckBoxColorTrayIcon.Checked()) {
        form1_.TrayIcon1.IconIndex.set(tiColour);
        return;
    }
    // One preference rules both the panel and the applications here.
    const bool dark = DesktopPrefersDark && DesktopPrefersDark();
    form1_.TrayIcon1.IconIndex.set(dark ? tiLight : tiDark);
}

void TForm2::PlayerWindowCenterClick() {
    if (PlayerWindowCenter.Checked()) {
        TRect area = Application().host().WorkArea();
        if (area.Width <= 0 || area.Height <= 0) return;
        form1_.Left.set(area.Left + (area.Width - form1_.Width()) / 2);
        form1_.Top.set(area.Top + (area.Height - form1_.Height()) / 2);
        return;
    }
    app::TMemIniFile ini(form1_.Paths().PortablePath());
    if (ini.ReadFailed()) return;
    form1_.Left.set(ini.ReadInteger("Option", "Left", form1_.Left()));
    form1_.Top.set(ini.ReadInteger("Option", "Top", form1_.Top()));
}

void TForm2::CheckBoxFolderMenuClick() {
    // Written once, at the click; reading the settings only shows what is there.
    if (CheckBoxFolderMenu.Checked() == FPrevEmbedMenuState) return;
    if (CheckBoxFolderMenu.Checked()) RegisterContextMenu();
    else UnregisterContextMenu();
    // A failed write leaves the box as the user set it.
    FPrevEmbedMenuState = CheckBoxFolderMenu.Checked();
}

bool TForm2::RegisterContextMenu() {
    if (!FolderMenuService) return false;
    if (FolderMenuService->Register({form1_.LangOpenInOrvelin.Caption(), form1_.LangAddInOrvelin.Caption()}))
        return true;
    common::log::warn("ui.settings", "the folder menu could not be written whole");
    return false;
}

bool TForm2::UnregisterContextMenu() {
    if (!FolderMenuService) return false;
    if (FolderMenuService->Unregister()) return true;
    common::log::warn("ui.settings", "the folder menu could not be removed whole");
    return false;
}

void TForm2::LanguageChanged() {
    if (CheckBoxFolderMenu.Checked()) RegisterContextMenu();
}

}  // namespace ui
