#include "qt/eventfilters.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "qt/keys.h"
#include "qt/qtext.h"

namespace orvelin::qt {

using namespace ui;

namespace {

TMouseButton fromQt(Qt::MouseButton b) {
    if (b == Qt::RightButton) return TMouseButton::mbRight;
    if (b == Qt::MiddleButton) return TMouseButton::mbMiddle;
    return TMouseButton::mbLeft;
}

}  // namespace

ControlFilter::ControlFilter(TControl& control, QWidget* widget, bool clickOnRelease)
    : QObject(widget), control_(control), clickable_(clickOnRelease) {
    widget->installEventFilter(this);
}

bool ControlFilter::eventFilter(QObject* watched, QEvent* e) {
    auto* w = static_cast<QWidget*>(watched);
    switch (e->type()) {
    case QEvent::Show:
    case QEvent::Resize:
        if (w->isVisible()) {
            control_.Width.set(w->width());
            control_.Height.set(w->height());
        }
        break;
    case QEvent::MouseButtonPress: {
        if (control_.Kind() == TControlKind::TrackBar) break;  // the track bar widget forwards its own
        auto* me = static_cast<QMouseEvent*>(e);
        QPoint p = me->position().toPoint();
        control_.OnMouseDown(fromQt(me->button()), shiftFromQt(me->modifiers()), p.x(), p.y());
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(e);
        QPoint p = me->position().toPoint();
        control_.OnMouseUp(fromQt(me->button()), shiftFromQt(me->modifiers()), p.x(), p.y());
        if (clickable_ && me->button() == Qt::LeftButton && w->rect().contains(p)) control_.OnClick();
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (clickable_ || control_.Kind() == TControlKind::TrackBar) control_.OnDblClick();
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (auto* wc = dynamic_cast<TWinControl*>(&control_)) wc->Focused.set(e->type() == QEvent::FocusIn);
        break;
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        QPoint p = me->position().toPoint();
        control_.OnMouseMove(shiftFromQt(me->modifiers()), p.x(), p.y());
        break;
    }
    default: break;
    }
    return false;
}

FormWidget::FormWidget(TForm& form) : form_(form) { setAttribute(Qt::WA_DeleteOnClose, false); }

void FormWidget::closeEvent(QCloseEvent* e) {
    // The model decides; if it closes, its Visible turns false and hides us.
    e->ignore();
    form_.Close();
}

void FormWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    form_.Width.set(width());
    form_.Height.set(height());
    form_.ClientWidth.set(width());
    form_.ClientHeight.set(height());
    form_.OnResize();
}

void FormWidget::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    // The inner geometry: the frame is unknown until the window shows, so
    // a frame position would drift between starts.
    form_.Left.set(geometry().x());
    form_.Top.set(geometry().y());
}

void FormWidget::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) {
        form_.WindowState.set(isMaximized()   ? TWindowState::wsMaximized
                              : isMinimized() ? TWindowState::wsMinimized
                                              : TWindowState::wsNormal);
    } else if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        form_.OnActivate();
    }
}

void FormWidget::dragEnterEvent(QDragEnterEvent* e) {
    if (form_.AcceptFiles() && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void FormWidget::dropEvent(QDropEvent* e) {
    std::vector<std::string> files;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) files.push_back(fromQ(url.toLocalFile()));
    if (!files.empty()) form_.OnDropFiles(files);
    e->acceptProposedAction();
}

ShortCutFilter::ShortCutFilter(TForm& form, QWidget* window) : QObject(window), form_(form), window_(window) {
    qApp->installEventFilter(this);
}

bool ShortCutFilter::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != window_) return false;
    auto* ke = static_cast<QKeyEvent*>(e);
    uint16_t key = keyCodeFromQt(ke->key());
    if (!key) return false;
    bool handled = false;
    TShiftState shift = shiftFromQt(ke->modifiers());
    if (form_.KeyPreview() && form_.OnShortCut) form_.OnShortCut(key, shift, handled);
    if (handled) return true;
    // While a field takes text, the keys that type and edit it are its own:
    // Del, Shift+C and the like are not the menus' then.
    bool typing = qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QKeySequenceEdit*>(w);
    bool functionKey = key >= 0x70 && key <= 0x87;
    if (typing && !(shift & (ssCtrl | ssAlt)) && !functionKey && key != 0x0D && key != 0x1B) return false;
    // Then the menus' shortcuts, which work while their menu is closed.
    return form_.DispatchShortCut(key, shift);
}

}  // namespace orvelin::qt
