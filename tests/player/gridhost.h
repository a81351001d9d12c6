// A playlist grid on a form of its own, and its rows as plain vectors.
#pragma once

#include <string>
#include <vector>

#include "kit/fakes.h"
#include "kit/grid.h"

namespace testenv {

using Rows = std::vector<std::vector<std::string>>;

struct GridHost : ui::TForm {
    explicit GridHost(ui::TApplication& app) : ui::TForm(app, "GridHost") {}
    ui::TStringGrid Grid{this, "Grid", 4, 0};
};

inline Rows rowsOf(const ui::TStringGrid& g) {
    Rows rows;
    for (int r = 0; r < g.RowCount(); ++r) rows.push_back(g.RowCells(r));
    return rows;
}

inline void setRows(ui::TStringGrid& g, const Rows& rows) {
    g.SetRowCount(static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) g.SetRowCells(static_cast<int>(r), rows[r]);
}

}  // namespace testenv
