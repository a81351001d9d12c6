#include "kit/grid.h"

#include <algorithm>
#include <cstddef>

#include "common/text.h"

namespace ui {

TStringGrid::TStringGrid(TWinControl* parent, std::string name, int colCount, int rowCount)
    : TWinControl(parent, std::move(name), TControlKind::StringGrid), cols_(std::max(colCount, 1)),
      rows_(std::max(rowCount, 0)), cells_(static_cast<size_t>(cols_) * static_cast<size_t>(rows_)) {}

void TStringGrid::SetColCount(int n) {
    n = std::max(n, 1);
    if (n == cols_) return;
    std::vector<std::string> cells(static_cast<size_t>(n) * static_cast<size_t>(rows_));
    int keep = std::min(n, cols_);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < keep; ++c)
            cells[size_t(r) * size_t(n) + size_t(c)] = std::move(cells_[size_t(r) * size_t(cols_) + size_t(c)]);
    cells_.swap(cells);
    cols_ = n;
    changed(TGridChange::Reset, -1, -1);
}

void TStringGrid::SetRowCount(int n) {
    n = std::max(n, 0);
    if (n == rows_) return;
    rows_ = n;
    cells_.resize(static_cast<size_t>(cols_) * static_cast<size_t>(rows_));
    if (row_ >= rows_) row_ = rows_ - 1;
    if (row_ < 0 && rows_ > 0) row_ = 0;
    changed(TGridChange::Reset, -1, -1);
}

const std::string& TStringGrid::Cell(int col, int row) const {
    static const std::string empty;
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return empty;
    return cells_[size_t(row) * size_t(cols_) + size_t(col)];
}

void TStringGrid::SetCell(int col, int row, std::string text) {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
    std::string& cell = cells_[size_t(row) * size_t(cols_) + size_t(col)];
    if (cell == text) return;
    cell = std::move(text);
    changed(TGridChange::Cell, col, row);
}

std::vector<std::string> TStringGrid::RowCells(int row) const {
    std::vector<std::string> out(static_cast<size_t>(cols_));
    for (int c = 0; c < cols_; ++c) out[size_t(c)] = Cell(c, row);
    return out;
}

void TStringGrid::SetRowCells(int row, const std::vector<std::string>& cells) {
    if (row < 0 || row >= rows_) return;
    BeginUpdate();
    for (int c = 0; c < cols_; ++c)
        SetCell(c, row, c < static_cast<int>(cells.size()) ? cells[size_t(c)] : std::string());
    EndUpdate();
}

void TStringGrid::DeleteRow(int row) {
    if (row < 0 || row >= rows_) return;
    auto first = cells_.begin() + static_cast<std::ptrdiff_t>(size_t(row) * size_t(cols_));
    cells_.erase(first, first + cols_);
    --rows_;
    if (row_ >= rows_) row_ = rows_ - 1;
    changed(TGridChange::Reset, -1, -1);
}

void TStringGrid::InsertRow(int row, const std::vector<std::string>& cells) {
    row = std::clamp(row, 0, rows_);
    std::vector<std::string> fresh(static_cast<size_t>(cols_));
    for (size_t c = 0; c < fresh.size() && c < cells.size(); ++c) fresh[c] = cells[c];
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(size_t(row) * size_t(cols_)),
                  std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    ++rows_;
    if (row_ < 0) row_ = 0;
    changed(TGridChange::Reset, -1, -1);
}

void TStringGrid::MoveRow(int from, int to) {
    if (from < 0 || from >= rows_ || to < 0 || to >= rows_ || from == to) return;
    auto begin = cells_.begin();
    auto at = [&](int r) { return begin + static_cast<std::ptrdiff_t>(size_t(r) * size_t(cols_)); };
    if (from < to) std::rotate(at(from), at(from + 1), at(to + 1));
    else std::rotate(at(to), at(from), at(from + 1));
    changed(TGridChange::Reset, -1, -1);
}

void TStringGrid::DeleteRows(const std::vector<bool>& remove) {
    size_t out = 0;
    int kept = 0;
    for (int r = 0; r < rows_; ++r) {
        if (size_t(r) < remove.size() && remove[size_t(r)]) continue;
        for (int c = 0; c < cols_; ++c)
            if (out + size_t(c) != size_t(r) * size_t(cols_) + size_t(c))
                cells_[out + size_t(c)] = std::move(cells_[size_t(r) * size_t(cols_) + size_t(c)]);
        out += size_t(cols_);
        ++kept;
    }
    if (kept == rows_) return;
    SetRowCount(kept);
}

void TStringGrid::PermuteRows(const std::vector<int>& order) {
    // Anything but a permutation changes nothing (a row moved twice would lose one).
    if (order.size() != size_t(rows_)) return;
    std::vector<bool> seen(order.size(), false);
    for (int from : order) {
        if (from < 0 || from >= rows_ || seen[size_t(from)]) return;
        seen[size_t(from)] = true;
    }
    std::vector<std::string> cells(cells_.size());
    for (size_t place = 0; place < order.size(); ++place) {
        size_t from = size_t(order[place]);
        for (int c = 0; c < cols_; ++c)
            cells[place * size_t(cols_) + size_t(c)] = std::move(cells_[from * size_t(cols_) + size_t(c)]);
    }
    cells_.swap(cells);
    changed(TGridChange::Reset, -1, -1);
}

void TStringGrid::SetContent(int rowCount, std::vector<std::string> cells) {
    rows_ = std::max(rowCount, 0);
    cells.resize(size_t(rows_) * size_t(cols_));
    cells_ = std::move(cells);
    if (row_ >= rows_) row_ = rows_ - 1;
    if (row_ < 0 && rows_ > 0) row_ = 0;
    changed(TGridChange::Reset, -1, -1);
}

void TStringGrid::Assign(const TStringGrid& other) {
    if (&other == this) return;
    cols_ = other.cols_;
    SetContent(other.rows_, other.cells_);
}

void TStringGrid::SetTopRow(int row) {
    row = std::clamp(row, 0, std::max(rows_ - 1, 0));
    topRow_ = row;
    changed(TGridChange::Top, -1, row);
}

int TStringGrid::TextWidth(const std::string& text) const {
    if (MeasureText) return MeasureText(text);
    return static_cast<int>(common::lengthCp(text)) * 6;
}

void TStringGrid::ClearCells() {
    for (auto& c : cells_) c.clear();
    changed(TGridChange::Reset, -1, -1);
}

void TStringGrid::SetRow(int row) {
    if (rows_ == 0) return;
    row = std::clamp(row, 0, rows_ - 1);
    if (row == row_) return;
    row_ = row;
    changed(TGridChange::Row, -1, row);
    OnSelectCell();
}

void TStringGrid::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0 && pendingReset_) {
        pendingReset_ = false;
        changed(TGridChange::Reset, -1, -1);
    }
}

int TStringGrid::observe(Observer f) {
    observers_.emplace_back(++lastId_, std::move(f));
    return lastId_;
}

void TStringGrid::unobserve(int id) {
    observers_.erase(
        std::remove_if(observers_.begin(), observers_.end(), [id](const auto& o) { return o.first == id; }),
        observers_.end());
}

void TStringGrid::changed(TGridChange what, int col, int row) {
    if (updating_ > 0) {
        // The selection is cheap to tell at once; cells wait for the Reset.
        if (what != TGridChange::Row && what != TGridChange::Top) {
            pendingReset_ = true;
            return;
        }
    }
    auto observers = observers_;
    for (auto& [id, f] : observers) f(what, col, row);
}

}  // namespace ui
