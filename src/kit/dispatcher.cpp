#include "kit/dispatcher.h"

namespace ui {

void QueueDispatcher::post(std::function<void()> f) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(f));
    posted_.notify_all();
}

void QueueDispatcher::processMessages() {
    // Run only what was queued on entry: a function that posts again does not
    // keep the caller here forever.
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    for (auto& f : batch) f();
}

size_t QueueDispatcher::pending() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

bool QueueDispatcher::waitForPost(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, limit, [this] { return !queue_.empty(); });
}

}  // namespace ui
