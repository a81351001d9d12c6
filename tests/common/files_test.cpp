#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "support/disklimit.h"

using namespace common;
namespace fs = std::filesystem;

namespace {
struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/orvelin-files-XXXXXX";
        path = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
};
}  // namespace

TEST(Files, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    TempDir dir;
    std::string file = dir.path + "/list.m3u";
    ASSERT_TRUE(writeFileAtomic(file, "old"));
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(writeFileAtomic(file, "new content"));
    EXPECT_EQ(readFile(file).value(), "new content");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(Files, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    std::string file = dir.path + "/keep.ini";
    ASSERT_TRUE(writeFileAtomic(file, "precious"));
    EXPECT_FALSE(writeFileAtomic(dir.path + "/missing/x.ini", "data"));
    EXPECT_EQ(errno, ENOENT);  // the reason survives the clean-up, for the log line
    {
        testenv::FullDisk full;
        EXPECT_FALSE(writeFileAtomic(file, std::string(64, 'x')));
        EXPECT_EQ(errno, EFBIG);
    }
    // A folder that cannot take the temporary file: the target stays whole.
    if (::geteuid() != 0) {
        ::chmod(dir.path.c_str(), 0500);
        EXPECT_FALSE(writeFileAtomic(file, "lost"));
        ::chmod(dir.path.c_str(), 0700);
    }
    EXPECT_EQ(readFile(file).value(), "precious");
}

TEST(Files, SizesAndExistence) {
    TempDir dir;
    std::string file = dir.path + "/a.bin";
    ASSERT_TRUE(writeFileAtomic(file, std::string(1234, 'x')));
    EXPECT_EQ(fileSize(file), 1234);
    EXPECT_EQ(fileSize(dir.path + "/none"), -1);
    EXPECT_EQ(fileSize(dir.path), -1);
    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(fileExists(dir.path));
    EXPECT_TRUE(directoryExists(dir.path));
    EXPECT_TRUE(makeDirectories(dir.path + "/x/y/z"));
    EXPECT_TRUE(directoryExists(dir.path + "/x/y/z"));
    EXPECT_FALSE(readFile(dir.path + "/none").has_value());
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
