#include "qt/alignlayout.h"

#include <QWidget>
#include <QWidgetItem>

namespace orvelin::qt {

using ui::TAlign;

AlignLayout::~AlignLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void AlignLayout::addControl(QWidget* widget, const ui::TControl* control) {
    addChildWidget(widget);
    items_.append({new QWidgetItem(widget), control});
    invalidate();
}

void AlignLayout::addItem(QLayoutItem* item) { items_.append({item, nullptr}); }

QLayoutItem* AlignLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_[index].item : nullptr;
}

QLayoutItem* AlignLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size()) return nullptr;
    return items_.takeAt(index).item;
}

QSize AlignLayout::sizeHint() const { return minimumSize().expandedTo(QSize(100, 50)); }

QSize AlignLayout::minimumSize() const {
    // Docked strips need at least their own thickness; the rest may shrink.
    int w = 0, h = 0;
    for (const Entry& e : items_) {
        if (!e.control || !e.item->widget() || e.item->widget()->isHidden()) continue;
        switch (e.control->Align()) {
        case TAlign::alTop:
        case TAlign::alBottom: h += e.control->Height(); break;
        case TAlign::alLeft:
        case TAlign::alRight: w += e.control->Width(); break;
        default: break;
        }
    }
    return {w, h};
}

void AlignLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    QRect free = rect;
    auto visible = [](const Entry& e) { return e.control && e.item->widget() && !e.item->widget()->isHidden(); };

    // Top strips go down from the top; bottom strips are stacked so that they
    // read top to bottom in declaration order.
    int bottomTotal = 0;
    for (const Entry& e : items_)
        if (visible(e) && e.control->Align() == TAlign::alBottom) bottomTotal += e.control->Height();
    for (const Entry& e : items_) {
        if (!visible(e) || e.control->Align() != TAlign::alTop) continue;
        int h = e.control->Height();
        e.item->setGeometry(QRect(free.left(), free.top(), free.width(), h));
        free.setTop(free.top() + h);
    }
    bottomTotal = std::min(bottomTotal, std::max(0, free.height()));
    int y = free.bottom() + 1 - bottomTotal;
    for (const Entry& e : items_) {
        if (!visible(e) || e.control->Align() != TAlign::alBottom) continue;
        int h = e.control->Height();
        e.item->setGeometry(QRect(free.left(), y, free.width(), h));
        y += h;
    }
    free.setBottom(free.bottom() - bottomTotal);

    int rightTotal = 0;
    for (const Entry& e : items_)
        if (visible(e) && e.control->Align() == TAlign::alRight) rightTotal += e.control->Width();
    for (const Entry& e : items_) {
        if (!visible(e) || e.control->Align() != TAlign::alLeft) continue;
        int w = e.control->Width();
        e.item->setGeometry(QRect(free.left(), free.top(), w, free.height()));
        free.setLeft(free.left() + w);
    }
    rightTotal = std::min(rightTotal, std::max(0, free.width()));
    int x = free.right() + 1 - rightTotal;
    for (const Entry& e : items_) {
        if (!visible(e) || e.control->Align() != TAlign::alRight) continue;
        int w = e.control->Width();
        e.item->setGeometry(QRect(x, free.top(), w, free.height()));
        x += w;
    }
    free.setRight(free.right() - rightTotal);

    for (const Entry& e : items_) {
        if (!visible(e)) continue;
        if (e.control->Align() == TAlign::alClient) {
            e.item->setGeometry(free);
        } else if (e.control->Align() == TAlign::alNone) {
            e.item->setGeometry(QRect(rect.left() + e.control->Left(), rect.top() + e.control->Top(),
                                      e.control->Width(), e.control->Height()));
        }
    }
}

}  // namespace orvelin::qt
