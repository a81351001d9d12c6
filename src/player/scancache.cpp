#include "player/scancache.h"

#include <sys/stat.h>

namespace player {

std::optional<TFileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    auto ns = [](const timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    return TFileStamp{st.st_size, ns(st.st_mtim), ns(st.st_ctim), st.st_ino};
}

std::optional<TScanCache::TEntry> TScanCache::Find(const std::string& path, const TFileStamp& stamp) const {
    std::lock_guard lock(mutex_);
    auto it = map_.find(path);
    if (it == map_.end() || !(it->second.stamp == stamp)) return std::nullopt;
    return it->second.entry;
}

void TScanCache::Store(const std::string& path, const TFileStamp& stamp, TEntry entry) {
    std::lock_guard lock(mutex_);
    map_[path] = TStamped{stamp, std::move(entry)};
}

}  // namespace player
