#include "image/pictureworker.h"

#include "common/log.h"

namespace image {

// What posted results check on the UI thread: the worker is alive and their
// request is still the newest.
struct TPictureWorker::TShared {
    uint64_t generation = 0;  // UI thread only
};

TPictureWorker::TPictureWorker(ui::Dispatcher& ui) : ui_(ui), shared_(std::make_shared<TShared>()) {}

TPictureWorker::~TPictureWorker() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        waiting_.reset();
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TPictureWorker::Submit(Work work) {
    const uint64_t generation = ++shared_->generation;
    {
        std::lock_guard lock(mutex_);
        waiting_.emplace(generation, std::move(work));
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

void TPictureWorker::Cancel() {
    ++shared_->generation;
    std::lock_guard lock(mutex_);
    waiting_.reset();
    changed_.notify_all();
}

void TPictureWorker::WaitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !waiting_ && !running_; });
}

void TPictureWorker::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || waiting_; });
        if (stop_) return;
        const uint64_t generation = waiting_->first;
        Work work = std::move(waiting_->second);
        waiting_.reset();
        running_ = true;
        lock.unlock();

        std::function<void()> result;
        try {
            result = work();
        } catch (...) {
            common::log::caught("image", "decoding a picture in the background");
        }
        if (result) {
            std::weak_ptr<TShared> shared = shared_;
            ui_.post([shared, generation, result = std::move(result)] {
                auto alive = shared.lock();
                if (alive && alive->generation == generation) result();
            });
        }

        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace image
