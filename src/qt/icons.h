// The button and tray pictures, drawn in code so that they follow the
// palette of the current style.
#pragma once

#include <QIcon>

namespace orvelin::qt {

// A picture of the 20 x 20 button image list by index (empty for unknown).
QIcon buttonIcon(int index);
// The application's own icon, also used in the tray.
QIcon appIcon();
// The tray's pictures: 0 dark on a light panel, 1 light on a dark panel,
// 2 in the application's colours.
QIcon trayIcon(int index);

}  // namespace orvelin::qt
