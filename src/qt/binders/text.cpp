// Labels and the fields the user types into: lines, search boxes, memos and
// hot keys.
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "kit/controls.h"
#include "qt/binders/binders.h"
#include "qt/keys.h"
#include "qt/qtext.h"
#include "qt/watch.h"
#include "qt/widgets.h"

namespace orvelin::qt::binders {

using namespace ui;

namespace {

QLineEdit* lineEdit(TEdit& m, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    watch(m.Text, e, [e](const std::string& t) {
        if (e->text() != toQ(t)) e->setText(toQ(t));
    });
    watch(m.TextHint, e, [e](const std::string& t) { e->setPlaceholderText(toQ(t)); });
    watch(m.ReadOnly, e, [e](const bool& on) { e->setReadOnly(on); });
    QObject::connect(e, &QLineEdit::textEdited, e, [&m](const QString& t) { m.Text.set(fromQ(t)); });
    return e;
}

}  // namespace

QWidget* label(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TLabel&>(c);
    auto* l = new ElidedLabel(parent);
    watch(m.Caption, l, [l](const std::string& s) { l->setFullText(toQ(s)); });
    watch(m.Alignment, l, [l](const TAlignment& a) { l->setAlignment(toQt(a)); });
    watch(m.EllipsisInMiddle, l, [l](const bool& on) { l->setElideMiddle(on); });
    l->setMinimumWidth(0);
    l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return l;
}

QWidget* edit(BinderContext&, TControl& c, QWidget* parent) { return lineEdit(static_cast<TEdit&>(c), parent); }

QWidget* searchBox(BinderContext&, TControl& c, QWidget* parent) {
    auto& s = static_cast<TSearchBox&>(c);
    QLineEdit* e = lineEdit(s, parent);
    e->setClearButtonEnabled(true);
    QObject::connect(e, &QLineEdit::returnPressed, e, [&s] { s.OnInvokeSearch(); });
    // The clear button changes the text without textEdited.
    QObject::connect(e, &QLineEdit::textChanged, e, [&s](const QString& t) {
        if (t.isEmpty()) s.Text.set("");
    });
    return e;
}

QWidget* memo(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TMemo&>(c);
    auto* e = new QPlainTextEdit(parent);
    watch(m.Text, e, [e](const std::string& t) {
        if (e->toPlainText() != toQ(t)) e->setPlainText(toQ(t));
    });
    watch(m.ReadOnly, e, [e](const bool& on) { e->setReadOnly(on); });
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [e, &m] {
        if (m.Text.set(fromQ(e->toPlainText()))) m.OnChange();
    });
    return e;
}

QWidget* hotKey(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<THotKey&>(c);
    auto* e = new QKeySequenceEdit(parent);
    // An empty field is empty: the edit's own prompt, which it puts back
    // with every new sequence, is not in the window's language.
    auto noPrompt = [e] {
        if (auto* line = e->findChild<QLineEdit*>()) line->setPlaceholderText({});
    };
    watch(m.HotKey, e, [e, noPrompt](const TShortCut& s) {
        QSignalBlocker block(e);
        e->setKeySequence(toSequence(s));
        noPrompt();
    });
    QObject::connect(e, &QKeySequenceEdit::editingFinished, e, [e, &m, noPrompt] {
        if (m.HotKey.set(fromSequence(e->keySequence()))) m.OnChange();
        noPrompt();
    });
    return e;
}

}  // namespace orvelin::qt::binders
