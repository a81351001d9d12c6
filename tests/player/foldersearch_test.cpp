#include <gtest/gtest.h>

#include <unistd.h>

#include "player/foldersearch.h"
#include "player/gridhost.h"
#include "player/mediafiles.h"
#include "support/tempdir.h"
#include "support/uithread.h"

using testenv::Rows;

namespace {

std::vector<std::string> searched(const std::string& folder, bool subfolders, std::vector<std::string>* progress = {}) {
    std::vector<std::string> files;
    player::TSearchEvents events;
    events.onFile = [&](std::string p) { files.push_back(std::move(p)); };
    if (progress) events.onProgress = [&](const std::string& text) { progress->push_back(text); };
    player::SearchFolder(folder, player::MediaMasks(), subfolders, events);
    return files;
}

TEST(FolderSearch, OwnFilesFirstThenSubfoldersDepthFirst) {
    testenv::TempDir d;
    for (const char* f : {"b.mp3", "A.flac", "cover.jpg", "notes.txt", ".hidden.ogg", "x/2.mp3", "x/1.mp3",
                          "x/y/deep.wav", "Z/z.wma", "x/y/readme", ".git/inside.mp3", "empty/"})
        d.file(f);
    std::string r = d.path;
    std::vector<std::string> progress;
    EXPECT_EQ(searched(r, true, &progress),
              (std::vector<std::string>{r + ".hidden.ogg", r + "A.flac", r + "b.mp3", r + "x/1.mp3", r + "x/2.mp3",
                                        r + "x/y/deep.wav", r + "Z/z.wma"}));
    // The folder with its first entry, then each subfolder as it is entered.
    EXPECT_EQ(progress, (std::vector<std::string>{r + ".hidden.ogg", r + "empty", r + "x", r + "x/1.mp3", r + "x/y",
                                                  r + "x/y/deep.wav", r + "Z", r + "Z/z.wma"}));
    EXPECT_EQ(searched(r, false), (std::vector<std::string>{r + ".hidden.ogg", r + "A.flac", r + "b.mp3"}));
    EXPECT_TRUE(searched(r + "missing/", true).empty());
}

TEST(FolderSearch, FollowsLinkedFoldersOnceAndStopsWhenAsked) {
    testenv::TempDir d;
    d.file("music/a.mp3");
    d.file("elsewhere/b.mp3");
    ASSERT_EQ(::symlink((d.path + "elsewhere").c_str(), (d.path + "music/linked").c_str()), 0);
    ASSERT_EQ(::symlink((d.path + "music").c_str(), (d.path + "music/up").c_str()), 0);  // a loop
    std::string r = d.path + "music/";
    EXPECT_EQ(searched(r, true), (std::vector<std::string>{r + "a.mp3", r + "linked/b.mp3"}));

    std::atomic<bool> stop{true};
    player::TSearchEvents events;
    events.onFile = [](std::string) { ADD_FAILURE() << "searched after stop"; };
    EXPECT_FALSE(player::SearchFolder(r, player::MediaMasks(), true, events, &stop));
}

TEST(FolderSearch, GridGrowsInBlocksAndIsCutBackToTheRowsFilled) {
    ui::TestApplication t;
    testenv::GridHost host{t.app};
    ui::TStringGrid& grid = host.Grid;
    testenv::setRows(grid, {{"0001", "Old", "1:00", "/old.mp3"}});
    int resets = 0, maxRows = 0;
    grid.observe([&](ui::TGridChange what, int, int) {
        resets += what == ui::TGridChange::Reset;
        maxRows = std::max(maxRows, grid.RowCount());
    });
    {
        player::TGridAppender add(grid);
        for (int i = 0; i < 250; ++i) {
            add.Add("/music/" + std::to_string(i) + ".mp3");
            if (i == 0) {
                EXPECT_EQ(grid.RowCount(), 101);
            }
        }
        EXPECT_EQ(grid.RowCount(), 301);
        EXPECT_EQ(add.Added(), 250);
        add.Finish();
    }
    EXPECT_EQ(grid.RowCount(), 251);  // exactly 250 new rows
    EXPECT_EQ(resets, 1);             // one repaint for the whole search
    EXPECT_EQ(maxRows, 251);          // observers never saw the unfilled block
    EXPECT_EQ(grid.RowCells(0), (std::vector<std::string>{"0001", "Old", "1:00", "/old.mp3"}));
    EXPECT_EQ(grid.RowCells(1), (std::vector<std::string>{"0001", "0", "0:00", "/music/0.mp3"}));
    EXPECT_EQ(grid.RowCells(250), (std::vector<std::string>{"0250", "249", "0:00", "/music/249.mp3"}));
}

TEST(FolderSearch, WorkerHandsItsFilesToTheUiThreadInOrder) {
    testenv::TempDir d;
    for (int i = 0; i < 1200; ++i) d.file("f" + std::to_string(1000 + i) + ".mp3");
    ui::QueueDispatcher ui;
    std::vector<std::string> got;
    bool done = false;
    std::string lastProgress;
    player::AddFolderThread search(
        ui, d.path, player::MediaMasks(), true,
        [&](player::AddFolderThread::TBatch& b) {
            got.insert(got.end(), b.files.begin(), b.files.end());
            if (!b.progress.empty()) lastProgress = b.progress;
        },
        [&] { done = true; });
    search.Start();
    ASSERT_TRUE(testenv::pumpUntil(ui, [&] { return done; }));
    ASSERT_EQ(got.size(), 1200u);
    EXPECT_EQ(got.front(), d.path + "f1000.mp3");
    EXPECT_EQ(got.back(), d.path + "f2199.mp3");
    EXPECT_EQ(lastProgress, d.path + "f1000.mp3");

    // Stopped, it hands over nothing more, even what it had already posted.
    done = false;
    got.clear();
    player::AddFolderThread stopped(
        ui, d.path, player::MediaMasks(), true, [&](player::AddFolderThread::TBatch& b) { got = b.files; },
        [&] { done = true; });
    stopped.Start();
    ASSERT_TRUE(ui.waitForPost(std::chrono::seconds(60)));  // something is on its way
    stopped.Stop();
    ui.processMessages();
    EXPECT_TRUE(got.empty());
    EXPECT_FALSE(done);
}

}  // namespace
