// Where the program keeps its settings, list files and playlists: beside the
// executable in portable mode, else in the user's configuration folder.
#pragma once

#include <string>
#include <vector>

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
    // The folders of the language files, the one whose files win last:
    // beside the executable in portable mode; else the installed, read-only
    // folder, then the user's own ($XDG_DATA_HOME/orvelin/Language/), where a
    // file replaces an installed one of the same name. None is created.
    std::vector<std::string> LanguageDirs() const;
    // The translators' list of missing keys: "Orvelin.log" in the folder
    // above the program's.
    std::string MissingKeyLogPath() const;

private:
    std::string base() const;

    std::string exeDir_;
    std::string perUserDir_;  // config folder + company folder + "Orvelin/"
    std::string installedDataDir_, dataHomeDir_;
    bool portable_;
};

}  // namespace app
