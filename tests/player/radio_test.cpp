#include "player/radio.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace {

using player::ParseStreamTitle;

struct TitleCase {
    const char* name;
    std::string meta;
    std::optional<std::string> title;
};

class StreamTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(StreamTitle, IsTheQuotedValueMadeReadable) {
    std::optional<std::string> got = ParseStreamTitle(GetParam().meta);
    EXPECT_EQ(got, GetParam().title);
    if (got) {
        EXPECT_TRUE(common::isValidUtf8(*got));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, StreamTitle,
    ::testing::Values(TitleCase{"Plain", "StreamTitle='Artist - Song';StreamUrl='';", "Artist - Song"},
                      TitleCase{"Alone", "StreamTitle='Artist - Song';", "Artist - Song"},
                      // A ";" or a "'" inside the title belongs to it.
                      TitleCase{"Semicolon", "StreamTitle='Sting; The Police - Roxanne';StreamUrl='x';",
                                "Sting; The Police - Roxanne"},
                      TitleCase{"Apostrophe", "StreamTitle='Guns N' Roses - Don't Cry';", "Guns N' Roses - Don't Cry"},
                      TitleCase{"QuoteSemicolonInside", "StreamTitle='a';b - c';StreamUrl='';", "a';b - c"},
                      TitleCase{"Empty", "StreamTitle='';StreamUrl='http://x';", ""},
                      TitleCase{"NotFirst", "StreamUrl='';StreamTitle='Late';", "Late"},
                      TitleCase{"Unquoted", "StreamTitle=Bare - Title;StreamUrl=;", "Bare - Title"},
                      TitleCase{"UnterminatedQuote", "StreamTitle='Cut short", "Cut short"},
                      TitleCase{"ClosingQuoteWithoutSemicolon", "StreamTitle='Almost'", "Almost"},
                      TitleCase{"Utf8", "StreamTitle='Кино - Группа крови';", "Кино - Группа крови"},
                      // Latin-1 bytes are no UTF-8: they are read as Windows-1252.
                      TitleCase{"Latin1", "StreamTitle='Bj\xf6rk - J\xf3ga';", "Björk - Jóga"},
                      TitleCase{"BrokenUtf8", "StreamTitle='\xd0\xd0 - \xff';", "ÐÐ - ÿ"},
                      TitleCase{"ControlCharacters", "StreamTitle='One\r\nTwo\tThree';", "One  Two Three"},
                      TitleCase{"NoTitle", "StreamUrl='http://example.org';", std::nullopt},
                      TitleCase{"OtherCase", "streamtitle='x';", std::nullopt}, TitleCase{"Nothing", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StreamTitleSize, TheLargestBlockIsReadWhole) {
    // 255 units of 16 bytes: the most one metadata block can hold.
    std::string text(4080 - 16, 'x');
    std::optional<std::string> got = ParseStreamTitle("StreamTitle='" + text + "';");
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, text);
}

TEST(RadioHeaders, StationAndBitrateFromTheHeaderLines) {
    std::string block = std::string("ICY 200 OK") + '\0' + "icy-notice1:<BR>x" + '\0' + "icy-name:Rock FM" + '\0' +
                        "icy-br:128" + '\0' + "Icy-Name:Other" + '\0' + '\0' + "icy-name:After the end" + '\0' + '\0';
    player::TRadioHeaders h = player::ParseRadioHeaders(block.c_str());
    EXPECT_EQ(h.StationName, "Rock FM");
    EXPECT_EQ(h.Bitrate, "128");
    // The value is not trimmed; a Latin-1 name is read as Windows-1252.
    std::string latin = std::string("icy-name: Caf\xe9") + '\0' + "icy-br:" + '\0' + '\0';
    h = player::ParseRadioHeaders(latin.c_str());
    EXPECT_EQ(h.StationName, " Café");
    EXPECT_EQ(h.Bitrate, "");
    h = player::ParseRadioHeaders(nullptr);
    EXPECT_EQ(h.StationName, "");
}

TEST(RadioBitrate, HeaderThenAttributeThenTheSampleRate) {
    struct Case {
        std::string header;
        std::optional<float> attribute;
        std::optional<uint32_t> rate;
        std::string text;
    };
    for (const Case& c : std::vector<Case>{{"320", 128.f, 44100, "320"},
                                           {"0", 95.6f, 44100, "96"},
                                           {"", std::nullopt, 48000, "192"},
                                           {"", std::nullopt, 44100, "128"},
                                           {"", std::nullopt, 32000, "96"},
                                           {"", std::nullopt, 22050, "64"},
                                           {"", std::nullopt, 11025, "32"},
                                           {"", std::nullopt, 8000, "128"},
                                           {"", std::nullopt, std::nullopt, "128"},
                                           {"", 0.2f, 44100, "128"}})  // rounds to 0
        EXPECT_EQ(player::RadioBitrateText(c.header, c.attribute, c.rate), c.text)
            << c.header << " " << c.attribute.value_or(-1) << " " << c.rate.value_or(0);
}

TEST(RadioRate, KilohertzWithOneDecimal) {
    EXPECT_EQ(player::RadioRateText(std::nullopt), "44.1 kHz");
    EXPECT_EQ(player::RadioRateText(22050), "22.1 kHz");
    EXPECT_EQ(player::RadioRateText(44100), "44.1 kHz");
    EXPECT_EQ(player::RadioRateText(48000), "48.0 kHz");
    EXPECT_EQ(player::RadioRateText(999), "999 Hz");
}

TEST(RadioTexts, SplitAtTheFirstDashWithTheStation) {
    player::TRadioTexts t = player::RadioTexts("Artist - Song", "Rock FM");
    EXPECT_EQ(t.Artist, "Artist");
    EXPECT_EQ(t.Title, "Song");
    EXPECT_EQ(t.Year, "Rock FM");
    EXPECT_EQ(t.TrayHint, "Artist - Song (Rock FM)");
    EXPECT_EQ(t.ScrollTitle, "Artist - Song | Rock FM");

    t = player::RadioTexts("  A - B - C ", "");
    EXPECT_EQ(t.Artist, "A");
    EXPECT_EQ(t.Title, "B - C");
    EXPECT_EQ(t.TrayHint, "A - B - C");
    EXPECT_EQ(t.ScrollTitle, "  A - B - C ");

    t = player::RadioTexts("News at ten", "Talk");
    EXPECT_EQ(t.Artist, "News at ten");
    EXPECT_EQ(t.Title, "Talk");
    EXPECT_EQ(t.Year, std::nullopt);  // left as it was
    EXPECT_EQ(t.TrayHint, "News at ten | Talk");
    EXPECT_EQ(t.ScrollTitle, "News at ten | Talk");
}

TEST(StreamUrl, RecognisedAndEncodedForTheNetwork) {
    EXPECT_TRUE(player::IsStreamUrl("HTTPS://radio.example/live"));
    EXPECT_TRUE(player::IsStreamUrl("http://x"));
    EXPECT_FALSE(player::IsStreamUrl("/music/http://x.mp3"));
    EXPECT_FALSE(player::IsStreamUrl("ftp://x"));
    EXPECT_EQ(player::EncodeStreamUrl("http://radio.example/мой поток?q=a%20b"),
              "http://radio.example/%D0%BC%D0%BE%D0%B9%20%D0%BF%D0%BE%D1%82%D0%BE%D0%BA?q=a%20b");
}

}  // namespace
