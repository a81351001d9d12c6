#include "tags/core/bytes.h"

#include <gtest/gtest.h>

using namespace tags;

TEST(Bytes, FixedWidthIntegersBothWays) {
    const uint8_t b[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    EXPECT_EQ(ReadBE16(b), 0x1234u);
    EXPECT_EQ(ReadBE24(b), 0x123456u);
    EXPECT_EQ(ReadBE32(b), 0x12345678u);
    EXPECT_EQ(ReadBE64(b), 0x123456789ABCDEF0ull);
    EXPECT_EQ(ReadLE16(b), 0x3412u);
    EXPECT_EQ(ReadLE24(b), 0x563412u);
    EXPECT_EQ(ReadLE32(b), 0x78563412u);
    EXPECT_EQ(ReadLE64(b), 0xF0DEBC9A78563412ull);

    std::string be, le;
    AppendBE16(be, 0x1234), AppendBE24(be, 0x563412), AppendBE32(be, 0xFFFFFFFE), AppendBE64(be, 1);
    AppendLE16(le, 0x1234), AppendLE24(le, 0x563412), AppendLE32(le, 0xFFFFFFFE), AppendLE64(le, 1);
    EXPECT_EQ(be, std::string("\x12\x34\x56\x34\x12\xFF\xFF\xFF\xFE\0\0\0\0\0\0\0\x01", 17));
    EXPECT_EQ(le, std::string("\x34\x12\x12\x34\x56\xFE\xFF\xFF\xFF\x01\0\0\0\0\0\0\0", 17));
    EXPECT_EQ(ReadBE64(be.data() + 9), 1u);
    EXPECT_EQ(ReadLE32(le.data() + 5), 0xFFFFFFFEu);
}

TEST(Bytes, SynchsafeIntegers) {
    struct Case {
        uint32_t value;
        const char* coded;
    };
    for (Case c : {Case{0, "\0\0\0\0"}, Case{127, "\0\0\0\x7F"}, Case{128, "\0\0\x01\0"}, Case{257, "\0\0\x02\x01"},
                   Case{kSynchsafe28Max, "\x7F\x7F\x7F\x7F"}}) {
        std::string out;
        EXPECT_TRUE(AppendSynchsafe28(out, c.value));
        EXPECT_EQ(out, std::string(c.coded, 4)) << c.value;
        EXPECT_EQ(ReadSynchsafe28(out.data()), c.value);
        EXPECT_TRUE(IsSynchsafe(out.data()));
    }
    std::string out = "keep";
    EXPECT_FALSE(AppendSynchsafe28(out, kSynchsafe28Max + 1));
    EXPECT_EQ(out, "keep");
    // Stray top bits are not part of the value.
    EXPECT_FALSE(IsSynchsafe("\x80\0\0\x81"));
    EXPECT_EQ(ReadSynchsafe28("\x80\0\0\x81"), 1u);
}
