#include "qt/signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace orvelin::qt {

namespace {
int gPipe[2] = {-1, -1};

void onSignal(int) {
    // Only async-signal-safe work here: wake the UI thread.
    char c = 1;
    [[maybe_unused]] ssize_t n = ::write(gPipe[1], &c, 1);
}
}  // namespace

void closeOnTerminationSignals(QObject* owner, std::function<void()> handler) {
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [handler] {
        char buf[16];
        while (::read(gPipe[0], buf, sizeof buf) > 0) {}
        handler();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace orvelin::qt
