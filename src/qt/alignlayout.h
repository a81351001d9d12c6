// Lays out a container's children the way the window models describe them:
// docked strips in declaration order, the client control in what is left,
// undocked controls at their own bounds.
#pragma once

#include <QLayout>
#include <QList>

#include "kit/component.h"

namespace orvelin::qt {

class AlignLayout : public QLayout {
public:
    explicit AlignLayout(QWidget* parent) : QLayout(parent) { setContentsMargins(0, 0, 0, 0); }
    ~AlignLayout() override;

    // The widget of one model control; the control is read at every layout.
    void addControl(QWidget* widget, const ui::TControl* control);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item;
        const ui::TControl* control;
    };
    QList<Entry> items_;
};

}  // namespace orvelin::qt
