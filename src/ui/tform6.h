// The URL window: adds an internet radio row to the playlist, or changes the
// title and address of one.
#pragma once

#include <string>

#include "kit/controls.h"
#include "kit/form.h"

namespace ui {

class TForm1;

class TForm6 : public TForm {
public:
    TForm6(TApplication& app, TForm1& form1);

    TLabel Label1{this, "Label1", "Название:"};
    TEdit EditURLTitle{this, "EditURLTitle"};
    TLabel Label2{this, "Label2", "URL:"};
    TEdit EditURLPath{this, "EditURLPath"};
    // One of the two fills the strip at the bottom, by the mode.
    TPanel PanelButtons{this, "PanelButtons"};
    TButton ButtonAddURL{&PanelButtons, "ButtonAddURL", "Добавить"};
    TButton ButtonEditURL{&PanelButtons, "ButtonEditURL", "Изменить"};

    // Add mode: empty boxes, not modal.
    void ShowAdd();
    // Edit mode on a stream row: its address and title, modal.
    void ShowEdit(int row);
    void ButtonAddURLClick();
    void ButtonEditURLClick();

    // A stream address the playlist keeps as a stream: http:// or https://,
    // a host, no spaces.
    static bool IsStreamURL(const std::string& url);

private:
    // The boxes' texts, trimmed, when both are usable; else the message why not.
    bool checkInput(std::string& title, std::string& url);
    // The row is in: close, then the steps every add ends with.
    void finish();
    void error(const std::string& message);

    TForm1& form1_;
    int editRow_ = -1;
};

}  // namespace ui
