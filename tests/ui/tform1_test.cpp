#include <gtest/gtest.h>

#include <set>

#include "kit/fakes.h"
#include "ui/testenv.h"
#include "ui/tform1.h"

using namespace ui;

TEST(TForm1, EveryNamedControlOfTheLayoutIsPresentWithItsHint) {
    testenv::Env env;
    auto& t = env.t;
    TForm1 f(t.app, env.system);
    const std::pair<const char*, const char*> hinted[] = {
        {"Label_ScrollText", "Скопировать название в буфер обмена"},
        {"SpeedButton_GeneralMenu", "Меню"},
        {"PlayButton", "Воспроизвести"},
        {"PauseButton", "Пауза"},
        {"StopButton", "Стоп"},
        {"PrevButton", "Предыдущий файл"},
        {"NextButton", "Следующий файл"},
        {"RandomButton", "Случайный порядок (Вкл/выкл)"},
        {"RepeatButton", "Повтор (Вкл/выкл)"},
        {"SoundButton", "Звук (Вкл/выкл)"},
        {"OptionButton", "Настройки"},
        {"SpeedButtonAddToPL", "Добавить в плейлист"},
        {"SpeedButtonDelFromPL", "Удалить из плейлиста"},
        {"SpeedButtonSortPL", "Сортировать плейлист"},
        {"SpeedButtonOther", "Разное"},
        {"SpeedButtonControlPL", "Управление плейлистами"},
        {"ComboBox_Playlist", "Выбор плейлиста"},
    };
    for (auto [name, hint] : hinted) {
        auto* c = f.Find<TControl>(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_EQ(c->Hint(), hint) << name;
    }
    // clang-format off
    for (const char* name : {"TabMusicName", "TabApp", "TabPlayList", "TabProgress", "TabControlCoverArt",
                             "ImageSubstrate", "ImageTAG", "LabelImageTag", "TabControlTagInfo", "Label_Artist",
                             "Label_Title", "Label_Year", "pb1", "Image3", "Label_Stereo", "SizeCaption", "HzCaption",
                             "kbpsCaption", "balanceBar", "Label2", "barVolume", "barVolumeSys", "Label1",
                             "StatusBarTime", "StringGrid1", "StringGrid2", "StatusBarInfo", "SearchBox1", "barSeek",
                             "Timer_Play", "Timer_Radio", "Timer_Draw", "Timer_TaskTrackGo", "PopupMenu_General",
                             "ThemeMenu", "ThemeAuto", "ThemeLight", "ThemeDark", "ThemeSky", "ThemeLuna",
                             "LanguageMenu", "OptionMenu", "FileInfoMenu", "CheckUpdateMenu", "AboutMenu", "TrayIcon1",
                             "PopupMenuTray", "Version", "ShowMainWindowTryMenu", "PlayTryMenu", "PauseTryMenu",
                             "StopTryMenu", "NextTryMenu", "PrevTryMenu", "OptionTryMenu", "ExitTryMenu"})
        // clang-format on
        EXPECT_NE(f.FindComponent(name), nullptr) << name;

    std::set<std::string> names;
    for (TComponent* c : f.Components()) EXPECT_TRUE(names.insert(c->Name()).second) << "duplicate " << c->Name();
}

TEST(TForm1, DesignStateOfTheControls) {
    testenv::Env env;
    auto& t = env.t;
    TForm1 f(t.app, env.system);
    EXPECT_EQ((std::pair{f.ClientWidth(), f.ClientHeight()}), (std::pair{743, 562}));
    EXPECT_EQ((std::pair{f.MinWidth(), f.MinHeight()}), (std::pair{240, 600}));
    EXPECT_EQ(f.TabMusicName.Height(), 25);
    EXPECT_EQ(f.TabApp.Width(), 225);
    EXPECT_EQ(f.TabControlCoverArt.Height(), 232);
    EXPECT_EQ(f.TabProgress.Height(), 35);
    EXPECT_FALSE(f.barSeek.Enabled());
    EXPECT_FALSE(f.barSeek.TickMarks());
    EXPECT_EQ((std::pair{f.balanceBar.Min(), f.balanceBar.Max()}), (std::pair{-50, 50}));
    EXPECT_NE(f.barVolume.Visible(), f.barVolumeSys.Visible());
    EXPECT_EQ(f.StatusBarTime.PanelText(0), " 00:00:00");
    ASSERT_EQ(f.StatusBarInfo.Panels().size(), 4u);
    const int widths[] = {70, 70, 80, 50};
    const char* texts[] = {"0", "0 b", "00:00:00:00", ""};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(f.StatusBarInfo.Panels()[i].Width, widths[i]);
        EXPECT_EQ(f.StatusBarInfo.Panels()[i].Text, texts[i]);
    }
    EXPECT_EQ((std::pair{f.StringGrid1.ColCount(), f.StringGrid1.DefaultRowHeight()}), (std::pair{4, 17}));
    EXPECT_FALSE(f.StringGrid2.Visible());
    EXPECT_EQ(f.SearchBox1.TextHint(), "Поиск");
    struct T {
        const TTimer& timer;
        int interval;
        bool enabled;
    };
    for (const T& x : {T{f.Timer_Play, 200, false}, T{f.Timer_Radio, 100, false}, T{f.Timer_Draw, 25, true},
                       T{f.Timer_TaskTrackGo, 200, true}}) {
        EXPECT_EQ(x.timer.Interval(), x.interval) << x.timer.Name();
        EXPECT_EQ(x.timer.Enabled(), x.enabled) << x.timer.Name();
    }
}

TEST(TForm1, MenusHoldTheirItemsInOrder) {
    testenv::Env env;
    auto& t = env.t;
    TForm1 f(t.app, env.system);
    auto names = [](const std::vector<TMenuItem*>& items) {
        std::vector<std::string> out;
        for (auto* i : items) out.push_back(i->Name());
        return out;
    };
    EXPECT_EQ(names(f.PopupMenu_General.Items()),
              (std::vector<std::string>{"ThemeMenu", "LanguageMenu", "OptionMenu", "FileInfoMenu", "CheckUpdateMenu",
                                        "AboutMenu"}));
    EXPECT_EQ(names(f.ThemeMenu.Items()),
              (std::vector<std::string>{"ThemeAuto", "ThemeLight", "ThemeDark", "ThemeSky", "ThemeLuna"}));
    EXPECT_TRUE(f.ThemeAuto.Checked());
    EXPECT_EQ(f.PopupMenuTray.Items().size(), 13u);
    EXPECT_TRUE(f.PopupMenuTray.Items()[1]->IsSeparator());
    EXPECT_FALSE(f.Version.Enabled());
    f.Show();
    f.ExitTryMenu.Click();  // closes the main window, which ends the program
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(t.host.quits, 1);
}

TEST(TForm1, ColumnOneTakesWhatTheOthersLeave) {
    testenv::Env env;
    auto& t = env.t;
    TForm1 f(t.app, env.system);
    f.StringGrid1.ColWidths.set({45, 10, 38, 40});
    f.StringGrid1.Width.set(500);
    f.OnResize();
    EXPECT_EQ(f.StringGrid1.ColWidths()[1], 500 - 45 - 38 - 20);
}
