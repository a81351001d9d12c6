#include <gtest/gtest.h>

#include "app/listfiles.h"
#include "common/files.h"
#include "support/tempdir.h"

namespace {

TEST(ListFiles, WrittenInUtf16LEAndReadWithAnyMark) {
    testenv::TempDir dir;
    std::string path = dir.path + "song.ini";
    ASSERT_TRUE(app::SaveLines(path, {"3", "12"}));
    EXPECT_EQ(common::readFile(path).value(), std::string("\xFF\xFE"
                                                          "3\0\r\0\n\0"
                                                          "1\0"
                                                          "2\0\r\0\n\0",
                                                          16));
    EXPECT_EQ(app::LoadLines(path), (std::vector<std::string>{"3", "12"}));

    ASSERT_TRUE(app::SaveLines(path, {}));
    EXPECT_EQ(app::LoadLines(path), std::vector<std::string>{});
    EXPECT_EQ(app::LoadLines(dir.file("utf8.ini",
                                      "\xEF\xBB\xBF"
                                      "1\n2")),
              (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(app::LoadLines(dir.file("bare.ini", "7\r\r\n8\r")), (std::vector<std::string>{"7", "", "8"}));
    EXPECT_EQ(app::LoadLines(dir.path + "missing.ini"), std::nullopt);
}

}  // namespace
