#include "support/uithread.h"

namespace testenv {

bool pumpUntil(ui::QueueDispatcher& ui, const std::function<bool()>& done, std::chrono::milliseconds quiet) {
    while (!done()) {
        if (!ui.waitForPost(quiet)) return false;
        ui.processMessages();
    }
    return true;
}

}  // namespace testenv
