#include "kit/controls.h"

#include <algorithm>

#include "common/text.h"

namespace ui {

TCheckBox::TCheckBox(TWinControl* parent, std::string name, std::string caption)
    : TWinControl(parent, std::move(name), TControlKind::CheckBox), Caption(std::move(caption)) {
    Checked.observe([this](const bool&) { OnClick(); });
}

TRadioButton::TRadioButton(TWinControl* parent, std::string name, std::string caption)
    : TWinControl(parent, std::move(name), TControlKind::RadioButton), Caption(std::move(caption)) {
    Checked.observe([this](const bool& on) {
        if (!on) return;
        // Radio buttons of one parent exclude each other.
        if (TWinControl* p = Parent()) {
            for (TControl* c : p->Controls())
                if (c != this && c->Kind() == TControlKind::RadioButton)
                    static_cast<TRadioButton*>(c)->Checked.set(false);
        }
        OnClick();
    });
}

TTrackBar::TTrackBar(TWinControl* parent, std::string name, int min, int max)
    : TWinControl(parent, std::move(name), TControlKind::TrackBar), Min(min), Max(max), Position(min) {
    Position.setCoerce([this](int v) { return std::clamp(v, Min(), std::max(Min(), Max())); });
    Position.observe([this](const int&) { OnChange(); });
    auto reclamp = [this](const int&) { Position.set(Position()); };
    Min.observe(reclamp);
    Max.observe(reclamp);
}

TComboBox::TComboBox(TWinControl* parent, std::string name)
    : TWinControl(parent, std::move(name), TControlKind::ComboBox) {}

void TComboBox::SelectIndex(int index) {
    const auto& items = Items();
    if (index < 0 || index >= static_cast<int>(items.size())) {
        ItemIndex.set(-1);
        if (Style() == TComboBoxStyle::csDropDownList) Text.set("");
        return;
    }
    ItemIndex.set(index);
    Text.set(items[static_cast<size_t>(index)]);
}

bool TComboBox::SelectText(const std::string& text) {
    const auto& items = Items();
    for (size_t i = 0; i < items.size(); ++i) {
        if (common::equalsNoCase(items[i], text)) {
            SelectIndex(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

void TComboBox::Clear() {
    Items.set({});
    ItemIndex.set(-1);
    Text.set("");
}

void TComboBox::Add(const std::string& item) {
    auto& items = Items.mutableValue();
    if (Sorted()) {
        auto pos = std::upper_bound(items.begin(), items.end(), item, [](const std::string& a, const std::string& b) {
            return common::compareNoCase(a, b) < 0;
        });
        int at = static_cast<int>(pos - items.begin());
        items.insert(pos, item);
        if (ItemIndex() >= at) ItemIndex.set(ItemIndex() + 1);
    } else {
        items.push_back(item);
    }
    Items.notify();
}

void TComboBox::Delete(int index) {
    auto& items = Items.mutableValue();
    if (index < 0 || index >= static_cast<int>(items.size())) return;
    items.erase(items.begin() + index);
    Items.notify();
    if (ItemIndex() == index) {
        ItemIndex.set(-1);
        Text.set("");
    } else if (ItemIndex() > index) {
        ItemIndex.set(ItemIndex() - 1);
    }
}

bool TOpenDialog::Execute() {
    TFileDialogOptions options;
    options.Title = Title();
    options.Filter = Filter();
    options.MultiSelect = MultiSelect;
    Files = Owner()->Application().dialogs().OpenFiles(options);
    return !Files.empty();
}

TEdit::TEdit(TWinControl* parent, std::string name, TControlKind kind) : TWinControl(parent, std::move(name), kind) {
    Text.observe([this](const std::string&) { OnChange(); });
}

const std::string& TStatusBar::PanelText(size_t i) const {
    static const std::string empty;
    return i < Panels().size() ? Panels()[i].Text : empty;
}

void TStatusBar::SetPanelText(size_t i, std::string text) {
    auto& panels = Panels.mutableValue();
    if (i >= panels.size() || panels[i].Text == text) return;
    panels[i].Text = std::move(text);
    Panels.notify();
}

std::vector<TTabSheet*> TPageControl::Pages() const {
    std::vector<TTabSheet*> pages;
    for (TControl* c : Controls())
        if (c->Kind() == TControlKind::TabSheet) pages.push_back(static_cast<TTabSheet*>(c));
    return pages;
}

std::string ShortCutToText(TShortCut shortcut) {
    if (shortcut == 0) return {};
    std::string text;
    if (shortcut & scCtrl) text += "Ctrl+";
    if (shortcut & scShift) text += "Shift+";
    if (shortcut & scAlt) text += "Alt+";
    unsigned key = shortcut & 0xFF;
    if (key >= 0x70 && key <= 0x87) return text + "F" + std::to_string(key - 0x6F);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return text + static_cast<char>(key);
    switch (key) {
    case 0x08: return text + "BkSp";
    case 0x09: return text + "Tab";
    case 0x0D: return text + "Enter";
    case 0x1B: return text + "Esc";
    case 0x20: return text + "Space";
    case 0x21: return text + "PgUp";
    case 0x22: return text + "PgDn";
    case 0x23: return text + "End";
    case 0x24: return text + "Home";
    case 0x25: return text + "Left";
    case 0x26: return text + "Up";
    case 0x27: return text + "Right";
    case 0x28: return text + "Down";
    case 0x2D: return text + "Ins";
    case 0x2E: return text + "Del";
    case vkPause: return text + "Pause";
    case vkMediaNextTrack: return text + "Media Next";
    case vkMediaPrevTrack: return text + "Media Previous";
    case vkMediaStop: return text + "Media Stop";
    case vkMediaPlayPause: return text + "Media Play/Pause";
    case vkPlay: return text + "Media Play";
    default: return text + "#" + std::to_string(key);
    }
}

}  // namespace ui
