#include "qt/windowbuilder.h"

#include <QAbstractScrollArea>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "qt/alignlayout.h"
#include "qt/eventfilters.h"
#include "qt/qtext.h"
#include "qt/watch.h"

namespace orvelin::qt {

using namespace ui;

namespace {

QFont toQFont(const TFont& f, const QFont& base) {
    QFont q = base;
    q.setFamilies({toQ(f.Name), base.family()});
    q.setPointSizeF(f.Size);
    q.setBold(f.Bold);
    return q;
}

void relayout(QWidget* w) {
    if (QWidget* p = w->parentWidget())
        if (QLayout* l = p->layout()) l->invalidate();
}

}  // namespace

WindowBuilder::~WindowBuilder() { delete window_; }

QWidget* WindowBuilder::widgetOf(const TComponent* component) const {
    if (component == &form_) return window_;
    auto it = widgets_.find(component);
    return it == widgets_.end() ? nullptr : it->second;
}

QWidget* WindowBuilder::build() {
    if (window_) return window_;
    auto* w = new FormWidget(form_);
    window_ = w;
    auto* layout = new AlignLayout(w);
    new ShortCutFilter(form_, w);
    w->setFont(toQFont(form_.Font(), w->font()));
    bindWindow(w);
    buildChildren(form_, w, *layout);
    bindTimers();
    bindPopups();
    watch(form_.Visible, w, [w, this](const bool& v) {
        if (v && !w->isVisible()) {
            QPoint at(form_.Left(), form_.Top());
            if (form_.BorderStyle() == TFormBorderStyle::bsSingle) w->setFixedSize(w->size());
            if (form_.Position() == TPosition::poDesktopCenter) {
                if (QScreen* screen = QGuiApplication::primaryScreen()) {
                    QRect desktop = screen->availableGeometry();
                    at = desktop.center() - QPoint(w->width() / 2, w->height() / 2);
                }
            }
            if (at != QPoint(0, 0)) w->setGeometry(QRect(at, w->size()));
            if (form_.WindowState() == TWindowState::wsMaximized) w->showMaximized();
            else w->setVisible(true);
        } else if (!v && w->isVisible()) {
            w->setVisible(false);
        }
    });
    return w;
}

// The title, sizes, place, state and dropped files of the top-level window.
void WindowBuilder::bindWindow(QWidget* w) {
    watch(form_.Caption, w, [w](const std::string& s) { w->setWindowTitle(toQ(s)); });
    watch(form_.MinWidth, w, [w, this](const int&) { w->setMinimumSize(form_.MinWidth(), form_.MinHeight()); });
    watch(form_.MinHeight, w, [w, this](const int&) { w->setMinimumSize(form_.MinWidth(), form_.MinHeight()); });
    watch(form_.MaxWidth, w, [w](const int& v) { w->setMaximumWidth(v > 0 ? v : QWIDGETSIZE_MAX); });
    watch(form_.ClientWidth, w, [w](const int& v) {
        if (v > 0 && v != w->width()) w->resize(v, w->height());
    });
    watch(form_.ClientHeight, w, [w](const int& v) {
        if (v > 0 && v != w->height()) w->resize(w->width(), v);
    });
    // The outer size and place the settings restore (there is no frame in the model).
    watch(form_.Width, w, [w](const int& v) {
        if (v > 0 && v != w->width()) w->resize(v, w->height());
    });
    watch(form_.Height, w, [w](const int& v) {
        if (v > 0 && v != w->height()) w->resize(w->width(), v);
    });
    // Deferred, so that Left and Top both have their new values (the window's
    // own moves set them one after the other).
    auto place = [w, this](const int&) {
        QTimer::singleShot(0, w, [w, this] {
            QPoint at(form_.Left(), form_.Top());
            if (w->isVisible() && w->windowState() == Qt::WindowNoState && w->geometry().topLeft() != at)
                w->setGeometry(QRect(at, w->size()));
        });
    };
    watch(form_.Left, w, place);
    watch(form_.Top, w, place);
    watch(form_.AcceptFiles, w, [w](const bool& on) { w->setAcceptDrops(on); });
    watch(form_.FormStyle, w, [w](const TFormStyle& style) {
        // Changing a flag hides a shown window; it comes back at once.
        bool shown = w->isVisible();
        w->setWindowFlag(Qt::WindowStaysOnTopHint, style == TFormStyle::fsStayOnTop);
        if (shown) w->show();
    });
    watch(form_.WindowState, w, [w](const TWindowState& s) {
        // A hidden window only takes the state; showing it applies it.
        Qt::WindowStates state = s == TWindowState::wsMaximized   ? Qt::WindowMaximized
                                 : s == TWindowState::wsMinimized ? Qt::WindowMinimized
                                                                  : Qt::WindowNoState;
        if (!w->isVisible()) {
            w->setWindowState(state);
            return;
        }
        if (s == TWindowState::wsMaximized && !w->isMaximized()) w->showMaximized();
        if (s == TWindowState::wsNormal && (w->isMaximized() || w->isMinimized())) w->showNormal();
        if (s == TWindowState::wsMinimized && !w->isMinimized()) w->showMinimized();
    });
}

QWidget* WindowBuilder::buildControl(TControl& c, QWidget* parent) {
    const BinderEntry* binder = binderFor(c.Kind());
    if (!binder) return nullptr;
    QWidget* w = binder->bind(*this, c, parent);
    bindCommon(c, w, binder->clickOnRelease);
    // Containers lay their children out by the models' Align rules; a binder
    // whose widget places children itself (pages) has built them already.
    if (auto* wc = dynamic_cast<TWinControl*>(&c))
        if (auto* layout = dynamic_cast<AlignLayout*>(w->layout())) buildChildren(*wc, w, *layout);
    return w;
}

void WindowBuilder::buildChildren(TWinControl& container, QWidget* widget, AlignLayout& layout) {
    for (TControl* child : container.Controls())
        if (QWidget* cw = buildControl(*child, widget)) layout.addControl(cw, child);
}

void WindowBuilder::bindCommon(TControl& c, QWidget* w, bool clickOnRelease) {
    widgets_[&c] = w;
    w->setObjectName(toQ(c.Name()));
    watch(c.Hint, w, [w, &c](const std::string& h) { w->setToolTip(c.ShowHint() ? toQ(h) : QString()); });
    watch(c.Enabled, w, [w](const bool& on) { w->setEnabled(on); });
    watch(c.Visible, w, [w](const bool& on) {
        w->setVisible(on);
        relayout(w);
    });
    watch(c.Font, w,
          [w](const TFont& f) { w->setFont(toQFont(f, w->parentWidget() ? w->parentWidget()->font() : w->font())); });
    for (Property<int>* p : {&c.Width, &c.Height, &c.Left, &c.Top}) watch(*p, w, [w](const int&) { relayout(w); });
    watch(c.Align, w, [w](const TAlign&) { relayout(w); });
    if (auto* wc = dynamic_cast<TWinControl*>(&c)) {
        watch(wc->Focused, w, [w](const bool& on) {
            if (on && !w->hasFocus()) w->setFocus(Qt::OtherFocusReason);
        });
    }
    if (c.PopupMenu) {
        // A scroll area reports the position on its viewport.
        auto* area = qobject_cast<QAbstractScrollArea*>(w);
        QWidget* surface = area ? area->viewport() : w;
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(w, &QWidget::customContextMenuRequested, w, [surface, &c](const QPoint& at) {
            QPoint screen = surface->mapToGlobal(at);
            c.PopupMenu->Popup(screen.x(), screen.y());
        });
    }
    new ControlFilter(c, w, clickOnRelease);
}

}  // namespace orvelin::qt
