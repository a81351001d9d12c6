#include "player/playlistfolder.h"

#include <dirent.h>
#include <fnmatch.h>

#include <cerrno>
#include <memory>

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"

namespace player {

namespace {
template <class F>
void forEachEntry(const std::string& folder, F f) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return;
    while (const dirent* e = ::readdir(dir.get())) {
        std::string name = e->d_name;
        if (name != "." && name != "..") f(name);
    }
}
}  // namespace

std::string GenerateUniqueM3UFileName(const std::string& folder) {
    return GenerateUniqueM3UFileName(folder, std::time(nullptr));
}

std::string GenerateUniqueM3UFileName(const std::string& folder, std::time_t now) {
    std::string dir = common::withTrailingSlash(folder);
    auto taken = [&](const std::string& name) {
        return common::fileExists(dir + name) || common::directoryExists(dir + name);
    };
    if (!taken("default.m3u")) return "default.m3u";
    for (int i = 1; i <= 1000; ++i) {
        std::string name = "default(" + std::to_string(i) + ").m3u";
        if (!taken(name)) return name;
    }
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &local);
    std::string base = std::string("default_") + stamp;
    // Two playlists made within one second must not share a file.
    std::string name = base + ".m3u";
    for (int i = 1; taken(name); ++i) name = base + "(" + std::to_string(i) + ").m3u";
    return name;
}

void ListFileDir(const std::string& folder, const std::string& mask, bool strip, ui::TComboBox& chooser) {
    std::string dir = common::withTrailingSlash(folder);
    forEachEntry(dir, [&](const std::string& name) {
        if (::fnmatch(mask.c_str(), name.c_str(), FNM_PERIOD) != 0 || common::directoryExists(dir + name)) return;
        std::string item = strip ? name.substr(0, name.size() >= 4 ? name.size() - 4 : 0) : name;
        if (!item.empty()) chooser.Add(item);
    });
}

int IndexOfPlaylist(const ui::TComboBox& chooser, const std::string& name) {
    const auto& items = chooser.Items();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == name) return static_cast<int>(i);
    for (size_t i = 0; i < items.size(); ++i)
        if (common::equalsNoCase(items[i], name)) return static_cast<int>(i);
    return -1;
}

bool PlaylistExists(const std::string& folder, const std::string& name) {
    bool found = false;
    std::string file = name + ".m3u";
    forEachEntry(common::withTrailingSlash(folder),
                 [&](const std::string& entry) { found = found || common::equalsNoCase(entry, file); });
    return found;
}

bool IsValidPlaylistName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c == '/' || c < 0x20 || c == 0x7F) return false;
    return true;
}

bool ImportPlaylistFile(const std::string& from, const std::string& to) {
    auto bytes = common::readFile(from);
    if (!bytes) {
        common::log::warn("player.m3u", "cannot read \"", from, "\": ", common::log::systemError(errno));
        return false;
    }
    if (from == to || common::writeFileAtomic(to, *bytes)) return true;
    common::log::error("player.m3u", "cannot save \"", to, "\": ", common::log::systemError(errno));
    return false;
}

}  // namespace player
