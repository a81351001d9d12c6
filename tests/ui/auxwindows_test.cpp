// The URL window, the playlist manager and the copy window, on the real
// start-up: scripted answers, the trash in the test's own data folder, and
// the copy worker held by a gate where a test needs it half-way.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <regex>

#include "app/inifile.h"
#include "player/duration.h"
#include "support/disk.h"
#include "ui/editingfixture.h"

using testenv::Editing;
using testenv::Entry;
using testenv::Rows;

namespace {

std::vector<std::string> folderContents(const std::string& dir) {
    std::vector<std::string> names = common::listFiles(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// --- The URL window ---------------------------------------------------------------

TEST_F(Editing, TheURLWindowAddsAStreamRowOnlyWhenBothBoxesHoldSomethingUsable) {
    std::string a = track("a");
    startWith({{"a", 1, a}});
    ui::TForm6& w = *run->program.Form6;
    f->AddURLMenu1.Click();
    ASSERT_TRUE(w.Showing());
    EXPECT_TRUE(w.ButtonAddURL.Visible());
    EXPECT_FALSE(w.ButtonEditURL.Visible());
    EXPECT_EQ(w.FormStyle(), ui::TFormStyle::fsStayOnTop);

    struct Bad {
        const char* url;
        const char* title;
        std::string message;
    };
    const Bad bad[] = {
        {"", "Radio", "Вставьте URL"},
        {"radio.example/live", "Radio", f->LangBadURL.Caption()},
        {"http:///live", "Radio", f->LangBadURL.Caption()},
        {"http://radio.example/live", "  ", "Нет Названия станции"},
    };
    for (const Bad& b : bad) {
        w.EditURLPath.Text.set(b.url);
        w.EditURLTitle.Text.set(b.title);
        w.ButtonAddURL.OnClick();
        EXPECT_EQ(lastQuestion(), b.message) << b.url;
        EXPECT_EQ(dialogs().calls.back().caption, "Ошибка!");
        EXPECT_EQ(dialogs().calls.back().flags, unsigned(ui::MB_ICONERROR));
    }
    EXPECT_EQ(f->StringGrid1.RowCount(), 1);
    EXPECT_TRUE(w.Showing());

    // Enter presses the visible button.
    w.EditURLPath.Text.set(" https://radio.example/live ");
    w.EditURLTitle.Text.set("Radio One");
    bool handled = false;
    w.OnShortCut(0x0D, 0, handled);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(w.Showing());
    EXPECT_EQ(f->StringGrid1.RowCells(1),
              (std::vector<std::string>{"", "Radio One", "0:00", "https://radio.example/live"}));
    EXPECT_EQ(saved().back(), (std::vector<std::string>{"0002", "Radio One", "0:00", "https://radio.example/live"}));
    EXPECT_NE(common::readFile(env.playlistDir() + "default.m3u")->find("#EXTINF:0,Radio One\r\n"), std::string::npos);
    EXPECT_EQ(w.EditURLPath.Text(), "");
    run->t.dispatcher.processMessages();  // the post-processing, after the handler
    settle();
    EXPECT_EQ(f->StringGrid1.Cell(0, 1), "0002");
    EXPECT_EQ(f->StringGrid2.RowCount(), 2);
}

TEST_F(Editing, TheURLWindowEditsAStreamRowModally) {
    std::string a = track("a");
    startWith({{"a", 1, a}, {"Old", -1, "http://old.example/"}});
    ui::TForm6& w = *run->program.Form6;
    f->StringGrid1.SetRow(1);
    run->t.host.onModal = [&](ui::TForm&) {
        EXPECT_EQ(w.EditURLPath.Text(), "http://old.example/");
        EXPECT_EQ(w.EditURLTitle.Text(), "Old");
        EXPECT_TRUE(w.ButtonEditURL.Visible());
        EXPECT_FALSE(w.ButtonAddURL.Visible());
        w.EditURLPath.Text.set("http://new.example/stream");
        w.EditURLTitle.Text.set("New");
        w.ButtonEditURL.OnClick();
        return ui::mrOk;
    };
    f->FileInfoPLMenu.Click();
    EXPECT_EQ(run->t.host.modalForms, std::vector<std::string>{"Form6"});
    EXPECT_EQ(f->StringGrid1.RowCells(1),
              (std::vector<std::string>{"0002", "New", "0:-01", "http://new.example/stream"}));
    EXPECT_NE(
        common::readFile(env.playlistDir() + "default.m3u")->find("#EXTINF:-1,New\r\nhttp://new.example/stream\r\n"),
        std::string::npos);
    run->t.dispatcher.processMessages();
    settle();
}

// --- The playlist manager ----------------------------------------------------------

TEST_F(Editing, TheManagerListsEveryPlaylistFileAndSavesIntoOne) {
    std::string a = track("a"), b = track("b");
    env.dir.file("config/Orvelin Project/Orvelin/Playlist/Rock.m3u", testenv::m3u({b}));
    env.dir.file("config/Orvelin Project/Orvelin/Playlist/old/Older.m3u", "#EXTM3U\r\n");
    startWith({{"a", 1, a}});
    ui::TForm9& w = *run->program.Form9;
    f->ManagerPLMenu.Click();
    EXPECT_EQ(run->t.host.modalForms, std::vector<std::string>{"Form9"});

    const auto& items = w.ListViewPLManager.Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].Caption, "default.m3u");
    EXPECT_EQ(items[1].Caption, "Older.m3u");  // a subfolder's file, where the folder "old" sorts
    EXPECT_EQ(items[2].Caption, "Rock.m3u");
    EXPECT_EQ(items[2].SubItems[0], player::FormatByteSize(player::FileSizeOf(env.playlistDir() + "Rock.m3u")));
    EXPECT_TRUE(std::regex_match(items[2].SubItems[1], std::regex(R"(\d\d\.\d\d\.\d\d \d\d:\d\d)")));
    EXPECT_EQ(items[2].SubItems[2], env.playlistDir() + "Rock.m3u");
    EXPECT_EQ(items[1].SubItems[2], env.playlistDir() + "old/Older.m3u");

    w.MenuPLSave.Click();  // nothing selected: nothing saved
    EXPECT_EQ(saved("Rock"), (Rows{{"0001", "b.wav", "1:01", b}}));
    w.ListViewPLManager.ItemIndex.set(2);
    EXPECT_TRUE(w.DispatchShortCut('S', ui::ssCtrl));
    EXPECT_EQ(saved("Rock"), saved("default"));
    EXPECT_EQ(w.ListViewPLManager.Items().size(), 3u);  // listed again
}

TEST_F(Editing, TheManagerSendsPlaylistsToTheTrashAndKeepsTheShownRows) {
    std::string a = track("a"), b = track("b");
    env.dir.file("config/Orvelin Project/Orvelin/Playlist/Rock.m3u", testenv::m3u({b}));
    startWith({{"a", 1, a}});
    ui::TForm9& w = *run->program.Form9;
    w.ListPlaylists();
    w.ListViewPLManager.ItemIndex.set(1);  // Rock

    dialogs().boxAnswers = {ui::IDNO};
    w.MenuPLDel.Click();
    EXPECT_EQ(lastQuestion(), "Вы действительно хотите удалить плейлист: Rock.m3u?");
    EXPECT_EQ(dialogs().calls.back().caption, "Внимание!");
    EXPECT_TRUE(common::fileExists(env.playlistDir() + "Rock.m3u"));

    w.MenuPLDel.Click();
    EXPECT_FALSE(common::fileExists(env.playlistDir() + "Rock.m3u"));
    EXPECT_TRUE(common::fileExists(env.system.dataHomeDir + "Trash/files/Rock.m3u"));
    ASSERT_EQ(w.ListViewPLManager.Items().size(), 1u);
    EXPECT_EQ(f->ComboBox_Playlist.Items(), std::vector<std::string>{"default"});

    // Every playlist goes; the rows shown before live on in a new default playlist.
    f->StringGrid1.InsertRow(1, {"", "Radio", "0:00", "http://radio.example/"});
    Rows shown = testenv::rowsOf(f->StringGrid1);
    w.MenuPLDelAll.Click();
    EXPECT_EQ(lastQuestion(), "Вы действительно хотите удалить все плейлисты? ?");
    EXPECT_EQ(folderContents(env.playlistDir()), std::vector<std::string>{"default.m3u"});
    EXPECT_TRUE(common::fileExists(env.system.dataHomeDir + "Trash/files/default.m3u"));
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "default");
    EXPECT_EQ(column(3), (std::vector<std::string>{a, "http://radio.example/"}));
    EXPECT_EQ(saved().size(), shown.size());
}

// --- The copy window ---------------------------------------------------------------

struct Copying : Editing {
    std::string source, folder;
    ui::TForm5* w = nullptr;
    void SetUp() override {
        source = env.dir.file("music/song.wav", std::string(20000, 's'));
        folder = env.dir.path + "target/";
        common::makeDirectories(folder);
        startWith({{"song", 1, source}});
        w = run->program.Form5.get();
        f->CopyToMenu.Click();
        dialogs().folderAnswers = {env.dir.path + "target"};
        w->EditFolderPath.OnClick();
    }
    void copyAndWait() {
        w->ButtonCopyFile.OnClick();
        w->WaitForCopy();
        run->t.dispatcher.processMessages();
    }
};

TEST_F(Copying, TheFileIsCopiedOnAWorkerAndTheWindowClosesWhenAsked) {
    ASSERT_TRUE(w->Showing());
    EXPECT_EQ(w->EditFilePath.Text(), source);
    EXPECT_EQ(w->LabelSizeCopy1.Caption(), "20 kB");
    EXPECT_EQ(w->LabelProcessCopy1.Caption(), "0");
    EXPECT_EQ(dialogs().calls.back().kind, "SelectFolder");
    EXPECT_EQ(dialogs().calls.back().text, "Выберите папку:");
    EXPECT_EQ(w->EditFolderPath.Text(), folder);
    EXPECT_TRUE(w->ButtonCopyFile.Enabled());

    w->CheckBoxCloseFormCopy.Checked.set(true);
    w->ButtonCopyFile.OnClick();
    EXPECT_FALSE(w->ButtonCopyFile.Enabled());  // one copy at a time
    w->WaitForCopy();
    run->t.dispatcher.processMessages();
    EXPECT_EQ(common::readFile(folder + "song.wav"), common::readFile(source));
    EXPECT_EQ(folderContents(folder), std::vector<std::string>{"song.wav"});
    EXPECT_EQ(w->ProgressBarCopy.Position(), w->ProgressBarCopy.Max());
    EXPECT_EQ(w->LabelProcessCopy1.Caption(), "20 kB");
    EXPECT_FALSE(w->Showing());
    EXPECT_TRUE(w->ButtonCopyFile.Enabled());
}

TEST_F(Copying, ADifferentFileOfTheSameNameIsReplacedOnlyWhenTheUserSaysSo) {
    env.dir.file("target/song.wav", "another song");
    dialogs().boxAnswers = {ui::IDNO};
    copyAndWait();
    EXPECT_EQ(lastQuestion(), "Заменить файл: song.wav?");
    EXPECT_EQ(dialogs().calls.back().caption, "Внимание!");
    EXPECT_EQ(common::readFile(folder + "song.wav"), "another song");
    EXPECT_TRUE(w->ButtonCopyFile.Enabled());

    dialogs().boxAnswers = {ui::IDYES};
    copyAndWait();
    EXPECT_EQ(common::readFile(folder + "song.wav"), common::readFile(source));

    // The file's own folder: nothing to replace, nothing asked, the file whole.
    size_t asked = dialogs().calls.size();
    dialogs().folderAnswers = {env.dir.path + "music"};
    w->EditFolderPath.OnClick();
    copyAndWait();
    EXPECT_EQ(dialogs().calls.size(), asked + 1);  // the folder dialog only
    EXPECT_EQ(common::readFile(source), std::string(20000, 's'));
}

TEST_F(Copying, ClosingTheWindowHalfWayOrAFullDiskLeavesNothingBehind) {
    // The worker waits after its first block until the window has closed.
    std::promise<void> reached, release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> first{true};
    w->CopyOptions.blockSize = 8194;
    w->CopyOptions.afterBlock = [&](int64_t) {
        if (first.exchange(false)) {
            reached.set_value();
            released.wait();
        }
    };
    w->ButtonCopyFile.OnClick();
    reached.get_future().wait();
    w->Close();
    release.set_value();
    w->WaitForCopy();
    run->t.dispatcher.processMessages();
    EXPECT_TRUE(w->Canceled);
    EXPECT_TRUE(folderContents(folder).empty());
    EXPECT_TRUE(w->ButtonCopyFile.Enabled());
    EXPECT_EQ(w->EditFilePath.Text(), "");
    EXPECT_EQ(w->EditFolderPath.Text(), folder);  // kept: CheckBoxClearPathCopy is not ticked

    w->CopyOptions = {};
    f->CopyToMenu.Click();
    {
        testenv::FullDisk disk(4096);
        w->ButtonCopyFile.OnClick();
        w->WaitForCopy();
    }
    run->t.dispatcher.processMessages();
    EXPECT_TRUE(folderContents(folder).empty());
    EXPECT_EQ(lastQuestion().rfind("Ошибка записи файла!\n" + folder + "song.wav\n", 0), 0u) << lastQuestion();
    EXPECT_EQ(dialogs().calls.back().caption, "Ошибка!");
    EXPECT_TRUE(w->ButtonCopyFile.Enabled());
    EXPECT_TRUE(w->Showing());
}

TEST_F(Copying, TheTickBoxesAreKeptWithTheSettings) {
    w->CheckBoxClearPathCopy.Checked.set(true);
    w->CheckBoxCloseFormCopy.Checked.set(true);
    w->Close();
    EXPECT_EQ(w->EditFolderPath.Text(), "");  // cleared on close when ticked
    f->Close();
    app::TMemIniFile ini(env.settingsFile());
    EXPECT_TRUE(ini.ReadBool("Option", "CheckBoxClearPathCopy", false));
    EXPECT_TRUE(ini.ReadBool("Option", "CheckBoxCloseFormCopy", false));
    restart();
    EXPECT_TRUE(run->program.Form5->CheckBoxClearPathCopy.Checked());
    EXPECT_TRUE(run->program.Form5->CheckBoxCloseFormCopy.Checked());
}

}  // namespace
