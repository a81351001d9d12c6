// A throw-away home for a window model: the executable's folder and the
// user's configuration folder inside a temporary folder.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "kit/fakes.h"
#include "platform/fake/fakedesktop.h"
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
    platform::FakeDesktop desktop;
    ui::TProgram program;
    Session(Env& env, std::vector<std::string> args = {})
        : instance(env.held), program(t.app, env.system, instance, std::move(args)) {
        program.AudioDevice = audio::DEVICE_NOSOUND;
        program.Desktop = &desktop;
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

}  // namespace testenv
