#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codec/CodecSettings.h"
#include "codec/MasterSetup.h"
#include "codec/QualityFactor.h"

namespace tamr {
namespace {

// The values the dialog shows for the start-up settings.
MasterSetupValues StartValues()
{
    return FromSettings(CodecSettings{});
}

std::string Message(const MasterSetupValues& values)
{
    return ValidateMasterSetup(values).value_or("");
}

TEST(MasterSetupTest, TakesTheInUseEntriesOnOpening)
{
    const MasterSetupValues values = StartValues();
    EXPECT_EQ(values.totalLevels, 5);
    EXPECT_EQ(values.quantizeVectors[kComponentA], "  6,  6,  0, 12, 12,  6, 24, 24, 24, 30, 30, 30, 40, 40, 40, 50");
    EXPECT_EQ(values.quantizeVectors[kComponentC], "  4,  4,  0,  8,  8,  0,  8,  8,  8, 12, 12,  8, 16, 16, 12, 24");
    EXPECT_EQ(values.thresholdVector, " 28, 23, 15, 10,  7,  5");
    EXPECT_EQ(values.discardLevels, (std::array<int, 3>{0, 2, 2}));
    EXPECT_EQ(values.sampleLevels, (std::array<int, 3>{0, 0, 0}));
}

TEST(MasterSetupTest, StartValuesAreAccepted)
{
    EXPECT_EQ(ValidateMasterSetup(StartValues()), std::nullopt);
}

TEST(MasterSetupTest, TotalLevels)
{
    MasterSetupValues values = StartValues();
    values.totalLevels = 7;
    EXPECT_EQ(Message(values), "Total levels cannot larger than 6");
    values.totalLevels = -1; // compared unsigned
    EXPECT_EQ(Message(values), "Total levels cannot larger than 6");
    values.totalLevels = 0;
    EXPECT_EQ(Message(values), "Total levels should not be 0");
    values.totalLevels = 1;
    values.discardLevels = {0, 1, 1};
    EXPECT_EQ(ValidateMasterSetup(values), std::nullopt);
    values.totalLevels = 6;
    EXPECT_EQ(ValidateMasterSetup(values), std::nullopt);
}

TEST(MasterSetupTest, DiscardLevelsUpToTotalLevels)
{
    MasterSetupValues values = StartValues();
    values.totalLevels = 6;
    values.discardLevels = {6, 6, 6};
    EXPECT_EQ(ValidateMasterSetup(values), std::nullopt);
    values.discardLevels = {7, 0, 0};
    EXPECT_EQ(Message(values), "A discarded levels cannot larger than total levels");
    values.discardLevels = {-1, 0, 0};
    EXPECT_EQ(Message(values), "A discarded levels cannot larger than total levels");
    values.discardLevels = {0, 7, 0};
    EXPECT_EQ(Message(values), "B discarded levels cannot larger than total levels");
    values.discardLevels = {0, 0, -2};
    EXPECT_EQ(Message(values), "C discarded levels cannot larger than total levels");
}

TEST(MasterSetupTest, SampleLevels)
{
    MasterSetupValues values = StartValues();
    values.sampleLevels = {1, 0, 0};
    EXPECT_EQ(Message(values), "A subsample levels must be zero");
    const std::string bcMessage = "B subsample levels must be 0 or 1 and equal to C subsample levels";
    values.sampleLevels = {0, 2, 2};
    EXPECT_EQ(Message(values), bcMessage);
    values.sampleLevels = {0, -1, -1};
    EXPECT_EQ(Message(values), bcMessage);
    values.sampleLevels = {0, 1, 0};
    EXPECT_EQ(Message(values), bcMessage);
    values.sampleLevels = {0, 0, 1};
    EXPECT_EQ(Message(values), bcMessage);
    values.sampleLevels = {0, 1, 1};
    EXPECT_EQ(ValidateMasterSetup(values), std::nullopt);
}

TEST(MasterSetupTest, FirstBrokenRuleIsReported)
{
    MasterSetupValues values = StartValues();
    values.quantizeVectors[kComponentB] = "500";
    values.sampleLevels = {1, 2, 0};
    values.discardLevels = {0, 9, 9};
    values.totalLevels = 0;
    EXPECT_EQ(Message(values), "Total levels should not be 0");
    values.totalLevels = 3;
    EXPECT_EQ(Message(values), "B discarded levels cannot larger than total levels");
    values.discardLevels = {0, 3, 9};
    EXPECT_EQ(Message(values), "C discarded levels cannot larger than total levels");
    values.discardLevels = {0, 3, 3};
    EXPECT_EQ(Message(values), "A subsample levels must be zero");
    values.sampleLevels = {0, 2, 0};
    EXPECT_EQ(Message(values), "B subsample levels must be 0 or 1 and equal to C subsample levels");
    values.sampleLevels = {0, 0, 0};
    EXPECT_EQ(Message(values), "Quantize vector values cannot be larger than 125");
}

TEST(MasterSetupTest, QuantizeValuesAboveOneHundredTwentyFiveAreRefused)
{
    MasterSetupValues values = StartValues();
    values.quantizeVectors[kComponentC] = "125";
    EXPECT_EQ(ValidateMasterSetup(values), std::nullopt);
    values.quantizeVectors[kComponentC] = "4, 4, 126";
    EXPECT_EQ(Message(values), "Quantize vector values cannot be larger than 125");
    // Would have wrapped round to 8 had it been kept in 16 bits.
    values.quantizeVectors[kComponentC] = "65544";
    EXPECT_EQ(Message(values), "Quantize vector values cannot be larger than 125");
}

TEST(MasterSetupTest, OnlyTheInUseQuantizeEntriesAreChecked)
{
    MasterSetupValues values = StartValues();
    // Five levels use 16 entries; the 17th is never read.
    std::string text;
    for (int entry = 0; entry < 16; ++entry) {
        text += "4,";
    }
    values.quantizeVectors[kComponentA] = text + "999";
    EXPECT_EQ(ValidateMasterSetup(values), std::nullopt);
    values.totalLevels = 6;
    EXPECT_EQ(Message(values), "Quantize vector values cannot be larger than 125");
}

TEST(MasterSetupTest, OpenedAndAppliedUnchangedLeavesTheSettingsAlone)
{
    CodecSettings settings;
    settings.qualityFactor = 73;
    ApplyQualityFactor(settings);
    const CodecSettings before = settings;
    ApplyMasterSetup(FromSettings(settings), settings);
    EXPECT_EQ(settings, before);
}

TEST(MasterSetupTest, AppliesLevelsVectorsAndComponentAThresholds)
{
    CodecSettings settings;
    const CodecSettings mapped = settings;
    MasterSetupValues values = FromSettings(settings);
    values.totalLevels = 2;
    values.quantizeVectors = {"10, 20, 30, 40", "1,2", ""};
    values.thresholdVector = "50 40";
    values.discardLevels = {1, 2, 2};
    values.sampleLevels = {0, 1, 1};
    ASSERT_EQ(ValidateMasterSetup(values), std::nullopt);
    ApplyMasterSetup(values, settings);

    EXPECT_EQ(settings.totalLevels, 2);
    EXPECT_EQ(settings.qualityFactor, 50);
    const auto head = [](const auto& vector, int count) {
        return std::vector<std::int16_t>(vector.begin(), vector.begin() + count);
    };
    EXPECT_EQ(head(settings.components[0].quantizeVector, 7), (std::vector<std::int16_t>{10, 20, 30, 40, 40, 40, 40}));
    EXPECT_EQ(head(settings.components[1].quantizeVector, 7), (std::vector<std::int16_t>{1, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(head(settings.components[2].quantizeVector, 7), (std::vector<std::int16_t>(7, 0)));
    EXPECT_EQ(head(settings.components[0].thresholdVector, 3), (std::vector<std::int16_t>{50, 40, 40}));
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        EXPECT_EQ(settings.components[c].discardLevels, values.discardLevels[c]);
        EXPECT_EQ(settings.components[c].sampleLevels, values.sampleLevels[c]);
        // Entries past 3·L+1 keep what the quality mapping gave them.
        EXPECT_EQ(settings.components[c].quantizeVector[7], mapped.components[c].quantizeVector[7]);
    }
    EXPECT_EQ(settings.components[0].thresholdVector[3], mapped.components[0].thresholdVector[3]);
    // B and C keep the thresholds of the quality mapping.
    EXPECT_EQ(settings.components[1].thresholdVector, mapped.components[1].thresholdVector);
    EXPECT_EQ(settings.components[2].thresholdVector, mapped.components[2].thresholdVector);
}

TEST(MasterSetupTest, OpeningWithSixLevelsShowsNineteenEntries)
{
    CodecSettings settings;
    settings.totalLevels = 6;
    ApplyQualityFactor(settings);
    const MasterSetupValues values = FromSettings(settings);
    EXPECT_EQ(values.quantizeVectors[kComponentB].size(), 19u * 4 - 1);
    EXPECT_EQ(values.thresholdVector.size(), 7u * 4 - 1);
}

TEST(MasterSetupTest, RefusedLevelCountsStayInsideTheVectors)
{
    CodecSettings settings;
    settings.totalLevels = 40;
    MasterSetupValues values = FromSettings(settings);
    EXPECT_EQ(values.quantizeVectors[kComponentA].size(), 31u * 4 - 1);
    values.quantizeVectors[kComponentA] = "9";
    values.thresholdVector = "8";
    ApplyMasterSetup(values, settings);
    EXPECT_EQ(settings.components[0].quantizeVector[30], 9);
    EXPECT_EQ(settings.components[0].thresholdVector[30], 8);

    values.totalLevels = -2;
    values.quantizeVectors[kComponentA] = "1";
    ApplyMasterSetup(values, settings);
    EXPECT_EQ(settings.components[0].quantizeVector[0], 9);
}

} // namespace
} // namespace tamr
