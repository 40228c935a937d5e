#include <gtest/gtest.h>

#include "codec/EqualSlope.h"
#include "codec/QualityFactor.h"

namespace tamr {
namespace {

// Each band's Q is its range times its weight over the step, so every band
// ends with the same weighted step; finest levels whose bands all round to
// nothing are discarded, and each level's threshold is a share of its step.
TEST(EqualSlopeSettings, QuantisersFollowTheWeightedRanges)
{
    CodecSettings start;
    start.totalLevels = 2;
    ApplyQualityFactor(start);
    BandRanges ranges{};
    BandWeights weights{};
    for (auto& component : weights)
        component.fill(1.0);
    // A: the finest level rounds to nothing, the coarser one and the low-pass band do not.
    ranges[kComponentA] = {4, 4, 4, 100, 50, 400, 1000};
    weights[kComponentA][4] = 2.0;
    // B: the finest level keeps one band, so nothing is discarded.
    ranges[kComponentB] = {4, 30, 4, 4, 4, 4, 5};
    const CodecSettings settings = EqualSlopeSettings(start, ranges, weights, 20.0, SlopeShape{.thresholdPercent = 60});

    const ComponentSettings& a = settings.components[kComponentA];
    EXPECT_EQ(a.discardLevels, 1);
    EXPECT_EQ(a.quantizeVector[3], 5);  // 100 / 20
    EXPECT_EQ(a.quantizeVector[4], 5);  // 50 · 2 / 20
    EXPECT_EQ(a.quantizeVector[5], 20); // 400 / 20
    EXPECT_EQ(a.quantizeVector[6], 50); // 1000 / 20
    EXPECT_EQ(settings.components[kComponentB].discardLevels, 0);
    EXPECT_EQ(settings.components[kComponentB].quantizeVector[1], 2); // 30 / 20, rounded
    EXPECT_EQ(settings.components[kComponentB].quantizeVector[6], 1); // the low-pass band is always coded
    EXPECT_EQ(a.thresholdVector[0], 12);                              // 60 % of 20
    EXPECT_EQ(a.thresholdVector[1], 6);                               // 60 % of 20 / 2
    EXPECT_EQ(settings.components[kComponentC].thresholdVector[1], 6);
}

} // namespace
} // namespace tamr
