// The string grid: a virtual table view over the model's cells, one row
// selected, the model's column widths and first visible row.
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

#include "kit/grid.h"
#include "qt/binders/binders.h"
#include "qt/gridmodel.h"
#include "qt/qtext.h"
#include "qt/watch.h"
#include "qt/widgets.h"

namespace orvelin::qt::binders {

using namespace ui;

QWidget* stringGrid(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TStringGrid&>(c);
    auto* v = new GridView(m, parent);
    auto* model = new GridModel(m, v);
    v->setModel(model);
    v->horizontalHeader()->hide();
    v->verticalHeader()->hide();
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Column widths leave 20 pixels for the scroll bar and the frame, so
    // that the location column starts under the bar; Qt's bar is thinner.
    v->setVerticalScrollBar(new ScrollBarAtLeast(20 - 2 * v->frameWidth(), v));
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setWordWrap(false);
    watch(m.GridLineWidth, v, [v](const int& width) { v->setShowGrid(width > 0); });
    v->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    watch(m.DefaultRowHeight, v, [v](const int& h) {
        v->verticalHeader()->setMinimumSectionSize(1);
        v->verticalHeader()->setDefaultSectionSize(h);
        v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    });
    auto applyWidths = [v, &m] {
        const auto& widths = m.ColWidths();
        for (int col = 0; col < m.ColCount(); ++col)
            v->setColumnWidth(col, col < static_cast<int>(widths.size()) ? widths[size_t(col)] : m.DefaultColWidth());
    };
    watch(m.ColWidths, v, [applyWidths](const std::vector<int>&) { applyWidths(); });
    watch(m.ColAlignments, v, [model](const std::vector<TAlignment>& a) {
        for (int col = 0; col < model->columnCount(); ++col)
            model->setRightAligned(col,
                                   col < static_cast<int>(a.size()) && a[size_t(col)] == TAlignment::taRightJustify);
    });
    // Column fitting measures in the grid's own font.
    m.MeasureText = [v](const std::string& text) { return v->fontMetrics().horizontalAdvance(toQ(text)); };
    QObject::connect(v, &QObject::destroyed, [&m] { m.MeasureText = nullptr; });
    auto showTop = [v, &m] { v->verticalScrollBar()->setValue(m.TopRow()); };
    auto showRow = [v, &m] {
        if (m.Row() < 0 || m.Row() >= m.RowCount()) return;
        QModelIndex i = v->model()->index(m.Row(), 0);
        if (v->currentIndex().row() != m.Row()) {
            QSignalBlocker block(v->selectionModel());
            v->selectRow(m.Row());
            v->setCurrentIndex(i);
        }
        v->scrollTo(i);
    };
    watchGrid(m, v, [applyWidths, showRow, showTop](TGridChange what, int, int) {
        if (what == TGridChange::Reset) applyWidths();
        if (what == TGridChange::Top) showTop();
        else if (what != TGridChange::Cell) showRow();
    });
    QObject::connect(v->selectionModel(), &QItemSelectionModel::currentRowChanged, v, [&m](const QModelIndex& cur) {
        if (cur.isValid()) m.SetRow(cur.row());
    });
    QObject::connect(v, &QTableView::doubleClicked, v, [&m](const QModelIndex& i) {
        if (i.isValid()) m.SetRow(i.row());
        m.OnDblClick();
    });
    QTimer::singleShot(0, v, [showRow, showTop] {
        showTop();
        showRow();
    });
    return v;
}

}  // namespace orvelin::qt::binders
