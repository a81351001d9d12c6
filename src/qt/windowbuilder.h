// Builds the widgets of a window model: the top-level window, then every
// control through the binder of its kind (binders/), then the form's timers,
// popup menus and tray icon. Nothing here knows a particular window.
#pragma once

#include <QWidget>
#include <unordered_map>

#include "kit/controls.h"
#include "kit/form.h"
#include "kit/grid.h"
#include "kit/menu.h"
#include "qt/binders/binders.h"

class QMenu;

namespace orvelin::qt {

class AlignLayout;

class WindowBuilder : private BinderContext {
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
    void bindWindow(QWidget* window);
    QWidget* buildControl(ui::TControl& control, QWidget* parent) override;
    void buildChildren(ui::TWinControl& container, QWidget* widget, AlignLayout& layout);
    void bindCommon(ui::TControl& control, QWidget* widget, bool clickOnRelease);
    // timers.cpp
    void bindTimers();
    // menus.cpp
    void bindPopups();

    ui::TForm& form_;
    QWidget* window_ = nullptr;
    std::unordered_map<const ui::TComponent*, QWidget*> widgets_;
};

}  // namespace orvelin::qt
