// A window model: a form with its controls registered by name in component
// order, and the application object that ties the windows together.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "kit/component.h"
#include "kit/dialogs.h"
#include "kit/dispatcher.h"

namespace ui {

class TForm;

enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormStyle { fsNormal, fsStayOnTop };
// bsSingle: the user cannot resize the window.
enum class TFormBorderStyle { bsSizeable, bsSingle };
// Where a window appears when shown: where it was, or centred on the desktop.
enum class TPosition { poDesigned, poDesktopCenter };

// A rectangle of the desktop, in pixels.
struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TRect&) const = default;
};

// What only the front end can do with a window; tests script it.
class FormHost {
public:
    virtual ~FormHost() = default;
    // Shows the form modally and returns its ModalResult once it closes.
    virtual int ShowModal(TForm& form) = 0;
    virtual void BringToFront(TForm& form) = 0;
    // Ends the application's event loop (after the main window closed).
    virtual void Quit() = 0;
    // The part of the desktop that windows may take (docks and panels left
    // out); empty when the front end cannot tell.
    virtual TRect WorkArea() { return {}; }
};

// The services every window uses, handed to each form at construction.
class TApplication {
public:
    TApplication(Dispatcher& dispatcher, Dialogs& dialogs, FormHost& host)
        : dispatcher_(dispatcher), dialogs_(dialogs), host_(host) {}

    Dispatcher& dispatcher() { return dispatcher_; }
    Dialogs& dialogs() { return dialogs_; }
    FormHost& host() { return host_; }

    // The first form registered becomes the main form: closing it ends the program.
    TForm* MainForm() const { return mainForm_; }
    const std::vector<TForm*>& Forms() const { return forms_; }
    void addForm(TForm* f);

    void ProcessMessages() { dispatcher_.processMessages(); }
    void Terminate();
    bool Terminated() const { return terminated_; }
    Property<std::string> Title;

private:
    Dispatcher& dispatcher_;
    Dialogs& dialogs_;
    FormHost& host_;
    TForm* mainForm_ = nullptr;
    std::vector<TForm*> forms_;
    bool terminated_ = false;
};

class TForm : public TWinControl {
public:
    TForm(TApplication& app, std::string name);
    ~TForm() override;

    TApplication& Application() { return app_; }

    // Components in the order they were constructed.
    const std::vector<TComponent*>& Components() const { return components_; }
    TComponent* FindComponent(std::string_view name) const;
    template <class T>
    T* Find(std::string_view name) const {
        return dynamic_cast<T*>(FindComponent(name));
    }
    void registerComponent(TComponent* c);

    Property<std::string> Caption;
    Property<int> ClientWidth{0}, ClientHeight{0};
    Property<int> MinWidth{0}, MinHeight{0};
    Property<int> MaxWidth{0};  // 0: no limit
    Property<TWindowState> WindowState{TWindowState::wsNormal};
    Property<bool> KeyPreview{false};
    Property<bool> AcceptFiles{false};
    Property<TFormStyle> FormStyle{TFormStyle::fsNormal};
    Property<TFormBorderStyle> BorderStyle{TFormBorderStyle::bsSizeable};
    Property<TPosition> Position{TPosition::poDesigned};
    int ModalResult = mrNone;

    void Show();
    void Hide();
    int ShowModal();
    // Runs OnCloseQuery and OnClose, hides the window; closing the main form
    // terminates the application.
    void Close();
    bool Showing() const { return Visible(); }

    Event<> OnCreate;
    Event<> OnShow;
    Event<> OnHide;
    Event<bool&> OnCloseQuery;
    Event<> OnClose;
    Event<> OnResize;
    Event<> OnActivate;
    // Keys before any control sees them; set handled to stop them there.
    Event<uint16_t, TShiftState, bool&> OnShortCut;
    // A key that OnShortCut left: clicks the first enabled, visible menu item
    // of the form with that shortcut, as menus do while their window has the
    // focus. False when no item has it.
    bool DispatchShortCut(uint16_t key, TShiftState shift);
    Event<const std::vector<std::string>&> OnDropFiles;

    // What a language file may change (ui/translation.h): the title (the main
    // window's carries the version), the components' texts, except those of
    // the components named here, which the program sets while it runs. A
    // window whose texts are all the program's turns the components off.
    bool TranslateCaption = true;
    bool TranslateComponents = true;
    std::vector<std::string> RuntimeTextComponents;
    // After a language pass: texts the window composes at run time from ones
    // the pass may have replaced are made again.
    Event<> OnTranslated;

private:
    TApplication& app_;
    std::vector<TComponent*> components_;
};

}  // namespace ui
