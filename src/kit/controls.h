// The control kinds the windows are made of. Each keeps the properties the
// window behaviour reads and writes; the front end renders them.
//
// Events follow the classic component rules the window code relies on: a
// track bar's OnChange, an edit's OnChange, a check box's OnClick and a radio
// button's OnClick also fire when the program changes Position, Text or
// Checked; a combo box's OnChange fires only for the user's choice.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kit/component.h"
#include "kit/form.h"

namespace ui {

// An image held by a model: 32-bit pixels 0xAARRGGBB, row by row.
struct TBitmap {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;
    TBitmap() = default;
    TBitmap(int w, int h, uint32_t fill = 0) : Width(w), Height(h), Pixels(size_t(w) * size_t(h), fill) {}
    uint32_t& at(int x, int y) { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
    uint32_t at(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};
using TBitmapPtr = std::shared_ptr<const TBitmap>;

class TPanel : public TWinControl {
public:
    TPanel(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name), TControlKind::Panel) {}
    Property<std::string> Caption;
    Property<bool> ParentBackground{true};
};

class TGroupBox : public TWinControl {
public:
    TGroupBox(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name), TControlKind::GroupBox) {}
    Property<std::string> Caption;
};

class TLabel : public TControl {
public:
    TLabel(TWinControl* parent, std::string name, std::string caption = {})
        : TControl(parent, std::move(name), TControlKind::Label), Caption(std::move(caption)) {}
    Property<std::string> Caption;
    Property<TAlignment> Alignment{TAlignment::taLeftJustify};
    // Long captions are shortened with an ellipsis in the middle.
    Property<bool> EllipsisInMiddle{false};
};

class TButton : public TWinControl {
public:
    TButton(TWinControl* parent, std::string name, std::string caption = {})
        : TWinControl(parent, std::move(name), TControlKind::Button), Caption(std::move(caption)) {}
    Property<std::string> Caption;
    int ModalResult = mrNone;  // a click closes a modal form with this result
    Property<bool> Default{false};
};

// A flat tool button showing a picture from the window's image list.
class TSpeedButton : public TControl {
public:
    TSpeedButton(TWinControl* parent, std::string name, std::string caption = {})
        : TControl(parent, std::move(name), TControlKind::SpeedButton), Caption(std::move(caption)) {}
    Property<std::string> Caption;
    Property<int> ImageIndex{-1};
    Property<bool> Down{false};
    Property<bool> Flat{true};
};

class TCheckBox : public TWinControl {
public:
    TCheckBox(TWinControl* parent, std::string name, std::string caption = {});
    Property<std::string> Caption;
    Property<bool> Checked{false};
};

class TRadioButton : public TWinControl {
public:
    TRadioButton(TWinControl* parent, std::string name, std::string caption = {});
    Property<std::string> Caption;
    Property<bool> Checked{false};
};

enum class TTrackBarOrientation { trHorizontal, trVertical };

class TTrackBar : public TWinControl {
public:
    TTrackBar(TWinControl* parent, std::string name, int min = 0, int max = 10);
    Property<int> Min{0}, Max{10}, Position{0};
    Property<TTrackBarOrientation> Orientation{TTrackBarOrientation::trHorizontal};
    Property<bool> TickMarks{true};
    Property<int> Frequency{1};
    Event<> OnChange;
    // Wheel notches arrive as multiples of 120, positive when turned up. When
    // a handler is set the front end leaves the wheel to it.
    Event<int, int, int> OnMouseWheel;  // delta, x, y
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
public:
    TComboBox(TWinControl* parent, std::string name);
    Property<std::vector<std::string>> Items;
    Property<int> ItemIndex{-1};
    Property<std::string> Text;
    Property<TComboBoxStyle> Style{TComboBoxStyle::csDropDown};
    Property<bool> Sorted{false};
    // The user picked an item (or typed, for csDropDown).
    Event<> OnChange;

    // Selects an item by index and shows its text (-1: none, empty text).
    void SelectIndex(int index);
    // Selects the first item equal to text (ignoring case); false if none.
    bool SelectText(const std::string& text);
    void Clear();
    void Add(const std::string& item);
    // Removes one item; the selection follows the items that stay.
    void Delete(int index);
};

class TEdit : public TWinControl {
public:
    TEdit(TWinControl* parent, std::string name, TControlKind kind = TControlKind::Edit);
    Property<std::string> Text;
    Property<std::string> TextHint;
    Property<bool> ReadOnly{false};
    Property<int> MaxLength{0};
    Event<> OnChange;
};

// An edit with a search glyph; the front end fires OnInvokeSearch on Enter.
class TSearchBox : public TEdit {
public:
    TSearchBox(TWinControl* parent, std::string name) : TEdit(parent, std::move(name), TControlKind::SearchBox) {}
    Event<> OnInvokeSearch;
};

class TMemo : public TWinControl {
public:
    TMemo(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name), TControlKind::Memo) {}
    Property<std::string> Text;
    Property<bool> ReadOnly{false};
    Event<> OnChange;
};

class TListBox : public TWinControl {
public:
    TListBox(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name), TControlKind::ListBox) {}
    Property<std::vector<std::string>> Items;
    Property<int> ItemIndex{-1};
};

struct TStatusPanel {
    std::string Text;
    int Width = 50;
    TAlignment Alignment = TAlignment::taLeftJustify;
    bool operator==(const TStatusPanel&) const = default;
};

class TStatusBar : public TControl {
public:
    TStatusBar(TWinControl* parent, std::string name) : TControl(parent, std::move(name), TControlKind::StatusBar) {}
    Property<std::vector<TStatusPanel>> Panels;
    const std::string& PanelText(size_t i) const;
    void SetPanelText(size_t i, std::string text);
};

class TTimer : public TComponent {
public:
    TTimer(TForm* owner, std::string name, int interval = 1000, bool enabled = true)
        : TComponent(owner, std::move(name), TControlKind::Timer), Interval(interval), Enabled(enabled) {}
    Property<int> Interval;  // milliseconds
    Property<bool> Enabled;
    Event<> OnTimer;
    // One tick, as the front end's timer delivers it; nothing when disabled.
    void fire() {
        if (Enabled()) OnTimer();
    }
};

class TImage : public TControl {
public:
    TImage(TWinControl* parent, std::string name) : TControl(parent, std::move(name), TControlKind::Image) {}
    Property<TBitmapPtr> Picture;
    Property<bool> Stretch{false};
    Property<bool> Proportional{false};
    Property<bool> Center{false};
    void Clear() { Picture.set(nullptr); }
};

// A surface the program draws into; the front end shows the latest buffer.
class TPaintBox : public TControl {
public:
    TPaintBox(TWinControl* parent, std::string name) : TControl(parent, std::move(name), TControlKind::PaintBox) {}
    Property<TBitmapPtr> Picture;
};

class TTabSheet : public TWinControl {
public:
    TTabSheet(TWinControl* parent, std::string name, std::string caption = {})
        : TWinControl(parent, std::move(name), TControlKind::TabSheet), Caption(std::move(caption)) {}
    Property<std::string> Caption;
    Property<bool> TabVisible{true};
};

class TPageControl : public TWinControl {
public:
    TPageControl(TWinControl* parent, std::string name)
        : TWinControl(parent, std::move(name), TControlKind::PageControl) {}
    Property<int> ActivePageIndex{0};
    Event<> OnChange;
    std::vector<TTabSheet*> Pages() const;
};

// A box with a row of tabs over one shared area (the cover and tag boxes).
class TTabControl : public TWinControl {
public:
    TTabControl(TWinControl* parent, std::string name)
        : TWinControl(parent, std::move(name), TControlKind::TabControl) {}
    Property<std::vector<std::string>> Tabs;
    Property<int> TabIndex{-1};
    Event<> OnChange;
};

struct TTreeNode {
    std::string Text;
    std::vector<TTreeNode> Children;
    bool operator==(const TTreeNode&) const = default;
};

class TTreeView : public TWinControl {
public:
    TTreeView(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name), TControlKind::TreeView) {}
    Property<std::vector<TTreeNode>> Items;
    // Path of child indexes from the top to the selected node; empty = none.
    Property<std::vector<int>> Selected;
    Event<> OnChange;
};

class TProgressBar : public TControl {
public:
    TProgressBar(TWinControl* parent, std::string name)
        : TControl(parent, std::move(name), TControlKind::ProgressBar) {}
    Property<int> Min{0}, Max{100}, Position{0};
};

// A field that captures a key combination.
class THotKey : public TWinControl {
public:
    THotKey(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name), TControlKind::HotKey) {}
    Property<TShortCut> HotKey{0};
    Event<> OnChange;
};

// The notification-area icon with its menu.
class TTrayIcon : public TComponent {
public:
    TTrayIcon(TForm* owner, std::string name) : TComponent(owner, std::move(name), TControlKind::TrayIcon) {}
    Property<bool> Visible{false};
    Property<std::string> Hint;
    Property<int> IconIndex{0};
    Property<std::string> BalloonTitle, BalloonHint;
    class TPopupMenu* PopupMenu = nullptr;
    // Set by the front end: false when the desktop has no notification area,
    // so that nothing hides itself behind an icon no one can see.
    bool SystemTrayAvailable = true;
    Event<> OnClick;
    Event<> OnDblClick;
    void ShowBalloonHint() { OnBalloonRequest(); }
    Event<> OnBalloonRequest;  // set by the front end
};

// A file-open dialog: its texts are the window's (language files translate
// them by name); Execute asks the application's Dialogs.
class TOpenDialog : public TComponent {
public:
    TOpenDialog(TForm* owner, std::string name, std::string filter = {})
        : TComponent(owner, std::move(name), TControlKind::OpenDialog), Filter(std::move(filter)) {}
    Property<std::string> Title;
    Property<std::string> Filter;
    bool MultiSelect = false;
    std::vector<std::string> Files;
    std::string FileName() const { return Files.empty() ? std::string() : Files.front(); }
    // False when the user cancelled.
    bool Execute();
};

// A list in columns (the report view of a list view): each item is a row
// with its caption in the first column and sub-items in the others.
struct TListColumn {
    std::string Caption;
    int Width = 50;
    int MinWidth = 0;
    int MaxWidth = 0;  // 0: no maximum
    TAlignment Alignment = TAlignment::taLeftJustify;
    bool operator==(const TListColumn&) const = default;
};

struct TListItem {
    std::string Caption;
    std::vector<std::string> SubItems;
    // The desktop's icon for this file's type is shown before the caption.
    std::string IconFile;
    bool operator==(const TListItem&) const = default;
};

// Rows are read-only and selected whole; after every change of the items the
// columns take the width that fits their header and contents, within their
// minimum and maximum.
class TListView : public TWinControl {
public:
    TListView(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name), TControlKind::ListView) {}
    Property<std::vector<TListColumn>> Columns;
    Property<std::vector<TListItem>> Items;
    Property<int> ItemIndex{-1};  // the selected row, -1 for none
    const TListItem* Selected() const {
        return ItemIndex() >= 0 && ItemIndex() < static_cast<int>(Items().size()) ? &Items()[size_t(ItemIndex())]
                                                                                  : nullptr;
    }
};

// Text of a shortcut the way menus show it ("Ctrl+Shift+A", "F2", "Space").
std::string ShortCutToText(TShortCut shortcut);

}  // namespace ui
