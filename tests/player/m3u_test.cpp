#include <gtest/gtest.h>

#include "common/files.h"
#include "common/text.h"
#include "common/textfile.h"
#include "player/gridhost.h"
#include "player/m3u.h"
#include "support/disk.h"
#include "support/tempdir.h"

using testenv::Rows;

namespace {

struct ReadCase {
    const char* name;
    std::string text;
    Rows rows;
};

TEST(M3UReader, FollowsEveryExtinfRule) {
    const ReadCase cases[] = {
        {"title and seconds",
         "#EXTM3U\r\n#EXTINF:185,Artist - Song\r\n/m/a.mp3\r\n",
         {{"0001", "Artist - Song", "3:05", "/m/a.mp3"}}},
        {"stream of unknown length",
         "#EXTINF:-1,Radio One\nhttp://radio.example/live\n",
         {{"0001", "Radio One", "0:00", "http://radio.example/live"}}},
        {"no comma", "#EXTINF:12\n/m/b.mp3", {{"0001", "b.mp3", "0:12", "/m/b.mp3"}}},
        {"quoted title keeps its commas",
         "#EXTINF:60,\"Hello, World, Again\"\n/m/c.mp3",
         {{"0001", "Hello, World, Again", "1:00", "/m/c.mp3"}}},
        {"lower-case tag is a comment", "#extinf:10,x\n/m/d.mp3", {{"0001", "d.mp3", "0:00", "/m/d.mp3"}}},
        {"duration that is no integer", "#EXTINF:3:05 , T \n/m/e.mp3", {{"0001", "T", "3:05", "/m/e.mp3"}}},
        {"empty title", "#EXTINF:5,\n/m/f.mp3", {{"0001", "f.mp3", "0:05", "/m/f.mp3"}}},
        {"comments keep the pending info",
         "#EXTINF:7,Kept\n# note\n#PLAYLIST:x\n\n/m/g.mp3",
         {{"0001", "Kept", "0:07", "/m/g.mp3"}}},
        {"info is used once",
         "#EXTINF:7,Once\r/m/h.mp3\r \t/m/i.mp3\t\r",
         {{"0001", "Once", "0:07", "/m/h.mp3"}, {"0002", "i.mp3", "0:00", "/m/i.mp3"}}},
        {"no entries", "#EXTM3U\n#EXTINF:1,x\n", {}},
    };
    ui::TestApplication t;
    testenv::GridHost host(t.app);
    for (const ReadCase& c : cases) {
        testenv::setRows(host.Grid, {{"old", "old", "old", "old"}});
        player::ParseM3U(c.text, host.Grid);
        EXPECT_EQ(testenv::rowsOf(host.Grid), c.rows) << c.name;
    }
}

TEST(M3UReader, DetectsMarksThenStrictUtf8ThenTheLegacyPage) {
    common::setLegacyCodePage(1251);
    const std::pair<std::string, const char*> files[] = {
        {common::EncodeText("/m/Рок.mp3", common::TTextEncoding::Utf16LE), "/m/Рок.mp3"},
        {common::EncodeText("/m/Рок.mp3", common::TTextEncoding::Utf16BE), "/m/Рок.mp3"},
        {common::EncodeText("/m/Рок.mp3", common::TTextEncoding::Utf8), "/m/Рок.mp3"},
        {"/m/Рок.mp3", "/m/Рок.mp3"},
        {"/m/\xD0\xEE\xEA.mp3", "/m/Рок.mp3"},  // Windows-1251, not valid UTF-8
    };
    testenv::TempDir dir;
    ui::TestApplication t;
    testenv::GridHost host(t.app);
    for (const auto& [bytes, location] : files) {
        ASSERT_TRUE(player::M3UToStringGridAdvanced(dir.file("p.m3u", bytes), host.Grid));
        ASSERT_EQ(host.Grid.RowCount(), 1);
        EXPECT_EQ(host.Grid.Cell(3, 0), location);
    }
    common::setLegacyCodePage(1252);
    testenv::setRows(host.Grid, {{"a", "b", "c", "d"}});
    EXPECT_FALSE(player::M3UToStringGridAdvanced(dir.path + "missing.m3u", host.Grid));
    EXPECT_EQ(host.Grid.RowCount(), 1);  // untouched
}

TEST(M3UWriter, WritesUtf8WithMarkAndCrLfAndSkipsRowsItCannotStore) {
    testenv::TempDir dir;
    ui::TestApplication t;
    testenv::GridHost host(t.app);
    testenv::setRows(host.Grid, {
                                    {"0001", " Song ", "3:05", " /m/a.mp3 "},
                                    {"0002", "", "1:00", "/m/untitled.mp3"},
                                    {"0003", "Radio One", "0:00", "http://radio.example/live"},
                                    {"0004", "Odd", "abc", "/m/b.mp3"},
                                    {"0005", "Two\r\nlines", "1:02:03", "/m/c.mp3"},
                                    {"0006", "Broken", "0:01", "/m/x\nC:/evil.mp3"},
                                    {"0007", "No location", "0:01", "  "},
                                });
    std::string path = dir.path + "p.m3u";
    ASSERT_TRUE(player::SaveList(path, host.Grid));
    EXPECT_EQ(
        common::readFile(path).value(),
        "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:185,Song\r\n/m/a.mp3\r\n#EXTINF:0,Radio One\r\nhttp://radio.example/live\r\n"
        "#EXTINF:-1,Odd\r\n/m/b.mp3\r\n#EXTINF:3723,Two  lines\r\n/m/c.mp3\r\n");

    // What the writer wrote, the reader reads back to the same rows.
    testenv::GridHost back(t.app);
    ASSERT_TRUE(player::M3UToStringGridAdvanced(path, back.Grid));
    EXPECT_EQ(testenv::rowsOf(back.Grid), (Rows{{"0001", "Song", "3:05", "/m/a.mp3"},
                                                {"0002", "Radio One", "0:00", "http://radio.example/live"},
                                                {"0003", "Odd", "0:00", "/m/b.mp3"},
                                                {"0004", "Two  lines", "62:03", "/m/c.mp3"}}));
}

TEST(M3UWriter, AFailedSaveKeepsTheOldFile) {
    testenv::TempDir dir;
    std::string old = "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:1,Old\r\n/m/old.mp3\r\n";
    std::string path = dir.file("p.m3u", old);
    ui::TestApplication t;
    testenv::GridHost host(t.app);
    testenv::setRows(host.Grid, {{"0001", "New", "0:01", "/m/new.mp3"}});
    {
        testenv::FullDisk full;
        EXPECT_FALSE(player::SaveList(path, host.Grid));
    }
    EXPECT_EQ(common::readFile(path).value(), old);
    EXPECT_FALSE(player::SaveList(dir.path + "no/such/folder/p.m3u", host.Grid));
}

TEST(M3U, FileNames) {
    EXPECT_EQ(player::ExtractOnlyFileName("/m/Song.mp3"), "Song");
    EXPECT_EQ(player::ExtractOnlyFileName("/m/a.mp3b.mp3"), "a.mp3b");  // the extension at the end only
    EXPECT_EQ(player::ExtractOnlyFileName("/m.d/Mix"), "Mix");
    EXPECT_EQ(player::LocationFileName("http://host:8000/live"), "live");
    EXPECT_EQ(player::LocationFileName("/m/Song.mp3"), "Song.mp3");
}

}  // namespace
