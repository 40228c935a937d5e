#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <set>

#include "image/MedianCut.h"
#include "support/QuantiseTestImage.h"

namespace tamr {
namespace {

using test::QuantiseTestImage;

QuantiseImage ViewOf(QuantiseTestImage& image)
{
    return {image.source, image.index, image.width, image.height};
}

ColourBox WholeSpace()
{
    return ColourBox{0, kBlueCells - 1, 0, kGreenCells - 1, 0, kRedCells - 1, 0, 0};
}

TEST(MedianCutTest, CountPixelsCountsEveryPixelOfEveryRowAndNoPadding)
{
    // Width 3: every source row has 3 padding bytes, filled with a marker colour.
    QuantiseTestImage image(3, 5, {0, 0, 0});
    image.Set(2, 4, {255, 255, 255});
    image.Set(1, 2, {9, 9, 9});
    ColourCells cells;
    CountPixels(ViewOf(image), cells);
    EXPECT_EQ(cells.At(0, 0, 0), 13u);
    EXPECT_EQ(cells.At(31, 63, 31), 1u);
    EXPECT_EQ(cells.At(1, 2, 1), 1u);
    // The padding marker 0xEE would land in cell (29, 59, 29).
    EXPECT_EQ(cells.At(29, 59, 29), 0u);
}

TEST(MedianCutTest, CountsStopAtTheLargestValue)
{
    QuantiseTestImage image(2, 1, {0, 0, 0});
    ColourCells cells;
    cells.At(0, 0, 0) = std::numeric_limits<std::uint32_t>::max() - 1;
    CountPixels(ViewOf(image), cells);
    EXPECT_EQ(cells.At(0, 0, 0), std::numeric_limits<std::uint32_t>::max());
}

TEST(MedianCutTest, ShrinkSearchesTheAxesInTurnWithinTheBoundsFoundSoFar)
{
    ColourCells cells;
    cells.At(3, 10, 7) = 1;
    cells.At(20, 40, 2) = 1;
    ColourBox box = WholeSpace();
    ShrinkBox(cells, box);
    EXPECT_EQ(box.blueMin, 3);
    EXPECT_EQ(box.blueMax, 20);
    EXPECT_EQ(box.greenMin, 10);
    EXPECT_EQ(box.greenMax, 40);
    EXPECT_EQ(box.redMin, 2);
    EXPECT_EQ(box.redMax, 7);
    // (17·8)² + (30·12)² + (5·16)² = 18496 + 129600 + 6400.
    EXPECT_EQ(box.volume, 154496u);
    EXPECT_EQ(box.colourCellCount, 2u);

    // A box cut off from the occupied green slice: blue shrinks to the one
    // occupied blue slice inside its green range only.
    ColourBox lower{0, 31, 0, 20, 0, 31, 0, 0};
    ShrinkBox(cells, lower);
    EXPECT_EQ(lower, (ColourBox{3, 3, 10, 10, 7, 7, 0, 1}));
}

TEST(MedianCutTest, TheLargestBoxVolumeIsHeldAtFullWidth)
{
    ColourCells cells;
    cells.At(0, 0, 0) = 1;
    cells.At(31, 63, 31) = 1;
    ColourBox box = WholeSpace();
    ShrinkBox(cells, box);
    EXPECT_EQ(box.volume, 879056u); // 248² + 756² + 496²
}

TEST(MedianCutTest, HandCheckedCutOfThreeCellsAlongRed)
{
    // Blue and green have one slice each, so red is cut at (0 + 31) / 2 = 15.
    ColourCells cells;
    cells.At(0, 0, 0) = 1;  // (0, 0, 0)
    cells.At(0, 0, 16) = 3; // (0, 0, 128)
    cells.At(0, 0, 31) = 1; // (0, 0, 255)
    ColourBoxes boxes{};
    ASSERT_EQ(CutBoxes(cells, 2, boxes), 2u);
    EXPECT_EQ(boxes[0], (ColourBox{0, 0, 0, 0, 0, 0, 0, 1}));
    // Red 16..31 keeps two cells: volume (15·16)².
    EXPECT_EQ(boxes[1], (ColourBox{0, 0, 0, 0, 16, 31, 57600, 2}));
    // Cell centres: red 8·16 + 4 = 132 (3 pixels) and 252 (1 pixel):
    // (3·132 + 252 + 2) / 4 = 162; blue 4 and green 2 throughout.
    EXPECT_EQ(BoxColour(cells, boxes[0]), (ColourTriple{4, 2, 4}));
    EXPECT_EQ(BoxColour(cells, boxes[1]), (ColourTriple{4, 2, 162}));
}

TEST(MedianCutTest, OneBoxAveragesAllCellCentresByTheirCounts)
{
    ColourCells cells;
    cells.At(0, 0, 0) = 3;
    cells.At(31, 63, 31) = 1;
    ColourBoxes boxes{};
    ASSERT_EQ(CutBoxes(cells, 1, boxes), 1u);
    // Blue and red: (3·4 + 252 + 2) / 4 = 66; green: (3·2 + 254 + 2) / 4 = 65.
    EXPECT_EQ(BoxColour(cells, boxes[0]), (ColourTriple{66, 65, 66}));
}

TEST(MedianCutTest, ManyBoxesToGoCutTheMostOccupiedBoxFewCutTheLargestVolume)
{
    // Box X: eight green cells close together (small volume, many cells).
    // Box Y: two red cells far apart (large volume, two cells).
    ColourCells cells;
    for (int green = 0; green < 8; ++green)
        cells.At(0, green, 0) = 1;
    cells.At(0, 63, 0) = 1;
    cells.At(0, 63, 31) = 1;

    // The first cut is along green at 31, separating X (box 0) from Y (box 1).
    // With 3 colours wanted, 3 < 2·2: the larger volume, Y, is cut along red.
    ColourBoxes few{};
    ASSERT_EQ(CutBoxes(cells, 3, few), 3u);
    EXPECT_EQ(few[0], (ColourBox{0, 0, 0, 7, 0, 0, 84 * 84, 8}));
    EXPECT_EQ(few[1], (ColourBox{0, 0, 63, 63, 0, 0, 0, 1}));
    EXPECT_EQ(few[2], (ColourBox{0, 0, 63, 63, 31, 31, 0, 1}));

    // With 4 wanted, 4 < 2·2 does not hold: the box with most occupied cells,
    // X, is cut (along green at 3); then 4 < 2·3, and Y has the largest volume.
    ColourBoxes more{};
    ASSERT_EQ(CutBoxes(cells, 4, more), 4u);
    EXPECT_EQ(more[0], (ColourBox{0, 0, 0, 3, 0, 0, 36 * 36, 4}));
    EXPECT_EQ(more[1], few[1]);
    EXPECT_EQ(more[2], (ColourBox{0, 0, 4, 7, 0, 0, 36 * 36, 4}));
    EXPECT_EQ(more[3], few[2]);

    // In the end every occupied cell has a box of its own.
    ColourBoxes all{};
    ASSERT_EQ(CutBoxes(cells, 256, all), 10u);
    std::set<std::tuple<int, int, int>> seen;
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(all[i].volume, 0u);
        EXPECT_EQ(all[i].colourCellCount, 1u);
        seen.insert({all[i].blueMin, all[i].greenMin, all[i].redMin});
    }
    EXPECT_EQ(seen.size(), 10u);
}

TEST(MedianCutTest, NoBoxOfVolumeZeroIsCutSoFewCellsGiveFewColours)
{
    std::mt19937 random(5);
    for (const std::size_t occupied : {1u, 2u, 37u, 255u, 256u}) {
        ColourCells cells;
        std::set<std::tuple<int, int, int>> chosen;
        while (chosen.size() < occupied) {
            const int b = static_cast<int>(random() % kBlueCells);
            const int g = static_cast<int>(random() % kGreenCells);
            const int r = static_cast<int>(random() % kRedCells);
            if (chosen.insert({b, g, r}).second)
                cells.At(b, g, r) = 1 + random() % 50;
        }
        ColourBoxes boxes{};
        const std::size_t count = CutBoxes(cells, 256, boxes);
        ASSERT_EQ(count, occupied);
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(boxes[i].volume, 0u);
            EXPECT_EQ(boxes[i].colourCellCount, 1u);
            EXPECT_EQ(chosen.count({boxes[i].blueMin, boxes[i].greenMin, boxes[i].redMin}), 1u);
        }
    }
}

TEST(MedianCutTest, MoreOccupiedCellsThanColoursGiveExactlyTheColoursWanted)
{
    std::mt19937 random(11);
    ColourCells cells;
    for (int i = 0; i < 3000; ++i)
        cells.At(static_cast<int>(random() % kBlueCells), static_cast<int>(random() % kGreenCells),
                 static_cast<int>(random() % kRedCells)) += 1;
    ColourBoxes boxes{};
    ASSERT_EQ(CutBoxes(cells, 256, boxes), 256u);
    // Every occupied cell lies in exactly one box.
    std::uint32_t total = 0;
    for (const ColourBox& box : boxes)
        total += box.colourCellCount;
    std::uint32_t occupied = 0;
    for (int b = 0; b < kBlueCells; ++b)
        for (int g = 0; g < kGreenCells; ++g)
            for (int r = 0; r < kRedCells; ++r)
                occupied += cells.At(b, g, r) != 0 ? 1 : 0;
    EXPECT_EQ(total, occupied);
}

TEST(MedianCutTest, MarkBoxesNumbersEveryCellOfEachBoxFromOne)
{
    ColourCells cells;
    const std::array<ColourBox, 2> boxes{ColourBox{0, 1, 0, 0, 0, 0, 0, 0}, ColourBox{5, 5, 2, 3, 4, 4, 0, 0}};
    MarkBoxes(cells, boxes);
    EXPECT_EQ(cells.At(0, 0, 0), 1u);
    EXPECT_EQ(cells.At(1, 0, 0), 1u); // empty before, numbered all the same
    EXPECT_EQ(cells.At(5, 2, 4), 2u);
    EXPECT_EQ(cells.At(5, 3, 4), 2u);
    EXPECT_EQ(cells.At(2, 0, 0), 0u);
    EXPECT_EQ(cells.At(5, 4, 4), 0u);
}

} // namespace
} // namespace tamr
