// A throw-away home for a window model: the executable's folder and the
// user's configuration folder inside a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "common/files.h"
#include "kit/fakes.h"
#include "platform/fake/fakesystem.h"
#include "support/tempdir.h"
#include "ui/program.h"

namespace testenv {

// The fake system lives in a temporary folder; the per-user data then lies
// under config/<company>/Orvelin/.
struct Env {
    TempDir dir;
    platform::FakeSystem system;
    std::set<std::string> held;  // single-instance names of this "machine"
    ui::TestApplication t;
    Env() {
        system.exeDir = dir.path + "bin/";
        system.appDataDir = dir.path + "config/";
        system.tempDir = dir.path;
        system.dataHomeDir = dir.path + "data/";
        common::makeDirectories(system.exeDir);
    }
    std::string userDir() const { return system.appDataDir + system.company + "/Orvelin/"; }
    std::string playlistDir() const { return userDir() + "Playlist/"; }
    std::string settingsFile() const { return userDir() + "Config/Option.ini"; }
    std::string userLanguageDir() const { return system.dataHomeDir + "orvelin/Language/"; }
};

// One run of the program on the environment's machine; a new Session after the
// last one ended is the next start.
struct Session {
    ui::TestApplication t;
    platform::FakeSingleInstance instance;
    ui::TProgram program;
    Session(Env& env, std::vector<std::string> args = {})
        : instance(env.held), program(t.app, env.system, instance, std::move(args)) {
        // Time moves only with what the test renders (testenv::renderMs).
        program.AudioDevice = audio::DEVICE_OFFLINE;
    }
    ui::TProgram::TStartResult start() { return program.Start(); }
    ui::TForm1& form() { return *program.Form1; }
};

// A playlist file of the given locations, each with a title and duration.
inline std::string m3u(const std::vector<std::string>& locations) {
    std::string text = "#EXTM3U\n";
    for (const auto& l : locations) text += "#EXTINF:61," + common::extractFileName(l) + "\n" + l + "\n";
    return text;
}

// The real start-up on the silent device with a playlist of given tracks: a
// base for the fixtures of playback.
struct Player {
    Env env;
    std::unique_ptr<Session> run;
    ui::TForm1* f = nullptr;

    // Starts with the default playlist of these tracks chosen and these options.
    void start(const std::vector<std::string>& tracks, const std::string& options) {
        env.dir.file("config/Orvelin Project/Orvelin/Playlist/default.m3u", m3u(tracks));
        env.dir.file("config/Orvelin Project/Orvelin/Config/Option.ini", "[Option]\r\nPlaylist=default\r\n" + options);
        run = std::make_unique<Session>(env);
        ASSERT_EQ(run->start(), ui::TProgram::TStartResult::Run);
        f = &run->form();
    }
    // A double click on the row.
    void play(int row) {
        f->StringGrid1.SetRow(row);
        f->StringGrid1.OnDblClick();
    }
};

}  // namespace testenv
