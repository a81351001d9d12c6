// Small widgets the binders need where Qt's own do not behave as the models
// expect.
#pragma once

#include <algorithm>

#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTableView>
#include <QWidget>

#include "kit/controls.h"
#include "kit/grid.h"

namespace orvelin::qt {

// A label that shortens its text with an ellipsis in the middle.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    void setFullText(const QString& text);
    void setElideMiddle(bool on);
    QString fullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void refresh();
    QString full_;
    bool elide_ = false;
};

// Shows a model picture: stretched, proportional, centred or at its size.
class BitmapWidget : public QWidget {
public:
    explicit BitmapWidget(QWidget* parent) : QWidget(parent) {}
    void setBitmap(ui::TBitmapPtr bitmap);
    void setMode(bool stretch, bool proportional, bool center);
    // A picture that always fills the widget (a paint box's) hides what lies
    // under it, which then need not be painted again with every frame.
    void setFillsWidget(bool on);
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage image_;
    ui::TBitmapPtr bitmap_;  // keeps the pixels alive for image_
    bool stretch_ = false, proportional_ = false, center_ = false, fills_ = false;
};

// A track bar whose clicks and wheel turns go to the model when it has its
// own rules for them.
class TrackBarWidget : public QSlider {
public:
    TrackBarWidget(ui::TTrackBar& model, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    ui::TTrackBar& model_;
};

// A vertical scroll bar no thinner than a given width.
class ScrollBarAtLeast : public QScrollBar {
public:
    ScrollBarAtLeast(int width, QWidget* parent) : QScrollBar(Qt::Vertical, parent), width_(width) {}
    QSize sizeHint() const override {
        QSize s = QScrollBar::sizeHint();
        return {std::max(s.width(), width_), s.height()};
    }

private:
    int width_;
};

// A grid view that scrolls one row per wheel notch and hands keys to the model.
class GridView : public QTableView {
public:
    GridView(ui::TStringGrid& model, QWidget* parent);

protected:
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    ui::TStringGrid& model_;
};

}  // namespace orvelin::qt
