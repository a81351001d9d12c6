// The tag scan: every row's title from the tags and its duration from the
// audio engine, measured on worker threads that each own their tag facade.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/engine.h"
#include "kit/dispatcher.h"
#include "player/scancache.h"
#include "player/workerlink.h"

namespace tags {
class TTags;
}

namespace player {

// "Artist - Title", or "Title" without an artist, or "Artist - " without a
// title (both trimmed); the file name without extension when the load found
// no tag or the tag has neither.
std::string MediaTitle(const tags::TTags& tags, bool loaded, const std::string& path);
// Whole seconds as "m:ss", truncated; "0:00" for 0 or less.
std::string LengthText(double seconds);
// The length through the core creator, else the tracker loader; 0 when
// neither opens the file or the length is unknown. Any thread.
double MeasureLength(audio::Engine& engine, const std::string& path);

struct TScanItem {
    int row = 0;
    std::string location;
    bool file = false;  // an existing file: title and duration are set
    std::string title, duration;
};

class TMediaScan {
public:
    struct TOptions {
        bool useCache = true;  // false measures every file again (and refreshes the cache)
        unsigned threads = 0;  // 0: one per core, at most four
        // A batch goes to the UI thread once it holds this many items, or 40 ms after the last.
        size_t batchLimit = 256;
        // Test seam: each worker calls it before each item it takes, so a
        // test can hold the workers at a point of its choosing.
        std::function<void(size_t item)> beforeItem = nullptr;
    };
    // Both run on the UI thread. Items come in batches, in no fixed order.
    using OnItems = std::function<void(std::vector<TScanItem>&)>;
    using OnDone = std::function<void()>;

    // engine may be null: then every duration is "0:00".
    TMediaScan(ui::Dispatcher& ui, audio::Engine* engine, TScanCache& cache, std::vector<std::string> locations,
               TOptions options, OnItems onItems, OnDone onDone);
    ~TMediaScan();
    TMediaScan(const TMediaScan&) = delete;
    TMediaScan& operator=(const TMediaScan&) = delete;

    void Start();
    // UI thread: ends the scan and waits for the workers; nothing posted
    // before reaches the callbacks afterwards.
    void Stop();
    // Files measured afresh so far (the others came from the cache).
    int Decoded() const { return shared_->decoded.load(); }

private:
    struct TShared : TWorkerLink {
        std::atomic<size_t> next{0};
        std::atomic<int> decoded{0};
        std::atomic<unsigned> running{0};
        OnItems onItems;
        OnDone onDone;
    };
    void Execute();

    ui::Dispatcher& ui_;
    audio::Engine* engine_;
    TScanCache& cache_;
    std::vector<std::string> locations_;
    TOptions options_;
    std::shared_ptr<TShared> shared_;
    std::vector<std::thread> threads_;
};

}  // namespace player
