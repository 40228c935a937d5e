// The sixteen entries of the Filters dialog's list: names, operations and the
// texts "Default" puts into the eleven edits, row for row as the dialog shows them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enhance/FilterList.h"

namespace tamr {
namespace {

struct Row {
    const char* name;
    FilterOperation operation;
    std::vector<std::string> edits; // k0 ... k8, divisor, intensity
};

using enum FilterOperation;

const std::vector<Row> kTable = {
    {"Edge enhance", Convolve, {"-1", "-1", "-1", "-1", "10", "-1", "-1", "-1", "-1", "2", "X"}},
    {"Edge enhance+", Convolve, {"-1", "-1", "-1", "-1", "9", "-1", "-1", "-1", "-1", "1", "X"}},
    {"Edge detect", Convolve, {"-1", "-1", "-1", "-1", "8", "-1", "-1", "-1", "-1", "1", "X"}},
    {"Detail", Convolve, {"0", "-1", "0", "-1", "10", "-1", "0", "-1", "0", "6", "X"}},
    {"Smooth", Convolve, {"1", "1", "1", "1", "5", "1", "1", "1", "1", "13", "X"}},
    {"Sharpen", Convolve, {"-2", "-2", "-2", "-2", "32", "-2", "-2", "-2", "-2", "16", "X"}},
    {"Brighten", Convolve, {"1", "1", "1", "1", "100", "1", "1", "1", "1", "90", "X"}},
    {"Despeckle", Despeckle, {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "4"}},
    {"Anti-alias", AntiAlias, {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"}},
    {"Alias", Alias, {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"}},
    {"Erode", Erode, {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"}},
    {"Dilate", Dilate, {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"}},
    {"Fill across", FillAcross, {"X", "X", "X", "0", "255", "0", "X", "X", "X", "X", "X"}},
    {"Fill down", FillDown, {"X", "0", "X", "X", "255", "X", "X", "0", "X", "X", "X"}},
    {"Fill angles", FillAngles, {"0", "X", "0", "X", "255", "X", "0", "X", "0", "X", "X"}},
    {"Negative", Negative, {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"}},
};

std::vector<std::string> Texts(const FilterEditTexts& texts)
{
    return {texts.begin(), texts.end()};
}

TEST(FilterListTest, EntriesInListOrderWithTheirDefaults)
{
    const auto list = FilterList();
    ASSERT_EQ(list.size(), kTable.size());
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        EXPECT_EQ(list[i].name, kTable[i].name) << i;
        EXPECT_EQ(list[i].operation, kTable[i].operation) << kTable[i].name;
        EXPECT_EQ(Texts(list[i].defaults), kTable[i].edits) << kTable[i].name;
    }
}

TEST(FilterListTest, NoSelectionConvolvesWithAZeroKernel)
{
    EXPECT_EQ(NoSelectionFilter().operation, Convolve);
    EXPECT_EQ(Texts(NoSelectionFilter().defaults),
              (std::vector<std::string>{"0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "X"}));
}

TEST(FilterListTest, EditTextsBecomeTheKernel)
{
    const std::array<std::string_view, kFilterEditCount> texts{"-1", "X",   " 7",   "+3", "",  "12abc",
                                                               "-0", "300", "-300", "0",  "-3"};
    const FilterParameters parameters = ParseEditTexts(texts);
    // Read as typed; clamping and the divisor rule come when a filter prepares its kernel.
    EXPECT_EQ(parameters.kernel.k, (std::array<std::int32_t, 9>{-1, 0, 7, 3, 0, 12, 0, 300, -300}));
    EXPECT_EQ(parameters.kernel.divisor, 0);
    EXPECT_EQ(parameters.intensity, -3);
    const FilterKernel prepared = PrepareKernel(parameters.kernel);
    EXPECT_EQ(prepared.k[7], 255);
    EXPECT_EQ(prepared.k[8], -255);
    EXPECT_EQ(prepared.divisor, 1);
}

} // namespace
} // namespace tamr
