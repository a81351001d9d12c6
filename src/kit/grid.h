// A grid of text cells, the playlist's model. Cells are stored flat so that
// a playlist of 100,000 rows costs little more than its text.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "kit/component.h"

namespace ui {

enum class TGridChange {
    Reset,  // shape or many cells changed: re-read everything
    Cell,   // one cell (col, row) changed
    Row,    // the selected row moved
    Top,    // the program scrolled: TopRow() is the first visible row
};

class TStringGrid : public TWinControl {
public:
    TStringGrid(TWinControl* parent, std::string name, int colCount = 5, int rowCount = 5);

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    // New rows are empty; removed rows are gone. The selected row stays inside.
    void SetColCount(int n);
    void SetRowCount(int n);

    // Reading outside the grid yields an empty string; writing outside does nothing.
    const std::string& Cell(int col, int row) const;
    void SetCell(int col, int row, std::string text);
    std::vector<std::string> RowCells(int row) const;
    void SetRowCells(int row, const std::vector<std::string>& cells);
    // Removes one row, moving the ones below it up.
    void DeleteRow(int row);
    void InsertRow(int row, const std::vector<std::string>& cells);
    void MoveRow(int from, int to);
    // Removes every row whose flag is set, in one pass (keep.size() == RowCount()).
    void DeleteRows(const std::vector<bool>& remove);
    // Puts the rows in a new order, moving their cells: order[i] is the old
    // index of the row that goes to place i (a permutation of the rows). The
    // selection keeps its index.
    void PermuteRows(const std::vector<int>& order);
    // The same shape and every cell equal.
    bool SameCells(const TStringGrid& other) const { return cols_ == other.cols_ && cells_ == other.cells_; }
    // Every cell emptied, the shape kept.
    void ClearCells();
    // Replaces the whole content: cells row by row, rowCount * ColCount() of them.
    void SetContent(int rowCount, std::vector<std::string> cells);
    // The shape and every cell of another grid.
    void Assign(const TStringGrid& other);

    // The selected row (whole rows are selected); -1 only while the grid has no rows.
    int Row() const { return row_; }
    void SetRow(int row);
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);

    // Width in pixels of a text in the grid's font; the front end supplies the
    // real measure, the default guesses from the number of characters.
    std::function<int(const std::string&)> MeasureText;
    int TextWidth(const std::string& text) const;

    Property<std::vector<int>> ColWidths;
    Property<int> DefaultColWidth{64};
    Property<int> DefaultRowHeight{24};
    Property<int> FixedRows{0}, FixedCols{0};
    // The lines between the cells, in pixels; 0 draws none.
    Property<int> GridLineWidth{0};
    // Per column; columns past the end are left-justified.
    Property<std::vector<TAlignment>> ColAlignments;

    // Many changes as one: observers hear a single Reset at the outermost EndUpdate.
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    using Observer = std::function<void(TGridChange, int col, int row)>;
    int observe(Observer f);
    void unobserve(int id);

    Event<> OnSelectCell;
    Event<uint16_t&, TShiftState> OnGridKeyDown;
    Event<int, int> OnDrawCell;

private:
    void changed(TGridChange what, int col, int row);

    int cols_, rows_;
    int row_ = 0;
    int topRow_ = 0;
    std::vector<std::string> cells_;  // row-major, rows_ * cols_
    int updating_ = 0;
    bool pendingReset_ = false;
    std::vector<std::pair<int, Observer>> observers_;
    int lastId_ = 0;
};

}  // namespace ui
