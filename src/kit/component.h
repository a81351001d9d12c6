// The base of every control model: a named component owned by a form, and
// the visual control with its place in the window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kit/property.h"

namespace ui {

class TForm;
class TWinControl;

enum class TControlKind {
    Form,
    Panel,
    Label,
    Button,
    SpeedButton,
    CheckBox,
    RadioButton,
    TrackBar,
    ComboBox,
    Edit,
    SearchBox,
    StringGrid,
    StatusBar,
    Timer,
    MenuItem,
    PopupMenu,
    Image,
    PaintBox,
    PageControl,
    TabSheet,
    TabControl,
    TreeView,
    ProgressBar,
    HotKey,
    GroupBox,
    TrayIcon,
    ListBox,
    Memo,
    OpenDialog,
    ListView,
};

const char* kindName(TControlKind kind);

// How a control takes its room inside its parent. Docked controls take their
// strips in declaration order (top and bottom first, then left and right),
// and each group reads in declaration order on screen: alTop controls from
// the top down, alBottom controls top to bottom at the bottom edge, alLeft
// and alRight left to right. The alClient control takes what is left; alNone
// keeps Left/Top/Width/Height.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier bits of a key or mouse event.
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;

// A key with its modifiers, packed as the settings store keeps it: the key
// code in the low byte, scShift/scCtrl/scAlt above it.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

// Key codes of the media keys (the classic virtual-key values; the Pause key
// and the media pause key share one).
constexpr uint16_t vkPause = 0x13, vkMediaNextTrack = 0xB0, vkMediaPrevTrack = 0xB1, vkMediaStop = 0xB2,
                   vkMediaPlayPause = 0xB3, vkPlay = 0xFA;

struct TFont {
    std::string Name = "Tahoma";
    double Size = 8;
    bool Bold = false;
    bool operator==(const TFont&) const = default;
};

class TComponent {
public:
    // Registers with the owner in construction order, which is component order.
    TComponent(TForm* owner, std::string name, TControlKind kind);
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const { return name_; }
    TControlKind Kind() const { return kind_; }
    TForm* Owner() const { return owner_; }

    // A free integer for the window's own bookkeeping, as components have.
    int Tag = 0;

private:
    TForm* owner_;
    std::string name_;
    TControlKind kind_;
};

class TControl : public TComponent {
public:
    TControl(TWinControl* parent, std::string name, TControlKind kind);

    TWinControl* Parent() const { return parent_; }

    Property<std::string> Hint;
    Property<bool> ShowHint{true};
    Property<bool> Enabled{true};
    Property<bool> Visible{true};
    Property<int> Left{0}, Top{0}, Width{0}, Height{0};
    Property<TAlign> Align{TAlign::alNone};
    Property<TFont> Font;

    void SetBounds(int left, int top, int width, int height);
    // The menu a right click on the control opens, if any.
    class TPopupMenu* PopupMenu = nullptr;

    Event<TMouseButton, TShiftState, int, int> OnMouseDown;
    Event<TMouseButton, TShiftState, int, int> OnMouseUp;
    Event<TShiftState, int, int> OnMouseMove;
    Event<> OnClick;
    Event<> OnDblClick;

protected:
    TControl(TForm* owner, std::string name, TControlKind kind);  // for the form itself

private:
    TWinControl* parent_ = nullptr;
};

// A control that holds others (panels, tab sheets, the form).
class TWinControl : public TControl {
public:
    TWinControl(TWinControl* parent, std::string name, TControlKind kind) : TControl(parent, std::move(name), kind) {}

    const std::vector<TControl*>& Controls() const { return children_; }
    void addChild(TControl* c) { children_.push_back(c); }

    Property<bool> Focused{false};
    // The key events of a focused control; key is the key code (VK_ values).
    Event<uint16_t&, TShiftState> OnKeyDown;
    Event<uint16_t&, TShiftState> OnKeyUp;

protected:
    TWinControl(TForm* owner, std::string name, TControlKind kind) : TControl(owner, std::move(name), kind) {}

private:
    std::vector<TControl*> children_;
};

}  // namespace ui
