#include "player/foldersearch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "common/text.h"
#include "player/m3u.h"
#include "player/mediafiles.h"
#include "player/workerlink.h"

namespace player {

namespace {

struct TEntry {
    std::string name;
    bool directory;
};

// One folder's entries in name order; false when it cannot be listed.
bool listFolder(const std::string& folder, std::vector<TEntry>& out, std::pair<dev_t, ino_t>& id) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return false;
    struct stat self {};
    if (::fstat(::dirfd(d), &self) == 0) id = {self.st_dev, self.st_ino};
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        bool directory = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            directory = ::stat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        out.push_back({std::move(name), directory});
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(), [](const TEntry& a, const TEntry& b) {
        int c = common::compareNoCase(a.name, b.name);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return true;
}

bool search(const std::string& folder, const std::vector<std::string>& masks, bool subfolders,
            const TSearchEvents& events, const std::atomic<bool>* stop, std::set<std::pair<dev_t, ino_t>>& seen) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    std::vector<TEntry> entries;
    std::pair<dev_t, ino_t> id{0, 0};
    if (!listFolder(folder, entries, id)) return true;
    if (!seen.insert(id).second) return true;
    bool first = true;
    for (const TEntry& e : entries) {
        if (e.directory) continue;
        if (first && events.onProgress) events.onProgress(folder + e.name);
        first = false;
        if (MatchesAnyMask(e.name, masks) && events.onFile) events.onFile(folder + e.name);
    }
    if (!subfolders) return true;
    for (const TEntry& e : entries) {
        if (!e.directory || e.name.starts_with('.')) continue;
        if (events.onProgress) events.onProgress(folder + e.name);
        if (!search(folder + e.name + "/", masks, subfolders, events, stop, seen)) return false;
    }
    return true;
}

std::string number4(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.4d", n);
    return buf;
}

}  // namespace

bool SearchFolder(const std::string& folder, const std::vector<std::string>& masks, bool subfolders,
                  const TSearchEvents& events, const std::atomic<bool>* stop) {
    std::set<std::pair<dev_t, ino_t>> seen;
    return search(folder, masks, subfolders, events, stop, seen);
}

std::vector<std::string> NewRowCells(const std::string& location, const std::string& number) {
    return {number, ExtractOnlyFileName(location), "0:00", location};
}

// --- AddFolderThread ----------------------------------------------------------

struct AddFolderThread::TShared : TWorkerLink {
    OnBatch onBatch;
    OnDone onDone;
};

AddFolderThread::AddFolderThread(ui::Dispatcher& ui, std::string folder, std::vector<std::string> masks,
                                 bool subfolders, OnBatch onBatch, OnDone onDone)
    : ui_(ui), folder_(std::move(folder)), masks_(std::move(masks)), subfolders_(subfolders),
      shared_(std::make_shared<TShared>()) {
    shared_->onBatch = std::move(onBatch);
    shared_->onDone = std::move(onDone);
}

AddFolderThread::~AddFolderThread() { Stop(); }

void AddFolderThread::Start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { Execute(); });
}

void AddFolderThread::Stop() {
    shared_->Cancel();
    if (thread_.joinable()) thread_.join();
}

void AddFolderThread::Execute() {
    auto shared = shared_;
    TBatch batch;
    TBatchClock clock(512);
    auto flush = [&] {
        auto posted = std::make_shared<TBatch>(std::move(batch));
        batch = TBatch{};
        clock.Sent();
        PostUnlessCancelled(ui_, shared, [shared, posted] {
            if (shared->onBatch) shared->onBatch(*posted);
        });
    };
    TSearchEvents events;
    events.onProgress = [&](const std::string& text) {
        batch.progress = text;
        if (clock.Due(batch.files.size())) flush();
    };
    events.onFile = [&](std::string path) {
        batch.files.push_back(std::move(path));
        if (clock.Due(batch.files.size())) flush();
    };
    if (!SearchFolder(folder_, masks_, subfolders_, events, &shared->stop)) return;
    if (!batch.files.empty() || !batch.progress.empty()) flush();
    PostUnlessCancelled(ui_, shared, [shared] {
        if (shared->onDone) shared->onDone();
    });
}

// --- TGridAppender ------------------------------------------------------------

TGridAppender::TGridAppender(ui::TStringGrid& grid) : grid_(grid), first_(grid.RowCount()), counter_(grid.RowCount()) {
    grid_.BeginUpdate();
}

TGridAppender::~TGridAppender() { Finish(); }

void TGridAppender::Add(const std::string& path) {
    if (!open_) return;
    if (counter_ >= grid_.RowCount()) grid_.SetRowCount(grid_.RowCount() + 100);
    grid_.SetRowCells(counter_, NewRowCells(path, number4(counter_)));
    ++counter_;
}

void TGridAppender::Finish() {
    if (!open_) return;
    open_ = false;
    if (grid_.RowCount() > counter_) grid_.SetRowCount(counter_);
    grid_.EndUpdate();
}

}  // namespace player
