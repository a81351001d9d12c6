// The main window's adding of media: the file dialog, the folder picker, the
// command line and drops, and the tag scan that titles and times every row.
//
// One add operation runs at a time; drops that arrive meanwhile wait their
// turn. An operation's steps after a search or a scan run when the worker is
// done, posted to the UI thread; StopAdding ends all of it at shutdown.
#include <cmath>
#include <deque>

#include "common/files.h"
#include "player/addmedia.h"
#include "player/foldersearch.h"
#include "player/m3u.h"
#include "player/mediafiles.h"
#include "player/playlistfolder.h"
#include "ui/tform1.h"

namespace ui {

namespace {

// A folder as the search takes it: one "/" at the end, no doubled ones.
std::string searchPath(const std::string& folder) {
    std::string out;
    for (char c : common::withTrailingSlash(folder))
        if (c != '/' || out.empty() || out.back() != '/') out.push_back(c);
    return out;
}

}  // namespace

struct TForm1::TAdding {
    using Done = std::function<void()>;
    using Operation = std::function<void(Done)>;

    player::TScanCache cache;
    std::unique_ptr<player::AddFolderThread> search;
    std::unique_ptr<player::TGridAppender> appender;
    std::unique_ptr<player::TMediaScan> scan;
    struct TScanRequest {
        bool useCache;
        Done done;
    };
    std::deque<TScanRequest> scans;  // the front one runs
    size_t scanned = 0;              // rows the running scan has reported
    int lastDecoded = 0;

    std::deque<Operation> waiting;
    bool running = false;
    // Continuations of an operation that StopAdding ended see a newer one.
    int generation = 0;
    std::shared_ptr<char> alive = std::make_shared<char>();

    ~TAdding() {
        if (search) search->Stop();
        if (scan) scan->Stop();
    }
};

void TForm1::bindAdding() {
    adding_ = std::make_shared<TAdding>();
    OpenDialogFile.Title.set("Открыть файлы");
    OpenDialogFile.Filter.set(player::MediaFileFilter());
    OpenDialogFile.MultiSelect = true;

    for (TMenuItem* item : {&AddFileMenu1, &AddFolderMenu1, &AddURLMenu1}) PopupMenuAdd.Add(item);
    for (TMenuItem* item : {&AddFileMenu, &AddFolderMenu, &AddURLMenu}) AddMenu.Add(item);
    PopupMenuPlayList.Add(&AddMenu);
    PopupMenuOther.Add(&MenuItemUpdateTags);
    StringGrid1.PopupMenu = &PopupMenuPlayList;

    // Their keys are the settings window's shortcuts.
    struct Command {
        TMenuItem *menu1, *grid;
        std::function<void()> run;
    };
    const Command commands[] = {
        {&AddFileMenu1, &AddFileMenu, [this] { AddFileMenuClick(); }},
        {&AddFolderMenu1, &AddFolderMenu, [this] { AddFolderMenuClick(); }},
        {&AddURLMenu1, &AddURLMenu,
         [this] {
             if (OnAddURL) OnAddURL();
         }},
    };
    for (const Command& c : commands)
        for (TMenuItem* item : {c.menu1, c.grid}) item->OnClick = c.run;
    // The URL window is another window's; until it exists its items do nothing.
    auto urlItems = [this] {
        AddURLMenu1.Enabled.set(bool(OnAddURL));
        AddURLMenu.Enabled.set(bool(OnAddURL));
    };
    PopupMenuAdd.OnPopup = urlItems;
    PopupMenuPlayList.OnPopup = urlItems;
    MenuItemUpdateTags.OnClick = [this] { MenuItemUpdateTagsClick(); };

    OnDropFiles = [this](const std::vector<std::string>& names) { FormDropFiles(names); };
    Hooks.addfolderLoad = [this](const std::string& folder) { addfolderLoad(folder); };
}

bool TForm1::Adding() const { return adding_->running || !adding_->scans.empty() || adding_->search; }

int TForm1::LastScanDecoded() const { return adding_->lastDecoded; }

// --- Operations, one at a time -----------------------------------------------

namespace {
// Runs f on the UI thread after the current handler, unless the window is
// gone or the operation was ended by then.
void postGuarded(Dispatcher& ui, std::weak_ptr<char> alive, const int* generation, int expected,
                 std::function<void()> f) {
    ui.post([alive = std::move(alive), generation, expected, f = std::move(f)] {
        if (!alive.expired() && *generation == expected) f();
    });
}
}  // namespace

void TForm1::StopAdding() {
    TAdding& a = *adding_;
    bool active = Adding();
    ++a.generation;
    if (a.search) a.search->Stop();
    a.search.reset();
    if (a.appender) a.appender->Finish();
    a.appender.reset();
    if (a.scan) a.scan->Stop();
    a.scan.reset();
    a.scans.clear();
    a.waiting.clear();
    a.running = false;
    if (active) {
        setPlaylistBusy(false);
        StatusBarInfo.SetPanelText(3, "");
    }
}

void TForm1::runNextOperation() {
    TAdding& a = *adding_;
    if (a.running || a.waiting.empty()) return;
    a.running = true;
    TAdding::Operation op = std::move(a.waiting.front());
    a.waiting.pop_front();
    int generation = a.generation;
    op([this, generation] {
        TAdding& a = *adding_;
        if (a.generation != generation || !a.running) return;
        a.running = false;
        runNextOperation();
    });
}

// --- The file dialog ---------------------------------------------------------

void TForm1::AddFileMenuClick() {
    if (Adding()) return;  // the playlist panel is off meanwhile; keys and menus respect that too
    EndSearchFilter();     // new rows join the whole playlist, not a filtered view of it
    adding_->waiting.push_back([this](TAdding::Done finish) {
        for (TSpeedButton* b :
             {&SpeedButtonControlPL, &SpeedButtonAddToPL, &SpeedButtonDelFromPL, &SpeedButtonSortPL, &SpeedButtonOther})
            b->Down.set(false);
        if (ComboBox_Playlist.Text().empty()) MenuAddFolderPlayList();
        setPlaylistBusy(true);
        DeleteEmptyRowTrak();
        bool chosen = OpenDialogFile.Execute();
        if (chosen) {
            StringGrid1.BeginUpdate();
            for (const std::string& file : OpenDialogFile.Files) {
                if (file.empty()) continue;
                int row = StringGrid1.RowCount();
                StringGrid1.SetRowCount(row + 1);
                StringGrid1.SetRowCells(row, player::NewRowCells(file));
            }
            StringGrid1.EndUpdate();
            DeleteEmptyRow();
            // After this handler, as a drop's; the playlist is saved once the
            // scan has titled the rows, so that a switch of playlists keeps them.
            postGuarded(Application().dispatcher(), adding_->alive, &adding_->generation, adding_->generation,
                        [this, finish] {
                            PostProcessing([this, finish] {
                                if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
                                finish();
                            });
                        });
        }
        CopyStringGrid();
        AlignColumns();
        setPlaylistBusy(false);
        if (!chosen) finish();
    });
    runNextOperation();
}

// --- Folders -------------------------------------------------------------------

void TForm1::AddFolderMenuClick() {
    if (Adding()) return;
    if (ComboBox_Playlist.Text().empty()) MenuAddFolderPlayList();
    std::optional<std::string> folder = Application().dialogs().SelectFolder(LangAddFolder.Caption(), {});
    if (!folder || folder->empty()) return;
    addfolderLoad(*folder);
}

void TForm1::addfolderLoad(const std::string& folder) {
    EndSearchFilter();
    adding_->waiting.push_back([this, folder](TAdding::Done finish) {
        // Rows added without a chosen playlist would be saved nowhere.
        if (ComboBox_Playlist.Text().empty()) MenuAddFolderPlayList();
        setPlaylistBusy(true);
        DeleteEmptyRowTrak();
        SearchFilesAndAddToStringGrid(searchPath(folder), player::MediaMasks(), true, [this, finish] {
            DeleteEmptyRowTrak();
            PostProcessing([this, finish] {
                TrimWorkingSet();
                setPlaylistBusy(false);
                AlignColumns();
                if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
                finish();
            });
        });
    });
    runNextOperation();
}

void TForm1::SearchFilesAndAddToStringGrid(const std::string& folder, const std::vector<std::string>& masks,
                                           bool subfolders, std::function<void()> done) {
    TAdding& a = *adding_;
    if (a.search) {  // one search at a time: the operations take turns
        if (done) done();
        return;
    }
    a.appender = std::make_unique<player::TGridAppender>(StringGrid1);
    a.search = std::make_unique<player::AddFolderThread>(
        Application().dispatcher(), folder, masks, subfolders,
        [this](player::AddFolderThread::TBatch& batch) {
            for (const std::string& file : batch.files) adding_->appender->Add(file);
            if (!batch.progress.empty()) StatusBarInfo.SetPanelText(3, batch.progress);
        },
        [this, done = std::move(done)] {
            adding_->appender->Finish();
            adding_->appender.reset();
            adding_->search.reset();
            StatusBarInfo.SetPanelText(3, "");
            if (done) done();
        });
    a.search->Start();
}

// --- Drops -----------------------------------------------------------------------

namespace {
struct TDrop {
    std::vector<std::string> names;
    size_t next = 0;
    bool imported = false;      // only the first playlist of a drop is read
    bool chooserFresh = false;  // the chooser was listed once for this drop
    std::function<void()> finish;
};
}  // namespace

void TForm1::FormDropFiles(const std::vector<std::string>& names) {
    if (names.empty()) return;
    EndSearchFilter();
    adding_->waiting.push_back([this, names](TAdding::Done finish) {
        auto drop = std::make_shared<TDrop>();
        drop->names = names;
        drop->finish = std::move(finish);
        // Walks the names in order; a folder's search resumes the walk when done.
        auto walk = std::make_shared<std::function<void()>>();
        *walk = [this, drop, weakWalk = std::weak_ptr<std::function<void()>>(walk)] {
            const std::string playlists = Paths().PortablePathM3U();
            auto ensurePlaylist = [&] {
                bool made = !common::fileExists(playlists + "default.m3u");
                if (made) MenuAddFolderPlayList();
                if (made || !drop->chooserFresh) {
                    std::string current = ComboBox_Playlist.Text();
                    UpdatePlayList();
                    ComboBox_Playlist.SelectIndex(player::IndexOfPlaylist(ComboBox_Playlist, current));
                    drop->chooserFresh = true;
                }
                // Rows added without a chosen playlist would be saved nowhere.
                if (ComboBox_Playlist.Text().empty()) MenuAddFolderPlayList();
            };
            StringGrid1.BeginUpdate();
            while (drop->next < drop->names.size()) {
                const std::string& name = drop->names[drop->next++];
                std::optional<std::string> target = player::ResolveShortcut(name);
                const std::string& item = target ? *target : name;
                if (common::directoryExists(item)) {
                    ensurePlaylist();
                    StringGrid1.EndUpdate();
                    auto again = weakWalk.lock();
                    SearchFilesAndAddToStringGrid(searchPath(item), player::MediaMasks(), true, [this, again] {
                        DeleteEmptyRowTrak();
                        (*again)();
                    });
                    return;
                }
                if (!common::fileExists(item)) continue;
                if (player::IsPlaylistFile(item)) {
                    if (!drop->imported) drop->imported = importDroppedPlaylist(name, item);
                    continue;
                }
                if (!player::IsMediaFile(item)) continue;
                ensurePlaylist();
                std::vector<std::string> cells = player::NewRowCells(item);
                cells[player::colTitle] = player::ExtractOnlyFileName(name);  // a shortcut's own name
                StringGrid1.InsertRow(StringGrid1.RowCount(), cells);
            }
            StringGrid1.EndUpdate();
            DeleteEmptyRow();
            bool scan = StringGrid1.RowCount() > 0;
            if (scan) {
                postGuarded(Application().dispatcher(), adding_->alive, &adding_->generation, adding_->generation,
                            [this, drop] {
                                PostProcessing([this, drop] {
                                    if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
                                    drop->finish();
                                });
                            });
                CopyStringGrid();
            }
            if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
            if (!scan) drop->finish();
        };
        (*walk)();
    });
    runNextOperation();
}

bool TForm1::importDroppedPlaylist(const std::string& name, const std::string& file) {
    std::string playlist = player::ExtractOnlyFileName(name);
    if (!player::IsValidPlaylistName(playlist)) return false;
    // What the grid holds now (this drop's earlier items too) stays in its own playlist.
    if (std::string current = CurrentPlaylistFile(); !current.empty()) SaveList(current);
    // Imported as "name.m3u", the form every playlist of the folder has.
    std::string copy = Paths().PortablePathM3U() + playlist + ".m3u";
    if (!player::ImportPlaylistFile(file, copy)) return false;
    if (player::IndexOfPlaylist(ComboBox_Playlist, playlist) < 0) ComboBox_Playlist.Add(playlist);
    ComboBox_Playlist.SelectIndex(player::IndexOfPlaylist(ComboBox_Playlist, playlist));
    loadPlaylistFile(copy);
    SaveList(copy);
    return true;
}

// --- The tag scan -------------------------------------------------------------------

void TForm1::PostProcessing(std::function<void()> done) { postProcessing(true, std::move(done)); }

void TForm1::postProcessing(bool useCache, std::function<void()> done) {
    SongNumberSG();
    TracksNumberSG();
    SizeTrackSG();
    scanRows(useCache, [this, done = std::move(done)] {
        longTimeSG();
        RandomSongSG();
        CopyStringGrid();
        if (done) done();
    });
}

void TForm1::addMedia(std::function<void()> done) { scanRows(true, std::move(done)); }

void TForm1::scanRows(bool useCache, std::function<void()> done) {
    TAdding& a = *adding_;
    a.scans.push_back({useCache, std::move(done)});
    if (a.scans.size() == 1) startScan();
}

void TForm1::startScan() {
    TAdding& a = *adding_;
    std::vector<std::string> locations;
    locations.reserve(size_t(StringGrid1.RowCount()));
    for (int r = 0; r < StringGrid1.RowCount(); ++r) locations.push_back(StringGrid1.Cell(player::colLocation, r));
    // The workers report rows by number: no edit or switch may move them meanwhile.
    setPlaylistBusy(true);
    a.scanned = 0;
    player::TMediaScan::TOptions options;
    options.useCache = a.scans.front().useCache;
    a.scan = std::make_unique<player::TMediaScan>(
        Application().dispatcher(), &Engine(), a.cache, std::move(locations), options,
        [this](std::vector<player::TScanItem>& items) {
            TAdding& a = *adding_;
            StringGrid1.BeginUpdate();
            for (player::TScanItem& item : items) {
                ++a.scanned;
                // Rows that moved meanwhile keep what they had.
                if (!item.file || StringGrid1.Cell(player::colLocation, item.row) != item.location) continue;
                StringGrid1.SetCell(player::colTitle, item.row, std::move(item.title));
                StringGrid1.SetCell(player::colDuration, item.row, std::move(item.duration));
            }
            StringGrid1.EndUpdate();
            if (int rows = StringGrid1.RowCount(); rows > 1) {
                double percent = double(a.scanned - 1) / (rows - 1) * 100;
                StatusBarInfo.SetPanelText(3, std::to_string(std::lround(std::min(percent, 100.0))) + " %");
            }
        },
        [this] {
            TAdding& a = *adding_;
            a.lastDecoded = a.scan->Decoded();
            a.scan.reset();
            StatusBarInfo.SetPanelText(3, "");
            setPlaylistBusy(false);
            TAdding::Done done = std::move(a.scans.front().done);
            a.scans.pop_front();
            if (!a.scans.empty()) startScan();
            if (done) done();
        });
    a.scan->Start();
}

void TForm1::MenuItemUpdateTagsClick() {
    if (Adding()) return;
    EndSearchFilter();
    // Every file is measured again, whatever the scans knew. Titles are not
    // emptied first: rows the scan does not refill (streams, missing files)
    // keep theirs, and an empty title would drop a row from the saved file.
    adding_->waiting.push_back([this](TAdding::Done finish) {
        postGuarded(Application().dispatcher(), adding_->alive, &adding_->generation, adding_->generation,
                    [this, finish] {
                        postProcessing(false, [this, finish] {
                            if (std::string file = CurrentPlaylistFile(); !file.empty()) SaveList(file);
                            finish();
                        });
                    });
    });
    runNextOperation();
}

}  // namespace ui
