// What the tag scan found for each file it measured, so that a later scan
// measures only files that are new or changed on disk since. A file counts
// as unchanged while its size, modification time, status-change time and
// inode are; the status-change time moves with every write, so a tag saved
// with the old modification time restored still counts as a change.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace player {

struct TFileStamp {
    int64_t size = 0;
    int64_t modified = 0;  // nanoseconds
    int64_t changed = 0;   // nanoseconds
    uint64_t inode = 0;
    bool operator==(const TFileStamp&) const = default;
};

// The stamp of a regular file (links followed); nothing for anything else.
std::optional<TFileStamp> StampOf(const std::string& path);

// Thread-safe: the scan's workers share one.
class TScanCache {
public:
    struct TEntry {
        std::string title;
        double seconds = 0;
    };
    std::optional<TEntry> Find(const std::string& path, const TFileStamp& stamp) const;
    void Store(const std::string& path, const TFileStamp& stamp, TEntry entry);

private:
    struct TStamped {
        TFileStamp stamp;
        TEntry entry;
    };
    mutable std::mutex mutex_;  // protects map_
    std::unordered_map<std::string, TStamped> map_;
};

}  // namespace player
