#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "codec/CodecSettings.h"
#include "codec/VectorText.h"

namespace tamr {
namespace {

using Entries = std::vector<std::int16_t>;

TEST(ParseVectorTest, MissingEntriesRepeatTheLastNumber)
{
    Entries expected(16, 12);
    expected[0] = 8;
    EXPECT_EQ(ParseVector("8, 12", 16), expected);
}

TEST(ParseVectorTest, NoNumberAtAllGivesZeros)
{
    EXPECT_EQ(ParseVector("", 4), Entries(4, 0));
    EXPECT_EQ(ParseVector(" , ;x", 4), Entries(4, 0));
}

TEST(ParseVectorTest, AnythingButDigitsSeparates)
{
    EXPECT_EQ(ParseVector("  4,  4,  0", 3), (Entries{4, 4, 0}));
    EXPECT_EQ(ParseVector("1a2/3 4", 4), (Entries{1, 2, 3, 4}));
    EXPECT_EQ(ParseVector("007,010", 2), (Entries{7, 10}));
}

TEST(ParseVectorTest, SignsAreNotRecognised)
{
    EXPECT_EQ(ParseVector("-5, +6", 2), (Entries{5, 6}));
}

TEST(ParseVectorTest, ReadsOnlyTheEntriesAskedFor)
{
    EXPECT_EQ(ParseVector("1 2 3 4", 2), (Entries{1, 2}));
    EXPECT_TRUE(ParseVector("1 2 3", 0).empty());
    EXPECT_TRUE(ParseVector("1 2 3", -1).empty());
}

TEST(ParseVectorTest, NumbersBeyondSixteenBitsSaturate)
{
    EXPECT_EQ(ParseVector("32767", 1), (Entries{32767}));
    EXPECT_EQ(ParseVector("32768", 1), (Entries{32767}));
    // 65544 would wrap round to 8 in 16 bits.
    EXPECT_EQ(ParseVector("65544, 3", 2), (Entries{32767, 3}));
    EXPECT_EQ(ParseVector("99999999999999999999", 2), (Entries{32767, 32767}));
}

TEST(FormatVectorTest, RightAlignsInThreeColumnsWithoutATrailingComma)
{
    const Entries entries{4, 4, 0};
    EXPECT_EQ(FormatVector(entries), "  4,  4,  0");
    EXPECT_EQ(FormatVector(Entries{7}), "  7");
    EXPECT_EQ(FormatVector(Entries{}), "");
}

TEST(FormatVectorTest, WideValuesTakeTheRoomTheyNeed)
{
    EXPECT_EQ(FormatVector(Entries{1234, -5, 110}), "1234, -5,110");
}

TEST(VectorTextTest, FormattedSettingsVectorsParseBack)
{
    const CodecSettings settings;
    for (const ComponentSettings& component : settings.components) {
        const std::span<const std::int16_t> quantize(component.quantizeVector);
        EXPECT_EQ(ParseVector(FormatVector(quantize), 31), Entries(quantize.begin(), quantize.end()));
    }
    const Entries wide{0, 9, 10, 99, 100, 125, 999, 1000, 32767};
    EXPECT_EQ(ParseVector(FormatVector(wide), static_cast<int>(wide.size())), wide);
}

} // namespace
} // namespace tamr
