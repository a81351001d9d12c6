#include "ui/tform9.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "player/duration.h"
#include "ui/tform1.h"

namespace ui {

namespace {

constexpr TShortCut kKeyF5 = 0x74, kKeyDelete = 0x2E;
constexpr int kMaxDepth = 32;  // folders nested deeper are not walked

void listFolder(const std::string& dir, std::vector<TListItem>& items, int depth) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec))
        entries.push_back(*it);
    // By name, so that the list reads the same every time.
    std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
        return common::compareNoCase(a.path().filename().string(), b.path().filename().string()) < 0;
    });
    for (const fs::directory_entry& e : entries) {
        std::string path = e.path().string();
        std::error_code err;
        if (e.is_directory(err) && !e.is_symlink(err)) {
            if (depth < kMaxDepth) listFolder(path, items, depth + 1);
            continue;
        }
        if (!e.is_regular_file(err)) continue;
        struct stat st {};
        std::string date = ::stat(path.c_str(), &st) == 0 ? TForm9::DateText(st.st_mtime) : "30.12.99 00:00";
        items.push_back(TListItem{e.path().filename().string(),
                                  {player::FormatByteSize(std::max<int64_t>(0, player::FileSizeOf(path))), date, path},
                                  path});
    }
}

}  // namespace

TForm9::TForm9(TApplication& app, TForm1& form1) : TForm(app, "Form9"), form1_(form1) {
    Caption.set("Управление плейлистами");
    ClientWidth.set(434);
    ClientHeight.set(361);
    MinWidth.set(434);
    MinHeight.set(361);
    Position.set(TPosition::poDesktopCenter);

    PanelButtons.Align.set(TAlign::alBottom);
    PanelButtons.Height.set(42);
    Button1.Align.set(TAlign::alRight);
    Button1.Width.set(100);
    PanelButtonsMargin.Align.set(TAlign::alRight);
    PanelButtonsMargin.Width.set(8);
    Button1.Default.set(true);
    ListViewPLManager.Align.set(TAlign::alClient);
    ListViewPLManager.Columns.set({
        TListColumn{"Имя", 150, 150, 0, TAlignment::taLeftJustify},
        TListColumn{"Размер", 70, 0, 70, TAlignment::taRightJustify},
        TListColumn{"Дата", 120, 120, 0, TAlignment::taLeftJustify},
        TListColumn{"Файл", 100, 100, 0, TAlignment::taLeftJustify},
    });
    ListViewPLManager.PopupMenu = &PopupMenuPLManager;
    for (TMenuItem* item : {&MenuPLUpdate, &N1, &MenuPLSave, &N2, &MenuPLDelAll, &MenuPLDel})
        PopupMenuPLManager.Add(item);
    MenuPLUpdate.ShortCut.set(kKeyF5);
    MenuPLSave.ShortCut.set(TShortCut(scCtrl | 'S'));
    MenuPLDelAll.ShortCut.set(TShortCut(scShift | kKeyDelete));
    MenuPLDel.ShortCut.set(kKeyDelete);

    MenuPLUpdate.OnClick = [this] { ListPlaylists(); };
    MenuPLSave.OnClick = [this] { MenuPLSaveClick(); };
    MenuPLDelAll.OnClick = [this] { MenuPLDelAllClick(); };
    MenuPLDel.OnClick = [this] { MenuPLDelClick(); };
    Button1.OnClick = [this] { Close(); };
    OnShow = [this] { ListPlaylists(); };
    form1.OnManagePlaylists = [this] { ShowModal(); };
}

std::string TForm9::DateText(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%y %H:%M", &local);
    return buf;
}

void TForm9::ListPlaylists() {
    std::vector<TListItem> items;
    listFolder(form1_.Paths().PortablePathM3U(), items, 0);
    ListViewPLManager.ItemIndex.set(-1);
    ListViewPLManager.Items.set(std::move(items));
}

void TForm9::MenuPLSaveClick() {
    const TListItem* item = ListViewPLManager.Selected();
    if (!item) return;
    form1_.SaveList(item->SubItems.at(2));
    ListPlaylists();
}

bool TForm9::trash(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        platform::TTrashResult r = form1_.TrashService ? form1_.TrashService->MoveToTrash(file)
                                                       : platform::TTrashResult{false, "no trash", {}};
        if (r.ok) continue;
        common::log::warn("ui.form9", "\"", file, "\" stays: ", r.error);
        Application().dialogs().MessageBox(form1_.LangErrorTrash.Caption() + "\n" + file + "\n" + r.error,
                                           form1_.LangError.Caption(), MB_ICONERROR);
        return false;
    }
    return true;
}

void TForm9::afterDeletion() {
    const std::string folder = form1_.Paths().PortablePathM3U();
    common::makeDirectories(folder);
    // Its rows are those the grid shows: a deletion of every playlist keeps them.
    if (!common::fileExists(folder + "default.m3u")) form1_.MenuAddFolderPlayList();
    ListPlaylists();
    form1_.UpdatePlayList();
    form1_.ComboBox_Playlist.SelectIndex(0);
    // Loads the playlist with its statistics, random order and backup copy.
    form1_.ComboBox_PlaylistChange();
}

void TForm9::MenuPLDelClick() {
    const TListItem* item = ListViewPLManager.Selected();
    if (!item || form1_.Adding()) return;
    std::string question = form1_.LangQuestionDelPL.Caption() + " " + item->Caption + "?";
    if (Application().dialogs().MessageBox(question, form1_.LangAttention.Caption(), MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    std::string file = item->SubItems.at(2);
    if (trash({file})) afterDeletion();
}

void TForm9::MenuPLDelAllClick() {
    if (form1_.Adding()) return;
    std::string question = form1_.LangQuestionDelAllPL.Caption() + " ?";
    if (Application().dialogs().MessageBox(question, form1_.LangAttention.Caption(), MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    std::vector<std::string> files;
    for (const TListItem& item : ListViewPLManager.Items()) files.push_back(item.SubItems.at(2));
    trash(files);
    // Whatever went, the player needs a playlist to show.
    afterDeletion();
}

}  // namespace ui
