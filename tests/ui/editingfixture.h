// A started player on the engine's offline device with a playlist of given
// entries, for the tests of the editing commands and the small windows.
#pragma once

#include <string>
#include <vector>

#include "player/gridhost.h"
#include "player/m3u.h"
#include "ui/offlineplayer.h"

namespace testenv {

struct Entry {
    std::string title;
    int seconds;
    std::string location;
};

struct Editing : testenv::OfflinePlayer {
    // Short silent WAV files, music/<name>.wav.
    std::string track(const std::string& name) {
        return wav(name, 8000, 0.2, [](int64_t, int) { return 0.0; });
    }
    // Starts the program on a playlist of these entries.
    void startWith(const std::vector<Entry>& entries, const std::string& options = "") {
        std::string text = "#EXTM3U\n";
        for (const Entry& e : entries)
            text += "#EXTINF:" + std::to_string(e.seconds) + "," + e.title + "\n" + e.location + "\n";
        env.dir.file("config/Orvelin Project/Orvelin/Playlist/default.m3u", text);
        env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Option]\r\nPlaylist=default\r\n" + options);
        restart();
    }
    ui::ScriptedDialogs& dialogs() { return run->t.dialogs; }
    std::vector<std::string> column(int col, const ui::TStringGrid* g = nullptr) const {
        if (!g) g = &f->StringGrid1;
        std::vector<std::string> out;
        for (int r = 0; r < g->RowCount(); ++r) out.push_back(g->Cell(col, r));
        return out;
    }
    // The playlist file as the reader gives it back, once what was due is written.
    Rows saved(const std::string& playlist = "default") {
        settle();
        ui::TestApplication scratch;  // the reader's grid is no window of the program
        testenv::GridHost host{scratch.app};
        player::M3UToStringGridAdvanced(env.playlistDir() + playlist + ".m3u", host.Grid);
        return testenv::rowsOf(host.Grid);
    }
    std::vector<std::string> savedColumn(int col) {
        std::vector<std::string> out;
        for (const auto& row : saved()) out.push_back(row[size_t(col)]);
        return out;
    }
    // Runs what the commands left for later and lets a running tag scan or
    // count finish: each wait ends with a post of their workers.
    void settle() {
        for (;;) {
            run->t.dispatcher.processMessages();
            if (!f->Adding() && !f->CommandsPending()) return;
            run->t.dispatcher.waitForMessages();
        }
    }
    std::string lastQuestion() { return dialogs().calls.empty() ? "" : dialogs().calls.back().text; }
};

}  // namespace testenv
