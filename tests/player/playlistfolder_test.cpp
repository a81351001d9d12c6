#include <gtest/gtest.h>

#include <filesystem>

#include <cstdlib>

#include "player/gridhost.h"
#include "player/playlistfolder.h"
#include "support/env.h"
#include "support/tempdir.h"

namespace {

struct Chooser : ui::TForm {
    explicit Chooser(ui::TApplication& app) : ui::TForm(app, "Chooser") { Box.Sorted.set(true); }
    ui::TComboBox Box{this, "Box"};
};

TEST(UniqueName, DefaultThenNumberedThenTimeStamped) {
    testenv::TempDir dir;
    EXPECT_EQ(player::GenerateUniqueM3UFileName(dir.path), "default.m3u");
    dir.file("default.m3u");
    dir.file("default(1).m3u");
    EXPECT_EQ(player::GenerateUniqueM3UFileName(dir.path), "default(2).m3u");

    for (int i = 2; i <= 1000; ++i) dir.file("default(" + std::to_string(i) + ").m3u");
    testenv::EnvVar utc("TZ", "UTC");
    ::tzset();
    std::time_t at = 1773066301;  // 2026-03-09 14:25:01 UTC
    EXPECT_EQ(player::GenerateUniqueM3UFileName(dir.path, at), "default_20260309_142501.m3u");
    dir.file("default_20260309_142501.m3u");  // a second playlist within the same second
    EXPECT_EQ(player::GenerateUniqueM3UFileName(dir.path, at), "default_20260309_142501(1).m3u");
}

TEST(PlaylistFolder, ListsPlaylistFilesByNameSorted) {
    testenv::TempDir dir;
    for (const char* f : {"b.m3u", "A.m3u", "c.M3U", ".m3u", "notes.txt", "mix.m3u8"}) dir.file(f);
    std::filesystem::create_directory(dir.path + "folder.m3u");
    ui::TestApplication t;
    Chooser c(t.app);
    player::ListFileDir(dir.path, "*.m3u", true, c.Box);
    EXPECT_EQ(c.Box.Items(), (std::vector<std::string>{"A", "b"}));
    c.Box.Clear();
    player::ListFileDir(dir.path, "*.m3u", false, c.Box);
    EXPECT_EQ(c.Box.Items(), (std::vector<std::string>{"A.m3u", "b.m3u"}));
    player::ListFileDir(dir.path + "missing/", "*.m3u", true, c.Box);  // nothing, no failure

    EXPECT_TRUE(player::PlaylistExists(dir.path, "a"));
    EXPECT_TRUE(player::PlaylistExists(dir.path, "folder"));  // a folder takes the name too
    EXPECT_FALSE(player::PlaylistExists(dir.path, "notes"));
}

TEST(PlaylistFolder, ChooserItemsMatchExactlyBeforeIgnoringCase) {
    ui::TestApplication t;
    Chooser c(t.app);
    for (const char* name : {"rock", "Rock", "Jazz"}) c.Box.Add(name);
    EXPECT_EQ(c.Box.Items()[size_t(player::IndexOfPlaylist(c.Box, "Rock"))], "Rock");
    EXPECT_EQ(c.Box.Items()[size_t(player::IndexOfPlaylist(c.Box, "rock"))], "rock");
    EXPECT_EQ(c.Box.Items()[size_t(player::IndexOfPlaylist(c.Box, "JAZZ"))], "Jazz");
    EXPECT_EQ(player::IndexOfPlaylist(c.Box, "Pop"), -1);
}

TEST(PlaylistFolder, NamesMustStayInsideTheFolder) {
    const std::pair<const char*, bool> cases[] = {
        {"Rock", true}, {"My.Mix", true}, {" spaced ", true}, {"", false},     {".", false},
        {"..", false},  {"../up", false}, {"a/b", false},     {"a\nb", false},
    };
    for (auto [name, ok] : cases) EXPECT_EQ(player::IsValidPlaylistName(name), ok) << name;
}

}  // namespace
