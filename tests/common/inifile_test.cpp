#include "common/inifile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/files.h"
#include "support/tempdir.h"

using common::IniFile;

namespace {

std::string textOf(const std::string& path) { return common::DecodeText(common::readFile(path).value()).text; }

TEST(IniFileSections, ValuesInFileOrderAcrossRepeatedHeaders) {
    testenv::TempDir dir;
    std::string path = dir.file("a.ini", "top=0\n[A]\nx=1\n; note\ny = 2 \n[B]\nz=3\n[a]\nX=4\n");
    IniFile ini(path);
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"A", "B"}));
    using Values = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(ini.ReadSectionValues("a"), (Values{{"x", "1"}, {"y", "2"}, {"X", "4"}}));
    EXPECT_EQ(ini.ReadSectionValues("missing"), Values{});
    EXPECT_TRUE(ini.ValueExists("A", "Y"));
    EXPECT_FALSE(ini.ValueExists("B", "x"));
}

TEST(IniFileSections, DeletingKeysAndSectionsKeepsEverythingElse) {
    testenv::TempDir dir;
    std::string path = dir.file("a.ini", "; head\n[A]\nx=1\n; note\ny=2\n\n[B]\nz=3\n[a]\nX=4\n");
    IniFile ini(path);
    std::vector<std::string> asked;
    EXPECT_EQ(ini.DeleteKeys("A",
                             [&](const std::string& key) {
                                 asked.push_back(key);
                                 return key != "y";
                             }),
              2u);
    EXPECT_EQ(asked, (std::vector<std::string>{"x", "y", "X"}));
    ini.EraseSection("b");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(textOf(path), "; head\n[A]\n; note\ny=2\n\n[a]\n");
}

TEST(IniFileSections, ReadsBackWholeOnlyWhenNothingFailedToDecode) {
    testenv::TempDir dir;
    EXPECT_TRUE(IniFile(dir.file("good.ini", std::string("\xFF\xFE[\0A\0]\0\r\0\n\0", 12))).ReadsBackWhole());
    // A lone surrogate cannot come back as it was.
    EXPECT_FALSE(IniFile(dir.file("bad.ini", std::string("\xFF\xFE[\0\x00\xD8]\0", 8))).ReadsBackWhole());
    EXPECT_FALSE(IniFile(dir.path + "missing.ini").ReadsBackWhole());
}

// A file that is there but cannot be read must not be replaced by the little
// a store made from nothing holds; a missing one is simply created.
TEST(IniFileSections, AFileThatCouldNotBeReadIsNeverWritten) {
    testenv::TempDir dir;
    std::string loop = dir.path + "loop.ini";
    ASSERT_EQ(::symlink("loop.ini", loop.c_str()), 0);  // a link to itself: reading fails
    std::vector<std::string> unreadable{loop};
    if (::geteuid() != 0) {  // permissions do not stop root
        std::string locked = dir.file("locked.ini", "[Option]\nVolume=40\n");
        ::chmod(locked.c_str(), 0200);
        unreadable.push_back(locked);
    }
    for (const std::string& path : unreadable) {
        IniFile ini(path);
        EXPECT_TRUE(ini.ReadFailed()) << path;
        ini.WriteString("Option", "Volume", "100");
        EXPECT_FALSE(ini.UpdateFile()) << path;
    }
    char target[64] = {};
    EXPECT_EQ(::readlink(loop.c_str(), target, sizeof target - 1), 8);
    EXPECT_STREQ(target, "loop.ini");
    if (unreadable.size() > 1) {
        ::chmod(unreadable[1].c_str(), 0600);
        EXPECT_EQ(common::readFile(unreadable[1]).value_or(""), "[Option]\nVolume=40\n");
    }

    IniFile fresh(dir.path + "new.ini");
    EXPECT_FALSE(fresh.ReadFailed());
    fresh.WriteString("Option", "Volume", "100");
    EXPECT_TRUE(fresh.UpdateFile());
}

}  // namespace
