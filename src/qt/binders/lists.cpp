// Lists to pick from: combo boxes, list boxes and trees.
#include <QComboBox>
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

}  // namespace orvelin::qt::binders
