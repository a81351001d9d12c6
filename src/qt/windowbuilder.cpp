#include "qt/windowbuilder.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include "qt/alignlayout.h"
#include "qt/gridmodel.h"
#include "qt/icons.h"
#include "qt/qtext.h"
#include "qt/watch.h"
#include "qt/widgets.h"

namespace orvelin::qt {

using namespace ui;

uint16_t keyCodeFromQt(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint16_t>(0x70 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
    }
}

TShiftState shiftFromQt(Qt::KeyboardModifiers m) {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (m & Qt::AltModifier) s |= ssAlt;
    return s;
}

namespace {

int qtKeyFromCode(unsigned key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return static_cast<int>(key);
    if (key >= 0x70 && key <= 0x87) return Qt::Key_F1 + static_cast<int>(key - 0x70);
    for (int k : {Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space, Qt::Key_PageUp,
                  Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down,
                  Qt::Key_Insert, Qt::Key_Delete})
        if (keyCodeFromQt(k) == key) return k;
    return 0;
}

QKeySequence toSequence(TShortCut s) {
    int key = qtKeyFromCode(s & 0xFF);
    if (!key) return {};
    Qt::KeyboardModifiers m;
    if (s & scShift) m |= Qt::ShiftModifier;
    if (s & scCtrl) m |= Qt::ControlModifier;
    if (s & scAlt) m |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(m, static_cast<Qt::Key>(key)));
}

TShortCut fromSequence(const QKeySequence& seq) {
    if (seq.isEmpty()) return 0;
    QKeyCombination c = seq[0];
    uint16_t code = keyCodeFromQt(c.key());
    if (!code) return 0;
    TShortCut s = code;
    if (c.keyboardModifiers() & Qt::ShiftModifier) s |= scShift;
    if (c.keyboardModifiers() & Qt::ControlModifier) s |= scCtrl;
    if (c.keyboardModifiers() & Qt::AltModifier) s |= scAlt;
    return s;
}

Qt::Alignment toQt(TAlignment a) {
    switch (a) {
    case TAlignment::taCenter: return Qt::AlignCenter;
    case TAlignment::taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

TMouseButton fromQt(Qt::MouseButton b) {
    if (b == Qt::RightButton) return TMouseButton::mbRight;
    if (b == Qt::MiddleButton) return TMouseButton::mbMiddle;
    return TMouseButton::mbLeft;
}

// Mouse events and sizes that every control shares.
class ControlFilter : public QObject {
public:
    ControlFilter(TControl& control, QWidget* widget, bool clickable)
        : QObject(widget), control_(control), clickable_(clickable) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
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

private:
    TControl& control_;
    bool clickable_;
};

// The top-level window of a form.
class FormWidget : public QWidget {
public:
    explicit FormWidget(TForm& form) : form_(form) { setAttribute(Qt::WA_DeleteOnClose, false); }

protected:
    void closeEvent(QCloseEvent* e) override {
        // The model decides; if it closes, its Visible turns false and hides us.
        e->ignore();
        form_.Close();
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        form_.Width.set(width());
        form_.Height.set(height());
        form_.ClientWidth.set(width());
        form_.ClientHeight.set(height());
        form_.OnResize();
    }
    void moveEvent(QMoveEvent* e) override {
        QWidget::moveEvent(e);
        // The inner geometry: the frame is unknown until the window shows, so
        // a frame position would drift between starts.
        form_.Left.set(geometry().x());
        form_.Top.set(geometry().y());
    }
    void changeEvent(QEvent* e) override {
        QWidget::changeEvent(e);
        if (e->type() == QEvent::WindowStateChange) {
            form_.WindowState.set(isMaximized()   ? TWindowState::wsMaximized
                                  : isMinimized() ? TWindowState::wsMinimized
                                                  : TWindowState::wsNormal);
        } else if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
            form_.OnActivate();
        }
    }
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (form_.AcceptFiles() && e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::string> files;
        for (const QUrl& url : e->mimeData()->urls())
            if (url.isLocalFile()) files.push_back(fromQ(url.toLocalFile()));
        if (!files.empty()) form_.OnDropFiles(files);
        e->acceptProposedAction();
    }

private:
    TForm& form_;
};

// Keys reach the form before its controls when it asks for them.
class ShortCutFilter : public QObject {
public:
    ShortCutFilter(TForm& form, QWidget* window) : QObject(window), form_(form), window_(window) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->window() != window_) return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        uint16_t key = keyCodeFromQt(ke->key());
        if (!key) return false;
        bool handled = false;
        if (form_.KeyPreview() && form_.OnShortCut) form_.OnShortCut(key, shiftFromQt(ke->modifiers()), handled);
        // Then the menus' shortcuts, which work while their menu is closed.
        return handled || form_.DispatchShortCut(key, shiftFromQt(ke->modifiers()));
    }

private:
    TForm& form_;
    QWidget* window_;
};

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

template <class Box>
QWidget* containerFor(TWinControl&, QWidget* parent) {
    auto* box = new Box(parent);
    new AlignLayout(box);
    return box;
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
    new AlignLayout(w);
    new ShortCutFilter(form_, w);
    w->setFont(toQFont(form_.Font(), w->font()));
    watch(form_.Caption, w, [w](const std::string& s) { w->setWindowTitle(toQ(s)); });
    watch(form_.MinWidth, w, [w, this](const int&) { w->setMinimumSize(form_.MinWidth(), form_.MinHeight()); });
    watch(form_.MinHeight, w, [w, this](const int&) { w->setMinimumSize(form_.MinWidth(), form_.MinHeight()); });
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
    buildChildren(form_, w);
    bindTimers();
    bindPopups();
    watch(form_.Visible, w, [w, this](const bool& v) {
        if (v && !w->isVisible()) {
            QPoint at(form_.Left(), form_.Top());
            if (at != QPoint(0, 0)) w->setGeometry(QRect(at, w->size()));
            if (form_.WindowState() == TWindowState::wsMaximized) w->showMaximized();
            else w->setVisible(true);
        } else if (!v && w->isVisible()) {
            w->setVisible(false);
        }
    });
    return w;
}

void WindowBuilder::buildChildren(TWinControl& container, QWidget* widget) {
    auto* layout = dynamic_cast<AlignLayout*>(widget->layout());
    for (TControl* child : container.Controls()) {
        QWidget* cw = buildControl(*child, widget);
        if (!cw) continue;
        if (layout) layout->addControl(cw, child);
    }
}

void WindowBuilder::bindCommon(TControl& c, QWidget* w) {
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
    bool clickable = c.Kind() == TControlKind::Label || c.Kind() == TControlKind::Image ||
                     c.Kind() == TControlKind::PaintBox || c.Kind() == TControlKind::Panel ||
                     c.Kind() == TControlKind::StatusBar || c.Kind() == TControlKind::TabControl;
    new ControlFilter(c, w, clickable);
}

QWidget* WindowBuilder::buildControl(TControl& c, QWidget* parent) {
    QWidget* w = nullptr;
    switch (c.Kind()) {
    case TControlKind::Panel: {
        auto& m = static_cast<TPanel&>(c);
        auto* f = static_cast<QFrame*>(containerFor<QFrame>(m, parent));
        w = f;
        break;
    }
    case TControlKind::GroupBox: {
        auto& m = static_cast<TGroupBox&>(c);
        auto* g = static_cast<QGroupBox*>(containerFor<QGroupBox>(m, parent));
        watch(m.Caption, g, [g](const std::string& s) { g->setTitle(toQ(s)); });
        w = g;
        break;
    }
    case TControlKind::TabControl: {
        auto& m = static_cast<TTabControl&>(c);
        auto* f = static_cast<QFrame*>(containerFor<QFrame>(m, parent));
        f->setFrameShape(QFrame::StyledPanel);
        w = f;
        break;
    }
    case TControlKind::TabSheet: {
        w = containerFor<QWidget>(static_cast<TWinControl&>(c), parent);
        break;
    }
    case TControlKind::Label: {
        auto& m = static_cast<TLabel&>(c);
        auto* l = new ElidedLabel(parent);
        watch(m.Caption, l, [l](const std::string& s) { l->setFullText(toQ(s)); });
        watch(m.Alignment, l, [l](const TAlignment& a) { l->setAlignment(toQt(a)); });
        watch(m.EllipsisInMiddle, l, [l](const bool& on) { l->setElideMiddle(on); });
        l->setMinimumWidth(0);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        w = l;
        break;
    }
    case TControlKind::Button: {
        auto& m = static_cast<TButton&>(c);
        auto* b = new QPushButton(parent);
        watch(m.Caption, b, [b](const std::string& s) { b->setText(toQ(s)); });
        watch(m.Default, b, [b](const bool& on) { b->setDefault(on); });
        QObject::connect(b, &QPushButton::clicked, b, [&m] {
            m.OnClick();
            if (m.ModalResult != mrNone && m.Owner()) {
                m.Owner()->ModalResult = m.ModalResult;
                m.Owner()->Hide();
            }
        });
        w = b;
        break;
    }
    case TControlKind::SpeedButton: {
        auto& m = static_cast<TSpeedButton&>(c);
        auto* b = new QToolButton(parent);
        b->setAutoRaise(true);
        b->setCheckable(true);
        b->setIconSize(QSize(20, 20));
        watch(m.Caption, b, [b](const std::string& s) { b->setText(toQ(s)); });
        watch(m.ImageIndex, b, [b](const int& i) {
            b->setIcon(buttonIcon(i));
            b->setToolButtonStyle(i >= 0 ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
        });
        watch(m.Down, b, [b](const bool& on) { b->setChecked(on); });
        QObject::connect(b, &QToolButton::clicked, b, [b, &m] {
            m.OnClick();
            b->setChecked(m.Down());  // the model owns the pressed state
        });
        w = b;
        break;
    }
    case TControlKind::CheckBox: {
        auto& m = static_cast<TCheckBox&>(c);
        auto* b = new QCheckBox(parent);
        watch(m.Caption, b, [b](const std::string& s) { b->setText(toQ(s)); });
        watch(m.Checked, b, [b](const bool& on) {
            QSignalBlocker block(b);
            b->setChecked(on);
        });
        QObject::connect(b, &QCheckBox::clicked, b, [&m](bool on) { m.Checked.set(on); });
        w = b;
        break;
    }
    case TControlKind::RadioButton: {
        auto& m = static_cast<TRadioButton&>(c);
        auto* b = new QRadioButton(parent);
        b->setAutoExclusive(false);  // the model keeps its siblings exclusive
        watch(m.Caption, b, [b](const std::string& s) { b->setText(toQ(s)); });
        watch(m.Checked, b, [b](const bool& on) {
            QSignalBlocker block(b);
            b->setChecked(on);
        });
        QObject::connect(b, &QRadioButton::clicked, b, [b, &m] {
            m.Checked.set(true);
            QSignalBlocker block(b);
            b->setChecked(m.Checked());
        });
        w = b;
        break;
    }
    case TControlKind::TrackBar: {
        auto& m = static_cast<TTrackBar&>(c);
        auto* s = new TrackBarWidget(m, parent);
        auto range = [s, &m](const int&) {
            QSignalBlocker block(s);
            s->setRange(m.Min(), m.Max());
            s->setValue(m.Position());
        };
        watch(m.Min, s, range);
        watch(m.Max, s, range);
        watch(m.Position, s, [s](const int& v) {
            QSignalBlocker block(s);
            s->setValue(v);
        });
        watch(m.Orientation, s, [s](const TTrackBarOrientation& o) {
            s->setOrientation(o == TTrackBarOrientation::trVertical ? Qt::Vertical : Qt::Horizontal);
        });
        watch(m.TickMarks, s, [s](const bool& on) { s->setTickPosition(on ? QSlider::TicksBelow : QSlider::NoTicks); });
        watch(m.Frequency, s, [s](const int& f) { s->setTickInterval(f); });
        QObject::connect(s, &QSlider::valueChanged, s, [&m](int v) { m.Position.set(v); });
        // A bar's hint follows its value (a time, a percentage) and shows at
        // the mouse while the mouse rests on the bar.
        watch(m.Hint, s, [s](const std::string& h) {
            if (s->underMouse() && !h.empty()) QToolTip::showText(QCursor::pos(), toQ(h), s);
        });
        w = s;
        break;
    }
    case TControlKind::ComboBox: {
        auto& m = static_cast<TComboBox&>(c);
        auto* b = new QComboBox(parent);
        watch(m.Style, b, [b](const TComboBoxStyle& st) { b->setEditable(st == TComboBoxStyle::csDropDown); });
        watch(m.Items, b, [b, &m](const std::vector<std::string>& items) {
            QSignalBlocker block(b);
            b->clear();
            for (const auto& i : items) b->addItem(toQ(i));
            b->setCurrentIndex(m.ItemIndex());
        });
        watch(m.ItemIndex, b, [b](const int& i) {
            QSignalBlocker block(b);
            b->setCurrentIndex(i);
        });
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
        w = b;
        break;
    }
    case TControlKind::Edit:
    case TControlKind::SearchBox: {
        auto& m = static_cast<TEdit&>(c);
        auto* e = new QLineEdit(parent);
        watch(m.Text, e, [e](const std::string& t) {
            if (e->text() != toQ(t)) e->setText(toQ(t));
        });
        watch(m.TextHint, e, [e](const std::string& t) { e->setPlaceholderText(toQ(t)); });
        watch(m.ReadOnly, e, [e](const bool& on) { e->setReadOnly(on); });
        QObject::connect(e, &QLineEdit::textEdited, e, [&m](const QString& t) { m.Text.set(fromQ(t)); });
        if (c.Kind() == TControlKind::SearchBox) {
            auto& s = static_cast<TSearchBox&>(c);
            e->setClearButtonEnabled(true);
            QObject::connect(e, &QLineEdit::returnPressed, e, [&s] { s.OnInvokeSearch(); });
            // The clear button changes the text without textEdited.
            QObject::connect(e, &QLineEdit::textChanged, e, [&s](const QString& t) {
                if (t.isEmpty()) s.Text.set("");
            });
        }
        w = e;
        break;
    }
    case TControlKind::Memo: {
        auto& m = static_cast<TMemo&>(c);
        auto* e = new QPlainTextEdit(parent);
        watch(m.Text, e, [e](const std::string& t) {
            if (e->toPlainText() != toQ(t)) e->setPlainText(toQ(t));
        });
        watch(m.ReadOnly, e, [e](const bool& on) { e->setReadOnly(on); });
        QObject::connect(e, &QPlainTextEdit::textChanged, e, [e, &m] {
            if (m.Text.set(fromQ(e->toPlainText()))) m.OnChange();
        });
        w = e;
        break;
    }
    case TControlKind::ListBox: {
        auto& m = static_cast<TListBox&>(c);
        auto* l = new QListWidget(parent);
        watch(m.Items, l, [l, &m](const std::vector<std::string>& items) {
            QSignalBlocker block(l);
            l->clear();
            for (const auto& i : items) l->addItem(toQ(i));
            l->setCurrentRow(m.ItemIndex());
        });
        watch(m.ItemIndex, l, [l](const int& i) {
            QSignalBlocker block(l);
            l->setCurrentRow(i);
        });
        QObject::connect(l, &QListWidget::currentRowChanged, l, [&m](int i) { m.ItemIndex.set(i); });
        QObject::connect(l, &QListWidget::itemDoubleClicked, l, [&m] { m.OnDblClick(); });
        w = l;
        break;
    }
    case TControlKind::StringGrid: {
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
        v->setShowGrid(false);
        v->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        watch(m.DefaultRowHeight, v, [v](const int& h) {
            v->verticalHeader()->setMinimumSectionSize(1);
            v->verticalHeader()->setDefaultSectionSize(h);
            v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        });
        auto applyWidths = [v, &m] {
            const auto& widths = m.ColWidths();
            for (int col = 0; col < m.ColCount(); ++col)
                v->setColumnWidth(col,
                                  col < static_cast<int>(widths.size()) ? widths[size_t(col)] : m.DefaultColWidth());
        };
        watch(m.ColWidths, v, [applyWidths](const std::vector<int>&) { applyWidths(); });
        watch(m.ColAlignments, v, [model](const std::vector<TAlignment>& a) {
            for (int col = 0; col < model->columnCount(); ++col)
                model->setRightAligned(
                    col, col < static_cast<int>(a.size()) && a[size_t(col)] == TAlignment::taRightJustify);
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
        w = v;
        break;
    }
    case TControlKind::StatusBar: {
        auto& m = static_cast<TStatusBar&>(c);
        auto* bar = new QFrame(parent);
        auto* layout = new QHBoxLayout(bar);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        watch(m.Panels, bar, [bar, layout](const std::vector<TStatusPanel>& panels) {
            while (layout->count() < static_cast<int>(panels.size())) {
                auto* l = new QLabel(bar);
                l->setFrameShape(QFrame::Panel);
                l->setFrameShadow(QFrame::Sunken);
                layout->addWidget(l);
            }
            while (layout->count() > static_cast<int>(panels.size()))
                delete layout->takeAt(layout->count() - 1)->widget();
            for (size_t i = 0; i < panels.size(); ++i) {
                auto* l = static_cast<QLabel*>(layout->itemAt(static_cast<int>(i))->widget());
                l->setText(toQ(panels[i].Text));
                l->setAlignment(toQt(panels[i].Alignment));
                // The last panel takes what is left, as status bars do.
                if (i + 1 < panels.size()) {
                    l->setFixedWidth(panels[i].Width);
                } else {
                    l->setMinimumWidth(std::min(panels[i].Width, 20));
                    l->setMaximumWidth(QWIDGETSIZE_MAX);
                }
            }
        });
        w = bar;
        break;
    }
    case TControlKind::Image: {
        auto& m = static_cast<TImage&>(c);
        auto* b = new BitmapWidget(parent);
        watch(m.Picture, b, [b](const TBitmapPtr& p) { b->setBitmap(p); });
        auto mode = [b, &m](const bool&) { b->setMode(m.Stretch(), m.Proportional(), m.Center()); };
        watch(m.Stretch, b, mode);
        watch(m.Proportional, b, mode);
        watch(m.Center, b, mode);
        w = b;
        break;
    }
    case TControlKind::PaintBox: {
        auto& m = static_cast<TPaintBox&>(c);
        auto* b = new BitmapWidget(parent);
        b->setMode(true, false, false);
        watch(m.Picture, b, [b](const TBitmapPtr& p) { b->setBitmap(p); });
        w = b;
        break;
    }
    case TControlKind::PageControl: {
        auto& m = static_cast<TPageControl&>(c);
        auto* tabs = new QTabWidget(parent);
        for (TTabSheet* page : m.Pages()) {
            QWidget* pw = buildControl(*page, tabs);
            int index = tabs->addTab(pw, toQ(page->Caption()));
            watch(page->Caption, pw, [tabs, pw](const std::string& s) { tabs->setTabText(tabs->indexOf(pw), toQ(s)); });
            watch(page->TabVisible, pw, [tabs, pw](const bool& on) { tabs->setTabVisible(tabs->indexOf(pw), on); });
            (void)index;
        }
        watch(m.ActivePageIndex, tabs, [tabs](const int& i) {
            QSignalBlocker block(tabs);
            tabs->setCurrentIndex(i);
        });
        QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [&m](int i) {
            if (m.ActivePageIndex.set(i)) m.OnChange();
        });
        bindCommon(c, tabs);
        return tabs;  // pages are built above, not by buildChildren
    }
    case TControlKind::TreeView: {
        auto& m = static_cast<TTreeView&>(c);
        auto* t = new QTreeWidget(parent);
        t->setHeaderHidden(true);
        watch(m.Items, t, [t](const std::vector<TTreeNode>& nodes) {
            QSignalBlocker block(t);
            t->clear();
            std::function<void(QTreeWidgetItem*, const TTreeNode&)> add = [&](QTreeWidgetItem* parentItem,
                                                                              const TTreeNode& n) {
                auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(t);
                item->setText(0, toQ(n.Text));
                for (const auto& child : n.Children) add(item, child);
            };
            for (const auto& n : nodes) add(nullptr, n);
        });
        QObject::connect(t, &QTreeWidget::currentItemChanged, t, [t, &m](QTreeWidgetItem* item) {
            std::vector<int> path;
            for (QTreeWidgetItem* i = item; i; i = i->parent())
                path.insert(path.begin(), i->parent() ? i->parent()->indexOfChild(i) : t->indexOfTopLevelItem(i));
            if (m.Selected.set(path)) m.OnChange();
        });
        w = t;
        break;
    }
    case TControlKind::ProgressBar: {
        auto& m = static_cast<TProgressBar&>(c);
        auto* p = new QProgressBar(parent);
        auto range = [p, &m](const int&) { p->setRange(m.Min(), m.Max()); };
        watch(m.Min, p, range);
        watch(m.Max, p, range);
        watch(m.Position, p, [p](const int& v) { p->setValue(v); });
        w = p;
        break;
    }
    case TControlKind::HotKey: {
        auto& m = static_cast<THotKey&>(c);
        auto* e = new QKeySequenceEdit(parent);
        watch(m.HotKey, e, [e](const TShortCut& s) {
            QSignalBlocker block(e);
            e->setKeySequence(toSequence(s));
        });
        QObject::connect(e, &QKeySequenceEdit::editingFinished, e, [e, &m] {
            if (m.HotKey.set(fromSequence(e->keySequence()))) m.OnChange();
        });
        w = e;
        break;
    }
    default: return nullptr;
    }
    bindCommon(c, w);
    if (auto* wc = dynamic_cast<TWinControl*>(&c); wc && w->layout()) buildChildren(*wc, w);
    return w;
}

void WindowBuilder::bindTimers() {
    for (TComponent* comp : form_.Components()) {
        if (comp->Kind() != TControlKind::Timer) continue;
        auto& m = *static_cast<TTimer*>(comp);
        auto* t = new QTimer(window_);
        t->setObjectName(toQ(m.Name()));
        // A timer without a handler (set before the window is built) would
        // only wake the event loop, 40 times a second for the spectrum's.
        auto sync = [t, &m] {
            t->setInterval(m.Interval());
            bool run = m.Enabled() && static_cast<bool>(m.OnTimer);
            if (run && !t->isActive()) t->start();
            if (!run && t->isActive()) t->stop();
        };
        watch(m.Interval, t, [sync](const int&) { sync(); });
        watch(m.Enabled, t, [sync](const bool&) { sync(); });
        QObject::connect(t, &QTimer::timeout, t, [&m] { m.fire(); });
    }
}

void WindowBuilder::fillMenu(QMenu* menu, TMenuItem& item) {
    auto rebuild = std::make_shared<std::function<void()>>();
    *rebuild = [this, menu, &item, weak = std::weak_ptr<std::function<void()>>(rebuild)] {
        // Everything the last build made goes, with the observers it holds.
        for (QObject* o : menu->children())
            if (o->property("orvelinBuilt").toBool()) delete o;
        menu->clear();
        std::map<int, QActionGroup*> groups;
        for (TMenuItem* child : item.Items()) {
            QAction* a;
            if (child->IsSeparator()) {
                a = new QAction(menu);
                a->setSeparator(true);
            } else if (!child->Items().empty()) {
                auto* sub = new QMenu(menu);
                sub->setProperty("orvelinBuilt", true);
                fillMenu(sub, *child);
                a = sub->menuAction();
            } else {
                a = new QAction(menu);
                QObject::connect(a, &QAction::triggered, a, [a, child] {
                    child->Click();
                    a->setChecked(child->Checked());  // the model's tick is the truth
                });
            }
            a->setProperty("orvelinBuilt", true);
            menu->addAction(a);
            watch(child->Visible, a, [a](const bool& on) { a->setVisible(on); });
            // A leaf that gains children becomes a submenu, and back.
            bool wasEmpty = child->Items().empty();
            watch(child->Items, a, [menu, weak, wasEmpty](const std::vector<TMenuItem*>& items) {
                if (items.empty() == wasEmpty) return;
                if (auto again = weak.lock()) QTimer::singleShot(0, menu, *again);
            });
            if (child->IsSeparator()) continue;
            watch(child->Caption, a, [a](const std::string& s) { a->setText(toQ(s)); });
            watch(child->Enabled, a, [a](const bool& on) { a->setEnabled(on); });
            watch(child->ShortCut, a, [a](const TShortCut& s) { a->setShortcut(toSequence(s)); });
            watch(child->Checked, a, [a, child](const bool& on) {
                a->setCheckable(on || child->RadioItem());
                a->setChecked(on);
            });
            if (child->RadioItem()) {
                QActionGroup*& g = groups[child->GroupIndex()];
                if (!g) {
                    g = new QActionGroup(menu);
                    g->setProperty("orvelinBuilt", true);
                    g->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);  // the model ticks
                }
                g->addAction(a);
            }
        }
    };
    // The observer keeps the rebuild function alive as long as the menu exists.
    watch(item.Items, menu, [rebuild](const std::vector<TMenuItem*>&) { (*rebuild)(); });
}

void WindowBuilder::bindPopups() {
    for (TComponent* comp : form_.Components()) {
        if (comp->Kind() == TControlKind::PopupMenu) {
            auto& m = *static_cast<TPopupMenu*>(comp);
            auto* menu = new QMenu(window_);
            menu->setObjectName(toQ(m.Name()));
            fillMenu(menu, m.Root());
            m.OnPopupRequest = [this, menu](const TPopupPlacement& where) {
                QPoint at(where.X, where.Y);
                if (where.Anchor) {
                    if (QWidget* aw = widgetOf(where.Anchor)) {
                        QPoint corner = aw->mapToGlobal(QPoint(aw->width(), aw->height()));
                        at = where.BelowRightAligned ? corner - QPoint(menu->sizeHint().width(), 0) : corner;
                        if (where.Above) at = aw->mapToGlobal(QPoint(0, 0)) - QPoint(0, menu->sizeHint().height());
                    }
                }
                menu->popup(at);
            };
        } else if (comp->Kind() == TControlKind::TrayIcon) {
            auto& m = *static_cast<TTrayIcon*>(comp);
            auto* tray = new QSystemTrayIcon(appIcon(), window_);
            if (m.PopupMenu) {
                auto* menu = new QMenu(window_);
                fillMenu(menu, m.PopupMenu->Root());
                tray->setContextMenu(menu);
            }
            watch(m.Hint, tray, [tray](const std::string& s) { tray->setToolTip(toQ(s)); });
            watch(m.Visible, tray, [tray](const bool& on) {
                if (QSystemTrayIcon::isSystemTrayAvailable()) tray->setVisible(on);
            });
            QObject::connect(tray, &QSystemTrayIcon::activated, tray, [&m](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::DoubleClick) m.OnDblClick();
                if (r == QSystemTrayIcon::Trigger) m.OnClick();
            });
            m.OnBalloonRequest = [tray, &m] {
                if (tray->isVisible()) tray->showMessage(toQ(m.BalloonTitle()), toQ(m.BalloonHint()));
            };
        }
    }
}

}  // namespace orvelin::qt
