#include "app/paths.h"

#include "common/files.h"

namespace app {

TPaths::TPaths(platform::System& system)
    : exeDir_(system.ExecutableDir()), installedDataDir_(system.InstalledDataDir()),
      dataHomeDir_(system.DataHomeDir()) {
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

std::vector<std::string> TPaths::LanguageDirs() const {
    if (portable_) return {exeDir_ + "Language/"};
    std::vector<std::string> dirs;
    if (!installedDataDir_.empty()) dirs.push_back(installedDataDir_ + "Language/");
    if (!dataHomeDir_.empty()) dirs.push_back(dataHomeDir_ + "orvelin/Language/");
    return dirs;
}

std::string TPaths::MissingKeyLogPath() const {
    std::string dir = exeDir_;
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    return common::extractFilePath(dir) + "Orvelin.log";
}

}  // namespace app
