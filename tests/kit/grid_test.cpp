#include <gtest/gtest.h>

#include "kit/fakes.h"
#include "kit/grid.h"

using namespace ui;

namespace {
struct GridHost : TForm {
    explicit GridHost(TApplication& app) : TForm(app, "GridHost") {}
    TStringGrid Grid{this, "Grid", 4, 1};
};

std::vector<std::string> column(const TStringGrid& g, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < g.RowCount(); ++r) out.push_back(g.Cell(col, r));
    return out;
}
}  // namespace

TEST(Grid, CellsOutsideTheGridReadEmptyAndIgnoreWrites) {
    TestApplication t;
    GridHost h(t.app);
    TStringGrid& g = h.Grid;
    g.SetCell(9, 0, "x");
    g.SetCell(0, 9, "x");
    EXPECT_EQ(g.Cell(9, 0), "");
    EXPECT_EQ(g.Cell(-1, -1), "");
    g.SetRowCount(3);
    g.SetCell(3, 2, "loc");
    g.SetColCount(2);  // narrowing drops the cut columns
    g.SetColCount(4);
    EXPECT_EQ(g.Cell(3, 2), "");
}

TEST(Grid, RowOperationsKeepCellsTogether) {
    TestApplication t;
    GridHost h(t.app);
    TStringGrid& g = h.Grid;
    g.SetRowCount(0);
    for (int i = 0; i < 4; ++i)
        g.InsertRow(i, {std::to_string(i), "t" + std::to_string(i), "0:00", "/p" + std::to_string(i)});
    g.MoveRow(0, 3);
    EXPECT_EQ(column(g, 3), (std::vector<std::string>{"/p1", "/p2", "/p3", "/p0"}));
    g.MoveRow(3, 1);
    EXPECT_EQ(column(g, 0), (std::vector<std::string>{"1", "0", "2", "3"}));
    g.PermuteRows({2, 0, 3, 1});
    EXPECT_EQ(column(g, 3), (std::vector<std::string>{"/p2", "/p1", "/p3", "/p0"}));
    EXPECT_EQ(g.RowCells(1), (std::vector<std::string>{"1", "t1", "0:00", "/p1"}));
    for (const std::vector<int>& notAnOrder : {std::vector<int>{0, 0, 1, 2}, {0, 1, 2}, {0, 1, 2, 4}})
        g.PermuteRows(notAnOrder);  // would lose a row: nothing happens
    EXPECT_EQ(column(g, 3), (std::vector<std::string>{"/p2", "/p1", "/p3", "/p0"}));
    g.PermuteRows({1, 3, 0, 2});
    g.SetRow(3);
    g.DeleteRow(3);  // the selection stays inside
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.RowCells(0), (std::vector<std::string>{"1", "t1", "0:00", "/p1"}));
    g.SetRowCount(0);
    EXPECT_EQ(g.Row(), -1);
}

TEST(Grid, BulkUpdatesNotifyOnce) {
    TestApplication t;
    GridHost h(t.app);
    TStringGrid& g = h.Grid;
    std::vector<TGridChange> seen;
    g.observe([&](TGridChange c, int, int) { seen.push_back(c); });
    g.SetCell(1, 0, "one");
    g.BeginUpdate();
    g.SetRowCount(1000);
    for (int r = 0; r < 1000; ++r) g.SetCell(1, r, "row");
    g.BeginUpdate();
    g.EndUpdate();  // nested: not yet
    EXPECT_EQ(seen.size(), 1u);
    g.EndUpdate();
    EXPECT_EQ(seen, (std::vector<TGridChange>{TGridChange::Cell, TGridChange::Reset}));
}
