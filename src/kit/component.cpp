#include "kit/component.h"

#include "kit/form.h"

namespace ui {

const char* kindName(TControlKind kind) {
    switch (kind) {
    case TControlKind::Form: return "Form";
    case TControlKind::Panel: return "Panel";
    case TControlKind::Label: return "Label";
    case TControlKind::Button: return "Button";
    case TControlKind::SpeedButton: return "SpeedButton";
    case TControlKind::CheckBox: return "CheckBox";
    case TControlKind::RadioButton: return "RadioButton";
    case TControlKind::TrackBar: return "TrackBar";
    case TControlKind::ComboBox: return "ComboBox";
    case TControlKind::Edit: return "Edit";
    case TControlKind::SearchBox: return "SearchBox";
    case TControlKind::StringGrid: return "StringGrid";
    case TControlKind::StatusBar: return "StatusBar";
    case TControlKind::Timer: return "Timer";
    case TControlKind::MenuItem: return "MenuItem";
    case TControlKind::PopupMenu: return "PopupMenu";
    case TControlKind::Image: return "Image";
    case TControlKind::PaintBox: return "PaintBox";
    case TControlKind::PageControl: return "PageControl";
    case TControlKind::TabSheet: return "TabSheet";
    case TControlKind::TabControl: return "TabControl";
    case TControlKind::TreeView: return "TreeView";
    case TControlKind::ProgressBar: return "ProgressBar";
    case TControlKind::HotKey: return "HotKey";
    case TControlKind::GroupBox: return "GroupBox";
    case TControlKind::TrayIcon: return "TrayIcon";
    case TControlKind::ListBox: return "ListBox";
    case TControlKind::Memo: return "Memo";
    case TControlKind::OpenDialog: return "OpenDialog";
    case TControlKind::ListView: return "ListView";
    }
    return "?";
}

TComponent::TComponent(TForm* owner, std::string name, TControlKind kind)
    : owner_(owner), name_(std::move(name)), kind_(kind) {
    if (owner_ && kind_ != TControlKind::Form) owner_->registerComponent(this);
}

namespace {
TForm* formOf(TWinControl* parent) {
    if (!parent) return nullptr;
    if (parent->Kind() == TControlKind::Form) return static_cast<TForm*>(parent);
    return parent->Owner();
}
}  // namespace

TControl::TControl(TWinControl* parent, std::string name, TControlKind kind)
    : TComponent(formOf(parent), std::move(name), kind), parent_(parent) {
    if (parent_) parent_->addChild(this);
}

TControl::TControl(TForm* owner, std::string name, TControlKind kind) : TComponent(owner, std::move(name), kind) {}

void TControl::SetBounds(int left, int top, int width, int height) {
    Left.set(left);
    Top.set(top);
    Width.set(width);
    Height.set(height);
}

}  // namespace ui
