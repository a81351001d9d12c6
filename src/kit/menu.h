// Menu items and pop-up menus. Items declared as window members are
// registered by name; items made at run time (the language list, say) are
// owned by their parent item.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kit/component.h"

namespace ui {

class TMenuItem : public TComponent {
public:
    TMenuItem(TForm* owner, std::string name, std::string caption = {});
    // An item of no form: run-time children and a pop-up menu's root.
    explicit TMenuItem(std::string caption);
    // A child made at run time, owned by this item and not registered.
    TMenuItem* AddOwned(std::string caption);
    void Add(TMenuItem* child);
    void Remove(TMenuItem* child);
    void ClearOwned();

    Property<std::string> Caption;  // "-" is a separator
    Property<std::string> Hint;
    Property<bool> Checked{false};
    Property<bool> Enabled{true};
    Property<bool> Visible{true};
    Property<bool> RadioItem{false};
    Property<int> GroupIndex{0};
    Property<int> ImageIndex{-1};
    Property<TShortCut> ShortCut{0};
    // The children in menu order; observers hear additions and removals.
    Property<std::vector<TMenuItem*>> Items;
    Event<> OnClick;

    bool IsSeparator() const { return Caption() == "-"; }
    // Runs OnClick as a user's click does (nothing while disabled).
    void Click();

private:
    std::vector<std::unique_ptr<TMenuItem>> owned_;
};

class TControl;

// Where a pop-up menu should appear: at screen coordinates, or at a corner of
// a control (the front end knows where that control is on screen).
struct TPopupPlacement {
    int X = 0, Y = 0;
    const TControl* Anchor = nullptr;  // when set, X/Y are ignored
    bool BelowRightAligned = false;    // anchored: at the lower right corner, menu right-aligned
    bool Above = false;                // anchored: the menu's lower left corner at the upper left one
};

class TPopupMenu : public TComponent {
public:
    TPopupMenu(TForm* owner, std::string name);
    TMenuItem& Root() { return root_; }
    const std::vector<TMenuItem*>& Items() const { return root_.Items(); }
    void Add(TMenuItem* item) { root_.Add(item); }

    // Shows the menu at screen coordinates; the front end handles the request.
    void Popup(int x, int y) { Popup(TPopupPlacement{x, y, nullptr, false}); }
    // Shows it at a control's lower right corner, right-aligned.
    void PopupBelow(const TControl& anchor) { Popup(TPopupPlacement{0, 0, &anchor, true}); }
    // Shows it above a control, left edges aligned.
    void PopupAbove(const TControl& anchor) { Popup(TPopupPlacement{0, 0, &anchor, false, true}); }
    void Popup(const TPopupPlacement& where);
    Event<const TPopupPlacement&> OnPopupRequest;  // set by the front end
    TPopupPlacement LastPlacement;
    Event<> OnPopup;     // the menu is about to show
    int PopupCount = 0;  // how many times Popup ran (tests read it)

private:
    TMenuItem root_;
};

}  // namespace ui
