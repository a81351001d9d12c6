#include "player/addmedia.h"

#include <algorithm>
#include <cstdio>

#include "common/text.h"
#include "player/m3u.h"
#include "player/workerlink.h"
#include "tags/facade/tagslibrary.h"

namespace player {

std::string MediaTitle(const tags::TTags& tags, bool loaded, const std::string& path) {
    if (loaded && tags.Loaded) {
        std::string artist = common::trimmed(tags.GetText("ARTIST"));
        std::string title = common::trimmed(tags.GetText("TITLE"));
        if (!(artist + title).empty()) return artist.empty() ? title : artist + " - " + title;
    }
    return ExtractOnlyFileName(path);
}

std::string LengthText(double seconds) {
    if (!(seconds > 0)) return "0:00";
    long long whole = static_cast<long long>(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%.2lld", whole / 60, whole % 60);
    return buf;
}

double MeasureLength(audio::Engine& engine, const std::string& path) {
    double seconds = -1;
    // Tracker music at sample rate 1, which the engine takes as its own rate.
    if (!engine.StreamFileLength(path, seconds) && !engine.MusicFileLength(path, 1, seconds)) return 0;
    return seconds > 0 ? seconds : 0;
}

TMediaScan::TMediaScan(ui::Dispatcher& ui, audio::Engine* engine, TScanCache& cache, std::vector<std::string> locations,
                       TOptions options, OnItems onItems, OnDone onDone)
    : ui_(ui), engine_(engine), cache_(cache), locations_(std::move(locations)), options_(options),
      shared_(std::make_shared<TShared>()) {
    shared_->onItems = std::move(onItems);
    shared_->onDone = std::move(onDone);
}

TMediaScan::~TMediaScan() { Stop(); }

void TMediaScan::Start() {
    if (!threads_.empty()) return;
    unsigned n = options_.threads;
    if (n == 0) n = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    n = std::max(1u, std::min<unsigned>(n, static_cast<unsigned>(std::max<size_t>(locations_.size(), 1))));
    shared_->running = n;
    for (unsigned i = 0; i < n; ++i) threads_.emplace_back([this] { Execute(); });
}

void TMediaScan::Stop() {
    shared_->Cancel();
    for (auto& t : threads_)
        if (t.joinable()) t.join();
}

void TMediaScan::Execute() {
    auto shared = shared_;
    // This thread's own facade: the formats are read without pictures or
    // stream properties, which the title does not need.
    tags::TTags tags;
    tags.ParseCoverArts = false;
    tags.ParseAudioAttributes = false;
    tags.ParseWavPackAudioAttributes = tags.ParseMusePackAudioAttributes = tags.ParseMonkeyAudioAttributes = false;

    std::vector<TScanItem> batch;
    TBatchClock clock(options_.batchLimit);
    auto flush = [&] {
        auto posted = std::make_shared<std::vector<TScanItem>>(std::move(batch));
        batch.clear();
        clock.Sent();
        PostUnlessCancelled(ui_, shared, [shared, posted] {
            if (shared->onItems) shared->onItems(*posted);
        });
    };
    for (;;) {
        if (shared->stop.load(std::memory_order_relaxed)) return;
        size_t i = shared->next.fetch_add(1);
        if (i >= locations_.size()) break;
        if (options_.beforeItem) options_.beforeItem(i);
        TScanItem item;
        item.row = static_cast<int>(i);
        item.location = locations_[i];
        // Stream URLs and missing files keep their title and duration.
        if (std::optional<TFileStamp> stamp = StampOf(item.location)) {
            item.file = true;
            std::optional<TScanCache::TEntry> known;
            if (options_.useCache) known = cache_.Find(item.location, *stamp);
            if (!known) {
                TScanCache::TEntry entry;
                entry.seconds = engine_ ? MeasureLength(*engine_, item.location) : 0;
                bool loaded = tags.LoadFromFile(item.location) == tags::trSuccess;
                entry.title = MediaTitle(tags, loaded, item.location);
                tags.Clear();
                shared->decoded.fetch_add(1);
                cache_.Store(item.location, *stamp, entry);
                known = std::move(entry);
            }
            item.title = std::move(known->title);
            item.duration = LengthText(known->seconds);
        }
        batch.push_back(std::move(item));
        if (clock.Due(batch.size())) flush();
    }
    if (!batch.empty()) flush();
    // The last worker out tells that the scan is complete, after every batch.
    if (shared->running.fetch_sub(1) == 1)
        PostUnlessCancelled(ui_, shared, [shared] {
            if (shared->onDone) shared->onDone();
        });
}

}  // namespace player
