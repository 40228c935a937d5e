#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "codec/CodecSettings.h"

namespace tamr {
namespace {

std::vector<std::int16_t> Head(const std::array<std::int16_t, kSettingsVectorLength>& vector, std::size_t count)
{
    return {vector.begin(), vector.begin() + static_cast<std::ptrdiff_t>(count)};
}

TEST(CodecSettingsTest, StartsWithMagicQualityFiftyFiveLevelsAndDisplayOff)
{
    const CodecSettings settings;
    const char expected[9] = {'C', 'I', 'S', '3', '.', '0', 0x1A, 0x04, 0};
    EXPECT_TRUE(std::equal(settings.fileMagic.begin(), settings.fileMagic.end(), expected));
    EXPECT_EQ(settings.qualityFactor, 50);
    EXPECT_EQ(settings.totalLevels, 5);
    EXPECT_FALSE(settings.incrementalDisplay);
}

TEST(CodecSettingsTest, StartsWithTheVectorsOfQualityFifty)
{
    const CodecSettings settings;
    // Decade 5 of the quantisation table, entries 0..17 (levels 0..5), no interpolation.
    EXPECT_EQ(Head(settings.component(kComponentA).quantizeVector, 18),
              (std::vector<std::int16_t>{6, 6, 0, 12, 12, 6, 24, 24, 24, 30, 30, 30, 40, 40, 40, 50, 50, 50}));
    EXPECT_EQ(Head(settings.component(kComponentB).quantizeVector, 18),
              (std::vector<std::int16_t>{4, 4, 0, 8, 8, 0, 8, 8, 8, 12, 12, 12, 16, 16, 16, 30, 30, 30}));
    EXPECT_EQ(Head(settings.component(kComponentC).quantizeVector, 18),
              (std::vector<std::int16_t>{4, 4, 0, 8, 8, 0, 8, 8, 8, 12, 12, 8, 16, 16, 12, 24, 24, 24}));
    for (const ComponentSettings& component : settings.components) {
        EXPECT_EQ(Head(component.thresholdVector, 6), (std::vector<std::int16_t>{28, 23, 15, 10, 7, 5}));
        // Entries past the ones the mapping writes stay zero.
        EXPECT_TRUE(std::all_of(component.quantizeVector.begin() + 18, component.quantizeVector.end(),
                                [](std::int16_t v) { return v == 0; }));
        EXPECT_TRUE(std::all_of(component.thresholdVector.begin() + 6, component.thresholdVector.end(),
                                [](std::int16_t v) { return v == 0; }));
        EXPECT_EQ(component.sampleLevels, 0);
    }
    EXPECT_EQ(settings.component(kComponentA).discardLevels, 0);
    EXPECT_EQ(settings.component(kComponentB).discardLevels, 2);
    EXPECT_EQ(settings.component(kComponentC).discardLevels, 2);
}

TEST(CodecSettingsTest, RecordsAreIndependent)
{
    CodecSettings first;
    const CodecSettings second;
    first.qualityFactor = 10;
    first.components[kComponentB].quantizeVector[0] = 99;
    EXPECT_EQ(second.qualityFactor, 50);
    EXPECT_EQ(second.component(kComponentB).quantizeVector[0], 4);
    EXPECT_EQ(CodecSettings{}, second);
}

} // namespace
} // namespace tamr
