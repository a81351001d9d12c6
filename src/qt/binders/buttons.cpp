// Push buttons, tool buttons with a picture, check boxes and radio buttons.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "kit/controls.h"
#include "qt/binders/binders.h"
#include "qt/icons.h"
#include "qt/qtext.h"
#include "qt/watch.h"

namespace orvelin::qt::binders {

using namespace ui;

QWidget* button(BinderContext&, TControl& c, QWidget* parent) {
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
    return b;
}

QWidget* speedButton(BinderContext&, TControl& c, QWidget* parent) {
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
    return b;
}

QWidget* checkBox(BinderContext&, TControl& c, QWidget* parent) {
    auto& m = static_cast<TCheckBox&>(c);
    auto* b = new QCheckBox(parent);
    watch(m.Caption, b, [b](const std::string& s) { b->setText(toQ(s)); });
    watch(m.Checked, b, [b](const bool& on) {
        QSignalBlocker block(b);
        b->setChecked(on);
    });
    QObject::connect(b, &QCheckBox::clicked, b, [&m](bool on) { m.Checked.set(on); });
    return b;
}

QWidget* radioButton(BinderContext&, TControl& c, QWidget* parent) {
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
    return b;
}

}  // namespace orvelin::qt::binders
