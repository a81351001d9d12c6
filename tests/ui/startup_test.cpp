#include <gtest/gtest.h>

#include "app/firstrun.h"
#include "app/inifile.h"
#include "app/listfiles.h"
#include "common/textfile.h"
#include "ui/testenv.h"

using testenv::Env;
using testenv::Session;
using ui::TProgram;

namespace {

const std::string kWidth = "(" + std::to_string(sizeof(void*) * 8) + "-bit)";

TEST(Startup, FirstRunWritesTheTemplateAndOpensTheDefaultPlaylist) {
    Env env;
    Session run(env);
    ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
    ui::TForm1& f = run.form();

    std::string text;
    for (const auto& line : app::FirstRunTemplate()) text += line + "\r\n";
    EXPECT_EQ(common::readFile(env.settingsFile()), common::EncodeText(text, common::TTextEncoding::Utf16LE));
    EXPECT_EQ(f.Caption(), "Orvelin 1.2.3.4 " + kWidth);
    EXPECT_EQ(f.Label_ScrollText.Caption(), f.Caption());
    EXPECT_EQ(f.Version.Caption(), "1.2.3.4 " + kWidth);
    EXPECT_EQ(run.t.app.Title(), "Orvelin");
    EXPECT_TRUE(common::fileExists(env.playlistDir() + "default.m3u"));
    EXPECT_EQ(f.ComboBox_Playlist.Items(), std::vector<std::string>{"default"});
    EXPECT_EQ(f.ComboBox_Playlist.Text(), "default");
    EXPECT_EQ((std::vector<int>{f.Left(), f.Top(), f.Width(), f.Height(), f.MinWidth(), f.MinHeight()}),
              (std::vector<int>{97, 83, 480, 597, 240, 600}));
    EXPECT_EQ(f.WindowState(), ui::TWindowState::wsNormal);
    EXPECT_TRUE(f.ThemeAuto.Checked());
    EXPECT_FALSE(f.ThemeDark.Checked());
    EXPECT_EQ(f.barVolume.Position(), 100);
    EXPECT_EQ(common::readFile(env.userDir() + "Config/song.ini"), "\xFF\xFE");
    EXPECT_TRUE(f.AcceptFiles());
    EXPECT_TRUE(f.StatusBarTime.Font().Bold);
    EXPECT_EQ(f.StatusBarTime.Font().Size, 12);
    EXPECT_GT(env.system.trims, 0);
}

TEST(Startup, PortableModeKeepsEverythingBesideTheExecutable) {
    Env env;
    env.dir.file("bin/portable.ini");
    Session run(env);
    ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
    EXPECT_EQ(run.form().Caption(), "Orvelin 1.2.3.4 " + kWidth + " Portable");
    EXPECT_TRUE(common::fileExists(env.system.exeDir + "Config/Option.ini"));
    EXPECT_TRUE(common::fileExists(env.system.exeDir + "Config/song.ini"));
    EXPECT_TRUE(common::fileExists(env.system.exeDir + "Playlist/default.m3u"));
    EXPECT_FALSE(common::directoryExists(env.userDir()));
}

TEST(Startup, ASecondInstanceEndsSilently) {
    Env env;
    Session first(env);
    ASSERT_EQ(first.start(), TProgram::TStartResult::Run);
    Session second(env, {env.dir.path, "/Open"});
    EXPECT_EQ(second.start(), TProgram::TStartResult::AnotherInstance);
    EXPECT_EQ(second.program.Form1, nullptr);
    EXPECT_TRUE(second.t.dialogs.calls.empty());
}

TEST(Startup, CloseAndStartRestoreThePlaylistTheRowAndTheWindow) {
    Env env;
    std::vector<std::string> tracks;
    for (const char* n : {"a.mp3", "b.mp3", "c.mp3"}) tracks.push_back(env.dir.file(std::string("music/") + n, "x"));
    {
        Session run(env);
        ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
        env.dir.file("config/Orvelin Project/Orvelin/Playlist/Rock.m3u", testenv::m3u(tracks));
        ui::TForm1& f = run.form();
        f.UpdatePlayList();
        f.ComboBox_Playlist.SelectText("Rock");
        f.ComboBox_Playlist.OnChange();
        ASSERT_EQ(f.StringGrid1.RowCount(), 3);
        f.StringGrid1.SetRow(2);
        f.SetBounds(120, 60, 700, 650);  // where the user left the window
        f.barVolume.Position.set(40);
        f.ThemeDark.Checked.set(true);
        f.ThemeAuto.Checked.set(false);
        f.Close();
    }
    for (int start = 0; start < 3; ++start) {
        Session run(env);
        ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
        ui::TForm1& f = run.form();
        EXPECT_EQ(f.ComboBox_Playlist.Text(), "Rock");
        ASSERT_EQ(f.StringGrid1.RowCount(), 3);
        EXPECT_EQ(f.StringGrid1.Row(), 2);
        EXPECT_EQ(f.StringGrid1.Cell(1, 2), "c.mp3");
        EXPECT_EQ(f.StringGrid2.RowCount(), 3);
        // The same window every time, not one that shrinks with each start.
        EXPECT_EQ((std::vector<int>{f.Left(), f.Top(), f.Width(), f.Height()}), (std::vector<int>{120, 60, 700, 650}));
        EXPECT_EQ(f.barVolume.Position(), 40);
        EXPECT_TRUE(f.ThemeDark.Checked());
        EXPECT_FALSE(f.ThemeAuto.Checked());
        f.Close();
    }
}

TEST(Startup, StoredWindowStateAndRow) {
    struct Case {
        const char* keys;
        ui::TWindowState state;
        int top;
        int row;
    };
    const Case cases[] = {
        {"Window=wsMaximized\r\nTop=5\r\nSong=1\r\n", ui::TWindowState::wsMaximized, 74, 1},
        {"Window=odd\r\nTop=5\r\nSong=7\r\n", ui::TWindowState::wsNormal, 74, 0},  // design place, row stays
        {"Window=wsNormal\r\nTop=5\r\nSong=-1\r\n", ui::TWindowState::wsNormal, 5, 0},
    };
    for (const Case& c : cases) {
        Env env;
        std::string a = env.dir.file("a.mp3", "x"), b = env.dir.file("b.mp3", "x");
        env.dir.file("config/Orvelin Project/Orvelin/Playlist/default.m3u", testenv::m3u({a, b}));
        env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini",
                     std::string("[Option]\r\nPlaylist=default\r\n") + c.keys);
        Session run(env);
        ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
        ui::TForm1& f = run.form();
        EXPECT_EQ(f.WindowState(), c.state) << c.keys;
        EXPECT_EQ(f.Top(), c.top) << c.keys;
        EXPECT_EQ(f.StringGrid1.Row(), c.row) << c.keys;
        f.Close();
        if (c.state == ui::TWindowState::wsMaximized) {  // the stored place waits for a normal window
            EXPECT_EQ(app::TMemIniFile(env.settingsFile()).ReadInteger("Option", "Top", 0), 5);
        }
    }
}

TEST(Startup, ListFilesAndTheSettingsWindowHooks) {
    Env env;
    env.dir.file("config/Orvelin Project/Orvelin/Config/randomsong.ini", "3\r\n1\r\n");
    env.dir.file("config/Orvelin Project/Orvelin/Config/song.ini", "2\r\n");
    std::vector<std::string> calls;
    {
        Session run(env);
        run.program.OnFormsCreated = [&](TProgram& p) {
            p.Form1->Hooks.RandomTrack = [] { return true; };
            p.Form1->Hooks.LoadNastr2 = [&] { calls.push_back("LoadNastr2"); };
            p.Form1->Hooks.SaveNastr2 = [&] { calls.push_back("SaveNastr2"); };
            p.Form1->LanguageMenu.Items.observe([&](const auto&) { calls.push_back("LoadLanguage"); });
        };
        ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
        ui::TForm1& f = run.form();
        EXPECT_EQ(f.MemoPlayHistory, std::vector<std::string>{"2"});
        // Random play is on, so loading the (empty) playlist rebuilt the order before the file was read.
        EXPECT_TRUE(f.MemoRandomSong.empty());
        EXPECT_EQ(app::LoadLines(env.userDir() + "Config/randomsong.ini"), std::vector<std::string>{});
        f.MemoPlayHistory.push_back("1");
        f.Close();
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"LoadNastr2", "LoadLanguage", "SaveNastr2"}));
    EXPECT_EQ(app::LoadLines(env.userDir() + "Config/song.ini"), (std::vector<std::string>{"2", "1"}));
    EXPECT_EQ(common::readFile(env.userDir() + "Config/song.ini").value().substr(0, 2), "\xFF\xFE");

    // With random play off a stored order is not loaded.
    env.dir.file("config/Orvelin Project/Orvelin/Config/randomsong.ini", "3\r\n1\r\n");
    app::TMemIniFile ini(env.settingsFile());
    ini.WriteBool("Option", "RandomTrack", false);
    ASSERT_TRUE(ini.UpdateFile());
    Session run(env);
    ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
    EXPECT_TRUE(run.form().MemoRandomSong.empty());
}

struct CommandCase {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the music folder
    bool adds;
    const char* playlist;  // current when the folder is added
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class CommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLine, AddsTheFolderOnceOnTheFirstActivation) {
    const CommandCase& c = GetParam();
    Env env;
    std::string music = env.dir.path + "My-Music";
    common::makeDirectories(music);
    std::vector<std::string> args;
    for (const auto& a : c.args) args.push_back(a == "@" ? music + "/" : a);
    Session run(env, args);
    std::vector<std::pair<std::string, std::string>> added;
    run.program.OnFormsCreated = [&](TProgram& p) {
        p.Form1->Hooks.addfolderLoad = [&, form = p.Form1.get()](const std::string& folder) {
            added.emplace_back(folder, form->ComboBox_Playlist.Text());
        };
    };
    ASSERT_EQ(run.start(), TProgram::TStartResult::Run);
    EXPECT_TRUE(added.empty());  // not before the window is active
    run.form().OnActivate();
    run.form().OnActivate();  // after a dialog closed, say
    if (c.adds) {
        EXPECT_EQ(added, (std::vector<std::pair<std::string, std::string>>{{music, c.playlist}})) << c.name;
    } else {
        EXPECT_TRUE(added.empty()) << c.name;
    }
    // "/Add" makes a playlist only when there is a folder to add.
    EXPECT_EQ(common::fileExists(env.playlistDir() + "default(1).m3u"), std::string(c.playlist) == "default(1)")
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLine,
    ::testing::Values(CommandCase{"open", {"@", "/Open"}, true, "default"},
                      CommandCase{"open first, any case", {"/oPEN", "@"}, true, "default"},
                      CommandCase{"add", {"@", "/ADD"}, true, "default(1)"},
                      CommandCase{"first switch wins", {"--grab", "@", "/Open", "/Add"}, true, "default"},
                      CommandCase{"no switch", {"@"}, false, ""}, CommandCase{"no folder", {"/Open"}, false, ""},
                      CommandCase{"add without folder", {"/Add"}, false, ""},
                      CommandCase{"missing folder", {"/no/such/folder", "/Add"}, false, ""}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

}  // namespace
