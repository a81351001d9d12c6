#include "platform/linux/linuxsystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "common/files.h"
#include "support/env.h"
#include "support/tempdir.h"

using testenv::EnvVar;

namespace {

// Resident kilobytes of the one mapping that starts at `at`, from the kernel's
// own accounting of this process (other processes cannot move it).
long residentKbOfMapping(const void* at) {
    std::ifstream in("/proc/self/smaps");
    std::string line;
    bool inside = false;
    char start[32];
    std::snprintf(start, sizeof start, "%lx-", reinterpret_cast<unsigned long>(at));
    while (std::getline(in, line)) {
        if (line.rfind(start, 0) == 0) inside = true;
        else if (inside && line.rfind("Rss:", 0) == 0) return std::stol(line.substr(4));
    }
    return -1;
}

}  // namespace

TEST(LinuxSystem, TrimHandsBackTheCleanPagesOfMappedFiles) {
    // A file of our own, mapped read-only and read through: its pages are
    // clean, file-backed and mapped by nobody else.
    constexpr size_t kSize = 4 << 20;
    // In the build tree, not /tmp: pages of a tmpfs file cannot be handed back.
    std::string path = std::string(ORVELIN_BINARY_DIR) + "/orvelin-trim-" + std::to_string(::getpid());
    ASSERT_TRUE(common::writeFileAtomic(path, std::string(kSize, 'x')));
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    void* map = ::mmap(nullptr, kSize, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    ::unlink(path.c_str());
    ASSERT_NE(map, MAP_FAILED);
    volatile unsigned sum = 0;
    for (size_t i = 0; i < kSize; i += 4096) sum = sum + static_cast<const unsigned char*>(map)[i];

    long before = residentKbOfMapping(map);
    platform::LinuxSystem().TrimWorkingSet();
    long after = residentKbOfMapping(map);
    ::munmap(map, kSize);
    if (before < 0) GTEST_SKIP() << "the kernel gives no smaps";
    EXPECT_EQ(before, long(kSize / 1024));
    EXPECT_LT(after, before / 4) << "before " << before << " kB, after " << after << " kB";
}

TEST(LinuxSystem, FoldersEndWithASlashAndFollowTheEnvironment) {
    platform::LinuxSystem s;
    EXPECT_EQ(s.ExecutableDir().back(), '/');
    EXPECT_TRUE(common::fileExists(s.ExecutablePath()));
    EXPECT_EQ(s.FileVersionText(s.ExecutablePath()).empty(), false);
    EXPECT_EQ(s.FileVersionText("/bin/sh"), "");

    EnvVar config("XDG_CONFIG_HOME", "/tmp/orvelin-config-test");
    EXPECT_EQ(s.AppDataDir(), "/tmp/orvelin-config-test/");
    EnvVar data("XDG_DATA_HOME", "/tmp/orvelin-data-test");
    EXPECT_EQ(s.DataHomeDir(), "/tmp/orvelin-data-test/");
    EnvVar home("HOME", "/tmp/orvelin-home-test"), noData("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(s.DataHomeDir(), "/tmp/orvelin-home-test/.local/share/");
}

TEST(LinuxSystem, MessagesLocaleTakesTheFirstSetVariable) {
    platform::LinuxSystem s;
    struct Case {
        const char *all, *messages, *lang, *expected;
    };
    const Case cases[] = {
        {"ru_RU.UTF-8", "de_DE", "en_US", "ru_RU.UTF-8"},
        {nullptr, "de_DE", "en_US", "de_DE"},
        {"", nullptr, "en_US", "en_US"},
        {nullptr, nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        EnvVar all("LC_ALL", c.all), messages("LC_MESSAGES", c.messages), lang("LANG", c.lang);
        EXPECT_EQ(s.MessagesLocale(), c.expected);
    }
}

TEST(LinuxSystem, LegacyCodePageFollowsTheLocale) {
    platform::LinuxSystem s;
    struct Case {
        const char* lang;
        int page;
    };
    for (Case c : {Case{"ru_RU.UTF-8", 1251}, Case{"uk_UA.UTF-8", 1251}, Case{"de_DE.UTF-8", 1252}, Case{"C", 1252}}) {
        EnvVar all("LC_ALL", c.lang);
        EXPECT_EQ(s.LegacyCodePage(), c.page) << c.lang;
    }
}

TEST(LinuxSystem, OnlyOneInstanceHoldsTheLock) {
    testenv::TempDir dir;
    {
        platform::LinuxSingleInstance first(dir.path), second(dir.path);
        EXPECT_TRUE(first.Acquire("Orvelin"));
        EXPECT_FALSE(second.Acquire("Orvelin"));
    }
    platform::LinuxSingleInstance again(dir.path);
    EXPECT_TRUE(again.Acquire("Orvelin"));  // released with its holder
}
