#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "player/history.h"
#include "player/playbackmath.h"
#include "player/randomorder.h"

using namespace player;

TEST(PlaybackMath, ClockTextWrapsAfterADayAndTruncatesFractions) {
    const std::pair<double, const char*> cases[] = {
        {0, "00:00:00"}, {59.9, "00:00:59"}, {3661, "01:01:01"}, {86400 + 61, "00:01:01"}, {-3, "00:00:00"},
    };
    for (auto [seconds, text] : cases) EXPECT_EQ(ClockText(seconds), text) << seconds;
}

TEST(PlaybackMath, SeekBarAndTechnicalFigures) {
    EXPECT_EQ(SeekBarPosition(1500, 3000, 100), 50);
    EXPECT_EQ(SeekBarPosition(2999, 3000, 100), 99);  // integer division
    EXPECT_EQ(SeekBarPosition(500, 0, 100), 0);       // a track of length 0
    EXPECT_EQ(AverageKbps(4'000'000, 100), 320);
    EXPECT_EQ(AverageKbps(1'000, 0), 0);
    EXPECT_EQ(SampleRateText(44100), "44.1");
    EXPECT_EQ(SampleRateText(48000), "48");
    EXPECT_EQ(SampleRateText(22050), "22.05");
}

TEST(PlaybackMath, TrackBarClicksAndWheel) {
    // 14 pixels of margin at each end of a 147-pixel bar.
    EXPECT_EQ(TrackBarClickPosition(100, 147, 14), 0);
    EXPECT_LE(TrackBarClickPosition(100, 147, 3).value(), 0);  // the bar clamps it to 0
    EXPECT_EQ(TrackBarClickPosition(100, 147, 147 - 14), 100);
    EXPECT_EQ(TrackBarClickPosition(100, 147, 73), 50);
    EXPECT_FALSE(TrackBarClickPosition(100, 28, 10).has_value());
    EXPECT_EQ(TrackBarClickPositionNoMargin(-50, 50, 147, 0), -50);
    EXPECT_EQ(TrackBarClickPositionNoMargin(-50, 50, 147, 147), 50);
    EXPECT_FALSE(TrackBarClickPositionNoMargin(-50, 50, 0, 5).has_value());
    EXPECT_EQ(TrackBarWheelPosition(40, 120), 41);
    EXPECT_EQ(TrackBarWheelPosition(40, -240), 38);
}

TEST(History, StepsBackOneStartAtATime) {
    TLines h;
    for (int row : {1, 2, 3}) AppendHistory(h, row);
    // The entry played before goes too: starting it appends it again.
    EXPECT_EQ(StepBackInHistory(h), 2);
    EXPECT_EQ(h, TLines{"1"});
    AppendHistory(h, 2);
    EXPECT_EQ(StepBackInHistory(h), 1);
    EXPECT_TRUE(h.empty());
    AppendHistory(h, 1);
    EXPECT_EQ(StepBackInHistory(h), std::nullopt);
    EXPECT_TRUE(h.empty());

    TLines damaged{"7", "x"};
    EXPECT_EQ(StepBackInHistory(damaged), 7);
    TLines garbage{"x", "5"};
    EXPECT_EQ(StepBackInHistory(garbage), std::nullopt);
    EXPECT_EQ(RowNumber(" 12\r"), 12);
    for (const char* bad : {"", "0", "-3", "4a"}) EXPECT_EQ(RowNumber(bad), std::nullopt) << bad;
}

TEST(RandomOrder, IsAPermutationThatNextWalksThrough) {
    std::mt19937 random(7);
    TLines order = BuildRandomOrder(4, random);
    TLines sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (TLines{"1", "2", "3", "4"}));

    std::optional<int> second = RowNumber(order[1]);
    EXPECT_EQ(RandomOrderNext(order), second);
    EXPECT_EQ(AdvanceRandomOrder(order), second);
    EXPECT_EQ(order.size(), 3u);
    AdvanceRandomOrder(order);
    AdvanceRandomOrder(order);
    EXPECT_EQ(RandomOrderNext(order), std::nullopt);
    EXPECT_EQ(AdvanceRandomOrder(order), std::nullopt);  // used up
    EXPECT_TRUE(BuildRandomOrder(0, random).empty());

    // Every row turns up in every place: the draws are not biased to an order.
    std::set<std::pair<size_t, std::string>> seen;
    for (int i = 0; i < 200; ++i) {
        TLines o = BuildRandomOrder(4, random);
        for (size_t p = 0; p < o.size(); ++p) seen.insert({p, o[p]});
    }
    EXPECT_EQ(seen.size(), 16u);
}
