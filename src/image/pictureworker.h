// One background thread that decodes pictures for a window, so that a large
// cover never holds up the UI thread. Only the newest request matters: a
// request that has not started yet is replaced by a newer one, and what a
// request finds reaches the UI thread only if no newer request or Cancel
// came meanwhile.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "kit/dispatcher.h"

namespace image {

class TPictureWorker {
public:
    // Runs on the worker; what it returns runs on the UI thread.
    using Work = std::function<std::function<void()>()>;

    explicit TPictureWorker(ui::Dispatcher& ui);
    // Waits for the running request; nothing it posted runs afterwards.
    ~TPictureWorker();
    TPictureWorker(const TPictureWorker&) = delete;
    TPictureWorker& operator=(const TPictureWorker&) = delete;

    // UI thread. The thread starts with the first request.
    void Submit(Work work);
    // UI thread: the waiting request is dropped and the running one's result
    // will not be applied.
    void Cancel();
    // Blocks until no request waits or runs and the last result is posted:
    // a gate for tests, benchmarks and pictures taken of a window.
    void WaitIdle();

private:
    struct TShared;
    void run();

    ui::Dispatcher& ui_;
    std::shared_ptr<TShared> shared_;
    std::mutex mutex_;  // guards what follows
    std::condition_variable changed_;
    std::optional<std::pair<uint64_t, Work>> waiting_;
    bool running_ = false;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace image
