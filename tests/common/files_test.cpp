#include "common/files.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>

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

namespace {
std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}
}  // namespace

TEST(Files, AReplacementHasNoVisibleNameUntilItIsComplete) {
    testenv::TempDir dir;
    std::string file = dir.file("song.mp3", "old");
    auto replacement = ReplacementFile::create(file);
    ASSERT_TRUE(replacement);
    ASSERT_EQ(::write(replacement->fd(), "new", 3), 3);
    // Where the file system makes files without names, nothing else is
    // there; elsewhere only a name that marks it as ours.
    for (const std::string& name : Names(dir.path))
        EXPECT_TRUE(name == "song.mp3" || name.rfind(".orvelin-song.mp3.", 0) == 0) << name;
    EXPECT_EQ(readFile(file).value(), "old");
    ASSERT_TRUE(replacement->commit());
    EXPECT_EQ(readFile(file).value(), "new");
    EXPECT_EQ(Names(dir.path), std::set<std::string>{"song.mp3"});

    // Dropped without a commit: the old file stays, nothing is left.
    replacement = ReplacementFile::create(file);
    ASSERT_TRUE(replacement);
    ASSERT_EQ(::write(replacement->fd(), "lost", 4), 4);
    replacement.reset();
    EXPECT_EQ(readFile(file).value(), "new");
    EXPECT_EQ(Names(dir.path), std::set<std::string>{"song.mp3"});
}

TEST(Files, TemporaryFilesOfDeadSavesGoWithTheNextSaveOfTheSameFile) {
    testenv::TempDir dir;
    std::string file = dir.file("list.m3u", "old");
    std::string ours = temporaryPathFor(file);
    ASSERT_EQ(ours.rfind(dir.path + ".orvelin-list.m3u." + std::to_string(::getpid()) + ".", 0), 0u) << ours;
    // No process has a number this large; process 1 always runs.
    const std::string dead = ".orvelin-list.m3u.2147483647.3.tmp";
    const std::set<std::string> kept = {"list.m3u",
                                        ".orvelin-list.m3u.1.0.tmp",
                                        ".orvelin-list.m3u.bak.2147483647.0.tmp",
                                        ".orvelin-other.m3u.2147483647.0.tmp",
                                        ".orvelin-list.m3u.2147483647.tmp",
                                        "list.m3u.2147483647.0.tmp"};
    for (const std::string& name : kept) dir.file(name, "x");
    dir.file(dead, "half a save");
    ASSERT_TRUE(writeFileAtomic(file, "new"));
    EXPECT_EQ(Names(dir.path), kept);
    EXPECT_EQ(removeStaleTemporaries(file), 0);
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
