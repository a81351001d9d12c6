// The recursive search of a folder add. A folder's own files come first, in
// name order (ignoring case), then each subfolder the same way, depth first.
// Hidden files are searched; hidden folders are not. A folder reached twice
// (through a link back up the tree) is searched once.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kit/dispatcher.h"
#include "kit/grid.h"

namespace player {

struct TSearchEvents {
    // What the status bar shows meanwhile: a folder with its first entry,
    // then each subfolder as the search enters it.
    std::function<void(const std::string& text)> onProgress;
    std::function<void(std::string path)> onFile;
};

// folder ends with "/". Returns false when stop was set before the end.
bool SearchFolder(const std::string& folder, const std::vector<std::string>& masks, bool subfolders,
                  const TSearchEvents& events, const std::atomic<bool>* stop = nullptr);

// The search on a worker thread. It touches no model: files and progress
// reach the UI thread in batches through the dispatcher, then onDone.
class AddFolderThread {
public:
    struct TBatch {
        std::vector<std::string> files;
        std::string progress;  // the latest status text, empty when unchanged
    };
    using OnBatch = std::function<void(TBatch&)>;
    using OnDone = std::function<void()>;

    AddFolderThread(ui::Dispatcher& ui, std::string folder, std::vector<std::string> masks, bool subfolders,
                    OnBatch onBatch, OnDone onDone);
    ~AddFolderThread();
    AddFolderThread(const AddFolderThread&) = delete;
    AddFolderThread& operator=(const AddFolderThread&) = delete;

    void Start();
    // UI thread: ends the search and waits for the worker. Nothing posted
    // before reaches the callbacks afterwards.
    void Stop();

private:
    struct TShared;
    void Execute();

    ui::Dispatcher& ui_;
    std::string folder_;
    std::vector<std::string> masks_;
    bool subfolders_;
    std::shared_ptr<TShared> shared_;
    std::thread thread_;
};

// The grid side of the search, on the UI thread: rows go to the end of the
// grid inside one batch update, which grows by blocks of 100 rows and is cut
// back to the rows filled when it finishes.
class TGridAppender {
public:
    explicit TGridAppender(ui::TStringGrid& grid);
    ~TGridAppender();  // finishes, if Finish was not called
    TGridAppender(const TGridAppender&) = delete;
    TGridAppender& operator=(const TGridAppender&) = delete;

    // A new row: provisional number, the file name as title, "0:00", the path.
    void Add(const std::string& path);
    void Finish();
    int Added() const { return counter_ - first_; }

private:
    ui::TStringGrid& grid_;
    int first_, counter_;
    bool open_ = true;
};

// Cells of a row that adding makes before the tag scan has seen the file.
std::vector<std::string> NewRowCells(const std::string& location, const std::string& number = {});

}  // namespace player
