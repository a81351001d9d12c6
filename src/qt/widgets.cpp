#include "qt/widgets.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "qt/keys.h"

namespace orvelin::qt {

void ElidedLabel::setFullText(const QString& text) {
    full_ = text;
    refresh();
}

void ElidedLabel::setElideMiddle(bool on) {
    elide_ = on;
    refresh();
}

void ElidedLabel::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    refresh();
}

void ElidedLabel::refresh() {
    setText(elide_ ? fontMetrics().elidedText(full_, Qt::ElideMiddle, std::max(0, width() - 4)) : full_);
}

void BitmapWidget::setBitmap(ui::TBitmapPtr bitmap) {
    bitmap_ = std::move(bitmap);
    if (bitmap_ && bitmap_->Width > 0 && bitmap_->Height > 0)
        image_ = QImage(reinterpret_cast<const uchar*>(bitmap_->Pixels.data()), bitmap_->Width, bitmap_->Height,
                        bitmap_->Width * 4, QImage::Format_ARGB32);
    else image_ = QImage();
    setAttribute(Qt::WA_OpaquePaintEvent, fills_ && !image_.isNull());
    update();
}

void BitmapWidget::setFillsWidget(bool on) {
    fills_ = on;
    setAttribute(Qt::WA_OpaquePaintEvent, fills_ && !image_.isNull());
}

void BitmapWidget::setMode(bool stretch, bool proportional, bool center) {
    stretch_ = stretch, proportional_ = proportional, center_ = center;
    update();
}

void BitmapWidget::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter p(this);
    // Stretched fills the widget, proportional keeps the aspect: both fit the
    // picture either way; proportional alone only shrinks one too large.
    QSize size = image_.size();
    if (proportional_ && (stretch_ || size.width() > width() || size.height() > height())) {
        size.scale(rect().size(), Qt::KeepAspectRatio);
    } else if (stretch_) {
        size = rect().size();
    }
    QPoint at = center_ ? QPoint((width() - size.width()) / 2, (height() - size.height()) / 2) : QPoint(0, 0);
    // Smoothing costs a pass over the pixels; a picture drawn at its own
    // size (the spectrum, 40 times a second) needs none.
    if (size != image_.size()) p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(at, size), image_);
}

TrackBarWidget::TrackBarWidget(ui::TTrackBar& model, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), model_(model) {}

void TrackBarWidget::mousePressEvent(QMouseEvent* e) {
    if (!model_.OnMouseDown) {
        QSlider::mousePressEvent(e);
        return;
    }
    ui::TMouseButton b = e->button() == Qt::RightButton    ? ui::TMouseButton::mbRight
                         : e->button() == Qt::MiddleButton ? ui::TMouseButton::mbMiddle
                                                           : ui::TMouseButton::mbLeft;
    QPoint pos = e->position().toPoint();
    model_.OnMouseDown(b, shiftFromQt(e->modifiers()), pos.x(), pos.y());
    e->accept();
}

void TrackBarWidget::wheelEvent(QWheelEvent* e) {
    if (!model_.OnMouseWheel) {
        QSlider::wheelEvent(e);
        return;
    }
    QPoint pos = e->position().toPoint();
    model_.OnMouseWheel(e->angleDelta().y(), pos.x(), pos.y());
    e->accept();
}

GridView::GridView(ui::TStringGrid& model, QWidget* parent) : QTableView(parent), model_(model) {}

void GridView::wheelEvent(QWheelEvent* e) {
    // One row per notch; the selection stays where it is.
    int steps = e->angleDelta().y() / 120;
    if (steps == 0) {
        QTableView::wheelEvent(e);
        return;
    }
    verticalScrollBar()->setValue(verticalScrollBar()->value() - steps);
    e->accept();
}

void GridView::keyPressEvent(QKeyEvent* e) {
    uint16_t key = keyCodeFromQt(e->key());
    if (key && model_.OnKeyDown) {
        model_.OnKeyDown(key, shiftFromQt(e->modifiers()));
        if (key == 0) {
            e->accept();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

}  // namespace orvelin::qt
