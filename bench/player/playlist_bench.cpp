// A playlist of 100,000 entries that are all existing files: switching to it
// (read, dead-row check, statistics, backup copy) and saving it, with the heap
// the two grids take. Prints the figures and how they stand against the goals:
// load under 1 s, save under 0.3 s, grid memory under 60 MB.
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/files.h"
#include "kit/fakes.h"
#include "platform/fake/fakesystem.h"
#include "player/m3u.h"
#include "ui/tform1.h"

namespace {

constexpr int kRows = 100000;

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

size_t heapInUse() { return mallinfo2().uordblks; }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvelin-bench-XXXXXX").string();
    std::string root = common::withTrailingSlash(::mkdtemp(pattern.data()));

    platform::FakeSystem system;
    system.exeDir = root + "bin/";
    system.appDataDir = root + "config/";
    common::makeDirectories(system.exeDir);

    std::printf("making %d files...\n", kRows);
    std::string m3u = "#EXTM3U\r\n";
    for (int i = 0; i < kRows; ++i) {
        std::string dir = root + "music/Artist " + std::to_string(i / 1000) + "/";
        if (i % 1000 == 0) common::makeDirectories(dir);
        std::string path = dir + std::to_string(i % 1000) + " - Some Track Title.mp3";
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fputs("ID3", f);
            std::fclose(f);
        }
        m3u += "#EXTINF:" + std::to_string(120 + i % 300) + ",Artist " + std::to_string(i / 1000) +
               " - Some Track Title " + std::to_string(i) + "\r\n" + path + "\r\n";
    }

    ui::TestApplication t;
    ui::TForm1 form(t.app, system);
    std::string playlists = form.Paths().PortablePathM3U();
    common::writeFileAtomic(playlists + "Big.m3u", m3u);
    form.ComboBox_Playlist.Add("Big");

    std::vector<double> loads, saves;
    size_t gridBytes = 0, bothBytes = 0;
    for (int run = 0; run < 3; ++run) {
        form.ComboBox_Playlist.SelectIndex(-1);
        form.StringGrid1.SetRowCount(0);
        form.StringGrid2.SetRowCount(0);
        malloc_trim(0);
        size_t before = heapInUse();
        form.ComboBox_Playlist.SelectIndex(0);
        auto start = std::chrono::steady_clock::now();
        form.ComboBox_PlaylistChange();
        loads.push_back(seconds(start));
        bothBytes = heapInUse() - before;
        if (form.StringGrid1.RowCount() != kRows) {
            std::printf("loaded %d rows, expected %d\n", form.StringGrid1.RowCount(), kRows);
            return 1;
        }
        form.StringGrid2.SetRowCount(0);
        malloc_trim(0);
        gridBytes = heapInUse() - before;
        form.CopyStringGrid();

        start = std::chrono::steady_clock::now();
        bool saved = player::SaveList(playlists + "Saved.m3u", form.StringGrid1);
        saves.push_back(seconds(start));
        if (!saved) return 1;
    }

    double load = median(loads), save = median(saves);
    double mb = static_cast<double>(gridBytes) / (1024 * 1024), bothMb = static_cast<double>(bothBytes) / (1024 * 1024);
    std::printf("rows                  %d\n", kRows);
    std::printf("load (median of 3)    %.3f s   goal 1.0 s   %.2f of the goal\n", load, load / 1.0);
    std::printf("save (median of 3)    %.3f s   goal 0.3 s   %.2f of the goal\n", save, save / 0.3);
    std::printf("grid memory           %.1f MB  goal 60 MB   %.2f of the goal\n", mb, mb / 60);
    std::printf("with the backup copy  %.1f MB\n", bothMb);
    std::printf("panels                %s | %s | %s\n", form.StatusBarInfo.PanelText(0).c_str(),
                form.StatusBarInfo.PanelText(1).c_str(), form.StatusBarInfo.PanelText(2).c_str());

    if (!std::getenv("KEEP")) {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    } else std::printf("%s\n", root.c_str());
    return 0;
}
