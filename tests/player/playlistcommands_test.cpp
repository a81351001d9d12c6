#include "player/playlistcommands.h"

#include <gtest/gtest.h>

#include <map>

#include "player/gridhost.h"
#include "support/tempdir.h"

using testenv::Rows;

namespace {

struct Commands : ::testing::Test {
    ui::TestApplication t;
    testenv::GridHost host{t.app};
    ui::TStringGrid& grid = host.Grid;

    // Rows numbered 1.. in column 0, with the given titles or durations.
    void rows(const std::vector<std::string>& values, int col) {
        Rows r;
        for (size_t i = 0; i < values.size(); ++i) {
            std::vector<std::string> cells = {std::to_string(i + 1), "t", "0:00", "/m/" + std::to_string(i)};
            cells[size_t(col)] = values[i];
            r.push_back(cells);
        }
        testenv::setRows(grid, r);
    }
    std::vector<std::string> column(int col) const {
        std::vector<std::string> out;
        for (int r = 0; r < grid.RowCount(); ++r) out.push_back(grid.Cell(col, r));
        return out;
    }
};

TEST_F(Commands, SortsAreStableAndDurationsCompareAsTimes) {
    struct Case {
        const char* what;
        int col;
        std::vector<std::string> values;
        std::vector<std::string> numbersAfter;
    };
    const Case cases[] = {
        {"titles ignoring case", 1, {"B", "a", "C", "A"}, {"2", "4", "1", "3"}},
        {"Cyrillic titles", 1, {"Яблоко", "арбуз", "Банан", "АРБУЗ"}, {"2", "4", "3", "1"}},
        {"durations", 2, {"10:00", "2:00", "3:30", "", "0:00", "abc", "2:00"}, {"4", "6", "5", "2", "7", "3", "1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rows(c.values, c.col);
        grid.SetRow(2);  // the selection stays on its entry
        player::TRowOrder order = c.col == 1 ? player::OrderByTitle(grid) : player::OrderByDuration(grid);
        player::ApplyRowOrder(grid, order);
        EXPECT_EQ(column(0), c.numbersAfter);
        EXPECT_EQ(grid.Cell(0, grid.Row()), "3");
        EXPECT_EQ(grid.Cell(3, grid.Row()), "/m/2");  // all columns moved with their row
    }
}

TEST_F(Commands, TheShuffleIsUniform) {
    std::mt19937 random(20240611);
    std::map<player::TRowOrder, int> seen;
    for (int i = 0; i < 6000; ++i) ++seen[player::ShuffledOrder(3, random)];
    ASSERT_EQ(seen.size(), 6u);  // every permutation of three, and nothing else
    for (const auto& [order, count] : seen) {
        EXPECT_GT(count, 850);
        EXPECT_LT(count, 1150);
    }
    EXPECT_TRUE(player::ShuffledOrder(0, random).empty());
    EXPECT_EQ(player::ShuffledOrder(1, random), player::TRowOrder{0});
}

TEST_F(Commands, RowNumbersFollowTheirEntries) {
    player::TLines history = {"1", "3", "5", "x", "9", "3"};
    player::RemapRowLines(history, player::MapOfRemoval({false, false, true, false, false}));
    EXPECT_EQ(history, (player::TLines{"1", "4", "x", "9"}));  // row 3 gone, 5 is now 4; others as they were

    player::TLines order = {"1", "2", "3"};
    player::RemapRowLines(order, player::MapOfOrder({2, 0, 1}));  // row 3 went first
    EXPECT_EQ(order, (player::TLines{"2", "3", "1"}));
    EXPECT_EQ(player::MapRow(player::MapOfOrder({2, 0, 1}), 2), 0);
    EXPECT_EQ(player::MapRow(player::MapOfOrder({2, 0, 1}), 7), -1);
}

TEST_F(Commands, OfDuplicateLocationsTheLastStays) {
    testenv::TempDir dir;
    std::string upper = dir.file("Song.mp3", "1"), lower = dir.file("song.mp3", "2");
    testenv::setRows(grid, {
                               {"0", "", "", "/m/x.mp3"},
                               {"1", "", "", "C:\\A.mp3"},
                               {"2", "", "", "/m/y.mp3"},
                               {"3", "", "", upper},
                               {"4", "", "", "http://radio.example/live"},
                               {"5", "", "", "/m/y.mp3"},
                               {"6", "", "", "c:\\a.mp3"},
                               {"7", "", "", lower},  // differs only in case, but another file
                               {"8", "", "", "HTTP://RADIO.example/live"},
                               {"9", "", "", upper},
                           });
    std::vector<bool> remove = player::DuplicateRows(grid);
    EXPECT_EQ(remove, (std::vector<bool>{false, true, true, true, true, false, false, false, false, false}));
}

TEST_F(Commands, TheFilterFindsTitlesIgnoringCaseInAnyAlphabet) {
    rows({"Rock Anthem", "rock ballad", "Кино — Группа крови", "КИНО live", "Jazz", "ΑΛΦΑ"}, 1);
    struct Case {
        const char* text;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {"rock", {0, 1}}, {"кино", {2, 3}}, {"группа КРОВИ", {2}}, {"альфа", {}}, {"αλφα", {5}}, {"z", {4}},
    };
    for (const Case& c : cases) EXPECT_EQ(player::FilterRows(grid, c.text), c.rows) << c.text;

    testenv::GridHost shown{t.app};
    player::ShowRows(shown.Grid, grid, {3, 0});
    EXPECT_EQ(testenv::rowsOf(shown.Grid), (Rows{grid.RowCells(3), grid.RowCells(0)}));
}

}  // namespace
