#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "player/duration.h"

namespace {

TEST(Duration, TextToSeconds) {
    const std::pair<const char*, int> cases[] = {
        {"3:05", 185}, {"1:02:03", 3723}, {"0:00", 0}, {"0:-01", -1}, {"185", 185}, {" 4 ", 4},
        {"2.5", 150},  {"2,5", 150},      {"0.01", 1}, {"", -1},      {"  ", -1},   {"abc", -1},
        {"1:xx", -1},  {"1:2:3:4", -1},   {":", -1},   {"1.2.3", -1}, {"-1", -1},
    };
    for (auto [text, seconds] : cases) EXPECT_EQ(player::DurationToSeconds(text), seconds) << '"' << text << '"';
}

TEST(Duration, SecondsToText) {
    const std::pair<int, const char*> cases[] = {
        {-5, "0:00"}, {0, "0:00"}, {59, "0:59"}, {61, "1:01"}, {3725, "62:05"}};
    for (auto [seconds, text] : cases) EXPECT_EQ(player::SecondsToDuration(seconds), text) << seconds;
}

TEST(ByteSize, UnitsStartAt700AndHalvesGoToEven) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0 B"},     {699, "699 B"},     {700, "1 kB"},    {1536, "2 kB"},      {2560, "2 kB"},
        {3584, "4 kB"}, {716799, "700 kB"}, {716800, "1 MB"}, {5LL << 30, "5 GB"}, {5LL << 40, "5120 GB"},
    };
    for (auto [size, text] : cases) EXPECT_EQ(player::FormatByteSize(size), text) << size;
    EXPECT_EQ(player::FileSizeOf("/no/such/file"), -1);
}

}  // namespace
