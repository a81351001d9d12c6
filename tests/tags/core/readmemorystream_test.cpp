#include "tags/core/readmemorystream.h"

#include <gtest/gtest.h>

using namespace tags;

TEST(ReadMemoryStream, ReadsTheBlockInPlaceAndRefusesWrites) {
    const char block[] = "abcdef";
    TReadMemoryStream s(block, 6);
    EXPECT_EQ(s.Memory(), block);  // no copy
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(s.Seek(-2, TSeekOrigin::soEnd), 4);
    char out[4] = {};
    EXPECT_EQ(s.Read(out, 4), 2);
    EXPECT_EQ(std::string(out, 2), "ef");
    EXPECT_EQ(s.Read(out, 4), 0);
    EXPECT_EQ(s.Seek(-1, TSeekOrigin::soBeginning), -1);

    EXPECT_TRUE(s.LastError().empty());
    EXPECT_EQ(s.Write("x", 1), 0);
    EXPECT_FALSE(s.WriteBuffer("x", 1));
    EXPECT_EQ(s.LastError(), "TReadMemoryStream does not support Write().");
    EXPECT_FALSE(s.SetSize(2));
    EXPECT_EQ(std::string(block), "abcdef");

    TReadMemoryStream none(nullptr, 100);
    EXPECT_EQ(none.Size(), 0);
    EXPECT_EQ(none.Read(out, 1), 0);
}
