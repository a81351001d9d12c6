// Adds a folder to the main window's playlist the way the program does (the
// search and the tag and length scan on their workers, the UI thread applying
// what they find) with the program's engine, then adds a second folder to the
// playlist that holds the first. Prints key=value figures for
// addfolder_bench.py:
//   seconds, cpu_seconds (all threads), rows, titled (an "artist - title" from the tags), timed (a
//   duration), longest_ui_ms (the longest the UI thread was busy at once),
//   more_seconds, more_rows, more_decoded (files the second scan measured).
//
// usage: addfolder_driver TREE EXTRA HOME
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include "audio/engine.h"
#include "common/files.h"
#include "kit/fakes.h"
#include "platform/fake/fakesystem.h"
#include "ui/program.h"

namespace {

using clock_type = std::chrono::steady_clock;

double since(clock_type::time_point t) { return std::chrono::duration<double>(clock_type::now() - t).count(); }

// User and system time of the whole process, all threads.
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

// Runs the UI thread until the add is done, as an idle event loop would.
double runUntilDone(ui::TestApplication& t, ui::TForm1& f, double& longestMs) {
    auto start = clock_type::now();
    while (f.Adding()) {
        auto busy = clock_type::now();
        t.dispatcher.processMessages();
        longestMs = std::max(longestMs, since(busy) * 1000);
        if (f.Adding()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return since(start);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s TREE EXTRA HOME\n", argv[0]);
        return 2;
    }
    std::string home = common::withTrailingSlash(argv[3]);
    platform::FakeSystem system;
    system.exeDir = home + "bin/";
    system.appDataDir = home + "config/";
    system.tempDir = home;
    common::makeDirectories(system.exeDir);

    ui::TestApplication t;
    std::set<std::string> held;
    platform::FakeSingleInstance instance(held);
    ui::TProgram program(t.app, system, instance, {});
    program.AudioDevice = audio::DEVICE_OFFLINE;  // the program's engine, with every family, and no sound card
    if (program.Start() != ui::TProgram::TStartResult::Run) return 1;
    ui::TForm1& f = *program.Form1;

    double longestMs = 0;
    auto start = clock_type::now();
    double cpu = cpuSeconds();
    f.addfolderLoad(argv[1]);
    runUntilDone(t, f, longestMs);
    double seconds = since(start);
    cpu = cpuSeconds() - cpu;
    int rows = f.StringGrid1.RowCount(), titled = 0, timed = 0;
    for (int r = 0; r < rows; ++r) {
        titled += f.StringGrid1.Cell(1, r).find(" - ") != std::string::npos;
        timed += f.StringGrid1.Cell(2, r) != "0:00";
    }

    start = clock_type::now();
    f.addfolderLoad(argv[2]);
    runUntilDone(t, f, longestMs);
    double moreSeconds = since(start);

    std::printf("seconds=%.3f cpu_seconds=%.3f rows=%d titled=%d timed=%d longest_ui_ms=%.0f\n", seconds, cpu, rows,
                titled, timed, longestMs);
    std::printf("more_seconds=%.3f more_rows=%d more_decoded=%d\n", moreSeconds, f.StringGrid1.RowCount(),
                f.LastScanDecoded());
    f.Close();
    return 0;
}
