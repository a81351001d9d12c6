#include "common/text.h"

#include <gtest/gtest.h>

using namespace common;

TEST(Text, Utf16RoundTripIncludesAstralAndCyrillic) {
    const std::string s = "Привет, 🎵 mün";
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(s)), s);
    EXPECT_EQ(utf16leToUtf8(utf8ToUtf16le(s)), s);
    EXPECT_EQ(utf16beToUtf8(utf8ToUtf16be(s)), s);
    EXPECT_EQ(utf8ToUtf16le("A"), std::string("A\0", 2));
    EXPECT_EQ(utf8ToUtf16be("A"), std::string("\0A", 2));
    EXPECT_EQ(utf8ToUtf16("🎵").size(), 2u);
}

TEST(Text, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(utf16leToUtf8(std::string("A\0B", 3)), "A");  // odd trailing byte dropped
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16("a\xFF"
                                      "b")),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Text, Utf8Validation) {
    struct Case {
        const char* bytes;
        bool valid;
    };
    const Case cases[] = {
        {"plain", true},     {"Привет", true},        {"\xEF\xBF\xBD", true},
        {"\xC0\xAF", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false},
        {"\xD0", false},     {"caf\xE9", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(Text, CodePagesRoundTrip) {
    EXPECT_EQ(codePageToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2", 1251), "Привет");
    EXPECT_EQ(utf8ToCodePage("Привет", 1251), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(codePageToUtf8("\x80\xE9", 1252), "€é");
    EXPECT_EQ(utf8ToCodePage("€é", 1252), "\x80\xE9");
    EXPECT_EQ(utf8ToCodePage("日本", 1252), "??");
    // Bytes the page leaves undefined survive a round trip.
    EXPECT_EQ(utf8ToCodePage(codePageToUtf8("\x81", 1252), 1252), "\x81");
    EXPECT_EQ(latin1ToUtf8("\xE9"), "é");
    EXPECT_EQ(utf8ToLatin1("é€"), "\xE9?");
}

TEST(Text, CaseInsensitiveComparisonCoversCyrillicAndLatin) {
    EXPECT_TRUE(equalsNoCase("ARTIST", "artist"));
    EXPECT_TRUE(equalsNoCase("ПРИВЕТ Ёж", "привет ёж"));
    EXPECT_TRUE(equalsNoCase("ÉCOLE", "école"));
    EXPECT_FALSE(equalsNoCase("abc", "abd"));
    EXPECT_LT(compareNoCase("apple", "Banana"), 0);
    EXPECT_GT(compareNoCase("b", "A"), 0);
    EXPECT_LT(compareNoCase("ab", "ABC"), 0);
    EXPECT_EQ(toUpper("ёжик straße"), "ЁЖИК STRAßE");
    EXPECT_EQ(toLower("ĹĽŸ"), "ĺľÿ");
    EXPECT_EQ(findNoCase("Some Song - АРТИСТ", "артист"), 12u);
    EXPECT_EQ(findNoCase("abc", "x"), std::string_view::npos);
    EXPECT_TRUE(startsWithNoCase("HTTP://x", "http"));
    EXPECT_TRUE(endsWithNoCase("song.MP3", ".mp3"));
}

TEST(Text, TrimAndLength) {
    EXPECT_EQ(trim("  a b \r\n"), "a b");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(lengthCp("Ёж🎵"), 3u);
}
