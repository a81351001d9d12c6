// The frame of the small windows that serve the main one (the URL window,
// the copy window): a fixed client size, centred on the desktop, above other
// windows while shown; Enter runs `enter` and Escape closes the window.
#pragma once

#include <functional>

#include "kit/form.h"

namespace ui {

inline void MakeSmallWindow(TForm& form, int width, int height, std::function<void()> enter) {
    form.ClientWidth.set(width);
    form.ClientHeight.set(height);
    form.MinWidth.set(width);
    form.MinHeight.set(height);
    form.BorderStyle.set(TFormBorderStyle::bsSingle);
    form.Position.set(TPosition::poDesktopCenter);
    form.FormStyle.set(TFormStyle::fsStayOnTop);
    form.KeyPreview.set(true);
    form.OnShortCut = [&form, enter = std::move(enter)](uint16_t key, TShiftState, bool& handled) {
        constexpr uint16_t kKeyEnter = 0x0D, kKeyEscape = 0x1B;
        if (key == kKeyEnter) {
            handled = true;
            enter();
        } else if (key == kKeyEscape) {
            handled = true;
            form.Close();
        }
    };
}

}  // namespace ui
