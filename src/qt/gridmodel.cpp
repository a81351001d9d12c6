#include "qt/gridmodel.h"

#include "qt/qtext.h"
#include "qt/watch.h"

namespace orvelin::qt {

GridModel::GridModel(ui::TStringGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), rows_(grid.RowCount()), cols_(grid.ColCount()) {
    watchGrid(grid_, this, [this](ui::TGridChange what, int col, int row) {
        if (what == ui::TGridChange::Cell) {
            QModelIndex i = index(row, col);
            emit dataChanged(i, i);
        } else if (what == ui::TGridChange::Reset) {
            beginResetModel();
            rows_ = grid_.RowCount();
            cols_ = grid_.ColCount();
            endResetModel();
        }
    });
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return toQ(grid_.Cell(index.column(), index.row()));
    if (role == Qt::TextAlignmentRole) {
        bool right = index.column() < static_cast<int>(rightAligned_.size()) && rightAligned_[size_t(index.column())];
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

void GridModel::setRightAligned(int col, bool on) {
    if (col < 0) return;
    if (static_cast<int>(rightAligned_.size()) <= col) rightAligned_.resize(size_t(col) + 1);
    rightAligned_[size_t(col)] = on;
    if (rows_ > 0) emit dataChanged(index(0, col), index(rows_ - 1, col));
}

}  // namespace orvelin::qt
