// The playlist manager: every file of the playlist folder with its size and
// date, to list again, save the playlist into, or send to the trash.
#pragma once

#include <ctime>
#include <string>

#include "kit/controls.h"
#include "kit/form.h"
#include "kit/menu.h"

namespace ui {

class TForm1;

class TForm9 : public TForm {
public:
    TForm9(TApplication& app, TForm1& form1);

    TPanel PanelButtons{this, "PanelButtons"};
    TButton Button1{&PanelButtons, "Button1", "&Ok"};
    TPanel PanelButtonsMargin{&PanelButtons, "PanelButtonsMargin"};  // keeps the button off the edge
    TListView ListViewPLManager{this, "ListViewPLManager"};
    TPopupMenu PopupMenuPLManager{this, "PopupMenuPLManager"};
    TMenuItem MenuPLUpdate{this, "MenuPLUpdate", "Обновить"};
    TMenuItem N1{this, "N1", "-"};
    TMenuItem MenuPLSave{this, "MenuPLSave", "Сохранить"};
    TMenuItem N2{this, "N2", "-"};
    TMenuItem MenuPLDelAll{this, "MenuPLDelAll", "Удалить все"};
    TMenuItem MenuPLDel{this, "MenuPLDel", "Удалить"};

    // The playlist folder, subfolders included, one row per file.
    void ListPlaylists();
    void MenuPLSaveClick();
    void MenuPLDelClick();
    void MenuPLDelAllClick();

    // "dd.mm.yy hh:mm" in local time.
    static std::string DateText(std::time_t when);

private:
    // Sends files to the trash in order, stopping at the first that stays
    // (after telling why); false then.
    bool trash(const std::vector<std::string>& files);
    // After a deletion: a default playlist exists, the chooser is listed
    // again and its first playlist is loaded.
    void afterDeletion();

    TForm1& form1_;
};

}  // namespace ui
