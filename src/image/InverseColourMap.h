#pragma once
// The inverse colour map: colour cells filled lazily with the nearest palette
// colour, one aligned block of 4 × 8 × 4 cells (blue × green × red) at a time
// and only for blocks that pixels reach.
//
// Distances weight blue by 1, green by 3 and red by 2, and are measured from
// the cell centres. A block fill first keeps only the colours that can be
// nearest anywhere in the block: those whose smallest possible distance to the
// block is not above the smallest largest-possible distance of any colour.

#include <cstdint>
#include <span>

#include "image/ColourCells.h"
#include "image/FixedColourTable.h"

namespace tamr {

inline constexpr int kBlockBlueCells = 4;
inline constexpr int kBlockGreenCells = 8;
inline constexpr int kBlockRedCells = 4;

// Sets all 128 cells of the block holding `cell` to the index + 1 of the
// palette colour nearest to each cell's centre (the earlier colour on equal
// distance), whatever they held. The palette holds 1 to 256 colours.
void FillInverseBlock(ColourCells& cells, CellPosition cell, std::span<const ColourTriple> palette);

// The palette index of a colour: its cell's entry, its block filled first
// when the cell holds 0.
inline std::uint8_t PaletteIndexFor(ColourCells& cells, int blue, int green, int red,
                                    std::span<const ColourTriple> palette)
{
    const CellPosition cell = CellOf(blue, green, red);
    std::uint32_t& entry = cells.At(cell);
    if (entry == 0)
        FillInverseBlock(cells, cell, palette);
    return static_cast<std::uint8_t>(entry - 1);
}

} // namespace tamr
