// What a worker thread of adding media shares with the UI thread it posts
// to: the worker watches stop; a post runs only while the UI thread has not
// cancelled, so that nothing the worker sent arrives after its owner ended it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "kit/dispatcher.h"

namespace player {

struct TWorkerLink {
    std::atomic<bool> stop{false};
    bool cancelled = false;  // UI thread only

    // UI thread: the worker is to stop, and what it posted is void.
    void Cancel() {
        stop = true;
        cancelled = true;
    }
};

// Runs f on the UI thread unless the link was cancelled by then.
template <class Link>
void PostUnlessCancelled(ui::Dispatcher& ui, const std::shared_ptr<Link>& link, std::function<void()> f) {
    ui.post([link, f = std::move(f)] {
        if (!link->cancelled) f();
    });
}

// When a worker's batch is due: once it holds `limit` items, or 40 ms after
// the last one went, so that the UI thread is neither flooded nor left waiting.
class TBatchClock {
public:
    explicit TBatchClock(size_t limit) : limit_(limit) {}
    bool Due(size_t items) const { return items >= limit_ || std::chrono::steady_clock::now() - last_ >= kInterval; }
    void Sent() { last_ = std::chrono::steady_clock::now(); }

private:
    static constexpr auto kInterval = std::chrono::milliseconds(40);
    size_t limit_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace player
