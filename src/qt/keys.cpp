#include "qt/keys.h"

namespace orvelin::qt {

using namespace ui;

uint16_t keyCodeFromQt(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint16_t>(0x70 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Pause:
    case Qt::Key_MediaPause: return vkPause;
    case Qt::Key_MediaNext: return vkMediaNextTrack;
    case Qt::Key_MediaPrevious: return vkMediaPrevTrack;
    case Qt::Key_MediaStop: return vkMediaStop;
    case Qt::Key_MediaTogglePlayPause: return vkMediaPlayPause;
    case Qt::Key_MediaPlay: return vkPlay;
    default: return 0;
    }
}

TShiftState shiftFromQt(Qt::KeyboardModifiers m) {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (m & Qt::AltModifier) s |= ssAlt;
    return s;
}

namespace {

int qtKeyFromCode(unsigned key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return static_cast<int>(key);
    if (key >= 0x70 && key <= 0x87) return Qt::Key_F1 + static_cast<int>(key - 0x70);
    // Enter reads "Enter", as the shortcuts are named, not "Return".
    for (int k :
         {Qt::Key_Backspace, Qt::Key_Tab,       Qt::Key_Enter,         Qt::Key_Escape,    Qt::Key_Space,
          Qt::Key_PageUp,    Qt::Key_PageDown,  Qt::Key_End,           Qt::Key_Home,      Qt::Key_Left,
          Qt::Key_Up,        Qt::Key_Right,     Qt::Key_Down,          Qt::Key_Insert,    Qt::Key_Delete,
          Qt::Key_Pause,     Qt::Key_MediaNext, Qt::Key_MediaPrevious, Qt::Key_MediaStop, Qt::Key_MediaTogglePlayPause,
          Qt::Key_MediaPlay})
        if (keyCodeFromQt(k) == key) return k;
    return 0;
}

}  // namespace

QKeySequence toSequence(TShortCut s) {
    int key = qtKeyFromCode(s & 0xFF);
    if (!key) return {};
    Qt::KeyboardModifiers m;
    if (s & scShift) m |= Qt::ShiftModifier;
    if (s & scCtrl) m |= Qt::ControlModifier;
    if (s & scAlt) m |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(m, static_cast<Qt::Key>(key)));
}

TShortCut fromSequence(const QKeySequence& seq) {
    if (seq.isEmpty()) return 0;
    QKeyCombination c = seq[0];
    uint16_t code = keyCodeFromQt(c.key());
    if (!code) return 0;
    TShortCut s = code;
    if (c.keyboardModifiers() & Qt::ShiftModifier) s |= scShift;
    if (c.keyboardModifiers() & Qt::ControlModifier) s |= scCtrl;
    if (c.keyboardModifiers() & Qt::AltModifier) s |= scAlt;
    return s;
}

}  // namespace orvelin::qt
