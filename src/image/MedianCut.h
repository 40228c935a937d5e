#pragma once
// Custom palettes by median cut: the pixels are counted into colour cells, the
// occupied part of the cell space is cut into boxes, and each box gives one
// palette colour, the count-weighted average of its cell centres.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "image/ColourCells.h"
#include "image/FixedColourTable.h"
#include "image/QuantiseImage.h"

namespace tamr {

inline constexpr std::size_t kMaxPaletteColours = 256;

// A box of cells, bounds inclusive. `volume` is the squared diagonal with the
// extents scaled by 8 (blue), 12 (green) and 16 (red): the cells' sizes times
// the weights 1, 3 and 2 the colour distance gives the axes. It reaches
// 879,056 and is held at full width.
struct ColourBox {
    std::uint16_t blueMin = 0;
    std::uint16_t blueMax = 0;
    std::uint16_t greenMin = 0;
    std::uint16_t greenMax = 0;
    std::uint16_t redMin = 0;
    std::uint16_t redMax = 0;
    std::uint32_t volume = 0;
    std::uint32_t colourCellCount = 0; // cells in the box holding pixels

    bool operator==(const ColourBox&) const = default;
};

using ColourBoxes = std::array<ColourBox, kMaxPaletteColours>;

// Adds every pixel of the source rows to its cell; counts stop at 2^32 − 1.
void CountPixels(const QuantiseImage& image, ColourCells& cells);

// Moves each bound of the box inwards to the outermost cell slices that hold
// pixels (blue first, then green, then red, each search within the bounds
// found so far), then sets its volume and occupied cell count.
void ShrinkBox(const ColourCells& cells, ColourBox& box);

// Cuts the counted cells into at most `desired` (1 to 256) boxes, written to
// the front of `boxes`; returns how many. Boxes of one cell slice in every
// direction (volume 0) are never cut, so fewer boxes come out when the pixels
// occupy fewer cells.
std::size_t CutBoxes(const ColourCells& cells, std::size_t desired, ColourBoxes& boxes);

// The box's colour: the average of its cell centres, weighted by their counts, rounded.
ColourTriple BoxColour(const ColourCells& cells, const ColourBox& box);

// Sets every cell of box i, empty or not, to i + 1 for the mapping that follows.
void MarkBoxes(ColourCells& cells, std::span<const ColourBox> boxes);

} // namespace tamr
