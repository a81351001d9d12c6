// Lists to pick from: combo boxes, list boxes, trees and lists in columns.
#include <QComboBox>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QListWidget>
#include <QTreeWidget>
#include <functional>

#include "kit/controls.h"
#include "qt/binders/binders.h"
#include "qt/qtext.h"
#include "qt/watch.h"

namespace orvelin::qt::binders {

using namespace ui;

namespace {

// The items of a list the model fills, and its selected index; the widget's
// own signals stay quiet while the model sets them.
template <class Model, class Widget, class Select>
void watchItems(Model& m, Widget* w, Select select) {
    watch(m.Items, w, [w, &m, select](const std::vector<std::string>& items) {
        QSignalBlocker block(w);
        w->clear();
        for (const auto& i : items) w->addItem(toQ(i));
        select(m.ItemIndex());
    });
    watch(m.ItemIndex, w, [w, select](const int& i) {
        QSignalBlocker block(w);
        select(i);
    });
}

}  // namespace

QWidget* comboBox(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TComboBox&>(c);
    auto* b = new QComboBox(parent);
    watch(m.Style, b, [b](const TComboBoxStyle& st) { b->setEditable(st == TComboBoxStyle::csDropDown); });
    watchItems(m, b, [b](int i) { b->setCurrentIndex(i); });
    watch(m.Text, b, [b](const std::string& t) {
        if (b->isEditable() && b->currentText() != toQ(t)) {
            QSignalBlocker block(b);
            b->setEditText(toQ(t));
        }
    });
    QObject::connect(b, &QComboBox::activated, b, [&m](int i) {
        m.SelectIndex(i);
        m.OnChange();
    });
    QObject::connect(b, &QComboBox::editTextChanged, b, [&m](const QString& t) {
        if (m.Style() != TComboBoxStyle::csDropDown) return;
        m.Text.set(fromQ(t));
        m.OnChange();
    });
    return b;
}

QWidget* listBox(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TListBox&>(c);
    auto* l = new QListWidget(parent);
    watchItems(m, l, [l](int i) { l->setCurrentRow(i); });
    QObject::connect(l, &QListWidget::currentRowChanged, l, [&m](int i) { m.ItemIndex.set(i); });
    QObject::connect(l, &QListWidget::itemDoubleClicked, l, [&m] { m.OnDblClick(); });
    return l;
}

QWidget* treeView(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TTreeView&>(c);
    auto* t = new QTreeWidget(parent);
    t->setHeaderHidden(true);
    auto select = [t](const std::vector<int>& path) {
        QTreeWidgetItem* item = nullptr;
        for (size_t depth = 0; depth < path.size(); ++depth)
            item = depth == 0 ? t->topLevelItem(path[0]) : (item ? item->child(path[depth]) : nullptr);
        QSignalBlocker block(t);
        t->setCurrentItem(item);
    };
    watch(m.Items, t, [t, &m, select](const std::vector<TTreeNode>& nodes) {
        {
            QSignalBlocker block(t);
            t->clear();
            std::function<void(QTreeWidgetItem*, const TTreeNode&)> add = [&](QTreeWidgetItem* parentItem,
                                                                              const TTreeNode& n) {
                auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(t);
                item->setText(0, toQ(n.Text));
                for (const auto& child : n.Children) add(item, child);
            };
            for (const auto& n : nodes) add(nullptr, n);
        }
        select(m.Selected());
    });
    watch(m.Selected, t, select);
    QObject::connect(t, &QTreeWidget::currentItemChanged, t, [t, &m](QTreeWidgetItem* item) {
        std::vector<int> path;
        for (QTreeWidgetItem* i = item; i; i = i->parent())
            path.insert(path.begin(), i->parent() ? i->parent()->indexOfChild(i) : t->indexOfTopLevelItem(i));
        if (m.Selected.set(path)) m.OnChange();
    });
    return t;
}

QWidget* listView(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TListView&>(c);
    auto* t = new QTreeWidget(parent);
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setAllColumnsShowFocus(true);
    t->header()->setStretchLastSection(true);
    // Each column as wide as its header and contents need, within its limits.
    auto fit = [t, &m] {
        const auto& columns = m.Columns();
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            t->resizeColumnToContents(i);
            int width = std::max(t->columnWidth(i), t->header()->sectionSizeHint(i));
            const TListColumn& col = columns[size_t(i)];
            width = std::max(width, col.MinWidth);
            if (col.MaxWidth > 0) width = std::min(width, col.MaxWidth);
            t->setColumnWidth(i, width);
        }
    };
    auto select = [t](int i) {
        QSignalBlocker block(t);
        QTreeWidgetItem* item = i >= 0 ? t->topLevelItem(i) : nullptr;
        t->setCurrentItem(item);
        if (!item) t->clearSelection();
    };
    watch(m.Columns, t, [t, fit](const std::vector<TListColumn>& columns) {
        QStringList headers;
        for (const TListColumn& col : columns) headers << toQ(col.Caption);
        t->setColumnCount(static_cast<int>(columns.size()));
        t->setHeaderLabels(headers);
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            t->headerItem()->setTextAlignment(i, toQt(columns[size_t(i)].Alignment));
            t->setColumnWidth(i, columns[size_t(i)].Width);
        }
        fit();
    });
    watch(m.Items, t, [t, &m, fit, select](const std::vector<TListItem>& items) {
        {
            QSignalBlocker block(t);
            t->clear();
            QFileIconProvider icons;
            const auto& columns = m.Columns();
            for (const TListItem& it : items) {
                auto* row = new QTreeWidgetItem(t);
                row->setText(0, toQ(it.Caption));
                for (size_t i = 0; i < it.SubItems.size(); ++i) row->setText(int(i) + 1, toQ(it.SubItems[i]));
                for (size_t i = 0; i < columns.size(); ++i) row->setTextAlignment(int(i), toQt(columns[i].Alignment));
                if (!it.IconFile.empty()) row->setIcon(0, icons.icon(QFileInfo(toQ(it.IconFile))));
            }
        }
        fit();
        select(m.ItemIndex());
    });
    watch(m.ItemIndex, t, select);
    QObject::connect(t, &QTreeWidget::currentItemChanged, t,
                     [t, &m](QTreeWidgetItem* item) { m.ItemIndex.set(item ? t->indexOfTopLevelItem(item) : -1); });
    return t;
}

}  // namespace orvelin::qt::binders
