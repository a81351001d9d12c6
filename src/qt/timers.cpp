// The form's timers, each driven by a QTimer of the window.
#include <QTimer>

#include "qt/qtext.h"
#include "qt/watch.h"
#include "qt/windowbuilder.h"

namespace orvelin::qt {

using namespace ui;

void WindowBuilder::bindTimers() {
    for (TComponent* comp : form_.Components()) {
        if (comp->Kind() != TControlKind::Timer) continue;
        auto& m = *static_cast<TTimer*>(comp);
        auto* t = new QTimer(window_);
        t->setObjectName(toQ(m.Name()));
        // A timer without a handler (set before the window is built) would
        // only wake the event loop, 40 times a second for the spectrum's.
        auto sync = [t, &m] {
            t->setInterval(m.Interval());
            bool run = m.Enabled() && static_cast<bool>(m.OnTimer);
            if (run && !t->isActive()) t->start();
            if (!run && t->isActive()) t->stop();
        };
        watch(m.Interval, t, [sync](const int&) { sync(); });
        watch(m.Enabled, t, [sync](const bool&) { sync(); });
        QObject::connect(t, &QTimer::timeout, t, [&m] { m.fire(); });
    }
}

}  // namespace orvelin::qt
