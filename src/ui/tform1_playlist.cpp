// The main window's playlist operations: the chooser, the playlist files and
// the statistics under the grid.
#include <cerrno>
#include <cstdio>

#include "app/inifile.h"
#include "common/files.h"
#include "common/log.h"
#include "player/m3u.h"
#include "player/playlistfolder.h"
#include "player/playlistgrid.h"
#include "ui/tform1.h"

namespace ui {

std::string TForm1::CurrentPlaylistFile() {
    // An empty chooser names no playlist (not a hidden ".m3u").
    const std::string& name = ComboBox_Playlist.Text();
    return name.empty() ? std::string() : Paths().PortablePathM3U() + name + ".m3u";
}

// While the search filter shows part of the playlist, the backup holds all of it.
void TForm1::SaveList(const std::string& path) { player::SaveList(path, filtering_ ? StringGrid2 : StringGrid1); }

void TForm1::setPlaylistBusy(bool busy) {
    ComboBox_Playlist.Enabled.set(!busy);
    TabPlayList.Enabled.set(!busy);
}

void TForm1::loadPlaylistFile(const std::string& path) {
    player::M3UToStringGridAdvanced(path, StringGrid1);
    DeleteEmptyRowTrak();
}

void TForm1::UpdatePlayList() {
    ComboBox_Playlist.Clear();
    player::ListFileDir(Paths().PortablePathM3U(), "*.m3u", true, ComboBox_Playlist);
    app::TMemIniFile ini(Paths().PortablePath());
    ComboBox_Playlist.SelectIndex(player::IndexOfPlaylist(ComboBox_Playlist, ini.ReadString("Option", "Playlist", "")));
}

void TForm1::MenuAddFolderPlayList() {
    std::string folder = Paths().PortablePathM3U();
    std::string name = player::GenerateUniqueM3UFileName(folder);
    SaveList(folder + name);
    UpdatePlayList();
    ComboBox_Playlist.SelectIndex(player::IndexOfPlaylist(ComboBox_Playlist, player::ExtractOnlyFileName(name)));
}

void TForm1::AddPlaylist() {
    EndSearchFilter();
    std::string name;
    if (!Application().dialogs().InputQuery(LangAddPL.Caption(), LangNamePL.Caption(), name) || name.empty()) return;
    std::string folder = Paths().PortablePathM3U();
    // Names that would leave the folder, and names that differ from an
    // existing playlist only in case (they would share its chooser item).
    if (!player::IsValidPlaylistName(name) || player::PlaylistExists(folder, name)) return;
    ComboBox_Playlist.Add(name);
    ComboBox_Playlist.SelectIndex(player::IndexOfPlaylist(ComboBox_Playlist, name));

    EmptyPlaylist();

    std::string file = folder + name + ".m3u";
    SaveList(file);
    player::M3UToStringGridAdvanced(file, StringGrid1);
    // Else the search filter would bring back the previous playlist's rows.
    CopyStringGrid();
}

void TForm1::OpenPlayList() {
    EndSearchFilter();
    if (!OpenDialogPlaylist.Execute()) return;
    std::string chosen = OpenDialogPlaylist.FileName();
    if (std::string current = CurrentPlaylistFile(); !current.empty()) SaveList(current);
    setPlaylistBusy(true);

    // A ".m3u8" is imported as "name.m3u", the form every playlist of the
    // folder has, so that the chooser can name it.
    std::string name = player::ExtractOnlyFileName(chosen);
    std::string copy = Paths().PortablePathM3U() + name + ".m3u";
    if (player::IsValidPlaylistName(name) && player::ImportPlaylistFile(chosen, copy)) {
        UpdatePlayList();
        ComboBox_Playlist.SelectIndex(player::IndexOfPlaylist(ComboBox_Playlist, name));
        DeleteEmptyRowTrak();
        loadPlaylistFile(copy);
        SaveList(copy);
        RefreshStatistics();
        RandomSongSG();
        CopyStringGrid();
        TrimWorkingSet();
    }
    setPlaylistBusy(false);
}

void TForm1::ComboBox_PlaylistChange() {
    EndSearchFilter();
    setPlaylistBusy(true);
    std::string file = CurrentPlaylistFile();
    if (!file.empty() && common::fileExists(file)) {
        StringGrid1.ClearCells();
        StringGrid1.SetRowCount(0);
        loadPlaylistFile(file);
        RefreshStatistics();
        RandomSongSG();
        CopyStringGrid();
    }
    setPlaylistBusy(false);
    TrimWorkingSet();
    UpdateNextTrackHints();
}

void TForm1::DeletePlayList() {
    EndSearchFilter();
    if (ComboBox_Playlist.Items().size() <= 1) return;  // the last playlist stays
    std::string file = CurrentPlaylistFile();
    if (file.empty()) return;
    // The whole name: a dot in it is not an extension here.
    std::string question = LangQuestionDelPL.Caption() + " " + ComboBox_Playlist.Text() + "?";
    if (Application().dialogs().MessageBox(question, LangAttention.Caption(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (common::fileExists(file) && std::remove(file.c_str()) != 0) {
        common::log::error("ui.playlist", "cannot delete \"", file, "\": ", common::log::systemError(errno));
        return;
    }
    // Gone from the disk already or just now: either way it leaves the chooser,
    // so that the save below cannot bring it back.
    ComboBox_Playlist.Delete(ComboBox_Playlist.ItemIndex());
    ComboBox_Playlist.SelectIndex(0);
    if (std::string next = CurrentPlaylistFile(); !next.empty() && common::fileExists(next)) loadPlaylistFile(next);
    TracksNumberSG();
    RefreshStatistics();
    RandomSongSG();
    CopyStringGrid();
    TrimWorkingSet();
    SaveNastr();
}

void TForm1::SavePLMenuClick() {
    if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
}

void TForm1::CopyStringGrid() { player::CopyStringGrid(StringGrid1, StringGrid2); }
void TForm1::TracksNumberSG() { player::TracksNumberSG(StringGrid1); }
void TForm1::DeleteEmptyRow() { player::DeleteEmptyRow(StringGrid1); }

void TForm1::DeleteEmptyRowTrak() {
    player::DeleteEmptyRowTrak(StringGrid1, [this](const std::string& title) { StatusBarInfo.SetPanelText(3, title); });
    StatusBarInfo.SetPanelText(3, "");
}

void TForm1::SongNumberSG() { StatusBarInfo.SetPanelText(0, player::SongNumberText(StringGrid1)); }
void TForm1::SizeTrackSG() { StatusBarInfo.SetPanelText(1, player::SizeTrackText(StringGrid1)); }
void TForm1::longTimeSG() { StatusBarInfo.SetPanelText(2, player::LongTimeText(StringGrid1)); }

void TForm1::RefreshStatistics() {
    SongNumberSG();
    player::TPlaylistTotals totals = player::PlaylistTotals(StringGrid1);
    StatusBarInfo.SetPanelText(1, player::SizeText(totals));
    StatusBarInfo.SetPanelText(2, player::DurationText(totals));
}

}  // namespace ui
