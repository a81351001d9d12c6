#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // A folder that cannot take the temporary file: the target stays whole.
    // (Root writes into it all the same.)
    if (::geteuid() != 0) {
        testenv::ReadOnly folder(dir.path);
        EXPECT_FALSE(writeFileAtomic(file, "lost"));
    }
    EXPECT_EQ(readFile(file).value(), "precious");
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
