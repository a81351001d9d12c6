// A throw-away home for a window model: the executable's folder and the
// user's configuration folder inside a temporary folder.
#pragma once

#include <set>
#include <string>

#include "support/tempdir.h"
#include "platform/fake/fakesystem.h"
#include "ui/kit/fakes.h"

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
        common::makeDirectories(system.exeDir);
    }
    std::string userDir() const { return system.appDataDir + system.company + "/Orvelin/"; }
    std::string playlistDir() const { return userDir() + "Playlist/"; }
    std::string settingsFile() const { return userDir() + "Config/Option.ini"; }
};

}  // namespace testenv
