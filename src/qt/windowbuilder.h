// Builds the widgets of a window model: one binder per control kind keeps
// each widget and its model in step both ways. Nothing here knows a
// particular window.
#pragma once

#include <QWidget>
#include <unordered_map>

#include "kit/controls.h"
#include "kit/form.h"
#include "kit/grid.h"
#include "kit/menu.h"

class QMenu;

namespace orvelin::qt {

class WindowBuilder {
public:
    explicit WindowBuilder(ui::TForm& form) : form_(form) {}
    // The widgets go first, while the model they watch still exists.
    ~WindowBuilder();
    WindowBuilder(const WindowBuilder&) = delete;
    WindowBuilder& operator=(const WindowBuilder&) = delete;

    // The top-level window with every control of the form; built once.
    QWidget* build();
    QWidget* window() const { return window_; }
    QWidget* widgetOf(const ui::TComponent* component) const;
    template <class W>
    W* widgetAs(const ui::TComponent& component) const {
        return qobject_cast<W*>(widgetOf(&component));
    }

    // Fills a Qt menu from a model menu item's children, and keeps it current.
    void fillMenu(QMenu* menu, ui::TMenuItem& item);

private:
    QWidget* buildControl(ui::TControl& control, QWidget* parent);
    void buildChildren(ui::TWinControl& container, QWidget* widget);
    void bindCommon(ui::TControl& control, QWidget* widget);
    void bindTimers();
    void bindPopups();

    ui::TForm& form_;
    QWidget* window_ = nullptr;
    std::unordered_map<const ui::TComponent*, QWidget*> widgets_;
};

// Key codes of the model (virtual-key values) from Qt's.
uint16_t keyCodeFromQt(int qtKey);
ui::TShiftState shiftFromQt(Qt::KeyboardModifiers modifiers);

}  // namespace orvelin::qt
