#include "common/inifile.h"

#include <gtest/gtest.h>

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

}  // namespace
