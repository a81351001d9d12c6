#include "player/copyfile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "common/files.h"
#include "support/disk.h"
#include "support/tempdir.h"

namespace {

std::vector<std::string> folderContents(const std::string& dir) {
    std::vector<std::string> names = common::listFiles(dir);
    std::sort(names.begin(), names.end());
    return names;
}

struct Copy : ::testing::Test {
    testenv::TempDir dir;
    std::string content = std::string(100000, 'a') + std::string(100000, 'b');
    std::string source = dir.file("music/song.mp3", content);
    std::string folder = (common::makeDirectories(dir.path + "target/"), dir.path + "target/");
    std::string target = folder + "song.mp3";
    std::atomic<bool> stop{false};
};

TEST_F(Copy, TheTargetAppearsWholeWithProgressAfterEveryBlock) {
    std::vector<int64_t> progress;
    player::TCopyResult r = player::CopyFileTo(
        source, target, false, stop, [&](int64_t done) { progress.push_back(done); }, 8194);
    EXPECT_EQ(r.outcome, player::TCopyOutcome::Copied);
    EXPECT_EQ(r.bytes, 200000);
    EXPECT_EQ(common::readFile(target), content);
    EXPECT_EQ(folderContents(folder), std::vector<std::string>{"song.mp3"});
    ASSERT_EQ(progress.size(), 25u);  // 24 whole blocks and the rest
    EXPECT_EQ(progress.front(), 8194);
    EXPECT_EQ(progress.back(), 200000);
}

TEST_F(Copy, ACancelOrAFullDiskLeavesNothingInTheFolder) {
    // Cancelled half-way: the stop is seen before the next block.
    player::TCopyResult cancelled = player::CopyFileTo(
        source, target, false, stop, [&](int64_t done) { stop = done >= 100000; }, 8194);
    EXPECT_EQ(cancelled.outcome, player::TCopyOutcome::Cancelled);
    EXPECT_EQ(cancelled.bytes, 106522);  // 13 blocks, then the stop
    EXPECT_TRUE(folderContents(folder).empty());

    stop = false;
    player::TCopyResult full;
    {
        testenv::FullDisk disk(50000);
        full = player::CopyFileTo(source, target, false, stop, {}, 8194);
    }
    EXPECT_EQ(full.outcome, player::TCopyOutcome::Failed);
    EXPECT_EQ(full.error, EFBIG);
    EXPECT_TRUE(folderContents(folder).empty());
    EXPECT_EQ(common::readFile(source), content);
}

TEST_F(Copy, AnExistingTargetIsReplacedOnlyWhenAllowedAndNeverByItself) {
    dir.file("target/song.mp3", "another song");
    player::TCopyResult kept = player::CopyFileTo(source, target, false, stop);
    EXPECT_EQ(kept.outcome, player::TCopyOutcome::Failed);
    EXPECT_EQ(kept.error, EEXIST);
    EXPECT_EQ(common::readFile(target), "another song");
    EXPECT_EQ(folderContents(folder), std::vector<std::string>{"song.mp3"});

    EXPECT_EQ(player::CopyFileTo(source, target, true, stop).outcome, player::TCopyOutcome::Copied);
    EXPECT_EQ(common::readFile(target), content);

    // Into its own folder: there is nothing to copy, and the file stays whole.
    EXPECT_EQ(player::CopyFileTo(source, source, true, stop).outcome, player::TCopyOutcome::SameFile);
    EXPECT_EQ(common::readFile(source), content);
    EXPECT_EQ(player::CopyFileTo(dir.path + "gone.mp3", folder + "gone.mp3", false, stop).outcome,
              player::TCopyOutcome::Failed);
}

}  // namespace
