#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "player/soundeffects.h"

namespace player {
namespace {

TEST(Rotate, ScalesEachPairAndLeavesALoneSampleAlone) {
    std::vector<float> samples{1, 1, 1, 1, 0.5f};
    float phase = TRotate::kStartPhase;
    RotateSamples(samples.data(), samples.size(), phase);
    EXPECT_FLOAT_EQ(samples[0], std::sin(TRotate::kStartPhase));
    EXPECT_FLOAT_EQ(samples[1], std::cos(TRotate::kStartPhase));
    EXPECT_FLOAT_EQ(samples[2], std::sin(TRotate::kStartPhase + TRotate::kStep));
    EXPECT_FLOAT_EQ(samples[3], std::cos(TRotate::kStartPhase + TRotate::kStep));
    EXPECT_EQ(samples[4], 0.5f);
    EXPECT_FLOAT_EQ(phase, TRotate::kStartPhase + 2 * TRotate::kStep);  // two pairs, two steps
}

TEST(Rotate, ThePhaseWrapsAtPiAndCarriesOver) {
    // Just below pi, one step takes the phase over and back to near zero;
    // both sides keep their levels positive on the way.
    float phase = 3.1415927f - TRotate::kStep / 2;
    std::vector<float> samples{-1, -1, -1, -1};
    RotateSamples(samples.data(), samples.size(), phase);
    EXPECT_GE(phase, 0.0f);
    EXPECT_LT(phase, 2 * TRotate::kStep);  // half a step over pi, then one more
    EXPECT_LE(samples[0], 0.0f);
    EXPECT_NEAR(samples[1], -1.0f, 1e-6);
    EXPECT_NEAR(samples[2], 0.0f, 1e-4);  // the left side passes through silence
}

}  // namespace
}  // namespace player
