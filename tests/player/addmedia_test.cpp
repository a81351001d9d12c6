#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

#include "player/addmedia.h"
#include "support/engine.h"
#include "support/gate.h"
#include "support/tempdir.h"
#include "support/uithread.h"
#include "support/wav.h"
#include "tags/facade/fakeformattag.h"
#include "tags/facade/tagslibrary.h"

namespace {

TEST(AddMedia, TitleFromArtistAndTitleElseTheFileName) {
    testenv::TempDir d;
    std::string file = d.file("music/01 Track.mp3", "x");
    struct Case {
        const char* what;
        std::vector<tags::TNativeItem> items;
        bool loadSucceeded;
        const char* title;
    } cases[] = {
        {"both, trimmed", {{"ARTIST", " Band "}, {"TITLE", "\tSong "}}, true, "Band - Song"},
        {"title only", {{"TITLE", "Song"}}, true, "Song"},
        {"artist only", {{"ARTIST", "Band"}}, true, "Band - "},
        {"names ignore case", {{"artist", "Band"}, {"Title", "Song"}}, true, "Band - Song"},
        {"blank artist and title", {{"ARTIST", "  "}, {"TITLE", ""}, {"ALBUM", "Record"}}, true, "01 Track"},
        {"other fields only", {{"ALBUM", "Record"}}, true, "01 Track"},
        {"no tag", {}, true, "01 Track"},
        {"a failed load", {{"ARTIST", "Band"}, {"TITLE", "Song"}}, false, "01 Track"},
    };
    for (const Case& c : cases) {
        tags::testing::Fakes fakes;
        tags::TTags t(fakes.Factory());
        fakes[tags::ttID3v2].fileItems = c.items;
        t.LoadFromFile(file);
        EXPECT_EQ(player::MediaTitle(t, c.loadSucceeded, file), c.title) << c.what;
    }
}

TEST(AddMedia, LengthTextTruncatesToWholeSeconds) {
    const std::pair<double, const char*> cases[] = {
        {0, "0:00"}, {-1, "0:00"}, {0.999, "0:00"}, {1.0, "0:01"}, {59.99, "0:59"}, {61.5, "1:01"}, {3725, "62:05"},
    };
    for (auto [seconds, text] : cases) EXPECT_EQ(player::LengthText(seconds), text) << seconds;
}

TEST(AddMedia, LengthThroughTheEngine) {
    testenv::TempDir d;
    testenv::Offline engine{44100, testenv::AddOns::all};
    EXPECT_DOUBLE_EQ(player::MeasureLength(engine.e, d.file("a.wav", testenv::silentWav(2.5))), 2.5);
    EXPECT_EQ(player::MeasureLength(engine.e, d.file("junk.mp3", std::string(5000, 'j'))), 0);
    EXPECT_EQ(player::MeasureLength(engine.e, d.file("empty.wav")), 0);
    EXPECT_EQ(player::MeasureLength(engine.e, d.path + "missing.wav"), 0);
}

struct Scan : ::testing::Test {
    testenv::TempDir d;
    testenv::Offline engine{44100, testenv::AddOns::all};
    ui::QueueDispatcher ui;
    player::TScanCache cache;
    int decoded = 0;

    // Row → (title, duration) of the files the scan reported.
    std::map<int, std::pair<std::string, std::string>> run(const std::vector<std::string>& locations,
                                                           player::TMediaScan::TOptions options = {}) {
        std::map<int, std::pair<std::string, std::string>> got;
        size_t reported = 0;
        bool done = false;
        player::TMediaScan scan(
            ui, &engine.e, cache, locations, options,
            [&](std::vector<player::TScanItem>& items) {
                for (auto& i : items) {
                    ++reported;
                    EXPECT_EQ(i.location, locations[size_t(i.row)]);
                    if (i.file) got[i.row] = {i.title, i.duration};
                }
            },
            [&] { done = true; });
        scan.Start();
        EXPECT_TRUE(testenv::pumpUntil(ui, [&] { return done; }));
        EXPECT_EQ(reported, locations.size());  // every row once, files or not
        decoded = scan.Decoded();
        return got;
    }
};

TEST_F(Scan, MeasuresFilesAndLeavesStreamsAndMissingFilesAlone) {
    std::string a = d.file("A side.wav", testenv::silentWav(61.5)), b = d.file("b.wav", testenv::silentWav(0.5));
    auto got = run({a, "http://radio.example/live", d.path + "gone.wav", b, d.path});
    EXPECT_EQ(got, (std::map<int, std::pair<std::string, std::string>>{{0, {"A side", "1:01"}}, {3, {"b", "0:00"}}}));
    EXPECT_EQ(decoded, 2);
}

TEST_F(Scan, OnlyNewAndChangedFilesAreMeasuredAgain) {
    std::vector<std::string> files;
    for (int i = 0; i < 40; ++i)
        files.push_back(d.file("f" + std::to_string(i) + ".wav", testenv::silentWav(1, i == 4 ? 16000 : 0)));
    auto first = run(files);
    EXPECT_EQ(decoded, 40);
    EXPECT_EQ(first.at(39).second, "0:01");

    // A longer file under the same name; and one rewritten to the same size
    // with its modification time set back, as a tag editor that keeps file
    // dates does: both count as changed.
    d.file("f3.wav", testenv::silentWav(3));
    struct stat before {};
    ::stat(files[4].c_str(), &before);
    d.file("f4.wav", testenv::silentWav(2));
    timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, files[4].c_str(), times, 0), 0);
    ASSERT_EQ(player::StampOf(files[4])->size, before.st_size);
    files.push_back(d.file("new.wav", testenv::silentWav(2)));
    auto second = run(files);
    EXPECT_EQ(decoded, 3);
    EXPECT_EQ(second.at(3).second, "0:03");
    EXPECT_EQ(second.at(4).second, "0:02");
    EXPECT_EQ(second.at(40), (std::pair<std::string, std::string>{"new", "0:02"}));
    first[3] = second.at(3);
    first[4] = second.at(4);
    first[40] = second.at(40);
    EXPECT_EQ(second, first);  // the rest as a full rescan gives them

    run(files, {.useCache = false, .threads = 1});
    EXPECT_EQ(decoded, 41);
}

TEST_F(Scan, StoppedItReportsNothingMore) {
    std::vector<std::string> files;
    for (int i = 0; i < 300; ++i) files.push_back(d.file("f" + std::to_string(i) + ".wav", testenv::silentWav(0.2)));
    // One worker, one file a batch, let through a file at a time.
    testenv::Gate gate;
    gate.allow(1);
    player::TMediaScan::TOptions options{.threads = 1, .batchLimit = 1, .beforeItem = [&](size_t) { gate.pass(); }};
    int reported = 0;
    bool done = false;
    {
        player::TMediaScan scan(
            ui, &engine.e, cache, files, options,
            [&](std::vector<player::TScanItem>& items) { reported += int(items.size()); }, [&] { done = true; });
        scan.Start();
        ASSERT_TRUE(testenv::pumpUntil(ui, [&] { return reported > 0; }));
        EXPECT_EQ(reported, 1);  // the worker waits at the second file
        gate.allow(1);
        ASSERT_TRUE(ui.waitForPost(std::chrono::seconds(60)));  // the second file is posted, not yet handled
        gate.open();
        scan.Stop();
        ui.processMessages();
        EXPECT_EQ(reported, 1);
    }
    ui.processMessages();
    EXPECT_FALSE(done);
    EXPECT_EQ(reported, 1);
}

}  // namespace
