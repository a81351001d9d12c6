// Copying a playlist entry's file into a folder: through a temporary file
// beside the target that becomes the target only when it is whole, on a
// worker thread that hands its progress to the UI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "kit/dispatcher.h"
#include "player/workerlink.h"

namespace player {

enum class TCopyOutcome {
    Copied,
    Cancelled,
    Failed,
    // The target is the source itself: there is nothing to copy.
    SameFile,
};

struct TCopyResult {
    TCopyOutcome outcome = TCopyOutcome::Failed;
    int error = 0;  // errno of the failure
    int64_t bytes = 0;
};

// True when both paths name one existing file.
bool IsSameFile(const std::string& a, const std::string& b);

// Copies source to target. The copy is written to a temporary file in the
// target's folder and renamed to the target once complete; a cancel (stop
// seen between blocks), a full disk or any other failure removes it, so the
// folder never holds half a file. With replace false an existing target
// (even one that appeared meanwhile) is never replaced. progress hears the
// bytes done after each block; any thread.
TCopyResult CopyFileTo(const std::string& source, const std::string& target, bool replace,
                       const std::atomic<bool>& stop, const std::function<void(int64_t done)>& progress = {},
                       size_t blockSize = size_t(1) << 20);

// The copy window's worker thread.
class TCopyFile {
public:
    // Both run on the UI thread; progress comes at most once per UI turn.
    using OnProgress = std::function<void(int64_t done, int64_t total)>;
    using OnDone = std::function<void(const TCopyResult&)>;
    struct TOptions {
        size_t blockSize = size_t(1) << 20;
        // Runs on the worker after each block: tests hold the copy half-way here.
        std::function<void(int64_t done)> afterBlock;
    };

    TCopyFile(ui::Dispatcher& ui, std::string source, std::string target, bool replace, OnProgress onProgress,
              OnDone onDone, TOptions options);
    // Cancels and waits for the thread.
    ~TCopyFile();
    TCopyFile(const TCopyFile&) = delete;
    TCopyFile& operator=(const TCopyFile&) = delete;

    void Start();
    // UI thread: the copy stops at the next block and removes what it wrote;
    // nothing it posted reaches the callbacks any more.
    void Cancel();
    // UI thread: waits until the thread has ended (its last post is queued by then).
    void Wait();
    bool Running() const { return thread_.joinable(); }

private:
    struct TShared : TWorkerLink {
        std::atomic<bool> progressQueued{false};
        OnProgress onProgress;
        OnDone onDone;
    };
    void Execute();

    ui::Dispatcher& ui_;
    std::string source_, target_;
    bool replace_;
    TOptions options_;
    std::shared_ptr<TShared> shared_;
    std::thread thread_;
};

}  // namespace player
