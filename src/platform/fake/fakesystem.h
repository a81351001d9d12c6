// Test doubles of the process services.
#pragma once

#include <set>
#include <string>

#include "platform/system.h"

namespace platform {

class FakeSystem : public System {
public:
    std::string exeDir = "/tmp/orvelin-fake/bin/";
    std::string appDataDir = "/tmp/orvelin-fake/config/";
    std::string dataHomeDir;       // none unless a test makes one
    std::string installedDataDir;  // likewise
    std::string messagesLocale = "en_US.UTF-8";
    std::string tempDir = "/tmp/";
    std::string version = "1.2.3.4";
    std::string company = "Orvelin Project";
    int codePage = 1252;
    int trims = 0;

    std::string ExecutablePath() override { return exeDir + "orvelin"; }
    std::string ExecutableDir() override { return exeDir; }
    std::string AppDataDir() override { return appDataDir; }
    std::string DataHomeDir() override { return dataHomeDir; }
    std::string InstalledDataDir() override { return installedDataDir; }
    std::string MessagesLocale() override { return messagesLocale; }
    std::string TempDir() override { return tempDir; }
    std::string RuntimeDir() override { return tempDir; }
    std::string FileVersionText(const std::string&) override { return version; }
    std::string CompanyName(const std::string&) override { return company; }
    void TrimWorkingSet() override { ++trims; }
    int LegacyCodePage() override { return codePage; }
};

// Instances of one process share one set of held names.
class FakeSingleInstance : public SingleInstance {
public:
    explicit FakeSingleInstance(std::set<std::string>& held) : held_(held) {}
    ~FakeSingleInstance() override {
        if (!mine_.empty()) held_.erase(mine_);
    }
    bool Acquire(const std::string& name) override {
        if (mine_ == name) return true;
        if (!held_.insert(name).second) return false;
        mine_ = name;
        return true;
    }

private:
    std::set<std::string>& held_;
    std::string mine_;
};

}  // namespace platform
