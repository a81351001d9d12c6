#include <gtest/gtest.h>

#include <filesystem>

#include "app/paths.h"
#include "app/version.h"
#include "common/files.h"
#include "platform/fake/fakesystem.h"
#include "support/tempdir.h"

namespace {

struct PathsCase {
    bool portable;
    std::string company;
    std::string base;  // relative to the temporary folder
};

// Names the case in test listings (the default prints the object's bytes).
void PrintTo(const PathsCase& c, std::ostream* os) { *os << (c.portable ? "portable " : "per-user ") << c.base; }

class PathsTest : public ::testing::TestWithParam<PathsCase> {};

TEST_P(PathsTest, LocationsFollowTheModeAndAreCreatedOnDemand) {
    const PathsCase& c = GetParam();
    testenv::TempDir dir;
    platform::FakeSystem system;
    system.exeDir = dir.path + "bin/";
    system.appDataDir = dir.path + "config/";
    system.company = c.company;
    common::makeDirectories(system.exeDir);
    if (c.portable) dir.file("bin/portable.ini");

    app::TPaths paths(system);
    EXPECT_EQ(paths.PortableMode(), c.portable);
    std::string base = dir.path + c.base;
    EXPECT_FALSE(common::directoryExists(base + "Config"));  // nothing until asked
    EXPECT_EQ(paths.PortablePath(), base + "Config/Option.ini");
    EXPECT_TRUE(common::directoryExists(base + "Config"));
    EXPECT_EQ(paths.PortablePathMusic(), base + "Config/");
    EXPECT_EQ(paths.LogFile(), base + "Config/orvelin.log");
    EXPECT_EQ(paths.PortablePathM3U(), base + "Playlist/");
    EXPECT_TRUE(common::directoryExists(base + "Playlist"));
}

INSTANTIATE_TEST_SUITE_P(Modes, PathsTest,
                         ::testing::Values(PathsCase{true, "Orvelin Project", "bin/"},
                                           PathsCase{false, "Orvelin Project", "config/Orvelin Project/Orvelin/"},
                                           PathsCase{false, "", "config/Orvelin/"}));

TEST(Paths, PortableModeIsDecidedOnceAndFoldersComeBackWhenDeleted) {
    testenv::TempDir dir;
    platform::FakeSystem system;
    system.exeDir = dir.path + "bin/";
    system.appDataDir = dir.path + "config/";
    common::makeDirectories(system.exeDir);
    app::TPaths paths(system);
    dir.file("bin/portable.ini");  // too late for this run
    EXPECT_FALSE(paths.PortableMode());
    std::string m3u = paths.PortablePathM3U();
    std::filesystem::remove_all(m3u);
    EXPECT_EQ(paths.PortablePathM3U(), m3u);
    EXPECT_TRUE(common::directoryExists(m3u));
}

TEST(Paths, LanguageFoldersAndTheMissingKeyLog) {
    platform::FakeSystem system;
    system.exeDir = "/opt/orvelin/bin/";
    system.installedDataDir = "/opt/orvelin/share/orvelin/";
    system.dataHomeDir = "/home/u/.local/share/";
    // The user's folder comes last: its files win.
    EXPECT_EQ(app::TPaths(system).LanguageDirs(), (std::vector<std::string>{"/opt/orvelin/share/orvelin/Language/",
                                                                            "/home/u/.local/share/orvelin/Language/"}));
    EXPECT_EQ(app::TPaths(system).MissingKeyLogPath(), "/opt/orvelin/Orvelin.log");
    system.installedDataDir.clear();
    EXPECT_EQ(app::TPaths(system).LanguageDirs(), std::vector<std::string>{"/home/u/.local/share/orvelin/Language/"});

    testenv::TempDir dir;
    system.exeDir = dir.path + "bin/";
    dir.file("bin/portable.ini");
    EXPECT_EQ(app::TPaths(system).LanguageDirs(), std::vector<std::string>{dir.path + "bin/Language/"});
}

TEST(VersionText, KeepsDigitsAndSingleDots) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.2.3.4", "1.2.3.4"},
        {"1, 2, 3, 4", "1.2.3.4"},
        {"2..0", "2.0"},
        {"2.0 beta 3", "2.0"},
        {".5.", "5"},
        {"v1.0", ""},
        {"", ""},
    };
    for (auto [raw, normal] : cases) EXPECT_EQ(app::NormalizeVersionText(raw), normal) << raw;
}

}  // namespace
