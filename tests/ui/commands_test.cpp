// The playlist's editing commands on the main window: real start-up on the
// engine's offline device, real files, the freedesktop trash in the test's
// own data folder, the desktop faked.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/listfiles.h"
#include "platform/fake/fakedesktop.h"
#include "support/process.h"
#include "ui/editingfixture.h"

using testenv::Editing;
using testenv::Entry;
using testenv::Rows;

namespace {

TEST_F(Editing, SortingKeepsTheEntriesTheHistoryNamesAndSavesTheNewOrder) {
    std::string a = track("a"), b = track("b"), c = track("c");
    startWith({{"B", 600, b}, {"a", 120, a}, {"C", 210, c}});
    f->MemoPlayHistory = {"1", "3"};  // B, then C
    f->StringGrid1.SetRow(2);

    f->SortbyNameMenu.Click();
    EXPECT_EQ(column(1), (std::vector<std::string>{"a", "B", "C"}));
    EXPECT_EQ(column(0), (std::vector<std::string>{"0001", "0002", "0003"}));
    EXPECT_EQ(f->MemoPlayHistory, (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(f->StringGrid1.Cell(1, f->StringGrid1.Row()), "C");
    EXPECT_EQ(savedColumn(1), column(1));
    EXPECT_EQ(column(3, &f->StringGrid2), column(3));  // the search filter starts from the new order

    // As times: 2:00 before 3:30 before 10:00.
    f->SortbyDurationMenu.Click();
    EXPECT_EQ(column(2), (std::vector<std::string>{"2:00", "3:30", "10:00"}));
    EXPECT_EQ(column(1), (std::vector<std::string>{"a", "C", "B"}));
    EXPECT_EQ(f->MemoPlayHistory, (std::vector<std::string>{"3", "2"}));
    EXPECT_EQ(app::LoadLines(env.userDir() + "Config/song.ini").value_or(std::vector<std::string>{}),
              f->MemoPlayHistory);

    // A save that is due is written before another playlist takes the grid.
    f->SortbyNameMenu.Click();
    env.dir.file("config/Orvelin Project/Orvelin/Playlist/Other.m3u", testenv::m3u({a}));
    f->UpdatePlayList();
    f->ComboBox_Playlist.SelectText("Other");
    f->ComboBox_PlaylistChange();
    EXPECT_EQ(column(3), std::vector<std::string>{a});
    EXPECT_EQ(savedColumn(1), (std::vector<std::string>{"a", "B", "C"}));
    EXPECT_EQ(saved("Other").size(), 1u);
    f->ComboBox_Playlist.SelectText("default");
    f->ComboBox_PlaylistChange();

    // A shuffle moves the numbers with their rows.
    Rows before = testenv::rowsOf(f->StringGrid1);
    f->SortRandomlyMenu.Click();
    Rows after = testenv::rowsOf(f->StringGrid1);
    EXPECT_TRUE(std::is_permutation(after.begin(), after.end(), before.begin(), before.end()));
    EXPECT_EQ(savedColumn(3), column(3));
}

TEST_F(Editing, RemovingTheRowThatPlaysKeepsPlayingAndMovesLaterHistoryNumbers) {
    std::string a = track("a"), b = track("b"), c = track("c"), d = track("d");
    startWith({{"a", 1, a}, {"b", 1, b}, {"c", 1, c}, {"d", 1, d}});
    play(1);
    f->MemoPlayHistory = {"1", "2", "4", "2"};

    dialogs().boxAnswers = {ui::IDNO};
    f->DeleteFileFromListMenu.Click();
    ASSERT_EQ(dialogs().calls.size(), 1u);
    EXPECT_EQ(dialogs().calls[0].text, "Вы действительно хотите удалить файл из списка?\nb");
    EXPECT_EQ(dialogs().calls[0].caption, "Внимание!");
    EXPECT_EQ(dialogs().calls[0].flags, unsigned(ui::MB_YESNO | ui::MB_ICONQUESTION));
    EXPECT_EQ(f->StringGrid1.RowCount(), 4);

    f->DeleteFileFromListMenu.Click();
    EXPECT_EQ(column(3), (std::vector<std::string>{a, c, d}));
    EXPECT_EQ(f->StringGrid1.Row(), 1);  // the entry that followed
    EXPECT_EQ(f->MemoPlayHistory, (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_EQ(f->CurrentFile, b);
    EXPECT_EQ(savedColumn(3), (std::vector<std::string>{a, c, d}));
    settle();
    EXPECT_EQ(column(0), (std::vector<std::string>{"0001", "0002", "0003"}));
    EXPECT_EQ(f->StatusBarInfo.PanelText(0), "3");
    EXPECT_EQ(column(3, &f->StringGrid2), column(3));

    // The last row: the selection stays on the new last row.
    f->StringGrid1.SetRow(2);
    f->DeleteFileFromListMenu.Click();
    EXPECT_EQ(column(3), (std::vector<std::string>{a, c}));
    EXPECT_EQ(f->StringGrid1.Row(), 1);
    settle();
}

TEST_F(Editing, DeletingAFileSendsItToTheTrashAndPlaysTheEntryThatFollowed) {
    std::string a = track("a"), b = track("b"), c = track("c");
    startWith({{"a", 1, a}, {"b", 1, b}, {"c", 1, c}}, "RandomTrack=0\r\n");
    play(1);
    f->DeleteFileFromDiskMenu.Click();
    EXPECT_EQ(lastQuestion(), "Вы действительно хотите удалить файл с диска?\nb");
    EXPECT_FALSE(common::fileExists(b));
    EXPECT_TRUE(common::fileExists(env.system.dataHomeDir + "Trash/files/b.wav"));
    EXPECT_TRUE(common::fileExists(env.system.dataHomeDir + "Trash/info/b.wav.trashinfo"));
    EXPECT_EQ(column(3), (std::vector<std::string>{a, c}));
    EXPECT_EQ(f->CurrentFile, c);
    EXPECT_EQ(f->ChannelActivity(), audio::ACTIVE_PLAYING);
    EXPECT_EQ(savedColumn(3), (std::vector<std::string>{a, c}));
    settle();

    // A file no trash takes stays, and so does its row; the user is told.
    platform::RefusingTrash refusing;
    f->TrashService = &refusing;
    f->StringGrid1.SetRow(0);
    f->DeleteFileFromDiskMenu.Click();
    ASSERT_EQ(refusing.asked, std::vector<std::string>{a});
    EXPECT_EQ(dialogs().calls.back().text, "Не удалось переместить файл в корзину:\n" + a + "\nread-only file system");
    EXPECT_EQ(dialogs().calls.back().caption, "Ошибка!");
    EXPECT_EQ(dialogs().calls.back().flags, unsigned(ui::MB_ICONERROR));
    EXPECT_TRUE(common::fileExists(a));
    EXPECT_EQ(column(3), (std::vector<std::string>{a, c}));
    EXPECT_EQ(f->CurrentFile, c);

    // A row whose file is gone asks nothing.
    std::filesystem::remove(a);
    size_t asked = dialogs().calls.size();
    f->DeleteFileFromDiskMenu.Click();
    EXPECT_EQ(dialogs().calls.size(), asked);
}

TEST_F(Editing, DeadRowsGoStreamsStayAndOfDuplicatesTheLastStays) {
    std::string a = track("a"), b = track("b"), c = track("c"), x = track("x");
    const std::string radio = "http://radio.example/live";
    startWith({{"a", 1, a},
               {"b", 1, b},
               {"x first", 1, x},
               {"Radio", -1, radio},
               {"c", 1, c},
               {"x last", 1, x},
               {"Radio again", -1, "HTTP://RADIO.example/live"}});
    f->MemoPlayHistory = {"2"};

    f->DeleteDuplicatesMenu.Click();
    EXPECT_EQ(lastQuestion(), "Операция необратима. Вы действительно хотите удалить дубликаты?");
    EXPECT_EQ(column(1), (std::vector<std::string>{"a", "b", "c", "x last", "Radio again"}));
    EXPECT_EQ(column(0), (std::vector<std::string>{"0001", "0002", "0003", "0004", "0005"}));
    EXPECT_TRUE(f->MemoPlayHistory.empty());
    EXPECT_EQ(savedColumn(1), column(1));

    std::filesystem::remove(b);
    f->DeleteNonExistentMenu.Click();
    EXPECT_EQ(lastQuestion(), "Операция необратима. Вы действительно хотите удалить несуществующие треки?");
    EXPECT_EQ(column(1), (std::vector<std::string>{"a", "c", "x last", "Radio again"}));
    EXPECT_EQ(f->StatusBarInfo.PanelText(0), "4");
    EXPECT_EQ(column(1, &f->StringGrid2), column(1));
    EXPECT_EQ(savedColumn(1), column(1));
    EXPECT_EQ(f->StatusBarInfo.PanelText(2), "00:00:00:03");  // counted on a worker: three files of a second
}

TEST_F(Editing, ClearingTheHistoryAndTheList) {
    std::string a = track("a");
    startWith({{"a", 1, a}});
    f->MemoPlayHistory = {"1", "1"};
    f->ClearHistoryMenu.Click();
    EXPECT_EQ(lastQuestion(), "Вы действительно хотите очистить историю?");
    EXPECT_TRUE(f->MemoPlayHistory.empty());
    EXPECT_EQ(app::LoadLines(env.userDir() + "Config/song.ini"), std::vector<std::string>{});

    dialogs().boxAnswers = {ui::IDNO};
    f->ClearlistMenu.Click();
    EXPECT_EQ(lastQuestion(), "Вы действительно хотите очистить список?");
    EXPECT_EQ(f->StringGrid1.RowCount(), 1);
    f->ClearlistMenu.Click();
    EXPECT_EQ(f->StringGrid1.RowCount(), 0);
    EXPECT_EQ(f->StringGrid2.RowCount(), 0);
    EXPECT_EQ(common::readFile(env.playlistDir() + "default.m3u"), "\xEF\xBB\xBF#EXTM3U\r\n");
    EXPECT_EQ((std::vector<std::string>{f->StatusBarInfo.PanelText(0), f->StatusBarInfo.PanelText(1),
                                        f->StatusBarInfo.PanelText(2)}),
              (std::vector<std::string>{"0", "0 b", "00:00:00:00"}));
}

TEST_F(Editing, TheSearchFilterShowsMatchesAndNeverLosesTheRest) {
    std::string a = track("a"), b = track("b"), c = track("c"), d = track("d");
    startWith({{"Кино — Группа крови", 1, a}, {"Rock Anthem", 1, b}, {"КИНО live", 1, c}, {"Jazz", 1, d}});
    f->StringGrid1.SetRow(2);
    f->SearchBox1.Text.set("кино");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Кино — Группа крови", "КИНО live"}));
    EXPECT_EQ(f->StringGrid1.Row(), 1);  // the selected entry stays selected
    EXPECT_EQ(f->StatusBarInfo.PanelText(0), "2");
    EXPECT_EQ(f->StringGrid2.RowCount(), 4);
    f->SavePLMenu.Click();
    EXPECT_EQ(saved().size(), 4u);  // a save while filtering writes the whole playlist

    f->SearchBox1.Text.set("rock");
    EXPECT_EQ(column(1), std::vector<std::string>{"Rock Anthem"});
    f->SearchBox1.Text.set("zzz");
    EXPECT_EQ(f->StringGrid1.RowCount(), 0);
    EXPECT_EQ(f->StatusBarInfo.PanelText(0), "0");

    f->SearchBox1.Text.set("JAZZ");
    f->SearchBox1.Text.set("");
    EXPECT_EQ(f->StringGrid1.RowCount(), 4);
    EXPECT_EQ(f->StringGrid1.Cell(1, f->StringGrid1.Row()), "Jazz");

    // An edit ends the filter first and works on the whole playlist.
    f->SearchBox1.Text.set("кино");
    f->StringGrid1.SetRow(0);
    f->DeleteFileFromListMenu.Click();
    EXPECT_EQ(f->SearchBox1.Text(), "");
    EXPECT_EQ(column(1), (std::vector<std::string>{"Rock Anthem", "КИНО live", "Jazz"}));
    EXPECT_EQ(savedColumn(1), column(1));
    settle();
}

TEST_F(Editing, RowCommandsReachTheDesktopAndTheWindows) {
    std::string a = track("a");
    const std::string radio = "http://radio.example/live";
    startWith({{"a", 1, a}, {"Radio", -1, radio}});
    platform::FakeDesktop& desktop = run->desktop;
    int tagEditor = 0;
    f->Hooks.ShowTagEditor = [&] { ++tagEditor; };

    f->FileLocationMenu.Click();
    f->CopyToClipboardMenu.Click();
    EXPECT_TRUE(f->DispatchShortCut(0x73, 0));  // F4: file information
    f->CopyToMenu.Click();
    EXPECT_EQ(desktop.shown, std::vector<std::string>{a});
    EXPECT_EQ(desktop.clipboard, std::vector<std::vector<std::string>>{{a}});
    EXPECT_EQ(tagEditor, 1);
    EXPECT_TRUE(run->program.Form5->Showing());
    EXPECT_EQ(run->program.Form5->EditFilePath.Text(), a);

    f->StringGrid1.SetRow(1);
    std::string edited;
    run->t.host.onModal = [&](ui::TForm& form) {
        edited = run->program.Form6->EditURLPath.Text();
        EXPECT_TRUE(run->program.Form6->ButtonEditURL.Visible());
        return form.ModalResult;
    };
    EXPECT_TRUE(f->DispatchShortCut('O', ui::ssAlt));
    f->CopyToClipboardMenu.Click();
    f->FileInfoPLMenu.Click();
    EXPECT_EQ(desktop.shown.size(), 1u);  // a stream has no file to show or copy
    EXPECT_EQ(desktop.clipboard.size(), 1u);
    EXPECT_EQ(run->t.host.modalForms, std::vector<std::string>{"Form6"});
    EXPECT_EQ(edited, radio);
    EXPECT_EQ(tagEditor, 1);
}

TEST_F(Editing, ToolButtonsToggleTheirMenusAndHotKeysReachTheCommands) {
    auto names = [](const ui::TPopupMenu& m) {
        std::vector<std::string> out;
        for (auto* item : m.Items()) out.push_back(item->Name());
        return out;
    };
    std::string a = track("a");
    startWith({{"a", 1, a}});
    EXPECT_EQ(names(f->PopupMenuPLSort),
              (std::vector<std::string>{"SortbyNameMenu", "SortbyDurationMenu", "SortRandomlyMenu"}));
    EXPECT_EQ(names(f->PopupMenuDelete), (std::vector<std::string>{"DeleteNonExistentMenu", "DeleteDuplicatesMenu",
                                                                   "ClearlistMenu", "ClearHistoryMenu"}));
    EXPECT_EQ(names(f->PopupMenuPlayList),
              (std::vector<std::string>{"PlayMenu", "AddMenu", "FileLocationMenu", "CopyToMenu", "CopyToClipboardMenu",
                                        "DeleteFileFromListMenu", "DeleteFileFromDiskMenu", "FileInfoPLMenu"}));

    f->SpeedButtonSortPL.OnClick();
    EXPECT_EQ(f->PopupMenuPLSort.PopupCount, 1);
    EXPECT_EQ(f->PopupMenuPLSort.LastPlacement.Anchor, &f->SpeedButtonSortPL);
    f->SpeedButtonSortPL.OnClick();  // the click that closed the menu does not open it again
    f->SpeedButtonDelFromPL.OnClick();
    EXPECT_EQ(f->PopupMenuPLSort.PopupCount, 1);
    EXPECT_EQ(f->PopupMenuDelete.PopupCount, 0);
    f->SpeedButtonSortPL.OnClick();
    EXPECT_EQ(f->PopupMenuPLSort.PopupCount, 2);
    dialogs().boxAnswers = {ui::IDNO};
    f->ClearHistoryMenu.Click();  // a command of the menus releases the buttons
    f->SpeedButtonDelFromPL.OnClick();
    EXPECT_EQ(f->PopupMenuDelete.PopupCount, 1);

    struct Key {
        uint16_t key;
        ui::TShiftState shift;
        std::string question;
    };
    const Key keys[] = {
        {0x2E, 0, f->LangQuestionDelFilePL.Caption() + "\na"},
        {0x2E, ui::ssShift, f->LangQuestionDelFile.Caption() + "\na"},
        {'E', ui::ssShift, f->LangQuestionDelNotFile.Caption()},
        {'R', ui::ssShift, f->LangQuestionCleanDup.Caption()},
        {'C', ui::ssShift, f->LangQuestionCleanList.Caption()},
        {'H', ui::ssShift, f->LangQuestionCleanStori.Caption()},
    };
    for (const Key& k : keys) {
        dialogs().boxAnswers = {ui::IDNO};
        EXPECT_TRUE(f->DispatchShortCut(k.key, k.shift));
        EXPECT_EQ(lastQuestion(), k.question);
    }
    EXPECT_EQ(f->StringGrid1.RowCount(), 1);
    EXPECT_TRUE(common::fileExists(a));
}

TEST_F(Editing, AFileWithATitleAndNoArtistIsTitledAsTheTagScanTitlesIt) {
    std::string file = env.dir.path + "title-only.mp3";
    ASSERT_TRUE(
        testenv::ffmpeg("-f lavfi -i sine=d=1 -c:a libmp3lame -id3v2_version 3 -metadata title=Song \"" + file + "\""));
    startWith({{"title-only", 1, file}});
    play(0);
    EXPECT_EQ(f->StringGrid1.Cell(1, 0), "Song");
    f->MenuItemUpdateTags.Click();
    run->t.dispatcher.processMessages();
    settle();
    EXPECT_EQ(f->StringGrid1.Cell(1, 0), "Song");
}

}  // namespace
