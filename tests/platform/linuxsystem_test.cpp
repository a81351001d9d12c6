#include "platform/linux/linuxsystem.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/files.h"

namespace {

// Resident kilobytes backed by files, from the kernel's own summary.
long fileResidentKb() {
    std::ifstream in("/proc/self/smaps_rollup");
    std::string key;
    long kb = -1;
    while (in >> key) {
        if (key == "Pss_File:") in >> kb;
        in.ignore(1 << 10, '\n');
    }
    return kb;
}

}  // namespace

TEST(LinuxSystem, TrimHandsBackTheCleanPagesOfMappedFiles) {
    long before = fileResidentKb();
    if (before < 0) GTEST_SKIP() << "the kernel gives no smaps_rollup";
    platform::LinuxSystem().TrimWorkingSet();
    long after = fileResidentKb();
    EXPECT_LT(after, before) << "before " << before << " kB, after " << after << " kB";
}

TEST(LinuxSystem, FoldersEndWithASlashAndFollowTheEnvironment) {
    platform::LinuxSystem s;
    EXPECT_EQ(s.ExecutableDir().back(), '/');
    EXPECT_TRUE(common::fileExists(s.ExecutablePath()));
    EXPECT_EQ(s.FileVersionText(s.ExecutablePath()).empty(), false);
    EXPECT_EQ(s.FileVersionText("/bin/sh"), "");

    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/orvelin-config-test", 1);
    EXPECT_EQ(s.AppDataDir(), "/tmp/orvelin-config-test/");
    if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
}

TEST(LinuxSystem, LegacyCodePageFollowsTheLocale) {
    platform::LinuxSystem s;
    struct Case {
        const char* lang;
        int page;
    };
    const char* oldAll = std::getenv("LC_ALL");
    std::string saved = oldAll ? oldAll : "";
    for (Case c : {Case{"ru_RU.UTF-8", 1251}, Case{"uk_UA.UTF-8", 1251}, Case{"de_DE.UTF-8", 1252}, Case{"C", 1252}}) {
        ::setenv("LC_ALL", c.lang, 1);
        EXPECT_EQ(s.LegacyCodePage(), c.page) << c.lang;
    }
    if (oldAll) ::setenv("LC_ALL", saved.c_str(), 1);
    else ::unsetenv("LC_ALL");
}

TEST(LinuxSystem, OnlyOneInstanceHoldsTheLock) {
    char dir[] = "/tmp/orvelin-instance-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir));
    {
        platform::LinuxSingleInstance first(dir), second(dir);
        EXPECT_TRUE(first.Acquire("Orvelin"));
        EXPECT_FALSE(second.Acquire("Orvelin"));
    }
    platform::LinuxSingleInstance again(dir);
    EXPECT_TRUE(again.Acquire("Orvelin"));  // released with its holder
    std::remove((std::string(dir) + "/Orvelin.lock").c_str());
    ::rmdir(dir);
}
