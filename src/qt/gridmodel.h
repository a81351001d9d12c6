// A virtual table over a grid model: Qt asks for the cells it shows, so a
// playlist of any length opens at once.
#pragma once

#include <QAbstractTableModel>

#include "kit/grid.h"

namespace orvelin::qt {

class GridModel : public QAbstractTableModel {
public:
    GridModel(ui::TStringGrid& grid, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Which columns are right-aligned (the duration column of a playlist).
    void setRightAligned(int col, bool on);

private:
    ui::TStringGrid& grid_;
    int rows_ = 0, cols_ = 0;  // the shape Qt was last told about
    std::vector<bool> rightAligned_;
};

}  // namespace orvelin::qt
