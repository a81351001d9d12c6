// Adding media to the main window's playlist: the file dialog, folders, the
// command line's folder, drops, and the tag scan, on real small files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "player/gridhost.h"
#include "player/m3u.h"
#include "support/process.h"
#include "support/uithread.h"
#include "support/wav.h"
#include "ui/testenv.h"

using testenv::Env;
using testenv::Rows;
using testenv::Session;

namespace {

struct Adding : ::testing::Test {
    Env env;
    std::unique_ptr<Session> run;
    ui::TForm1* f = nullptr;

    void SetUp() override {
        run = std::make_unique<Session>(env);
        ASSERT_EQ(run->start(), ui::TProgram::TStartResult::Run);
        f = &run->form();
    }
    ui::ScriptedDialogs& dialogs() { return run->t.dialogs; }
    // Lets the workers finish and the UI thread apply what they found.
    void settle() {
        ASSERT_TRUE(testenv::pumpUntil(run->t.dispatcher, [&] { return !f->Adding(); }));
        run->t.dispatcher.processMessages();
    }
    std::string wav(const std::string& name, double seconds) {
        return env.dir.file("music/" + name, testenv::silentWav(seconds));
    }
    std::vector<std::string> column(int col) const {
        std::vector<std::string> out;
        for (int r = 0; r < f->StringGrid1.RowCount(); ++r) out.push_back(f->StringGrid1.Cell(col, r));
        return out;
    }
    // A playlist file as rows, the way the reader gives them back.
    Rows saved(const std::string& name = "default") {
        testenv::GridHost host{run->t.app};
        player::M3UToStringGridAdvanced(env.playlistDir() + name + ".m3u", host.Grid);
        return testenv::rowsOf(host.Grid);
    }
    void playlist(const std::string& text) {
        ASSERT_TRUE(common::writeFileAtomic(env.playlistDir() + "default.m3u", text));
        f->ComboBox_PlaylistChange();
    }
    bool panelOn() const { return f->ComboBox_Playlist.Enabled() && f->TabPlayList.Enabled(); }
};

TEST_F(Adding, AFolderIsSearchedDepthFirstScannedAndSaved) {
    std::string root = env.dir.path + "music/";
    wav("b.wav", 61.5);
    wav("A.wav", 2);
    wav("sub/2.wav", 1);
    wav("sub/1.wav", 1);
    wav("sub/deeper/x.wav", 3);
    wav("zz/last.wav", 4);
    env.dir.file("music/cover.jpg", "jpeg");
    env.dir.file("music/notes.txt", "text");
    dialogs().folderAnswers = {std::nullopt, root};
    f->AddFolderMenuClick();  // cancelled
    EXPECT_FALSE(f->Adding());
    EXPECT_EQ(f->StringGrid1.RowCount(), 0);

    f->AddFolderMenuClick();
    EXPECT_TRUE(f->Adding());
    EXPECT_FALSE(panelOn());  // no second add, switch or edit meanwhile
    settle();
    ASSERT_EQ(dialogs().calls.size(), 2u);
    EXPECT_EQ(dialogs().calls[1].kind, "SelectFolder");
    EXPECT_EQ(dialogs().calls[1].text, "Выберите папку с файлами:");
    Rows rows = {{"0001", "A", "0:02", root + "A.wav"},
                 {"0002", "b", "1:01", root + "b.wav"},
                 {"0003", "1", "0:01", root + "sub/1.wav"},
                 {"0004", "2", "0:01", root + "sub/2.wav"},
                 {"0005", "x", "0:03", root + "sub/deeper/x.wav"},
                 {"0006", "last", "0:04", root + "zz/last.wav"}};
    EXPECT_EQ(testenv::rowsOf(f->StringGrid1), rows);
    EXPECT_EQ(testenv::rowsOf(f->StringGrid2), rows);  // the backup copy
    EXPECT_EQ(f->StatusBarInfo.PanelText(0), "6");
    EXPECT_EQ(f->StatusBarInfo.PanelText(2), "00:00:01:12");
    EXPECT_EQ(f->StatusBarInfo.PanelText(3), "");
    EXPECT_TRUE(panelOn());
    EXPECT_EQ(saved(), rows);
}

TEST_F(Adding, TwoHundredFiftyFilesGiveExactly250NewRows) {
    std::string old = wav("old.wav", 1);
    playlist(testenv::m3u({old}));
    for (int i = 0; i < 250; ++i) wav("many/" + std::to_string(1000 + i) + ".wav", 0.05);
    f->addfolderLoad(env.dir.path + "music/many");
    settle();
    ASSERT_EQ(f->StringGrid1.RowCount(), 251);
    EXPECT_EQ(f->StringGrid1.Cell(3, 0), old);
    EXPECT_EQ(f->StringGrid1.Cell(1, 250), "1249");
    EXPECT_EQ(f->StringGrid1.Cell(0, 250), "0251");
    EXPECT_EQ(saved().size(), 251u);
    EXPECT_EQ(f->LastScanDecoded(), 251);
}

TEST_F(Adding, FilesFromTheDialogAreScannedAfterTheHandler) {
    std::string a = wav("a.wav", 3), b = wav("b side.wav", 62);
    f->ComboBox_Playlist.Clear();  // no playlist chosen: one is made for the files
    dialogs().openAnswers = {{a, b}};
    f->AddFileMenu1.Click();
    ASSERT_EQ(dialogs().calls.size(), 1u);
    EXPECT_EQ(dialogs().calls[0].text, "Открыть файлы");
    EXPECT_TRUE(dialogs().calls[0].caption.starts_with("Все форматы|*.mp3;*.mp2;*.mp1;*.wav;"));
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "default(1)");
    // The rows are there at once; the scan waits until the handler returned.
    EXPECT_EQ(testenv::rowsOf(f->StringGrid1), (Rows{{"", "a", "0:00", a}, {"", "b side", "0:00", b}}));
    EXPECT_TRUE(panelOn());
    settle();
    EXPECT_EQ(column(0), (std::vector<std::string>{"0001", "0002"}));
    EXPECT_EQ(column(2), (std::vector<std::string>{"0:03", "1:02"}));
    EXPECT_EQ(saved("default(1)").size(), 2u);

    f->AddFileMenuClick();  // cancelled: nothing changes
    settle();
    EXPECT_EQ(f->StringGrid1.RowCount(), 2);
}

TEST_F(Adding, ADropTakesFoldersAndMediaInOrderAndOnlyTheFirstPlaylist) {
    std::string root = env.dir.path + "music/";
    std::string one = wav("one.wav", 1), two = wav("dir/two.wav", 2), three = wav("dir/sub/three.wav", 3);
    std::string other = wav("other.wav", 4), four = wav("four.wav", 5);
    std::string first = env.dir.file("lists/First.m3u", testenv::m3u({other}));
    std::string second = env.dir.file("lists/Second.m3u8", testenv::m3u({four}));
    std::string text = env.dir.file("music/readme.txt", "hello");
    f->OnDropFiles({one, root + "dir", text, first, four, second});
    settle();
    // The first three went to "default", which was saved before the import.
    EXPECT_EQ(saved(),
              (Rows{{"0001", "one", "0:00", one}, {"0002", "two", "0:00", two}, {"0003", "three", "0:00", three}}));
    EXPECT_EQ(f->ComboBox_Playlist.Items(), (std::vector<std::string>{"default", "First"}));
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "First");
    Rows rows = {{"0001", "other", "0:04", other}, {"0002", "four", "0:05", four}};
    EXPECT_EQ(testenv::rowsOf(f->StringGrid1), rows);
    EXPECT_EQ(saved("First"), rows);
    EXPECT_FALSE(common::fileExists(env.playlistDir() + "Second.m3u"));
    EXPECT_FALSE(common::fileExists(env.playlistDir() + "Second.m3u8"));
}

// Files from the real encoder, one ffmpeg run: (file, its output options).
bool encode(const std::vector<std::pair<std::string, std::string>>& outputs) {
    std::vector<std::pair<std::string, std::string>> quoted;
    for (const auto& [file, options] : outputs) quoted.emplace_back(testenv::shellQuote(file), "-map 0 " + options);
    return testenv::ffmpegMany("-f lavfi -i sine=d=1.5", quoted);
}

TEST_F(Adding, TitlesComeFromTheTagsOfRealFiles) {
    std::string m = env.dir.path + "music/";
    common::makeDirectories(m);
    ASSERT_TRUE(encode({{m + "1 tagless.mp3", "-map_metadata -1 -id3v2_version 0"},
                        {m + "2 title.mp3", "-metadata title='Only Title'"},
                        {m + "3 artist.flac", "-metadata artist='Only Artist'"},
                        {m + "4 both.mp3", "-metadata artist=Band -metadata title=Song -id3v2_version 3"},
                        {m + "5 both.flac", "-metadata ARTIST=Band -metadata TITLE='Other Song'"}}));
    f->addfolderLoad(m);
    settle();
    EXPECT_EQ(column(1), (std::vector<std::string>{"1 tagless", "Only Title", "Only Artist - ", "Band - Song",
                                                   "Band - Other Song"}));
    EXPECT_EQ(column(2), std::vector<std::string>(5, "0:01"));
}

TEST_F(Adding, ADroppedLinkIsTitledByItsNameUntilTheScan) {
    std::string mp3 = env.dir.path + "music/Real Name.mp3";
    common::makeDirectories(env.dir.path + "music");
    ASSERT_TRUE(encode({{mp3, "-metadata artist=Band -metadata title=Linked"}}));
    std::string link = env.dir.path + "My Favourite.mp3", entry = env.dir.path + "Shortcut.desktop";
    ASSERT_EQ(::symlink(mp3.c_str(), link.c_str()), 0);
    env.dir.file("Shortcut.desktop", "[Desktop Entry]\nType=Link\nURL=file://" + mp3 + "\n");
    std::string dangling = env.dir.path + "Gone.mp3";
    ASSERT_EQ(::symlink((env.dir.path + "nothing.mp3").c_str(), dangling.c_str()), 0);
    f->OnDropFiles({link, entry, dangling});
    EXPECT_EQ(testenv::rowsOf(f->StringGrid1),
              (Rows{{"", "My Favourite", "0:00", mp3}, {"", "Shortcut", "0:00", mp3}}));
    settle();
    EXPECT_EQ(testenv::rowsOf(f->StringGrid1),
              (Rows{{"0001", "Band - Linked", "0:01", mp3}, {"0002", "Band - Linked", "0:01", mp3}}));
}

TEST_F(Adding, RereadingKeepsStreamsAndMeasuresEveryFileAgain) {
    std::string a = wav("a.wav", 7), b = wav("b.wav", 8);
    playlist("#EXTM3U\n#EXTINF:61,Old A\n" + a +
             "\n#EXTINF:-1,Radio One\nhttp://radio.example/live\n"
             "#EXTINF:5,Old B\n" +
             b + "\n");
    f->MenuItemUpdateTags.Click();
    settle();
    Rows rows = {
        {"0001", "a", "0:07", a}, {"0002", "Radio One", "0:00", "http://radio.example/live"}, {"0003", "b", "0:08", b}};
    EXPECT_EQ(testenv::rowsOf(f->StringGrid1), rows);
    EXPECT_EQ(saved(), rows);  // saved once the titles were back: the stream's row too
    EXPECT_EQ(f->LastScanDecoded(), 2);
    f->MenuItemUpdateTagsClick();
    settle();
    EXPECT_EQ(f->LastScanDecoded(), 2);  // every file again, though none changed
}

TEST_F(Adding, MoreFilesAddedMeasureOnlyTheNewAndTheChanged) {
    for (int i = 0; i < 30; ++i) wav("first/" + std::to_string(10 + i) + ".wav", 1);
    f->addfolderLoad(env.dir.path + "music/first");
    settle();
    EXPECT_EQ(f->LastScanDecoded(), 30);
    wav("first/12.wav", 9);  // changed on disk
    for (int i = 0; i < 3; ++i) wav("more/" + std::to_string(i) + ".wav", 2);
    f->addfolderLoad(env.dir.path + "music/more");
    settle();
    EXPECT_EQ(f->StringGrid1.RowCount(), 33);
    EXPECT_EQ(f->LastScanDecoded(), 4);
    EXPECT_EQ(f->StringGrid1.Cell(2, 2), "0:09");
    EXPECT_EQ(f->StringGrid1.Cell(2, 32), "0:02");
}

TEST_F(Adding, ClosingDuringALongAddKeepsThePlaylist) {
    std::string old = wav("old.wav", 1);
    playlist(testenv::m3u({old}));
    for (int i = 0; i < 1000; ++i) env.dir.file("music/big/" + std::to_string(10000 + i) + ".mp3");
    f->addfolderLoad(env.dir.path + "music/big");
    // A drop meanwhile waits for its turn; closing ends both.
    f->OnDropFiles({old});
    ASSERT_TRUE(testenv::pumpUntil(run->t.dispatcher, [&] { return f->StringGrid1.RowCount() > 1; }));
    f->Close();
    EXPECT_FALSE(f->Adding());
    run->t.dispatcher.processMessages();  // what the workers had posted does nothing now
    Rows rows = saved();
    ASSERT_GT(rows.size(), 1u);
    EXPECT_EQ(rows[0][3], old);
    EXPECT_EQ(rows[1][3], env.dir.path + "music/big/10000.mp3");
    EXPECT_EQ(int(rows.size()), f->StringGrid1.RowCount());  // no unfilled rows, none lost
}

TEST_F(Adding, StoppedBeforeItsResultsArriveItLeavesNoHalfRows) {
    std::string old = wav("old.wav", 1);
    playlist(testenv::m3u({old}));
    for (int i = 0; i < 300; ++i) wav("big/" + std::to_string(1000 + i) + ".wav", 0.01);
    f->addfolderLoad(env.dir.path + "music/big");
    f->StopAdding();
    run->t.dispatcher.processMessages();  // batches the worker had posted: too late now
    EXPECT_FALSE(f->Adding());
    EXPECT_TRUE(panelOn());
    EXPECT_EQ(column(3), std::vector<std::string>{old});
    // The next add starts afresh.
    f->addfolderLoad(env.dir.path + "music/big");
    settle();
    EXPECT_EQ(f->StringGrid1.RowCount(), 301);
    EXPECT_EQ(saved().size(), 301u);
}

TEST_F(Adding, MenusAndHotKeys) {
    auto captions = [](const std::vector<ui::TMenuItem*>& items) {
        std::vector<std::string> out;
        for (auto* i : items) out.push_back(i->Caption());
        return out;
    };
    const std::vector<std::string> three = {"Добавить файлы", "Добавить папку", "Добавить URL"};
    EXPECT_EQ(captions(f->PopupMenuAdd.Items()), three);
    EXPECT_EQ(captions(f->AddMenu.Items()), three);
    EXPECT_EQ(f->StringGrid1.PopupMenu, &f->PopupMenuPlayList);
    EXPECT_EQ(captions(f->PopupMenuPlayList.Items()), std::vector<std::string>{"Добавить"});
    EXPECT_EQ(captions(f->PopupMenuOther.Items()), std::vector<std::string>{"Перечитать теги (медиа данные)"});
    f->SpeedButtonAddToPL.OnClick();
    EXPECT_EQ(f->PopupMenuAdd.LastPlacement.Anchor, &f->SpeedButtonAddToPL);
    EXPECT_TRUE(f->PopupMenuAdd.LastPlacement.Above);
    EXPECT_FALSE(f->AddURLMenu1.Enabled());  // until the URL window is there
    int urls = 0;
    f->OnAddURL = [&] { ++urls; };
    f->PopupMenuPlayList.Popup(10, 10);
    f->AddURLMenu.Click();
    EXPECT_EQ(urls, 1);

    // Shift+L and Ctrl+L reach the commands with their menus closed.
    EXPECT_TRUE(f->DispatchShortCut('L', ui::ssShift));
    EXPECT_TRUE(f->DispatchShortCut('L', ui::ssCtrl));
    EXPECT_FALSE(f->DispatchShortCut('L', 0));
    ASSERT_EQ(dialogs().calls.size(), 2u);
    EXPECT_EQ(dialogs().calls[0].kind, "OpenFiles");
    EXPECT_EQ(dialogs().calls[1].kind, "SelectFolder");
}

}  // namespace
