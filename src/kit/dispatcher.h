// The UI thread's queue. Worker threads never touch a model: they post a
// function here and the UI thread runs it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace ui {

class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    // Thread-safe; the function runs later on the UI thread.
    virtual void post(std::function<void()> f) = 0;
    // Lets the UI thread handle what is pending (input, paints, posted
    // functions) and returns; called from the UI thread only.
    virtual void processMessages() = 0;
};

// A plain queue, drained by processMessages(): the test double, and the
// building block of the front end's dispatcher.
class QueueDispatcher : public Dispatcher {
public:
    void post(std::function<void()> f) override;
    void processMessages() override;
    size_t pending() const;
    // Blocks until something is queued or `limit` passes; true when something
    // is. Lets a test wait for a worker without guessing how long it takes.
    bool waitForPost(std::chrono::milliseconds limit);

private:
    mutable std::mutex mutex_;  // protects queue_
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace ui
