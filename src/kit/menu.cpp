#include "kit/menu.h"

#include <algorithm>

namespace ui {

TMenuItem::TMenuItem(TForm* owner, std::string name, std::string caption)
    : TComponent(owner, std::move(name), TControlKind::MenuItem), Caption(std::move(caption)) {}

TMenuItem::TMenuItem(std::string caption)
    : TComponent(nullptr, {}, TControlKind::MenuItem), Caption(std::move(caption)) {}

TMenuItem* TMenuItem::AddOwned(std::string caption) {
    owned_.push_back(std::make_unique<TMenuItem>(std::move(caption)));
    Add(owned_.back().get());
    return owned_.back().get();
}

void TMenuItem::Add(TMenuItem* child) {
    Items.mutableValue().push_back(child);
    Items.notify();
}

void TMenuItem::Remove(TMenuItem* child) {
    auto& items = Items.mutableValue();
    items.erase(std::remove(items.begin(), items.end(), child), items.end());
    Items.notify();
}

void TMenuItem::ClearOwned() {
    auto& items = Items.mutableValue();
    items.erase(std::remove_if(items.begin(), items.end(),
                               [this](TMenuItem* i) {
                                   return std::any_of(owned_.begin(), owned_.end(),
                                                      [i](const auto& o) { return o.get() == i; });
                               }),
                items.end());
    Items.notify();
    owned_.clear();
}

void TMenuItem::Click() {
    if (Enabled()) OnClick();
}

TPopupMenu::TPopupMenu(TForm* owner, std::string name)
    : TComponent(owner, std::move(name), TControlKind::PopupMenu), root_(std::string()) {}

void TPopupMenu::Popup(const TPopupPlacement& where) {
    ++PopupCount;
    LastPlacement = where;
    OnPopup();
    OnPopupRequest(where);
}

}  // namespace ui
