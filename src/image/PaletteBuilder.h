#pragma once
// The 256-colour quantiser behind the index image of palette displays: maps a
// 24-bit image to the fixed colour table, or builds a custom palette by median
// cut first and maps to that; plainly or with Floyd-Steinberg error diffusion.
// Pixels and palette triples are both taken in stored order: blue, green, red.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/FixedColourTable.h"
#include "image/MedianCut.h"
#include "image/QuantiseImage.h"

namespace tamr {

class CPaletteBuilder {
public:
    // Maps the `height` rows of `source` (3·width bytes each, then width mod 4
    // padding bytes) to the index rows of `indexOut` (width bytes each, then
    // (−width) mod 4 padding bytes, left as they are).
    //
    // fixed: maps to the first desiredColours entries of FixedColourTable;
    // `customPalette` is not used and may be empty. Returns desiredColours.
    // Otherwise: builds up to desiredColours colours by median cut into the
    // front of `customPalette`, in box order, and maps to them. Returns the
    // number of colours made (1 to desiredColours); the rest of the palette is
    // left as it was.
    //
    // Returns 0, writing nothing, when a size or desiredColours is 0,
    // desiredColours is above 256, a buffer is too small for its rows or the
    // palette too small for desiredColours, or memory for the working tables
    // is short. When only the error row of the diffusion cannot be had, the
    // pixels are mapped plainly.
    std::size_t Quantise(std::span<const std::uint8_t> source, std::span<std::uint8_t> indexOut, bool dither,
                         bool fixed, std::span<ColourTriple> customPalette, std::size_t desiredColours,
                         std::size_t width, std::size_t height);

    // What the last call left behind: the colours in use and the median-cut boxes.
    std::size_t ColourCount() const { return colourCount_; }
    std::span<const ColourBox> Boxes() const { return std::span(boxes_).first(boxCount_); }

private:
    std::size_t QuantiseChecked(const QuantiseImage& image, bool dither, bool fixed,
                                std::span<ColourTriple> customPalette, std::size_t desiredColours);

    std::size_t colourCount_ = 0;
    std::size_t boxCount_ = 0;
    ColourBoxes boxes_{};
};

} // namespace tamr
