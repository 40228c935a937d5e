#include "image/InverseColourMap.h"

#include <algorithm>
#include <array>
#include <limits>

#include "image/MedianCut.h"

namespace tamr {
namespace {

// Weights of blue, green and red in the colour distance.
constexpr int kBlueWeight = 1;
constexpr int kGreenWeight = 3;
constexpr int kRedWeight = 2;

// The span of cell centres of a block along one axis.
struct AxisRange {
    int min;
    int max;
    int Centre() const { return (min + max) / 2; }
};

// Weighted distances of one palette value to a block along one axis: the
// nearest and the farthest point of the range.
struct AxisDistances {
    int near;
    int far;
};

AxisDistances DistancesTo(int value, AxisRange range, int weight)
{
    if (value < range.min)
        return {weight * (value - range.min), weight * (value - range.max)};
    if (value > range.max)
        return {weight * (value - range.max), weight * (value - range.min)};
    return {0, value <= range.Centre() ? weight * (value - range.max) : weight * (value - range.min)};
}

int Squared(int value)
{
    return value * value;
}

int Distance(int blue, int green, int red, const ColourTriple& colour)
{
    return Squared(kBlueWeight * (blue - colour[0])) + Squared(kGreenWeight * (green - colour[1])) +
           Squared(kRedWeight * (red - colour[2]));
}

// Cell centres: cells are 8 blue, 4 green and 8 red values wide.
constexpr int kBlueCellSize = 8;
constexpr int kGreenCellSize = 4;
constexpr int kRedCellSize = 8;

} // namespace

void FillInverseBlock(ColourCells& cells, CellPosition cell, std::span<const ColourTriple> palette)
{
    const CellPosition first{cell.blue & ~(kBlockBlueCells - 1), cell.green & ~(kBlockGreenCells - 1),
                             cell.red & ~(kBlockRedCells - 1)};
    const int minBlue = first.blue * kBlueCellSize + kBlueCellSize / 2;
    const int minGreen = first.green * kGreenCellSize + kGreenCellSize / 2;
    const int minRed = first.red * kRedCellSize + kRedCellSize / 2;
    const AxisRange blue{minBlue, minBlue + (kBlockBlueCells - 1) * kBlueCellSize};
    const AxisRange green{minGreen, minGreen + (kBlockGreenCells - 1) * kGreenCellSize};
    const AxisRange red{minRed, minRed + (kBlockRedCells - 1) * kRedCellSize};

    // Candidates: no colour whose nearest distance exceeds the smallest
    // farthest distance can be nearest anywhere in the block.
    std::array<int, kMaxPaletteColours> nearest{};
    int smallestFarthest = std::numeric_limits<int>::max();
    const std::size_t colours = std::min(palette.size(), kMaxPaletteColours);
    for (std::size_t i = 0; i < colours; ++i) {
        const AxisDistances b = DistancesTo(palette[i][0], blue, kBlueWeight);
        const AxisDistances g = DistancesTo(palette[i][1], green, kGreenWeight);
        const AxisDistances r = DistancesTo(palette[i][2], red, kRedWeight);
        nearest[i] = Squared(b.near) + Squared(g.near) + Squared(r.near);
        smallestFarthest = std::min(smallestFarthest, Squared(b.far) + Squared(g.far) + Squared(r.far));
    }
    std::array<std::uint8_t, kMaxPaletteColours> candidates{};
    std::size_t candidateCount = 0;
    for (std::size_t i = 0; i < colours; ++i)
        if (nearest[i] <= smallestFarthest)
            candidates[candidateCount++] = static_cast<std::uint8_t>(i);

    for (int i = 0; i < kBlockBlueCells; ++i) {
        for (int j = 0; j < kBlockGreenCells; ++j) {
            for (int k = 0; k < kBlockRedCells; ++k) {
                const int centreBlue = blue.min + kBlueCellSize * i;
                const int centreGreen = green.min + kGreenCellSize * j;
                const int centreRed = red.min + kRedCellSize * k;
                std::uint8_t best = candidates[0];
                int bestDistance = std::numeric_limits<int>::max();
                for (std::size_t c = 0; c < candidateCount; ++c) {
                    const int distance = Distance(centreBlue, centreGreen, centreRed, palette[candidates[c]]);
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = candidates[c];
                    }
                }
                cells.At(first.blue + i, first.green + j, first.red + k) = std::uint32_t{best} + 1;
            }
        }
    }
}

} // namespace tamr
