#include <gtest/gtest.h>

#include <filesystem>

#include "app/inifile.h"
#include "ui/testenv.h"

using testenv::Env;
using testenv::Session;

namespace {

// A started program with two playlists of existing tracks: "default" (two
// rows, current) and "Rock" (three rows).
struct Started : ::testing::Test {
    Env env;
    std::vector<std::string> tracks;
    std::unique_ptr<Session> run;
    ui::TForm1* f = nullptr;

    void SetUp() override {
        for (const char* n : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"})
            tracks.push_back(env.dir.file(std::string("music/") + n, "12345"));
        playlist("default", {tracks[0], tracks[1]});
        playlist("Rock", {tracks[2], tracks[3], tracks[4]});
        run = std::make_unique<Session>(env);
        ASSERT_EQ(run->start(), ui::TProgram::TStartResult::Run);
        f = &run->form();
        ASSERT_EQ(f->ComboBox_Playlist.Text(), "default");
    }
    void playlist(const std::string& name, const std::vector<std::string>& locations) {
        env.dir.file("config/Orvelin Project/Orvelin/Playlist/" + name + ".m3u", testenv::m3u(locations));
    }
    std::string file(const std::string& name) { return common::readFile(env.playlistDir() + name).value_or("<none>"); }
    ui::ScriptedDialogs& dialogs() { return run->t.dialogs; }
    std::vector<std::string> column(const ui::TStringGrid& g, int col) {
        std::vector<std::string> out;
        for (int r = 0; r < g.RowCount(); ++r) out.push_back(g.Cell(col, r));
        return out;
    }
};

TEST_F(Started, SwitchingLoadsTheChosenPlaylistWithItsStatistics) {
    playlist("Rock", {tracks[2], env.dir.path + "gone.mp3", tracks[3], tracks[4]});
    f->ComboBox_Playlist.SelectText("rock");
    f->ComboBox_Playlist.OnChange();
    EXPECT_EQ(column(f->StringGrid1, 1), (std::vector<std::string>{"c.mp3", "d.mp3", "e.mp3"}));
    EXPECT_EQ(column(f->StringGrid1, 0), (std::vector<std::string>{"0001", "0003", "0004"}));  // file positions
    EXPECT_EQ(f->StatusBarInfo.PanelText(0), "3");
    EXPECT_EQ(f->StatusBarInfo.PanelText(1), "15 B");
    EXPECT_EQ(f->StatusBarInfo.PanelText(2), "00:00:03:03");
    EXPECT_EQ(f->StatusBarInfo.PanelText(3), "");
    EXPECT_EQ(column(f->StringGrid2, 3), column(f->StringGrid1, 3));
    EXPECT_TRUE(f->ComboBox_Playlist.Enabled());
    EXPECT_TRUE(f->TabPlayList.Enabled());
    // Switching neither saves the previous playlist nor touches the new one.
    EXPECT_EQ(file("Rock.m3u"), testenv::m3u({tracks[2], env.dir.path + "gone.mp3", tracks[3], tracks[4]}));
}

TEST_F(Started, AddPlaylistMakesAnEmptyOneUnderTheTypedName) {
    f->MemoPlayHistory = {"1"};
    dialogs().inputAnswers = {std::string("Jazz")};
    f->AddPLMenu.Click();
    ASSERT_EQ(dialogs().calls.size(), 1u);
    EXPECT_EQ(dialogs().calls[0].caption, "Добавить плейлист");
    EXPECT_EQ(dialogs().calls[0].text, "Введите название плейлиста");
    EXPECT_EQ(file("Jazz.m3u"), "\xEF\xBB\xBF#EXTM3U\r\n");
    EXPECT_EQ(f->ComboBox_Playlist.Items(), (std::vector<std::string>{"default", "Jazz", "Rock"}));
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "Jazz");
    EXPECT_EQ(f->StringGrid1.RowCount(), 0);
    EXPECT_EQ(f->StringGrid2.RowCount(), 0);  // the search filter has nothing old to bring back
    EXPECT_TRUE(f->MemoPlayHistory.empty());
    EXPECT_EQ((std::vector<std::string>{f->StatusBarInfo.PanelText(0), f->StatusBarInfo.PanelText(1),
                                        f->StatusBarInfo.PanelText(2)}),
              (std::vector<std::string>{"0", "0 b", "00:00:00:00"}));
    EXPECT_EQ(file("default.m3u"), testenv::m3u({tracks[0], tracks[1]}));  // untouched
}

TEST_F(Started, AddPlaylistRefusesCancelTakenAndUnsafeNames) {
    for (const char* answer : {"", "ROCK", "../outside", "a/b"}) dialogs().inputAnswers.push_back(std::string(answer));
    dialogs().inputAnswers.push_back(std::nullopt);  // cancel
    for (int i = 0; i < 5; ++i) f->AddPlaylist();
    EXPECT_EQ(f->ComboBox_Playlist.Items(), (std::vector<std::string>{"default", "Rock"}));
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "default");
    EXPECT_EQ(f->StringGrid1.RowCount(), 2);
    EXPECT_FALSE(common::fileExists(env.userDir() + "outside.m3u"));
    EXPECT_EQ(file("Rock.m3u"), testenv::m3u({tracks[2], tracks[3], tracks[4]}));
}

TEST_F(Started, NewPlaylistWithAGeneratedNameKeepsTheRows) {
    f->MenuAddFolderPlayList();
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "default(1)");
    EXPECT_EQ(f->StringGrid1.RowCount(), 2);
    EXPECT_EQ(file("default(1).m3u"), file("default.m3u").substr(0, 0) + "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:61,a.mp3\r\n" +
                                          tracks[0] + "\r\n#EXTINF:61,b.mp3\r\n" + tracks[1] + "\r\n");
}

TEST_F(Started, DeleteAsksAndLeavesTheNextPlaylistCurrent) {
    f->ComboBox_Playlist.SelectText("Rock");
    f->ComboBox_Playlist.OnChange();
    dialogs().boxAnswers = {ui::IDNO};
    f->DelPLMenu.Click();
    ASSERT_EQ(dialogs().calls.size(), 1u);
    EXPECT_EQ(dialogs().calls[0].text, "Вы действительно хотите удалить плейлист: Rock?");
    EXPECT_EQ(dialogs().calls[0].caption, "Внимание!");
    EXPECT_EQ(dialogs().calls[0].flags, unsigned(ui::MB_YESNO | ui::MB_ICONQUESTION));
    EXPECT_NE(file("Rock.m3u"), "<none>");

    dialogs().boxAnswers = {ui::IDYES};
    f->DeletePlayList();
    EXPECT_EQ(file("Rock.m3u"), "<none>");
    EXPECT_EQ(f->ComboBox_Playlist.Items(), std::vector<std::string>{"default"});
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "default");
    EXPECT_EQ(column(f->StringGrid1, 1), (std::vector<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_EQ(app::TMemIniFile(env.settingsFile()).ReadString("Option", "Playlist", ""), "default");

    f->DeletePlayList();  // the last playlist stays, without a question
    EXPECT_EQ(dialogs().calls.size(), 2u);
    EXPECT_NE(file("default.m3u"), "<none>");
}

TEST_F(Started, DeletingAPlaylistWhoseFileIsAlreadyGoneDoesNotBringItBack) {
    std::filesystem::remove(env.playlistDir() + "default.m3u");
    f->DeletePlayList();
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "Rock");
    EXPECT_EQ(file("default.m3u"), "<none>");
    EXPECT_EQ(f->StringGrid1.RowCount(), 3);
}

TEST_F(Started, OpenImportsAPlaylistFileIntoTheFolder) {
    std::string outside =
        env.dir.file("elsewhere/Mix.m3u8", "\xEF\xBB\xBF" + tracks[4] + "\n" + env.dir.path + "gone.mp3\n");
    f->StringGrid1.SetCell(1, 0, "Renamed");  // unsaved change of the current playlist
    dialogs().openAnswers = {{outside}};
    f->OpenPLMenu.Click();
    EXPECT_EQ(dialogs().calls.at(0).caption, "Плейлист|*.m3u;*.m3u8");
    EXPECT_NE(file("default.m3u").find("Renamed"), std::string::npos);  // saved before the import
    EXPECT_EQ(f->ComboBox_Playlist.Items(), (std::vector<std::string>{"default", "Mix", "Rock"}));
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "Mix");
    EXPECT_EQ(column(f->StringGrid1, 3), std::vector<std::string>{tracks[4]});
    EXPECT_EQ(file("Mix.m3u"), "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:0,e.mp3\r\n" + tracks[4] + "\r\n");
    EXPECT_EQ(f->StatusBarInfo.PanelText(0), "1");
    EXPECT_EQ(f->StringGrid2.RowCount(), 1);

    dialogs().openAnswers.clear();  // cancel: nothing happens
    f->OpenPlayList();
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "Mix");
}

TEST_F(Started, ThePlaylistMenuOpensAboveItsButton) {
    std::vector<std::string> names;
    for (auto* item : f->PopupMenuPL.Items()) names.push_back(item->IsSeparator() ? "-" : item->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"AddPLMenu", "OpenPLMenu", "-", "UpdateListPLMenu", "-", "DelPLMenu",
                                               "SavePLMenu", "-", "ManagerPLMenu"}));
    f->SpeedButtonControlPL.OnClick();
    EXPECT_EQ(f->PopupMenuPL.PopupCount, 1);
    EXPECT_EQ(f->PopupMenuPL.LastPlacement.Anchor, &f->SpeedButtonControlPL);
    EXPECT_TRUE(f->PopupMenuPL.LastPlacement.Above);

    f->StringGrid1.SetCell(1, 1, "Saved title");
    f->SavePLMenu.Click();
    EXPECT_NE(file("default.m3u").find("#EXTINF:61,Saved title\r\n"), std::string::npos);
    playlist("Pop", {});
    f->UpdateListPLMenu.Click();
    EXPECT_EQ(f->ComboBox_Playlist.Items(), (std::vector<std::string>{"default", "Pop", "Rock"}));
    EXPECT_EQ(f->ComboBox_Playlist.Text(), "default");  // the stored playlist
}

TEST_F(Started, ColumnsAreFittedAndTheDurationIsRightAligned) {
    f->StringGrid1.MeasureText = [](const std::string& s) { return static_cast<int>(s.size()) * 10; };
    f->StringGrid1.Width.set(500);
    f->AlignColumns();
    const auto& w = f->StringGrid1.ColWidths();
    EXPECT_EQ(w[0], 45);  // "0001"
    EXPECT_EQ(w[2], 45);  // "1:01", under the default 40
    EXPECT_EQ(w[1], 500 - 45 - 45 - 20);
    EXPECT_EQ(f->StringGrid1.ColAlignments()[2], ui::TAlignment::taRightJustify);
}

}  // namespace
