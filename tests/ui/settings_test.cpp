// The settings window: what each option does to the main window, how the
// options are kept, Ok, Cancel and the keys of the window, the shortcuts, the
// add-ons and the folder menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <functional>

#include "app/inifile.h"
#include "platform/fake/fakefoldermenu.h"
#include "support/wav.h"
#include "ui/testenv.h"

using ui::TCheckBox;
using ui::THotKey;
using ui::TShortCut;

namespace {

constexpr TShortCut kF1 = 0x70, kF2 = 0x71, kF9 = 0x78, kEnter = 0x0D, kDelete = 0x2E;
constexpr uint16_t kEscape = 0x1B;

// The real start-up on the silent device, with a fake folder menu.
struct Settings : ::testing::Test {
    testenv::Env env;
    std::unique_ptr<testenv::Session> run;
    ui::TForm1* f = nullptr;
    ui::TForm2* f2 = nullptr;
    platform::FakeFolderMenu* menu = nullptr;
    bool menuPresent = false;  // what the next start finds

    std::string wav(const std::string& name) {
        std::string path = env.dir.path + "music/" + name + ".wav";
        common::makeDirectories(env.dir.path + "music/");
        testenv::writeWav(path, 44100, 2, 16, 44100, [](int64_t i, int) { return 0.3 * std::sin(i * 0.06); });
        return path;
    }
    // Starts with these [Option] lines and a playlist of the tracks.
    void start(const std::string& options, const std::vector<std::string>& tracks = {}) {
        env.dir.file("config/Orvelin Project/Orvelin/Playlist/default.m3u", testenv::m3u(tracks));
        env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Option]\r\nPlaylist=default\r\n" + options);
        restart();
    }
    // The next start, on what the last one left.
    void restart() {
        if (run) f->Close();
        run.reset();
        run = std::make_unique<testenv::Session>(env);
        auto fake = std::make_unique<platform::FakeFolderMenu>();
        fake->present = menuPresent;
        menu = fake.get();
        run->program.FolderMenu = std::move(fake);
        run->t.host.workArea = {0, 40, 1600, 900};
        ASSERT_EQ(run->start(), ui::TProgram::TStartResult::Run);
        f = &run->form();
        f2 = run->program.Form2.get();
    }
    std::string settingsBytes() { return common::readFile(env.settingsFile()).value_or("(none)"); }
    app::TMemIniFile ini() { return app::TMemIniFile(env.settingsFile()); }
    TCheckBox& box(const std::string& name) { return *f2->Find<TCheckBox>(name); }
    // A key as the user sets it in a field.
    void setKey(THotKey& field, TShortCut key) {
        field.HotKey.set(key);
        field.OnChange();
    }
    // A key pressed in the main window, as the front end hands it on.
    bool press(uint16_t key, ui::TShiftState shift = 0) {
        bool handled = false;
        f->OnShortCut(key, shift, handled);
        return handled || f->DispatchShortCut(key, shift);
    }
    std::vector<std::string> boxMessages() {
        std::vector<std::string> texts;
        for (const auto& call : run->t.dialogs.calls)
            if (call.kind == "MessageBox") texts.push_back(call.text);
        return texts;
    }
};

const std::vector<std::string> kStoredBoxes = {
    "PlayerWindowCenter", "ProgressBox",      "RandomTrack",     "TaskTrackGo",          "AutoNext",
    "chEqualizer",        "RepeatSong",       "ShowCoverArts",   "BaloonWindow",         "TrayIcon",
    "TrayIconMinimize",   "CheckBox_LinesPL", "CheckBox_ShowPL", "CheckBoxColorTrayIcon"};

TEST_F(Settings, EveryOptionIsStoredUnderItsNameAndReadBack) {
    start("");
    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "ticked" : "unticked");
        for (const std::string& name : kStoredBoxes) box(name).Checked.set(on);
        f2->RadioButton_System.Checked.set(on);
        f2->RadioButton_Player.Checked.set(!on);
        setKey(f2->HotKey_AddURL, on ? TShortCut(ui::scCtrl | 'K') : TShortCut(ui::scCtrl | 'U'));
        f2->ButtonOKSettings.OnClick();
        for (const std::string& name : kStoredBoxes) EXPECT_EQ(ini().ReadBool("Option", name, !on), on) << name;
        EXPECT_EQ(ini().ReadBool("Option", "RadioButton_System", !on), on);
        restart();
        for (const std::string& name : kStoredBoxes) EXPECT_EQ(box(name).Checked(), on) << name;
        EXPECT_EQ(f2->RadioButton_System.Checked(), on);
        EXPECT_EQ(f2->HotKey_AddURL.HotKey(), on ? ui::scCtrl | 'K' : ui::scCtrl | 'U');
        EXPECT_EQ(f->AddURLMenu1.ShortCut(), f2->HotKey_AddURL.HotKey());
    }
}

TEST_F(Settings, EachOptionActsOnTheMainWindowAsItChanges) {
    start("Width=700\r\nCheckBox_ShowPL=1\r\nLeft=30\r\nTop=20\r\n");
    f->Width.set(700);
    f->Height.set(600);
    using Check = std::function<void(bool on)>;
    struct Case {
        const char* box;
        Check check;
    };
    const Case cases[] = {
        {"ShowCoverArts",
         [&](bool on) {
             EXPECT_EQ(f->MinHeight(), on ? 600 : 330);
             EXPECT_EQ(f->TabControlCoverArt.Visible(), on);
         }},
        {"CheckBox_ShowPL",
         [&](bool on) {
             EXPECT_EQ(f->MaxWidth(), on ? 0 : 240);
             EXPECT_EQ(f->Width(), on ? 700 : 240);  // back to the stored width
             EXPECT_EQ(f->MinWidth(), 240);
         }},
        {"CheckBox_LinesPL", [&](bool on) { EXPECT_EQ(f->StringGrid1.GridLineWidth(), on ? 1 : 0); }},
        {"ProgressBox",
         [&](bool on) {
             EXPECT_EQ(f->Taskbar1.ProgressState(),
                       on ? ui::TTaskbarProgress::tpsNormal : ui::TTaskbarProgress::tpsNone);
         }},
        {"TrayIcon",
         [&](bool on) {
             EXPECT_EQ(f->TrayIcon1.Visible(), on);
             EXPECT_EQ(f2->TrayIconMinimize.Enabled(), on);
         }},
        {"CheckBoxColorTrayIcon", [&](bool on) { EXPECT_EQ(f->TrayIcon1.IconIndex(), on ? 2 : 0); }},
        {"RandomTrack", [&](bool on) { EXPECT_EQ(f->RandomButton.ImageIndex(), on ? 7 : 11); }},
        {"RepeatSong", [&](bool on) { EXPECT_EQ(f->RepeatButton.ImageIndex(), on ? 8 : 12); }},
        {"PlayerWindowCenter",
         [&](bool on) {
             // Centred in the work area; else where the settings keep it.
             EXPECT_EQ(f->Left(), on ? 450 : 30);
             EXPECT_EQ(f->Top(), on ? 190 : 20);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        for (bool on : {true, false, true}) {
            box(c.box).Checked.set(on);
            c.check(on);
        }
    }
    // The colour follows the desktop's preference when the box is unticked.
    f2->DesktopPrefersDark = [] { return true; };
    box("CheckBoxColorTrayIcon").Checked.set(false);
    EXPECT_EQ(f->TrayIcon1.IconIndex(), 1);
}

TEST_F(Settings, TheTrayIconOptionsGoTogetherAndTheWindowMinimisesIntoTheIcon) {
    start("TrayIcon=1\r\nTrayIconMinimize=1\r\n");
    ASSERT_TRUE(f2->TrayIconMinimize.Checked());
    f->Show();
    f->WindowState.set(ui::TWindowState::wsMinimized);
    EXPECT_FALSE(f->Visible());
    f->TrayIcon1.OnDblClick();
    EXPECT_TRUE(f->Visible());
    EXPECT_EQ(f->WindowState(), ui::TWindowState::wsNormal);

    // Without a notification area the window only minimises.
    f->TrayIcon1.SystemTrayAvailable = false;
    f->WindowState.set(ui::TWindowState::wsMinimized);
    EXPECT_TRUE(f->Visible());
    f->WindowState.set(ui::TWindowState::wsNormal);

    f2->TrayIcon.Checked.set(false);
    EXPECT_FALSE(f2->TrayIconMinimize.Checked());
    EXPECT_FALSE(f2->TrayIconMinimize.Enabled());
    f->TrayIcon1.SystemTrayAvailable = true;
    f->WindowState.set(ui::TWindowState::wsMinimized);
    EXPECT_TRUE(f->Visible());
}

TEST_F(Settings, CancelUndoesEveryChangeAndLeavesTheSettingsFileAsItWas) {
    start("chEqualizer=1\r\nCheckBox_LinesPL=0\r\nShowCoverArts=1\r\nHotKey_Next=113\r\n", {wav("a")});
    f->StringGrid1.SetRow(0);
    f->StringGrid1.OnDblClick();
    ASSERT_NE(f->CurrentChannel, 0u);
    const std::string before = settingsBytes();

    f2->chEcho.Checked.set(true);
    ASSERT_TRUE(f2->Effects.CurrentEffects & ui::seEcho);
    f2->CheckBox_LinesPL.Checked.set(true);
    f2->ShowCoverArts.Checked.set(false);
    setKey(f2->HotKey_Next, TShortCut(ui::scCtrl | 'N'));
    f2->ButtonCancelSettings.OnClick();

    EXPECT_EQ(settingsBytes(), before);
    EXPECT_FALSE(f2->chEcho.Checked());
    EXPECT_FALSE(f2->Effects.CurrentEffects & ui::seEcho);  // gone from the playing sound too
    EXPECT_EQ(f->StringGrid1.GridLineWidth(), 0);
    EXPECT_TRUE(f->TabControlCoverArt.Visible());
    EXPECT_EQ(f2->HotKey_Next.HotKey(), kF2);
    EXPECT_EQ(f->NextTryMenu.ShortCut(), kF2);
}

TEST_F(Settings, EscClosesWithoutSavingOrReadingAndEnterIsOks) {
    start("RepeatSong=0\r\n");
    const std::string before = settingsBytes();
    f2->Show();
    f2->RepeatSong.Checked.set(true);
    bool handled = false;
    f2->OnShortCut(kEscape, 0, handled);
    EXPECT_TRUE(handled);
    EXPECT_FALSE(f2->Visible());
    EXPECT_EQ(settingsBytes(), before);
    EXPECT_TRUE(f2->RepeatSong.Checked());  // not read again either

    // Enter in a shortcut field is that field's key.
    f2->Show();
    setKey(f2->HotKey_Play, kF9);
    f2->HotKey_Play.Focused.set(true);
    f2->OnShortCut(kEnter, 0, handled);
    EXPECT_EQ(f2->HotKey_Play.HotKey(), kEnter);
    EXPECT_TRUE(f2->Visible());
    f2->HotKey_Play.Focused.set(false);
    // Anywhere else it is Ok.
    f2->OnShortCut(kEnter, 0, handled);
    EXPECT_FALSE(f2->Visible());
    EXPECT_TRUE(ini().ReadBool("Option", "RepeatSong", false));
}

TEST_F(Settings, ShortcutsStartAtTheirInitialValuesAndReachTheMenus) {
    start("");
    int found = 0;
    for (const auto& command : ui::TForm2::HotKeyCommands()) {
        const THotKey& field = f2->*command.Field;
        EXPECT_EQ(field.HotKey(), command.Initial) << field.Name();
        for (const char* name : command.MenuItems)
            if (auto* item = f->Find<ui::TMenuItem>(name)) {
                EXPECT_EQ(item->ShortCut(), command.Initial) << name;
                ++found;
            }
    }
    // The transport, settings, playlist and add items at least.
    EXPECT_GE(found, 15);
    // The initial values are the first run's.
    f->Close();
    run.reset();
    ASSERT_EQ(std::remove(env.settingsFile().c_str()), 0);
    restart();
    for (const auto& command : ui::TForm2::HotKeyCommands())
        EXPECT_EQ(ini().ReadInteger("Option", (f2->*command.Field).Name(), -1), command.Initial);

    // Ctrl+P opens the settings through its menu item.
    EXPECT_TRUE(press('P', ui::ssCtrl));
    EXPECT_EQ(run->t.host.modalForms, std::vector<std::string>{"Form2"});
}

TEST_F(Settings, ANewKeyForTheNextTrackPlaysTheNextTrack) {
    std::string a = wav("a"), b = wav("b");
    start("", {a, b});
    f->StringGrid1.SetRow(0);
    f->StringGrid1.OnDblClick();
    ASSERT_EQ(f->CurrentFile, a);

    setKey(f2->HotKey_Next, TShortCut(ui::scCtrl | 'N'));
    EXPECT_EQ(f->NextTryMenu.ShortCut(), ui::scCtrl | 'N');
    EXPECT_FALSE(press(kF2));  // the old key is free
    EXPECT_EQ(f->CurrentFile, a);
    EXPECT_TRUE(press('N', ui::ssCtrl));
    EXPECT_EQ(f->CurrentFile, b);
    // With a modifier a key is another key: Shift+F1 is not F1.
    EXPECT_FALSE(press(kF1, ui::ssShift));
    EXPECT_EQ(f->CurrentFile, b);
    EXPECT_TRUE(press(kF1));
    EXPECT_EQ(f->CurrentFile, a);
}

TEST_F(Settings, AKeyAlreadyTakenIsRefusedWithAMessage) {
    start("");
    struct Case {
        THotKey ui::TForm2::*field;
        TShortCut key;
        bool accepted;
        const char* named;  // what the message names
    };
    const Case cases[] = {
        {&ui::TForm2::HotKey_Prev, kF2, false, "Следующий файл"},
        {&ui::TForm2::HotKey_AddFile, TShortCut(ui::scCtrl | 'P'), false, "Настройки"},
        {&ui::TForm2::HotKey_DelFile, TShortCut(ui::scCtrl | kDelete), false, "Удалить файл с диска"},
        {&ui::TForm2::HotKey_DelFilePL, TShortCut(ui::scAlt | 'X'), false, "Удалить файл из списка"},
        {&ui::TForm2::HotKey_DelFilePL, TShortCut(ui::scShift | 'X'), true, nullptr},
        {&ui::TForm2::HotKey_Prev, 0, true, nullptr},  // no key at all is no one's
        {&ui::TForm2::HotKey_AddPL, 0, true, nullptr},
    };
    for (const Case& c : cases) {
        THotKey& field = f2->*c.field;
        SCOPED_TRACE(field.Name() + " " + ui::ShortCutToText(c.key));
        const TShortCut before = field.HotKey();
        run->t.dialogs.calls.clear();
        setKey(field, c.key);
        EXPECT_EQ(field.HotKey(), c.accepted ? c.key : before);
        auto messages = boxMessages();
        ASSERT_EQ(messages.size(), c.accepted ? 0u : 1u);
        if (!c.accepted) {
            EXPECT_NE(messages[0].find(c.named), std::string::npos) << messages[0];
        }
    }
    EXPECT_EQ(f->PrevTryMenu.ShortCut(), 0);
    EXPECT_EQ(f->AddFileMenu1.ShortCut(), ui::scShift | 'L');
}

TEST_F(Settings, ResetAndTheStoredKeysNeverGiveOneKeyTwoCommands) {
    // A hand-edited file: next and previous swapped, F2 also for the tag editor.
    start("HotKey_Next=112\r\nHotKey_Prev=113\r\nHotKey_FileInfo=113\r\nHotKey_DelFile=65\r\n");
    EXPECT_EQ(f2->HotKey_Next.HotKey(), kF1);
    EXPECT_EQ(f2->HotKey_Prev.HotKey(), kF2);
    EXPECT_EQ(f2->HotKey_FileInfo.HotKey(), 0);  // the first command keeps it
    EXPECT_EQ(f->FileInfoMenu.ShortCut(), 0);

    f2->Button_Reset2.OnClick();
    for (const auto& command : ui::TForm2::HotKeyCommands())
        EXPECT_EQ((f2->*command.Field).HotKey(), command.Initial) << (f2->*command.Field).Name();
    EXPECT_EQ(f2->HotKey_DelFile.HotKey(), ui::scShift | kDelete);
    EXPECT_EQ(f2->HotKey_DelFilePL.HotKey(), kDelete);
    EXPECT_EQ(f->NextTryMenu.ShortCut(), kF2);
    EXPECT_EQ(f->FileInfoMenu.ShortCut(), 0x73);
    EXPECT_TRUE(boxMessages().empty());
}

TEST_F(Settings, MediaKeysWorkWhileTheMainWindowHasTheFocus) {
    std::string a = wav("a"), b = wav("b");
    start("", {a, b});
    f->StringGrid1.SetRow(0);
    f->SearchBox1.Focused.set(true);  // typing there takes no media key away
    EXPECT_TRUE(press(ui::vkMediaPlayPause));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_TRUE(press(ui::vkMediaPlayPause));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PAUSED);
    EXPECT_TRUE(press(ui::vkPlay));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_TRUE(press(ui::vkMediaNextTrack));
    EXPECT_EQ(f->CurrentFile, b);
    EXPECT_TRUE(press(ui::vkMediaPrevTrack));
    EXPECT_EQ(f->CurrentFile, a);
    EXPECT_TRUE(press(ui::vkPause));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PAUSED);
    EXPECT_TRUE(press(ui::vkMediaStop));
    EXPECT_EQ(f->CurrentChannel, 0u);
}

TEST_F(Settings, TheFolderMenuIsWrittenAtTheClickFollowsTheLanguageAndGoesWhenUnticked) {
    start("");
    EXPECT_FALSE(f2->CheckBoxFolderMenu.Checked());
    f2->CheckBoxFolderMenu.Checked.set(true);
    ASSERT_EQ(menu->registered.size(), 1u);
    EXPECT_EQ(menu->registered[0].Open, "Открыть в Orvelin");
    EXPECT_EQ(menu->registered[0].Add, "Добавить в Orvelin");
    f2->ButtonOKSettings.OnClick();
    EXPECT_EQ(menu->registered.size(), 1u);  // not again at the save

    // Another language: the menu's texts follow.
    env.dir.file("data/orvelin/Language/German.ini",
                 "[Orvelin]\nForm1.LangOpenInOrvelin.Caption=In Orvelin öffnen\n"
                 "Form1.LangAddInOrvelin.Caption=Zu Orvelin hinzufügen\n");
    run->program.Language->Choose("German");
    ASSERT_EQ(menu->registered.size(), 2u);
    EXPECT_EQ(menu->registered[1].Open, "In Orvelin öffnen");
    EXPECT_EQ(menu->registered[1].Add, "Zu Orvelin hinzufügen");

    // What is there decides the box at the next start, and nothing is written.
    menuPresent = true;
    restart();
    EXPECT_TRUE(f2->CheckBoxFolderMenu.Checked());
    EXPECT_TRUE(menu->registered.empty());
    f2->CheckBoxFolderMenu.Checked.set(false);
    EXPECT_EQ(menu->unregistered, 1);
    f2->ButtonCancelSettings.OnClick();  // removed at the click: Cancel does not bring it back
    EXPECT_FALSE(f2->CheckBoxFolderMenu.Checked());
    EXPECT_EQ(menu->unregistered, 1);
    EXPECT_TRUE(menu->registered.empty());
}

TEST_F(Settings, TheAddOnPageListsEveryFamilyOfTheEngine) {
    start("");
    const auto addOns = f->Engine().AddOns();
    ASSERT_EQ(f2->StringGridPlug.RowCount(), static_cast<int>(addOns.size()));
    ASSERT_EQ(f2->PluginHandles.size(), addOns.size());
    bool someUnavailable = false;
    for (size_t i = 0; i < addOns.size(); ++i) {
        const int row = static_cast<int>(i);
        auto cell = [&](int col) { return f2->StringGridPlug.Cell(col, row); };
        SCOPED_TRACE(addOns[i].name);
        EXPECT_EQ(cell(ui::TForm2::pcName), addOns[i].name);
        EXPECT_EQ(cell(ui::TForm2::pcDescription), addOns[i].description);
        EXPECT_EQ(cell(ui::TForm2::pcVersion), addOns[i].version);
        EXPECT_NE(cell(ui::TForm2::pcExtensions).find(addOns[i].extensions.front()), std::string::npos);
        EXPECT_EQ(cell(ui::TForm2::pcAvailable), addOns[i].available ? "\u2713" : "\u2717");
        // A family this build cannot decode is listed all the same, refused.
        if (!addOns[i].available) {
            EXPECT_EQ(f2->PluginHandles[i], 0u);
        }
        someUnavailable |= !addOns[i].available;
    }
    EXPECT_TRUE(someUnavailable);
}

TEST_F(Settings, ASettingsFileThatCannotBeReadIsLeftAsItIs) {
    start("RepeatSong=1\r\n");
    ASSERT_TRUE(f2->RepeatSong.Checked());
    f->Close();
    run.reset();
    // A link to itself: it is there, but reading it fails.
    ASSERT_EQ(std::remove(env.settingsFile().c_str()), 0);
    ASSERT_EQ(::symlink("Option.ini", env.settingsFile().c_str()), 0);
    restart();
    f2->RepeatSong.Checked.set(true);
    f2->ButtonCancelSettings.OnClick();  // nothing to read: the options stay
    EXPECT_TRUE(f2->RepeatSong.Checked());
    f2->ButtonOKSettings.OnClick();
    f->Close();  // the exit save
    char target[32] = {};
    EXPECT_EQ(::readlink(env.settingsFile().c_str(), target, sizeof target - 1), 10);
    EXPECT_STREQ(target, "Option.ini");
}

}  // namespace
