// The main window's start-up and shutdown: settings, list files, command line.
#include <filesystem>

#include "app/firstrun.h"
#include "app/inifile.h"
#include "app/listfiles.h"
#include "app/version.h"
#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "ui/tform1.h"

namespace ui {

namespace {
constexpr const char* kOption = "Option";
}  // namespace

const app::TPaths& TForm1::Paths() {
    if (!paths_) paths_ = std::make_unique<app::TPaths>(system_);
    return *paths_;
}

void TForm1::TrimWorkingSet() { system_.TrimWorkingSet(); }

bool TForm1::RandomTrack() {
    if (Hooks.RandomTrack) return Hooks.RandomTrack();
    return app::TMemIniFile(Paths().PortablePath()).ReadBool(kOption, "RandomTrack", false);
}

void TForm1::FormCreate() {
    const app::TPaths& paths = Paths();  // decides portable mode, once
    std::string version = app::FileVersionText(system_, system_.ExecutablePath());
    Caption.set(Caption() + " " + version + " " + app::BuildWidthText() + (paths.PortableMode() ? " Portable" : ""));
    AcceptFiles.set(true);
    ImageTAG.Clear();
    Version.Caption.set(version + " " + app::BuildWidthText());
    for (TLabel* l : {&Label_Artist, &Label_Title, &Label_Year, &Label_Stereo}) l->Caption.set("");
    Label_ScrollText.Caption.set(Caption());
    FontApply();
    TFont font = StatusBarTime.Font();
    font.Size = 12;
    font.Bold = true;
    StatusBarTime.Font.set(font);
    if (!common::fileExists(paths.PortablePathM3U() + "default.m3u")) MenuAddFolderPlayList();
    UpdatePlayList();
    ComboBox_Playlist.SelectIndex(0);
    TrimWorkingSet();
}

void TForm1::FontApply() {
    if (!Hooks.LoadDisplayFont) return;
    std::string family = Hooks.LoadDisplayFont();
    if (family.empty()) return;
    TFont font = StatusBarTime.Font();
    font.Name = family;
    StatusBarTime.Font.set(font);
}

void TForm1::GlobLoadNastr() {
    std::string settings = Paths().PortablePath();
    // A first start speaks the desktop's language. A settings file that is
    // there but cannot be read is no first start: it is left alone.
    if (!common::pathExists(settings))
        app::WriteFirstRunTemplate(settings, app::FirstRunLanguage(system_.MessagesLocale()));
    LoadNastr();
    if (Hooks.LoadNastr2) Hooks.LoadNastr2();
}

void TForm1::LoadNastr() {
    app::TMemIniFile ini(Paths().PortablePath());

    for (TMenuItem* theme : {&ThemeAuto, &ThemeLight, &ThemeDark, &ThemeSky, &ThemeLuna}) {
        theme->Checked.set(ini.ReadBool(kOption, theme->Name(), false));
        if (theme->Checked()) theme->Click();
    }

    std::string window = ini.ReadString(kOption, "Window", "");
    if (window == "wsMaximized") {
        WindowState.set(TWindowState::wsMaximized);
    } else if (window == "wsNormal") {
        Top.set(ini.ReadInteger(kOption, "Top", Top()));
        Left.set(ini.ReadInteger(kOption, "Left", Left()));
        Height.set(ini.ReadInteger(kOption, "Height", Height()));
        Width.set(ini.ReadInteger(kOption, "Width", Width()));
        MinWidth.set(ini.ReadInteger(kOption, "MinWidth", 240));
        MinHeight.set(ini.ReadInteger(kOption, "MinHeight", 600));
    }

    UpdatePlayList();
    ComboBox_PlaylistChange();

    int song = ini.ReadInteger(kOption, "Song", 0);
    if (song >= 0 && song < StringGrid1.RowCount()) {
        StringGrid1.SetRow(song);
        int visibleRows = StringGrid1.Height() / std::max(1, StringGrid1.DefaultRowHeight());
        StringGrid1.SetTopRow(std::max(0, song - visibleRows / 2));
        if (StringGrid1.Enabled() && StringGrid1.Visible()) StringGrid1.Focused.set(true);
    }

    AlignColumns();

    std::string history = Paths().PortablePathMusic() + "song.ini";
    if (!common::fileExists(history)) app::SaveLines(history, {});
    LoadSong();
    if (common::fileExists(Paths().PortablePathMusic() + "randomsong.ini") && RandomTrack()) LoadSongRandom();

    TimeMode = ini.ReadInteger(kOption, "StartTime", TimeMode);
    barVolume.Position.set(ini.ReadInteger(kOption, "Volume", 100));
    PlayerVolumeMemo = barVolume.Position();
    SystemVolumeMemo = barVolumeSys.Position();
    balanceBar.Position.set(ini.ReadInteger(kOption, "Balans", 0));
}

void TForm1::SaveNastr() {
    app::TMemIniFile ini(Paths().PortablePath());
    ini.WriteInteger(kOption, "StartTime", TimeMode);
    ini.WriteInteger(kOption, "Volume", barVolume.Position());
    ini.WriteInteger(kOption, "Balans", balanceBar.Position());
    ini.WriteString(kOption, "Playlist", ComboBox_Playlist.Text());
    ini.WriteInteger(kOption, "Song", StringGrid1.Row());
    for (TMenuItem* theme : {&ThemeAuto, &ThemeLight, &ThemeDark, &ThemeSky, &ThemeLuna})
        ini.WriteBool(kOption, theme->Name(), theme->Checked());
    if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
    if (WindowState() == TWindowState::wsMaximized) {
        ini.WriteString(kOption, "Window", "wsMaximized");
    } else {
        // The size as it is, so that the next start opens the same window.
        ini.WriteString(kOption, "Window", "wsNormal");
        ini.WriteInteger(kOption, "Top", Top());
        ini.WriteInteger(kOption, "Left", Left());
        ini.WriteInteger(kOption, "Height", Height());
        ini.WriteInteger(kOption, "Width", Width());
        ini.WriteInteger(kOption, "MinWidth", MinWidth());
        ini.WriteInteger(kOption, "MinHeight", MinHeight());
    }
    ini.UpdateFile();
}

void TForm1::FormClose() {
    // The window closes all the same; each save logs its own failure, and an
    // exception that ends them is logged here.
    try {
        // A search or scan still running ends here; the rows it found are saved below.
        StopAdding();
        EndSearchFilter();  // the whole playlist, and the save a command left, before the saves below
        SaveNastr();
        if (Hooks.SaveNastr2) Hooks.SaveNastr2();
        SaveSong();
        SaveSongRandom();
        if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
        ReleaseAudio();
    } catch (...) {
        common::log::caught("ui.form1", "saving at exit");
    }
}

void TForm1::LoadSong() {
    if (auto lines = app::LoadLines(Paths().PortablePathMusic() + "song.ini")) MemoPlayHistory = std::move(*lines);
}

void TForm1::SaveSong() { app::SaveLines(Paths().PortablePathMusic() + "song.ini", MemoPlayHistory); }

void TForm1::LoadSongRandom() {
    if (auto lines = app::LoadLines(Paths().PortablePathMusic() + "randomsong.ini")) MemoRandomSong = std::move(*lines);
}

void TForm1::SaveSongRandom() { app::SaveLines(Paths().PortablePathMusic() + "randomsong.ini", MemoRandomSong); }

void TForm1::FormActivate() {
    AcceptFiles.set(true);
    // Only the first activation: later ones (after every dialog) would add
    // the folder again.
    if (commandLineDone_) return;
    commandLineDone_ = true;
    runCommandLine();
}

void TForm1::runCommandLine() {
    // The folder is the first argument that is not a switch; the first of
    // "/Open" and "/Add" says what to do with it.
    enum { none, open, add } action = none;
    std::string folder;
    for (const std::string& arg : ParamStr) {
        if (common::equalsNoCase(arg, "/Add") || common::equalsNoCase(arg, "/Open")) {
            if (action == none) action = common::equalsNoCase(arg, "/Add") ? add : open;
        } else if (!arg.starts_with("--") && folder.empty()) {
            folder = arg;
        }
    }
    // Without a folder that exists there is nothing to add, and no new playlist.
    if (action == none || folder.empty() || !common::directoryExists(folder)) return;
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(folder, ec).lexically_normal();
    std::string path = ec ? folder : absolute.string();
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    if (action == add) MenuAddFolderPlayList();
    if (Hooks.addfolderLoad) Hooks.addfolderLoad(path);
}

}  // namespace ui
