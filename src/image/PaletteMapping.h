#pragma once
// Mapping 24-bit pixels to palette indices through the inverse colour map:
// plainly, each pixel to the colour of its cell, or with Floyd-Steinberg
// error diffusion over a serpentine scan.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "image/ColourCells.h"
#include "image/FixedColourTable.h"
#include "image/QuantiseImage.h"

namespace tamr {

// Limits the error a pixel receives: small errors pass unchanged, middling
// ones are halved beyond 16, and anything from 48 on counts as 32, so that
// large errors do not smear across flat areas.
class ErrorLimitTable {
public:
    static constexpr int kRange = 255;

    ErrorLimitTable();
    // x in −255..255.
    int operator()(int x) const { return limits_[static_cast<std::size_t>(x + kRange)]; }

private:
    std::array<std::int32_t, 2 * kRange + 1> limits_{};
};

// Diffused error of blue, green and red waiting for one position of the next row.
struct ErrorEntry {
    std::int32_t blue = 0;
    std::int32_t green = 0;
    std::int32_t red = 0;
};

// Rows in memory order, pixels left to right; the index rows' padding is left as it is.
void MapPlain(const QuantiseImage& image, ColourCells& cells, std::span<const ColourTriple> palette);

// Error diffusion: rows in memory order, even rows left to right and odd rows
// right to left; each pixel's error goes 7/16 to the next pixel in the row and
// 3/16, 5/16, 1/16 to the three neighbours in the next row (behind, below,
// ahead), every incoming sum passed through the limit table. `errorRow` needs
// width + 2 entries, all zero.
void MapDithered(const QuantiseImage& image, ColourCells& cells, std::span<const ColourTriple> palette,
                 const ErrorLimitTable& limit, std::span<ErrorEntry> errorRow);

} // namespace tamr
