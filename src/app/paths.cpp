#include "app/paths.h"

#include "common/files.h"

namespace app {

TPaths::TPaths(platform::System& system) : exeDir_(system.ExecutableDir()) {
    portable_ = common::fileExists(exeDir_ + "portable.ini");
    std::string company = system.CompanyName(system.ExecutablePath());
    std::string appData = system.AppDataDir();
    perUserDir_ = appData + (company.empty() ? std::string() : common::withTrailingSlash(company)) + "Orvelin/";
}

std::string TPaths::base() const { return portable_ ? exeDir_ : perUserDir_; }

std::string TPaths::PortablePath() const {
    common::makeDirectories(base() + "Config");
    return base() + "Config/Option.ini";
}

std::string TPaths::PortablePathMusic() const {
    common::makeDirectories(base() + "Config");
    return base() + "Config/";
}

std::string TPaths::LogFile() const { return PortablePathMusic() + "orvelin.log"; }

std::string TPaths::PortablePathM3U() const {
    common::makeDirectories(base() + "Playlist");
    return base() + "Playlist/";
}

}  // namespace app
