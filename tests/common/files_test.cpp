#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/disk.h"
#include "support/tempdir.h"

using namespace common;
using testenv::TempDir;
namespace fs = std::filesystem;

TEST(Files, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    TempDir dir;
    std::string file = dir.at("list.m3u");
    ASSERT_TRUE(writeFileAtomic(file, "old"));
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(writeFileAtomic(file, "new content"));
    EXPECT_EQ(readFile(file).value(), "new content");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"list.m3u"});
}

TEST(Files, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    std::string file = dir.at("keep.ini");
    ASSERT_TRUE(writeFileAtomic(file, "precious"));
    EXPECT_FALSE(writeFileAtomic(dir.at("missing/x.ini"), "data"));
    EXPECT_EQ(errno, ENOENT);  // the reason survives the clean-up, for the log line
    {
        testenv::FullDisk full;
        EXPECT_FALSE(writeFileAtomic(file, std::string(64, 'x')));
        EXPECT_EQ(errno, EFBIG);
    }
    // A folder that cannot take the temporary file: the target stays whole.
    // (Root writes into it all the same.)
    if (::geteuid() != 0) {
        testenv::ReadOnly folder(dir.path);
        EXPECT_FALSE(writeFileAtomic(file, "lost"));
    }
    EXPECT_EQ(readFile(file).value(), "precious");
}

TEST(Files, AReplacementHasNoVisibleNameUntilItIsComplete) {
    testenv::TempDir dir;
    std::string file = dir.file("song.mp3", "old");
    auto replacement = ReplacementFile::create(file);
    ASSERT_TRUE(replacement);
    ASSERT_EQ(::write(replacement->fd(), "new", 3), 3);
    // Where the file system makes files without names, nothing else is
    // there; elsewhere only a name that marks it as ours.
    for (const std::string& name : dir.entries())
        EXPECT_TRUE(name == "song.mp3" || name.rfind(".orvelin-song.mp3.", 0) == 0) << name;
    EXPECT_EQ(readFile(file).value(), "old");
    ASSERT_TRUE(replacement->commit());
    EXPECT_EQ(readFile(file).value(), "new");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"song.mp3"});

    // Dropped without a commit: the old file stays, nothing is left.
    replacement = ReplacementFile::create(file);
    ASSERT_TRUE(replacement);
    ASSERT_EQ(::write(replacement->fd(), "lost", 4), 4);
    replacement.reset();
    EXPECT_EQ(readFile(file).value(), "new");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"song.mp3"});
}

TEST(Files, TemporaryFilesOfDeadSavesGoWithTheNextSaveOfTheSameFile) {
    testenv::TempDir dir;
    std::string file = dir.file("list.m3u", "old");
    std::string ours = temporaryPathFor(file);
    ASSERT_EQ(ours.rfind(dir.path + ".orvelin-list.m3u." + std::to_string(::getpid()) + ".", 0), 0u) << ours;
    // No process has a number this large; process 1 always runs.
    const std::string dead = ".orvelin-list.m3u.2147483647.3.tmp";
    const std::vector<std::string> kept = {".orvelin-list.m3u.1.0.tmp",
                                           ".orvelin-list.m3u.2147483647.tmp",
                                           ".orvelin-list.m3u.bak.2147483647.0.tmp",
                                           ".orvelin-other.m3u.2147483647.0.tmp",
                                           "list.m3u",
                                           "list.m3u.2147483647.0.tmp"};  // sorted, as entries() lists them
    for (const std::string& name : kept) dir.file(name, "x");
    dir.file(dead, "half a save");
    ASSERT_TRUE(writeFileAtomic(file, "new"));
    EXPECT_EQ(dir.entries(), kept);
    EXPECT_EQ(removeStaleTemporaries(file), 0);
}

TEST(Files, SizesAndExistence) {
    TempDir dir;
    std::string file = dir.at("a.bin");
    ASSERT_TRUE(writeFileAtomic(file, std::string(1234, 'x')));
    EXPECT_EQ(fileSize(file), 1234);
    EXPECT_EQ(fileSize(dir.at("none")), -1);
    EXPECT_EQ(fileSize(dir.path), -1);
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(fileExists(dir.path));
    EXPECT_TRUE(directoryExists(dir.path));
    EXPECT_TRUE(makeDirectories(dir.at("x/y/z")));
    EXPECT_TRUE(directoryExists(dir.at("x/y/z")));
    EXPECT_FALSE(readFile(dir.at("none")).has_value());
}

TEST(Files, PathPieces) {
    EXPECT_EQ(extractFileName("/music/a b/song.mp3"), "song.mp3");
    EXPECT_EQ(extractFilePath("/music/a b/song.mp3"), "/music/a b/");
    EXPECT_EQ(extractFileExt("/music/a.b/song"), "");
    EXPECT_EQ(extractFileExt("/music/song.tar.gz"), ".gz");
    EXPECT_EQ(changeFileExt("/m/song.mp3", ".jpg"), "/m/song.jpg");
    EXPECT_EQ(withTrailingSlash("/m"), "/m/");
    EXPECT_EQ(withTrailingSlash("/m/"), "/m/");
}
