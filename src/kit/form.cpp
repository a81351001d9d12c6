#include "kit/form.h"

#include <algorithm>

#include "common/text.h"
#include "kit/menu.h"

namespace ui {

void TApplication::addForm(TForm* f) {
    if (!mainForm_) mainForm_ = f;
    forms_.push_back(f);
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    host_.Quit();
}

TForm::TForm(TApplication& app, std::string name) : TWinControl(this, std::move(name), TControlKind::Form), app_(app) {
    Visible.set(false);
    app_.addForm(this);
}

TForm::~TForm() = default;

void TForm::registerComponent(TComponent* c) { components_.push_back(c); }

TComponent* TForm::FindComponent(std::string_view name) const {
    auto it = std::find_if(components_.begin(), components_.end(),
                           [&](TComponent* c) { return common::equalsNoCase(c->Name(), name); });
    return it == components_.end() ? nullptr : *it;
}

bool TForm::DispatchShortCut(uint16_t key, TShiftState shift) {
    TShortCut wanted = TShortCut(key & 0xFF) | (shift & ssShift ? scShift : 0) | (shift & ssCtrl ? scCtrl : 0) |
                       (shift & ssAlt ? scAlt : 0);
    if ((key & 0xFF) == 0) return false;
    for (TComponent* c : components_) {
        if (c->Kind() != TControlKind::MenuItem) continue;
        auto* item = static_cast<TMenuItem*>(c);
        if (item->ShortCut() != wanted || !item->Enabled() || !item->Visible()) continue;
        item->Click();
        return true;
    }
    return false;
}

void TForm::Show() {
    if (Visible.set(true)) OnShow();
    app_.host().BringToFront(*this);
}

void TForm::Hide() {
    if (Visible.set(false)) OnHide();
}

int TForm::ShowModal() {
    ModalResult = mrNone;
    if (Visible.set(true)) OnShow();
    int result = app_.host().ShowModal(*this);
    ModalResult = result;
    if (Visible.set(false)) OnHide();
    return result;
}

void TForm::Close() {
    bool canClose = true;
    OnCloseQuery(canClose);
    if (!canClose) return;
    OnClose();
    Hide();
    if (app_.MainForm() == this) app_.Terminate();
}

}  // namespace ui
