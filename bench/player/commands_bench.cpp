// Editing a playlist of 100,000 rows on the main window: sorting by title,
// removing duplicates and the search filter, each as the UI thread runs the
// command (the backup copy and the save included), and the same job done by
// the standard tools (sort, awk, grep) on the same text in the same run.
// Prints the medians, their ratio to the tools, and how they stand against
// the goal of 100 ms per step on the UI thread.
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/files.h"
#include "kit/fakes.h"
#include "platform/fake/fakesystem.h"
#include "player/playlistcommands.h"
#include "ui/tform1.h"

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 5;
constexpr double kGoal = 0.100;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Wall and processor time: on a machine shared with other work the second
// says more about the code, the first about what the user waits.
struct Time {
    double wall = 0, cpu = 0;
};

double threadCpu() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double childrenCpu() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    auto sec = [](const timeval& tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; };
    return sec(ru.ru_utime) + sec(ru.ru_stime);
}

// Medians of `run`, each time after `prepare` (not timed).
Time timed(const std::function<void()>& prepare, const std::function<void()>& run, bool children = false) {
    std::vector<double> walls, cpus;
    for (int i = 0; i < kRuns; ++i) {
        if (prepare) prepare();
        double cpu = children ? childrenCpu() : threadCpu();
        auto start = std::chrono::steady_clock::now();
        run();
        walls.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpus.push_back((children ? childrenCpu() : threadCpu()) - cpu);
    }
    return {median(walls), median(cpus)};
}

Time tool(const std::string& command) {
    return timed(
        {},
        [&] {
            if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
        },
        true);
}

void report(const char* what, Time ours, Time peer) {
    std::printf("%-28s %7.1f %7.1f   %7.1f %7.1f   %5.2f   %4.2f\n", what, ours.wall * 1000, ours.cpu * 1000,
                peer.wall * 1000, peer.cpu * 1000, ours.cpu / peer.cpu, ours.wall / kGoal);
}

}  // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvelin-bench-XXXXXX").string();
    std::string root = common::withTrailingSlash(::mkdtemp(pattern.data()));
    platform::FakeSystem system;
    system.exeDir = root + "bin/";
    system.appDataDir = root + "config/";
    common::makeDirectories(system.exeDir);

    ui::TestApplication t;
    ui::TForm1 form(t.app, system);
    form.ComboBox_Playlist.Add("Big");
    form.ComboBox_Playlist.SelectIndex(0);
    common::makeDirectories(form.Paths().PortablePathM3U());

    // Titles in no order, with mixed case and Cyrillic; every tenth location
    // repeats an earlier one, every hundredth in another case.
    std::vector<std::string> cells;
    std::string titles, locations;
    for (int i = 0; i < kRows; ++i) {
        int n = (i * 7919) % kRows;
        std::string title =
            (i % 3 ? "Artist " : "Исполнитель ") + std::to_string(n % 997) + " - Track " + std::to_string(n);
        int source = i % 10 == 9 ? i / 2 : i;
        std::string location =
            "/music/Artist " + std::to_string(source / 1000) + "/" + std::to_string(source) + " Some Track Title.mp3";
        if (i % 100 == 99)
            location = "/MUSIC/ARTIST " + std::to_string(source / 1000) + "/" + std::to_string(source) +
                       " SOME TRACK TITLE.MP3";
        cells.insert(cells.end(), {"", title, std::to_string(2 + n % 8) + ":" + std::to_string(10 + n % 50), location});
        titles += title + "\n";
        locations += location + "\n";
    }
    common::writeFileAtomic(root + "titles.txt", titles);
    common::writeFileAtomic(root + "locations.txt", locations);
    auto fresh = [&] {
        // What the last command left (its save, the worker's count) ends first.
        for (;;) {
            t.dispatcher.processMessages();
            if (!form.CommandsPending()) break;
            t.dispatcher.waitForMessages();
        }
        form.EndSearchFilter();
        form.StringGrid1.SetContent(kRows, cells);
        form.CopyStringGrid();
    };

    fresh();
    Time sortCore =
        timed(fresh, [&] { player::ApplyRowOrder(form.StringGrid1, player::OrderByTitle(form.StringGrid1)); });
    Time sortStep = timed(fresh, [&] { form.SortbyNameMenuClick(); });
    if (form.StringGrid1.RowCount() != kRows) return 1;
    // The save the command leaves for the next turn of the UI thread.
    Time saveTurn = timed(
        [&] {
            fresh();
            form.SortbyNameMenuClick();
        },
        [&] { t.dispatcher.processMessages(); });
    Time sortPeer = tool("LC_ALL=C.UTF-8 sort -s -f " + root + "titles.txt > /dev/null");

    Time dupCore = timed(fresh, [&] { form.StringGrid1.DeleteRows(player::DuplicateRows(form.StringGrid1)); });
    Time dupStep = timed(fresh, [&] { form.DeleteDuplicatesMenuClick(); });
    int kept = form.StringGrid1.RowCount();
    // The same rule by hand: from the last row up, the first of each location (any case) stays.
    Time dupPeer = tool("tac " + root + "locations.txt | awk '!seen[tolower($0)]++' | tac > /dev/null");

    Time filterCore = timed(fresh, [&] {
        std::vector<int> rows = player::FilterRows(form.StringGrid2, "исполнитель 12");
        player::ShowRows(form.StringGrid1, form.StringGrid2, rows);
    });
    Time filterStep = timed(fresh, [&] { form.SearchBox1.Text.set("исполнитель 12"); });
    int shown = form.StringGrid1.RowCount();
    Time clearStep = timed({}, [&] {
        form.SearchBox1.Text.set("исполнитель 12");
        form.SearchBox1.Text.set("");
    });
    Time filterPeer = tool("LC_ALL=C.UTF-8 grep -i -F 'исполнитель 12' " + root + "titles.txt > /dev/null");

    double load[3] = {};
    getloadavg(load, 3);
    std::printf("rows %d; duplicates leave %d; the filter shows %d; load average %.1f\n", kRows, kept, shown, load[0]);
    std::printf("medians of %d runs, ms; peers: sort -s -f, tac | awk '!seen[tolower($0)]++' | tac, grep -i -F\n",
                kRuns);
    std::printf("%-28s %7s %7s   %7s %7s   %5s   %4s\n", "", "wall", "cpu", "peer", "cpu", "ratio", "goal");
    report("sort by title: the order", sortCore, sortPeer);
    report("sort by title: UI turn", sortStep, sortPeer);
    report("  then the save's turn", saveTurn, sortPeer);
    report("duplicates: the rows", dupCore, dupPeer);
    report("duplicates: UI turn", dupStep, dupPeer);
    report("filter: the rows", filterCore, filterPeer);
    report("filter: a keystroke", filterStep, filterPeer);
    report("filter: on and off again", clearStep, filterPeer);
    std::printf(
        "(ratio: processor time against the peer's; goal: wall time against 100 ms per UI turn;\n"
        " the size and duration totals after removing duplicates are counted on a worker)\n");

    if (!std::getenv("KEEP")) {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return 0;
}
