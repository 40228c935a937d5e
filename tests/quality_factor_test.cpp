#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "codec/CodecSettings.h"
#include "codec/QualityFactor.h"
#include "codec/QualityTables.h"

namespace tamr {
namespace {

constexpr std::int16_t kUntouched = -7;

// A record whose vectors hold a marker, to see which entries the mapping writes.
CodecSettings MarkedSettings(int quality, int levels)
{
    CodecSettings settings;
    for (ComponentSettings& component : settings.components) {
        component.quantizeVector.fill(kUntouched);
        component.thresholdVector.fill(kUntouched);
        component.discardLevels = kUntouched;
        component.sampleLevels = kUntouched;
    }
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    settings.totalLevels = static_cast<std::int16_t>(levels);
    return settings;
}

CodecSettings Mapped(int quality, int levels)
{
    CodecSettings settings = MarkedSettings(quality, levels);
    ApplyQualityFactor(settings);
    return settings;
}

std::array<int, 3> Discards(const CodecSettings& settings)
{
    return {settings.components[0].discardLevels, settings.components[1].discardLevels,
            settings.components[2].discardLevels};
}

// ---- the tables ----------------------------------------------------------

TEST(QualityTablesTest, QuantTableRowSums)
{
    // Sums of the 31 entries of every decade's A, B and C rows.
    const int expected[kQualityDecades][3] = {
        {908, 556, 556},    {1064, 583, 583},   {1167, 612, 612},   {1204, 618, 618},
        {1342, 626, 626},   {1474, 732, 706},   {1732, 1216, 990},  {2350, 1466, 1466},
        {2550, 1722, 1722}, {2630, 1934, 1934}, {3100, 3100, 3100},
    };
    for (int t = 0; t < kQualityDecades; ++t) {
        for (int c = 0; c < 3; ++c) {
            const auto& row = QualityQuantTable[t][c];
            EXPECT_EQ(std::accumulate(row.begin(), row.end(), 0), expected[t][c]) << "decade " << t << " row " << c;
        }
    }
}

TEST(QualityTablesTest, QuantTableSpotEntries)
{
    EXPECT_EQ(QualityQuantTable[0][0][14], 8);
    EXPECT_EQ(QualityQuantTable[1][0][14], 12);
    EXPECT_EQ(QualityQuantTable[3][1][14], 7);
    EXPECT_EQ(QualityQuantTable[3][0][5], 7);
    EXPECT_EQ(QualityQuantTable[4][0][5], 6);
    EXPECT_EQ(QualityQuantTable[4][0][30], 100);
    EXPECT_EQ(QualityQuantTable[5][2][11], 8);
    EXPECT_EQ(QualityQuantTable[5][1][11], 12);
    EXPECT_EQ(QualityQuantTable[6][0][30], 110);
    EXPECT_EQ(QualityQuantTable[6][2][20], 40);
    EXPECT_EQ(QualityQuantTable[7][0][2], 20);
    EXPECT_EQ(QualityQuantTable[7][0][5], 30);
    EXPECT_EQ(QualityQuantTable[8][1][8], 24);
    EXPECT_EQ(QualityQuantTable[9][2][6], 40);
    EXPECT_EQ(QualityQuantTable[10][2][0], 100);
}

TEST(QualityTablesTest, ThresholdTableRows)
{
    using Row = std::array<std::int16_t, kQualityThresholdLevels>;
    EXPECT_EQ(QualityThresholdTable[0], (Row{190, 170, 160, 150, 120, 50, 20, 10, 10, 10, 5}));
    EXPECT_EQ(QualityThresholdTable[1], (Row{172, 155, 145, 136, 110, 48, 18, 10, 10, 10, 5}));
    EXPECT_EQ(QualityThresholdTable[20], (Row{43, 38, 30, 24, 19, 15, 5, 5, 5, 5, 5}));
    EXPECT_EQ(QualityThresholdTable[39], (Row{33, 26, 20, 16, 15, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(QualityThresholdTable[66], (Row{18, 12, 12, 10, 6, 5, 4, 4, 4, 4, 4}));
    EXPECT_EQ(QualityThresholdTable[97], (Row{2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(QualityThresholdTable[99], (Row{}));
}

TEST(QualityTablesTest, ThresholdTableSums)
{
    int total = 0;
    for (const auto& row : QualityThresholdTable) {
        total += std::accumulate(row.begin(), row.end(), 0);
    }
    EXPECT_EQ(total, 16954);
    const std::array<std::pair<int, int>, 5> rowSums = {{{5, 515}, {50, 113}, {57, 99}, {94, 22}, {99, 0}}};
    for (const auto& [q, sum] : rowSums) {
        const auto& row = QualityThresholdTable[q];
        EXPECT_EQ(std::accumulate(row.begin(), row.end(), 0), sum) << "quality " << q;
    }
}

// ---- the mapping ---------------------------------------------------------

TEST(ApplyQualityFactorTest, QualityHundredChangesNothing)
{
    const CodecSettings before = MarkedSettings(100, 5);
    CodecSettings after = before;
    ApplyQualityFactor(after);
    EXPECT_EQ(after, before);
}

TEST(ApplyQualityFactorTest, QualityOutsideTheTablesChangesNothing)
{
    for (const int quality : {-1, 101, 1000}) {
        const CodecSettings before = MarkedSettings(quality, 5);
        CodecSettings after = before;
        ApplyQualityFactor(after);
        EXPECT_EQ(after, before) << "quality " << quality;
    }
}

TEST(ApplyQualityFactorTest, QualityZeroUsesDecadeZeroAndRowZero)
{
    const CodecSettings s = Mapped(0, 5);
    const std::vector<std::int16_t> a(s.components[0].quantizeVector.begin(),
                                      s.components[0].quantizeVector.begin() + 18);
    EXPECT_EQ(a, (std::vector<std::int16_t>{4, 4, 0, 4, 4, 0, 6, 6, 4, 8, 8, 6, 8, 8, 8, 30, 30, 30}));
    for (const ComponentSettings& component : s.components) {
        EXPECT_EQ(component.thresholdVector[0], 190);
        EXPECT_EQ(component.thresholdVector[5], 50);
        EXPECT_EQ(component.sampleLevels, 0);
    }
    EXPECT_EQ(Discards(s), (std::array<int, 3>{2, 4, 4}));
}

TEST(ApplyQualityFactorTest, QualityNinetyNineIsNinetyPercentTowardsDecadeTen)
{
    const CodecSettings s = Mapped(99, 5);
    const auto& a = s.components[0].quantizeVector;
    EXPECT_EQ(a[0], 94); // 45 + 55·9/10
    EXPECT_EQ(a[2], 94); // 40 + 60·9/10
    EXPECT_EQ(a[3], 96);
    EXPECT_EQ(a[9], 98);
    EXPECT_EQ(a[12], 99);
    EXPECT_EQ(a[15], 100);
    const auto& b = s.components[1].quantizeVector;
    EXPECT_EQ(b[0], 91); // 12 + 792/10
    EXPECT_EQ(b[2], 90); // 8 + 828/10
    EXPECT_EQ(b[6], 94);
    EXPECT_EQ(b[15], 97);
    for (const ComponentSettings& component : s.components) {
        for (int level = 0; level <= 5; ++level) {
            EXPECT_EQ(component.thresholdVector[level], 0);
        }
    }
    EXPECT_EQ(Discards(s), (std::array<int, 3>{0, 0, 0}));
}

TEST(ApplyQualityFactorTest, InterpolatesInsideADecade)
{
    // q = 57: decade 5, seven tenths of the way to decade 6.
    const CodecSettings s = Mapped(57, 5);
    const auto& a = s.components[0].quantizeVector;
    EXPECT_EQ(a[0], 7);  // 6 + 14/10
    EXPECT_EQ(a[3], 14); // 12 + 28/10
    EXPECT_EQ(a[5], 7);
    EXPECT_EQ(a[6], 29); // 24 + 56/10
    EXPECT_EQ(a[9], 37);
    EXPECT_EQ(a[15], 57);
    const auto& b = s.components[1].quantizeVector;
    EXPECT_EQ(b[6], 10);
    EXPECT_EQ(b[9], 20);
    EXPECT_EQ(b[15], 37);
    const auto& c = s.components[2].quantizeVector;
    EXPECT_EQ(c[0], 5);
    EXPECT_EQ(c[5], 2);
    EXPECT_EQ(c[12], 21);
    EXPECT_EQ(c[14], 20);
    EXPECT_EQ(c[15], 28);
    // Thresholds are taken from row 57 itself, not interpolated.
    for (const ComponentSettings& component : s.components) {
        EXPECT_EQ(std::vector<std::int16_t>(component.thresholdVector.begin(), component.thresholdVector.begin() + 6),
                  (std::vector<std::int16_t>{23, 17, 14, 10, 5, 5}));
    }
    EXPECT_EQ(Discards(s), (std::array<int, 3>{0, 2, 2}));
}

TEST(ApplyQualityFactorTest, FallingEntryTruncatesTowardsZero)
{
    // A's entry 5 falls from 7 (decade 3) to 6 (decade 4): −1·r/10 is 0 for every
    // r, so it stays 7 across the decade; rounding down would give 6.
    for (int quality = 31; quality <= 39; ++quality) {
        EXPECT_EQ(Mapped(quality, 5).components[0].quantizeVector[5], 7) << "quality " << quality;
    }
    EXPECT_EQ(Mapped(40, 5).components[0].quantizeVector[5], 6);
    EXPECT_EQ(InterpolateQuantEntry(10, 3, 5), 7); // 10 + (−35)/10
    EXPECT_EQ(InterpolateQuantEntry(3, 10, 5), 6); // 3 + 35/10
}

TEST(ApplyQualityFactorTest, WritesEntriesUpToThreeLPlusTwo)
{
    const CodecSettings s = Mapped(57, 6);
    for (const ComponentSettings& component : s.components) {
        for (int entry = 0; entry <= 20; ++entry) {
            EXPECT_NE(component.quantizeVector[entry], kUntouched) << "entry " << entry;
        }
        for (int entry = 21; entry < 31; ++entry) {
            EXPECT_EQ(component.quantizeVector[entry], kUntouched) << "entry " << entry;
        }
        for (int level = 0; level <= 6; ++level) {
            EXPECT_NE(component.thresholdVector[level], kUntouched) << "level " << level;
        }
        EXPECT_EQ(component.thresholdVector[7], kUntouched);
    }
    EXPECT_EQ(s.components[0].quantizeVector[18], 67); // LL: 60 + 70/10
    EXPECT_EQ(s.components[0].quantizeVector[20], 67); // the two entries past LL come from the same columns
    EXPECT_EQ(s.components[0].thresholdVector[6], 5);
}

TEST(ApplyQualityFactorTest, LargeLevelCountsStayInsideTheVectors)
{
    for (const int levels : {9, 10, 11, 30, 32767}) {
        const CodecSettings s = Mapped(50, levels);
        for (const ComponentSettings& component : s.components) {
            EXPECT_NE(component.quantizeVector[29], kUntouched);
            EXPECT_EQ(component.thresholdVector[11], kUntouched) << "levels " << levels;
        }
    }
    const CodecSettings ten = Mapped(50, 10);
    EXPECT_EQ(ten.components[0].quantizeVector[30], 100);
    EXPECT_EQ(ten.components[0].thresholdVector[10], 5);
}

TEST(ApplyQualityFactorTest, NegativeLevelCountWritesOnlyTheLevels)
{
    const CodecSettings s = Mapped(50, -3);
    EXPECT_EQ(s.components[0].quantizeVector[0], kUntouched);
    EXPECT_EQ(s.components[0].thresholdVector[0], kUntouched);
    EXPECT_EQ(Discards(s), (std::array<int, 3>{0, 2, 2}));
    EXPECT_EQ(s.components[2].sampleLevels, 0);
}

TEST(ApplyQualityFactorTest, DiscardLevelsAtEveryRowBoundary)
{
    struct Case {
        int quality;
        std::array<int, 3> discard;
    };
    const Case cases[] = {
        {0, {2, 4, 4}},  {2, {2, 4, 4}},  {3, {1, 4, 4}},  {6, {1, 4, 4}},  {7, {1, 3, 4}},
        {9, {1, 3, 4}},  {10, {0, 3, 4}}, {19, {0, 3, 4}}, {20, {0, 3, 3}}, {39, {0, 3, 3}},
        {40, {0, 2, 3}}, {49, {0, 2, 3}}, {50, {0, 2, 2}}, {84, {0, 2, 2}}, {85, {0, 1, 2}},
        {94, {0, 1, 2}}, {95, {0, 1, 1}}, {98, {0, 1, 1}}, {99, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Discards(Mapped(c.quality, 5)), c.discard) << "quality " << c.quality;
    }
}

TEST(ApplyQualityFactorTest, NinetyFourAndNinetyFiveDifferInCDiscard)
{
    EXPECT_EQ(Mapped(94, 5).components[2].discardLevels, 2);
    EXPECT_EQ(Mapped(95, 5).components[2].discardLevels, 1);
}

} // namespace
} // namespace tamr
