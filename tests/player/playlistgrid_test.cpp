#include <gtest/gtest.h>

#include "player/gridhost.h"
#include "player/playlistgrid.h"
#include "support/tempdir.h"

using testenv::Rows;

namespace {

struct Fixture : ::testing::Test {
    testenv::TempDir dir;
    ui::TestApplication t;
    testenv::GridHost host{t.app};
    ui::TStringGrid& grid = host.Grid;
};

TEST_F(Fixture, DeadRowsGoAndNumbersStayUntilRenumbered) {
    std::string a = dir.file("a.mp3", "12345"), b = dir.file("b.mp3");
    testenv::setRows(grid, {
                               {"0001", "A", "0:01", a},
                               {"0002", "Gone", "0:02", dir.path + "gone.mp3"},
                               {"0003", "Radio", "0:00", "HTTP://radio.example/live"},
                               {"0004", "Folder", "0:00", dir.path},
                               {"", "", "", ""},
                               {"0006", "B", "0:03", b},
                           });
    std::vector<std::string> removed;
    EXPECT_EQ(player::DeleteEmptyRowTrak(grid, [&](const std::string& title) { removed.push_back(title); }), 3);
    EXPECT_EQ(removed, (std::vector<std::string>{"", "Folder", "Gone"}));  // walked from the last row
    EXPECT_EQ(testenv::rowsOf(grid), (Rows{{"0001", "A", "0:01", a},
                                           {"0003", "Radio", "0:00", "HTTP://radio.example/live"},
                                           {"0006", "B", "0:03", b}}));
    player::TracksNumberSG(grid);
    EXPECT_EQ(grid.Cell(0, 2), "0003");
    grid.SetRowCount(10000);
    player::TracksNumberSG(grid);
    EXPECT_EQ(grid.Cell(0, 9999), "10000");
}

TEST_F(Fixture, BlankRowsGo) {
    testenv::setRows(grid, {{" ", "\t", "", ""}, {"", "x", "", ""}, {"", "", "", ""}});
    player::DeleteEmptyRow(grid);
    EXPECT_EQ(testenv::rowsOf(grid), (Rows{{"", "x", "", ""}}));
}

TEST_F(Fixture, StatisticsCountOnlyExistingFiles) {
    std::string a = dir.file("a.mp3", std::string(1000, 'x')), b = dir.file("b.mp3", std::string(536, 'x'));
    testenv::setRows(grid, {
                               {"", "", "3:05", a},
                               {"", "", "abc", b},
                               {"", "", "24:55:00", a},  // minutes before the first ":" only: no number
                               {"", "", "1:00", dir.path + "gone.mp3"},
                               {"", "", "1500:00", b},
                               {"", "", "9:59", "http://radio.example/live"},
                           });
    EXPECT_EQ(player::SongNumberText(grid), "6");
    EXPECT_EQ(player::SizeTrackText(grid), "3 kB");        // 1000 + 536 + 1000 + 536 bytes
    EXPECT_EQ(player::LongTimeText(grid), "01:01:03:05");  // 90185 seconds
    grid.SetRowCount(0);
    EXPECT_EQ(player::SizeTrackText(grid), "0 B");
    EXPECT_EQ(player::LongTimeText(grid), "00:00:00:00");
}

TEST_F(Fixture, ColumnsFitTheirWidestTextAndTheBackupIsAFullCopy) {
    grid.DefaultColWidth.set(40);
    grid.MeasureText = [](const std::string& s) { return static_cast<int>(s.size()) * 10; };
    testenv::setRows(grid, {{"0001", "", "3:05", ""}, {"10000", "", "62:05", ""}});
    EXPECT_EQ(player::ColumnWidthAlign(grid, 0), 55);
    EXPECT_EQ(player::ColumnWidthAlign(grid, 1), 45);  // never below the default width

    ui::TStringGrid backup{&host, "Backup", 4, 1};
    player::CopyStringGrid(grid, backup);
    EXPECT_EQ(testenv::rowsOf(backup), testenv::rowsOf(grid));
    grid.SetRowCount(0);
    player::CopyStringGrid(grid, backup);
    EXPECT_EQ(backup.RowCount(), 0);
}

}  // namespace
