// One binder per control kind: it makes the widget of a control and keeps the
// two in step both ways. The window builder then adds what every control
// shares (name, hint, enabled, visible, font, size, mouse, popup menu) and
// builds the children of containers laid out by an AlignLayout.
//
// A new control kind is one binder function in the file of its family and one
// line in the table in table.cpp.
#pragma once

#include <QWidget>

#include "kit/component.h"

namespace orvelin::qt {

// What a binder may ask of the window being built.
class BinderContext {
public:
    // Builds a control as the walk does (its binder, the common bindings, its
    // children), for containers that place their children themselves.
    virtual QWidget* buildControl(ui::TControl& control, QWidget* parent) = 0;

protected:
    ~BinderContext() = default;
};

using Binder = QWidget* (*)(BinderContext& context, ui::TControl& control, QWidget* parent);

struct BinderEntry {
    ui::TControlKind kind;
    Binder bind;
    // The widget has no click of its own (labels, panels, pictures, line
    // edits): a left
    // button released over it is the model's OnClick.
    bool clickOnRelease;
};

// The entry of a kind; null for components that have no widget (the form,
// timers, menus, the tray icon, file dialogs).
const BinderEntry* binderFor(ui::TControlKind kind);

inline Qt::Alignment toQt(ui::TAlignment a) {
    switch (a) {
    case ui::TAlignment::taCenter: return Qt::AlignCenter;
    case ui::TAlignment::taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

namespace binders {

// containers.cpp
QWidget* panel(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* groupBox(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* tabControl(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* tabSheet(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* pageControl(BinderContext&, ui::TControl&, QWidget* parent);
// buttons.cpp
QWidget* button(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* speedButton(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* checkBox(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* radioButton(BinderContext&, ui::TControl&, QWidget* parent);
// text.cpp
QWidget* label(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* edit(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* searchBox(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* memo(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* hotKey(BinderContext&, ui::TControl&, QWidget* parent);
// lists.cpp
QWidget* comboBox(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* listBox(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* treeView(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* listView(BinderContext&, ui::TControl&, QWidget* parent);
// grid.cpp
QWidget* stringGrid(BinderContext&, ui::TControl&, QWidget* parent);
// bars.cpp
QWidget* trackBar(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* progressBar(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* statusBar(BinderContext&, ui::TControl&, QWidget* parent);
// images.cpp
QWidget* image(BinderContext&, ui::TControl&, QWidget* parent);
QWidget* paintBox(BinderContext&, ui::TControl&, QWidget* parent);

}  // namespace binders
}  // namespace orvelin::qt
