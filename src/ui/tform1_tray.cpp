// The tray icon as the way back to a window minimised into it.
#include "ui/tform1.h"
#include "ui/tform2.h"

namespace ui {

void TForm1::bindTray() {
    WindowState.observe([this](const TWindowState& state) {
        // Only into an icon the desktop shows: else nothing could bring the window back.
        if (state == TWindowState::wsMinimized && Form2 && Form2->TrayIconMinimize.Checked() && TrayIcon1.Visible() &&
            TrayIcon1.SystemTrayAvailable)
            Hide();
    });
    auto restore = [this] {
        Show();
        WindowState.set(TWindowState::wsNormal);
    };
    ShowMainWindowTryMenu.OnClick = restore;
    TrayIcon1.OnDblClick = restore;
}

}  // namespace ui
