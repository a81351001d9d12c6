// Where the program keeps its settings, list files and playlists: beside the
// executable in portable mode, else in the user's configuration folder.
#pragma once

#include <string>

#include "platform/system.h"

namespace app {

class TPaths {
public:
    // Decides portable mode once, from "portable.ini" beside the executable.
    explicit TPaths(platform::System& system);

    bool PortableMode() const { return portable_; }
    // Each creates its folder (and missing parents) every time it is asked.
    std::string PortablePath() const;       // the settings file
    std::string PortablePathMusic() const;  // data folder, trailing "/"
    std::string PortablePathM3U() const;    // playlist folder, trailing "/"
    std::string LogFile() const;            // "orvelin.log" beside the settings file
    std::string ExeDir() const { return exeDir_; }

private:
    std::string base() const;

    std::string exeDir_;
    std::string perUserDir_;  // config folder + company folder + "Orvelin/"
    bool portable_;
};

}  // namespace app
