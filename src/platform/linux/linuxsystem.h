#pragma once

#include "platform/system.h"

namespace platform {

class LinuxSystem : public System {
public:
    std::string ExecutablePath() override;
    std::string ExecutableDir() override;
    std::string AppDataDir() override;
    std::string DataHomeDir() override;
    std::string InstalledDataDir() override;
    std::string MessagesLocale() override;
    std::string TempDir() override;
    std::string RuntimeDir() override;
    std::string FileVersionText(const std::string& path) override;
    std::string CompanyName(const std::string& path) override;
    void TrimWorkingSet() override;
    int LegacyCodePage() override;
};

// A lock on a file in the runtime folder, released when the process ends
// (however it ends).
class LinuxSingleInstance : public SingleInstance {
public:
    explicit LinuxSingleInstance(std::string runtimeDir) : dir_(std::move(runtimeDir)) {}
    ~LinuxSingleInstance() override;
    bool Acquire(const std::string& name) override;

private:
    std::string dir_;
    int fd_ = -1;
};

}  // namespace platform
