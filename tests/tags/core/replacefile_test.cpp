// Replacing a file through a new one: nothing of the new file is visible
// before it is complete, and temporary files of saves that died go.
#include "tags/core/replacefile.h"

#include "common/files.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

using namespace tags;

TEST(ReplaceFile, TheNewFileIsInvisibleUntilItTakesThePlaceOfTheOld) {
    testenv::TempDir dir;
    const std::string song = dir.file("song.mp3", "old bytes");
    ::chmod(song.c_str(), 0640);
    dir.file(".orvelin-song.mp3.2147483647.0.tmp", "left by a save that was killed");
    std::vector<std::string> seen;
    int result = ReplaceFileThroughTemp(song, [&](TFileStream& out) {
        seen = dir.entries();
        return out.WriteBuffer("new bytes", 9) ? 0 : -1;
    });
    ASSERT_EQ(result, 0);
    EXPECT_EQ(seen, std::vector<std::string>{"song.mp3"});
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"song.mp3"});
    EXPECT_EQ(common::readFile(song).value(), "new bytes");
    struct stat st {};
    ASSERT_EQ(::stat(song.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A writer that refuses leaves the old file and nothing else.
    EXPECT_EQ(ReplaceFileThroughTemp(song,
                                     [](TFileStream& out) {
                                         out.WriteBuffer("half", 4);
                                         return 3;
                                     }),
              3);
    EXPECT_EQ(common::readFile(song).value(), "new bytes");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"song.mp3"});
    EXPECT_EQ(ReplaceFileThroughTemp(dir.path + "missing/song.mp3", [](TFileStream&) { return 0; }), -1);
}
