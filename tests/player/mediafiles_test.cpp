#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include "common/files.h"
#include "player/mediafiles.h"
#include "support/tempdir.h"

namespace {

TEST(MediaFiles, ExtensionsAndMasksIgnoreCase) {
    EXPECT_EQ(player::MediaExtensions().size(), 28u);
    EXPECT_EQ(player::MediaMasks().front(), "*.mp3");
    EXPECT_EQ(player::MediaMasks().back(), "*.m4a");
    struct Case {
        const char* name;
        bool media, playlist;
    } cases[] = {
        {"/m/a.MP3", true, false},          {"/m/a.flac", true, false},     {"/m/a.Wm", true, false},
        {"/m/a.opus", true, false},         {"/m/a.M4A", true, false},      {"/m/a.m3u8", false, true},
        {"/m/a.M3U", false, true},          {"/m/a.mp3.txt", false, false}, {"/m/mp3", false, false},
        {"/m.mp3/cover.jpg", false, false}, {"/m/a.lnk", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(player::IsMediaFile(c.name), c.media) << c.name;
        EXPECT_EQ(player::IsPlaylistFile(c.name), c.playlist) << c.name;
        EXPECT_EQ(player::MatchesAnyMask(common::extractFileName(c.name), player::MediaMasks()), c.media) << c.name;
    }
    struct Mask {
        const char* name;
        const char* mask;
        bool match;
    } masks[] = {
        {"Song.OGG", "*.ogg", true}, {"ПЕСНЯ.mp3", "песня.*", true}, {"a.mp3", "?.mp3", true},
        {"ab.mp3", "?.mp3", false},  {"a.mp3x", "*.mp3", false},     {".mp3", "*.mp3", true},
        {"a.b.c", "*.*.c", true},    {"abc", "a*b*c*", true},        {"acb", "a*b*c", false},
    };
    for (const Mask& m : masks) EXPECT_EQ(player::MatchesMask(m.name, m.mask), m.match) << m.name << " " << m.mask;
}

TEST(MediaFiles, DialogFilterListsEveryFamilyAfterAllFormats) {
    std::string filter = player::MediaFileFilter();
    std::vector<std::string> parts;
    for (size_t at = 0;;) {
        size_t bar = filter.find('|', at);
        parts.push_back(filter.substr(at, bar - at));
        if (bar == std::string::npos) break;
        at = bar + 1;
    }
    ASSERT_EQ(parts.size(), 36u);
    EXPECT_EQ(parts[0], "Все форматы");
    std::string all;
    for (const auto& m : player::MediaMasks()) all += (all.empty() ? "" : ";") + m;
    EXPECT_EQ(parts[1], all);
    EXPECT_EQ(parts[2], "MPEG Audio Files (*.mp3;*.mp2;*.mp1)");
    EXPECT_EQ(parts[3], "*.mp3;*.mp2;*.mp1");
    EXPECT_EQ(parts[18], "FAAD Audio Files (.aac;*.mp4)");
    EXPECT_EQ(parts[19], "*.aac;*.mp4");  // its caption's ".aac" would match no AAC file
    EXPECT_EQ(parts[30], "True Audio Files (*.tta)");
    EXPECT_EQ(parts[34], "MPEG-4 Audio Files (*.m4a)");
    // Every family's patterns together are the first entry's (ogg and wav swap places).
    std::vector<std::string> seen;
    for (size_t i = 3; i < parts.size(); i += 2)
        for (size_t at = 0; at <= parts[i].size();) {
            size_t semi = std::min(parts[i].find(';', at), parts[i].size());
            seen.push_back(parts[i].substr(at, semi - at));
            at = semi + 1;
        }
    std::vector<std::string> masks = player::MediaMasks();
    std::sort(seen.begin(), seen.end());
    std::sort(masks.begin(), masks.end());
    EXPECT_EQ(seen, masks);
}

TEST(MediaFiles, ShortcutsLeadToExistingTargets) {
    testenv::TempDir dir;
    std::string song = dir.file("music/Song One.mp3", "x");
    common::makeDirectories(dir.path + "music/Album");
    auto link = [&](const std::string& target, const std::string& name) {
        EXPECT_EQ(::symlink(target.c_str(), (dir.path + name).c_str()), 0) << name;
        return dir.path + name;
    };
    auto desktop = [&](const std::string& name, const std::string& body) { return dir.file(name, body); };

    EXPECT_EQ(player::ResolveShortcut(link(song, "abs.mp3")), song);
    EXPECT_EQ(player::ResolveShortcut(link("music/Song One.mp3", "rel.mp3")), song);
    EXPECT_EQ(player::ResolveShortcut(link(dir.path + "rel.mp3", "chain.mp3")), song);  // link to a link
    EXPECT_EQ(player::ResolveShortcut(link(dir.path + "music/Album", "album")), dir.path + "music/Album");
    EXPECT_EQ(player::ResolveShortcut(link(dir.path + "gone.mp3", "dangling.mp3")), std::nullopt);
    link(dir.path + "loop2", "loop1");
    EXPECT_EQ(player::ResolveShortcut(link(dir.path + "loop1", "loop2")), std::nullopt);

    EXPECT_EQ(player::ResolveShortcut(desktop("a.desktop",
                                              "[Desktop Entry]\nType=Link\nName=Song\n"
                                              "URL=file://" +
                                                  dir.path + "music/Song%20One.mp3\n")),
              song);
    EXPECT_EQ(player::ResolveShortcut(desktop("b.DESKTOP", "[Desktop Entry]\r\nType=Link\r\nURL=" + song + "\r\n")),
              song);
    const std::string notLinks[] = {
        "[Desktop Entry]\nType=Application\nExec=" + song + "\n",       // a program, not a link
        "[Other]\nType=Link\nURL=" + song + "\n",                       // outside the entry group
        "[Desktop Entry]\nType=Link\nURL=https://example.org/a.mp3\n",  // not a local file
        "[Desktop Entry]\nType=Link\nURL=file://" + dir.path + "gone.mp3\n",
        "",
    };
    for (const auto& body : notLinks)
        EXPECT_EQ(player::ResolveShortcut(desktop("c.desktop", body)), std::nullopt) << body;
    EXPECT_EQ(player::ResolveShortcut(song), std::nullopt);  // a plain file is no shortcut
    EXPECT_EQ(player::ResolveShortcut(dir.path + "missing.desktop"), std::nullopt);
}

}  // namespace
