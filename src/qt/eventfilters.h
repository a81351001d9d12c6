// The Qt events that reach a model without a binder of their own: the mouse,
// focus and size of every control, the top-level window of a form, and the
// form's shortcuts.
#pragma once

#include <QWidget>

#include "kit/component.h"
#include "kit/form.h"

namespace orvelin::qt {

// Mouse events and sizes that every control shares.
class ControlFilter : public QObject {
public:
    // clickOnRelease: the widget has no click of its own, so a left press
    // released over it is the model's OnClick.
    ControlFilter(ui::TControl& control, QWidget* widget, bool clickOnRelease);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    ui::TControl& control_;
    bool clickable_;
};

// The top-level window of a form.
class FormWidget : public QWidget {
public:
    explicit FormWidget(ui::TForm& form);

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    ui::TForm& form_;
};

// Keys reach the form before its controls when it asks for them.
class ShortCutFilter : public QObject {
public:
    ShortCutFilter(ui::TForm& form, QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    ui::TForm& form_;
    QWidget* window_;
};

}  // namespace orvelin::qt
