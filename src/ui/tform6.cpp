#include "ui/tform6.h"

#include "common/text.h"
#include "player/m3u.h"
#include "ui/smallwindow.h"
#include "ui/tform1.h"

namespace ui {

TForm6::TForm6(TApplication& app, TForm1& form1) : TForm(app, "Form6"), form1_(form1) {
    Caption.set("Редактор URL");
    // Enter presses whichever of the two buttons shows.
    MakeSmallWindow(*this, 379, 151, [this] {
        if (ButtonEditURL.Visible()) ButtonEditURLClick();
        else ButtonAddURLClick();
    });

    Label1.SetBounds(8, 8, 363, 16);
    EditURLTitle.SetBounds(8, 26, 363, 24);
    EditURLTitle.TextHint.set("Название");
    Label2.SetBounds(8, 58, 363, 16);
    EditURLPath.SetBounds(8, 76, 363, 24);
    EditURLPath.TextHint.set("URL-Адрес ссылки");
    PanelButtons.Align.set(TAlign::alBottom);
    PanelButtons.Height.set(42);
    for (TButton* b : {&ButtonAddURL, &ButtonEditURL}) b->SetBounds(8, 6, 363, 30);
    ButtonEditURL.Visible.set(false);

    ButtonAddURL.OnClick = [this] { ButtonAddURLClick(); };
    ButtonEditURL.OnClick = [this] { ButtonEditURLClick(); };
    form1.OnAddURL = [this] { ShowAdd(); };
    form1.OnEditURL = [this](int row) { ShowEdit(row); };
}

bool TForm6::IsStreamURL(const std::string& url) {
    size_t scheme = common::startsWithNoCase(url, "http://") ? 7 : common::startsWithNoCase(url, "https://") ? 8 : 0;
    if (scheme == 0 || url.size() == scheme || url[scheme] == '/') return false;
    return url.find_first_of(" \t\r\n") == std::string::npos;
}

void TForm6::ShowAdd() {
    form1_.ReleaseToolButtons();
    if (form1_.ComboBox_Playlist.Text().empty()) form1_.MenuAddFolderPlayList();
    editRow_ = -1;
    EditURLTitle.Text.set("");
    EditURLPath.Text.set("");
    ButtonEditURL.Visible.set(false);
    ButtonAddURL.Visible.set(true);
    Show();
}

void TForm6::ShowEdit(int row) {
    const TStringGrid& grid = form1_.StringGrid1;
    if (row < 0 || row >= grid.RowCount()) return;
    editRow_ = row;
    EditURLPath.Text.set(grid.Cell(player::colLocation, row));
    EditURLTitle.Text.set(grid.Cell(player::colTitle, row));
    ButtonAddURL.Visible.set(false);
    ButtonEditURL.Visible.set(true);
    ShowModal();
}

void TForm6::error(const std::string& message) {
    Application().dialogs().MessageBox(message, form1_.LangError.Caption(), MB_ICONERROR);
}

bool TForm6::checkInput(std::string& title, std::string& url) {
    url = common::trimmed(EditURLPath.Text());
    title = common::trimmed(EditURLTitle.Text());
    if (url.empty()) {
        error(form1_.LangPasteURL.Caption());
        return false;
    }
    // Anything else would be taken for a missing file and dropped from the list.
    if (!IsStreamURL(url)) {
        error(form1_.LangBadURL.Caption());
        return false;
    }
    if (title.empty()) {
        error(form1_.LangNoStationName.Caption());
        return false;
    }
    return true;
}

void TForm6::ButtonAddURLClick() {
    std::string title, url;
    // While media are being added the rows are not the window's to change; the
    // text stays for another try.
    if (form1_.Adding() || !checkInput(title, url)) return;
    form1_.EndSearchFilter();
    TStringGrid& grid = form1_.StringGrid1;
    grid.InsertRow(grid.RowCount(), {"", title, "0:00", url});
    form1_.DeleteEmptyRow();
    finish();
}

void TForm6::ButtonEditURLClick() {
    std::string title, url;
    if (form1_.Adding() || !checkInput(title, url)) return;
    TStringGrid& grid = form1_.StringGrid1;
    if (editRow_ >= 0 && editRow_ < grid.RowCount()) {
        grid.SetCell(player::colLocation, editRow_, url);
        grid.SetCell(player::colTitle, editRow_, title);
        // Saved as an unknown length (-1), as streams are.
        grid.SetCell(player::colDuration, editRow_, "0:-01");
    }
    form1_.DeleteEmptyRow();
    finish();
}

void TForm6::finish() {
    EditURLTitle.Text.set("");
    EditURLPath.Text.set("");
    editRow_ = -1;
    Close();
    TForm1& form1 = form1_;
    Application().dispatcher().post([&form1] { form1.PostProcessing(); });
    form1.CopyStringGrid();
    if (std::string file = form1.CurrentPlaylistFile(); !file.empty()) form1.SaveList(file);
}

}  // namespace ui
