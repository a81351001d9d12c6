// The main window's editing of the playlist: sorting, removing rows and
// files, duplicates and dead rows, clearing, the search filter, the row
// commands of the grid's menu, and the tool buttons that open the menus.
//
// Row numbers kept elsewhere (the play history, the random order, the row
// that plays) follow their entries through every change of order or removal,
// so that Previous and the random order still name the entries they named.
#include <algorithm>
#include <thread>

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "player/m3u.h"
#include "player/playlistcommands.h"
#include "player/playlistgrid.h"
#include "player/workerlink.h"
#include "ui/tform1.h"

namespace ui {

namespace {
constexpr TShortCut kKeyEnter = 0x0D, kKeyDelete = 0x2E, kKeyF4 = 0x73;
}  // namespace

void TForm1::bindCommands() {
    for (TMenuItem* item : {&SortbyNameMenu, &SortbyDurationMenu, &SortRandomlyMenu}) PopupMenuPLSort.Add(item);
    for (TMenuItem* item : {&DeleteNonExistentMenu, &DeleteDuplicatesMenu, &ClearlistMenu, &ClearHistoryMenu})
        PopupMenuDelete.Add(item);
    // The grid's menu in its order, with the add submenu second.
    PopupMenuPlayList.Root().Remove(&AddMenu);
    for (TMenuItem* item : {&PlayMenu, &AddMenu, &FileLocationMenu, &CopyToMenu, &CopyToClipboardMenu,
                            &DeleteFileFromListMenu, &DeleteFileFromDiskMenu, &FileInfoPLMenu})
        PopupMenuPlayList.Add(item);
    for (TMenuItem* message : {&LangErrorTrash, &LangBadURL}) {
        message->Visible.set(false);
        PopupMenuLanguage.Add(message);
    }
    ManagerPLMenu.OnClick = [this] {
        if (OnManagePlaylists) OnManagePlaylists();
    };

    // The commands of the menus under the grid release the tool buttons first,
    // those that were there before these too.
    for (TMenuItem* item : {&AddPLMenu, &OpenPLMenu, &UpdateListPLMenu, &DelPLMenu, &SavePLMenu, &ManagerPLMenu,
                            &AddFileMenu1, &AddFolderMenu1, &AddURLMenu1, &MenuItemUpdateTags}) {
        Event<> command = item->OnClick;
        item->OnClick = [this, command] {
            ReleaseToolButtons();
            command();
        };
    }
    // The default hot keys; the settings window's fields assign others.
    struct Command {
        TMenuItem* item;
        TShortCut key;
        void (TForm1::*run)();
    };
    const Command commands[] = {
        {&SortbyNameMenu, 0, &TForm1::SortbyNameMenuClick},
        {&SortbyDurationMenu, 0, &TForm1::SortbyDurationMenuClick},
        {&SortRandomlyMenu, 0, &TForm1::SortRandomlyMenuClick},
        {&DeleteNonExistentMenu, TShortCut(scShift | 'E'), &TForm1::DeleteNonExistentMenuClick},
        {&DeleteDuplicatesMenu, TShortCut(scShift | 'R'), &TForm1::DeleteDuplicatesMenuClick},
        {&ClearlistMenu, TShortCut(scShift | 'C'), &TForm1::ClearlistMenuClick},
        {&ClearHistoryMenu, TShortCut(scShift | 'H'), &TForm1::ClearHistoryMenuClick},
        {&PlayMenu, kKeyEnter, &TForm1::PlayMusicSG},
        {&FileLocationMenu, TShortCut(scAlt | 'O'), &TForm1::FileLocationMenuClick},
        {&CopyToMenu, 0, &TForm1::CopyToMenuClick},
        {&CopyToClipboardMenu, 0, &TForm1::CopyToClipboardMenuClick},
        {&DeleteFileFromListMenu, kKeyDelete, &TForm1::DeleteFileFromListMenuClick},
        {&DeleteFileFromDiskMenu, TShortCut(scShift | kKeyDelete), &TForm1::DeleteFileFromDiskMenuClick},
        {&FileInfoPLMenu, kKeyF4, &TForm1::FileInfoPLMenuClick},
        {&FileInfoMenu, kKeyF4, &TForm1::FileInfoPLMenuClick},
    };
    for (const Command& c : commands) {
        c.item->ShortCut.set(c.key);
        c.item->OnClick = [this, run = c.run] {
            ReleaseToolButtons();
            (this->*run)();
        };
    }

    SpeedButtonControlPL.OnClick = [this] { toolButtonClick(1, SpeedButtonControlPL, PopupMenuPL); };
    SpeedButtonAddToPL.OnClick = [this] { toolButtonClick(2, SpeedButtonAddToPL, PopupMenuAdd); };
    SpeedButtonDelFromPL.OnClick = [this] { toolButtonClick(3, SpeedButtonDelFromPL, PopupMenuDelete); };
    SpeedButtonSortPL.OnClick = [this] { toolButtonClick(4, SpeedButtonSortPL, PopupMenuPLSort); };
    SpeedButtonOther.OnClick = [this] { toolButtonClick(5, SpeedButtonOther, PopupMenuOther); };
    StringGrid1.OnClick = [this] { ReleaseToolButtons(); };
    OnMouseMove = [this](TShiftState, int, int) { ReleaseToolButtons(); };
    SearchBox1.OnChange = [this] { SearchBox1Change(); };
}

// --- The tool buttons under the grid -----------------------------------------

void TForm1::toolButtonClick(size_t index, TSpeedButton& button, TPopupMenu& menu) {
    // A second click on the button of an open menu closes it (the click that
    // closes a menu reaches the button too) instead of opening it again.
    if (menuOpen_[index]) {
        menuOpen_[index] = false;
        return;
    }
    menuOpen_.fill(true);
    menu.PopupAbove(button);
}

void TForm1::ReleaseToolButtons() {
    menuOpen_.fill(false);
    for (TSpeedButton* b :
         {&SpeedButtonControlPL, &SpeedButtonAddToPL, &SpeedButtonDelFromPL, &SpeedButtonSortPL, &SpeedButtonOther})
        b->Down.set(false);
}

// --- Shared steps ---------------------------------------------------------------

bool TForm1::readyToEdit() {
    if (Adding()) return false;  // the playlist panel is off meanwhile; keys and menus respect that too
    EndSearchFilter();
    return true;
}

bool TForm1::confirm(const TMenuItem& question, const std::string& detail) {
    std::string text = question.Caption();
    if (!detail.empty()) text += "\n" + detail;
    return Application().dialogs().MessageBox(text, LangAttention.Caption(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TForm1::saveCurrentPlaylist() {
    if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
}

void TForm1::changeRows(const std::function<void(TStringGrid&)>& change) {
    bool same = !filtering_ && StringGrid1.SameCells(StringGrid2);
    change(StringGrid1);
    if (same) change(StringGrid2);
    else CopyStringGrid();
}

// Writing a large playlist takes a while: the command's own turn ends first,
// so that the window shows the change and answers meanwhile.
void TForm1::saveSoon() {
    pendingSave_ = CurrentPlaylistFile();
    if (pendingSave_.empty()) return;
    std::weak_ptr<char> alive = commandsAlive_;
    Application().dispatcher().post([this, alive] {
        if (!alive.expired()) flushPendingSave();
    });
}

void TForm1::flushPendingSave() {
    if (pendingSave_.empty()) return;
    SaveList(std::exchange(pendingSave_, std::string()));
}

// Every file of the playlist is looked at: a worker counts, on its own copy of
// the locations and durations, and the panels take its result unless the rows
// changed again meanwhile (then a newer count is on its way).
struct TForm1::TTotalsJob {
    std::shared_ptr<player::TWorkerLink> link = std::make_shared<player::TWorkerLink>();
    std::thread thread;
    ~TTotalsJob() {
        link->Cancel();
        if (thread.joinable()) thread.join();
    }
};

void TForm1::refreshTotalsSoon() {
    auto rows = std::make_shared<std::vector<player::TTotalsRow>>();
    rows->reserve(size_t(StringGrid1.RowCount()));
    for (int r = 0; r < StringGrid1.RowCount(); ++r)
        rows->push_back({StringGrid1.Cell(player::colLocation, r), StringGrid1.Cell(player::colDuration, r)});
    totals_.reset();  // an older count is out of date
    totals_ = std::make_shared<TTotalsJob>();
    std::shared_ptr<player::TWorkerLink> link = totals_->link;
    Dispatcher& ui = Application().dispatcher();
    totals_->thread = std::thread([this, rows, link, &ui] {
        player::TPlaylistTotals totals = player::PlaylistTotals(*rows, link->stop);
        if (link->stop) return;
        player::PostUnlessCancelled(ui, link, [this, totals] {
            StatusBarInfo.SetPanelText(1, player::SizeText(totals));
            StatusBarInfo.SetPanelText(2, player::DurationText(totals));
            totals_.reset();
        });
    });
}

bool TForm1::CommandsPending() const { return !pendingSave_.empty() || totals_ != nullptr; }

void TForm1::remapRows(const std::vector<int>& map) {
    player::RemapRowLines(MemoPlayHistory, map);
    player::RemapRowLines(MemoRandomSong, map);
    playingRow_ = player::MapRow(map, playingRow_);
    SaveSong();
    SaveSongRandom();
}

void TForm1::reorderRows(const std::vector<int>& order, bool renumber) {
    // The backup and the file take the new order too, so that the search
    // filter and the next start show it.
    changeRows([&](TStringGrid& grid) {
        player::ApplyRowOrder(grid, order);
        if (renumber) player::TracksNumberSG(grid);
    });
    remapRows(player::MapOfOrder(order));
    RandomSongSG();
    saveSoon();
}

void TForm1::removeRow(int row) {
    std::vector<bool> remove(size_t(StringGrid1.RowCount()), false);
    remove[size_t(row)] = true;
    remapRows(player::MapOfRemoval(remove));
    changeRows([row](TStringGrid& grid) { grid.DeleteRow(row); });
    // The entry that followed takes the removed one's place and the selection.
    if (row < StringGrid1.RowCount()) StringGrid1.SetRow(row);
}

void TForm1::afterRowRemoval() {
    saveSoon();
    TracksNumberSG();
    SongNumberSG();
    SizeTrackSG();
    addMedia([this] {
        longTimeSG();
        RandomSongSG();
        CopyStringGrid();
    });
}

bool TForm1::selectedStream(std::string& location) {
    int row = StringGrid1.Row();
    if (row < 0 || row >= StringGrid1.RowCount()) return false;
    location = StringGrid1.Cell(player::colLocation, row);
    // A stream is a location that begins with "http", as the playlist tells them
    // apart; a file whose path merely holds those letters is a file.
    return common::startsWithNoCase(location, "http");
}

bool TForm1::selectedFile(std::string& location) { return !selectedStream(location) && common::fileExists(location); }

// --- Sorting ---------------------------------------------------------------------

void TForm1::SortbyNameMenuClick() {
    if (readyToEdit()) reorderRows(player::OrderByTitle(StringGrid1), true);
}

void TForm1::SortbyDurationMenuClick() {
    if (readyToEdit()) reorderRows(player::OrderByDuration(StringGrid1), true);
}

void TForm1::SortRandomlyMenuClick() {
    // The numbers move with their rows: they tell where each entry was.
    if (readyToEdit()) reorderRows(player::ShuffledOrder(StringGrid1.RowCount(), random_), false);
}

// --- Removing ----------------------------------------------------------------------

void TForm1::DeleteFileFromListMenuClick() {
    if (!readyToEdit()) return;
    int row = StringGrid1.Row();
    if (row < 0 || row >= StringGrid1.RowCount()) return;
    if (!confirm(LangQuestionDelFilePL, StringGrid1.Cell(player::colTitle, row))) return;
    // What plays goes on playing; it is only no longer in the list.
    removeRow(row);
    afterRowRemoval();
}

void TForm1::DeleteFileFromDiskMenuClick() {
    if (!readyToEdit()) return;
    int row = StringGrid1.Row();
    std::string location;
    if (!selectedFile(location)) return;
    if (!confirm(LangQuestionDelFile, StringGrid1.Cell(player::colTitle, row))) return;
    // The trash first: a file that cannot go keeps its row and keeps playing.
    platform::TTrashResult trashed =
        TrashService ? TrashService->MoveToTrash(location) : platform::TTrashResult{false, "no trash", {}};
    if (!trashed.ok) {
        common::log::warn("ui.commands", "\"", location, "\" stays: ", trashed.error);
        Application().dialogs().MessageBox(LangErrorTrash.Caption() + "\n" + location + "\n" + trashed.error,
                                           LangError.Caption(), MB_ICONERROR);
        return;
    }
    const bool wasPlaying = location == CurrentFile && (PlayState == 1 || PlayState == 2);
    if (wasPlaying) StopMusic();
    removeRow(row);
    if (wasPlaying && StringGrid1.RowCount() > 0) {
        // On with the entry that followed the deleted one (or the random order's next).
        if (RandomTrack()) {
            NextFileSG();
        } else {
            StringGrid1.SetRow(row < StringGrid1.RowCount() ? row : 0);
            PlayMusicSG();
        }
    }
    afterRowRemoval();
}

void TForm1::DeleteNonExistentMenuClick() {
    if (!readyToEdit() || !confirm(LangQuestionDelNotFile)) return;
    removeRows(player::DeadRows(StringGrid1));
}

void TForm1::DeleteDuplicatesMenuClick() {
    if (!readyToEdit() || !confirm(LangQuestionCleanDup)) return;
    removeRows(player::DuplicateRows(StringGrid1));
}

void TForm1::removeRows(const std::vector<bool>& remove) {
    setPlaylistBusy(true);
    std::vector<int> map = player::MapOfRemoval(remove);
    int selected = StringGrid1.Row();
    playingRow_ = player::MapRow(map, playingRow_);
    changeRows([&](TStringGrid& grid) {
        grid.DeleteRows(remove);
        player::TracksNumberSG(grid);
    });
    // The selection stays on its entry, or on the first that stays after it.
    for (int r = std::max(selected, 0); r < int(map.size()); ++r) {
        if (map[size_t(r)] >= 0) {
            StringGrid1.SetRow(map[size_t(r)]);
            break;
        }
    }
    StatusBarInfo.SetPanelText(3, "");
    setPlaylistBusy(false);
    SongNumberSG();
    // The numbers of the history name rows that moved.
    MemoPlayHistory.clear();
    SaveSong();
    RandomSongSG();
    TrimWorkingSet();
    saveSoon();
    refreshTotalsSoon();
}

void TForm1::ClearlistMenuClick() {
    if (!readyToEdit() || !confirm(LangQuestionCleanList)) return;
    EmptyPlaylist();
    saveCurrentPlaylist();
    CopyStringGrid();
}

void TForm1::EmptyPlaylist() {
    StringGrid1.ClearCells();
    StringGrid1.SetRowCount(0);
    playingRow_ = -1;
    MemoPlayHistory.clear();
    MemoRandomSong.clear();
    SaveSong();
    SaveSongRandom();
    StatusBarInfo.SetPanelText(0, "0");
    StatusBarInfo.SetPanelText(2, "00:00:00:00");
    StatusBarInfo.SetPanelText(1, "0 b");
}

void TForm1::ClearHistoryMenuClick() {
    if (!confirm(LangQuestionCleanStori)) return;
    MemoPlayHistory.clear();
    SaveSong();
    SaveSongRandom();
}

// --- The search filter ------------------------------------------------------------

void TForm1::SearchBox1Change() {
    const std::string& text = SearchBox1.Text();
    if (text.empty()) {
        if (!filtering_) return;
        int shown = StringGrid1.Row();
        int entry = shown >= 0 && size_t(shown) < filterRows_.size() ? filterRows_[size_t(shown)] : -1;
        filtering_ = false;
        filterRows_.clear();
        StringGrid1.Assign(StringGrid2);
        if (entry >= 0) StringGrid1.SetRow(entry);
        SongNumberSG();
        RandomSongSG();
        return;
    }
    // Rows a running scan reports by number must stay where they are.
    if (Adding()) return;
    int entry = StringGrid1.Row();
    if (!filtering_) {
        // The grid is the playlist until now; from here the backup holds it.
        if (!StringGrid1.SameCells(StringGrid2)) CopyStringGrid();
        std::vector<std::string> first = StringGrid2.RowCells(0);
        bool nothing = StringGrid2.RowCount() == 0 ||
                       (StringGrid2.RowCount() == 1 &&
                        std::all_of(first.begin(), first.end(), [](const std::string& c) { return c.empty(); }));
        if (nothing) return;
        filtering_ = true;
    } else {
        entry = entry >= 0 && size_t(entry) < filterRows_.size() ? filterRows_[size_t(entry)] : -1;
    }
    filterRows_ = player::FilterRows(StringGrid2, text);
    player::ShowRows(StringGrid1, StringGrid2, filterRows_);
    // The selected entry stays selected when it matches.
    auto at = std::find(filterRows_.begin(), filterRows_.end(), entry);
    if (at != filterRows_.end()) StringGrid1.SetRow(int(at - filterRows_.begin()));
    SongNumberSG();
    RandomSongSG();
}

void TForm1::EndSearchFilter() {
    if (!SearchBox1.Text().empty()) SearchBox1.Text.set("");
    // What replaces or changes the rows next starts after the last save.
    flushPendingSave();
}

// --- The row commands -------------------------------------------------------------

void TForm1::FileLocationMenuClick() {
    std::string location;
    if (selectedFile(location) && DesktopService) DesktopService->ShowInFileManager(location);
}

void TForm1::CopyToClipboardMenuClick() {
    std::string location;
    if (selectedFile(location) && DesktopService) DesktopService->CopyFilesToClipboard({location});
}

void TForm1::CopyToMenuClick() {
    std::string location;
    if (selectedFile(location) && OnCopyTo) OnCopyTo();
}

void TForm1::FileInfoPLMenuClick() {
    std::string location;
    if (selectedStream(location)) {
        // The edit changes the row: on the whole playlist, not a filtered view.
        if (Adding()) return;
        EndSearchFilter();
        if (OnEditURL) OnEditURL(StringGrid1.Row());
    } else if (common::fileExists(location) && Hooks.ShowTagEditor) {
        Hooks.ShowTagEditor();
    }
}

}  // namespace ui
