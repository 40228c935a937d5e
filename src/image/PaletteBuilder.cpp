#include "image/PaletteBuilder.h"

#include <new>
#include <optional>
#include <vector>

#include "image/ColourCells.h"
#include "image/PaletteMapping.h"
#include "image/QuantiseImage.h"

namespace tamr {
namespace {

// The error row of the diffusion, or nothing when memory is short (the caller
// then maps plainly).
std::optional<std::vector<ErrorEntry>> MakeErrorRow(std::size_t width)
{
    try {
        return std::vector<ErrorEntry>(width + 2);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace

std::size_t CPaletteBuilder::Quantise(std::span<const std::uint8_t> source, std::span<std::uint8_t> indexOut,
                                      bool dither, bool fixed, std::span<ColourTriple> customPalette,
                                      std::size_t desiredColours, std::size_t width, std::size_t height)
{
    const QuantiseImage image{source, indexOut, width, height};
    if (width == 0 || height == 0 || desiredColours == 0 || desiredColours > kMaxPaletteColours ||
        !image.HoldsAllRows())
        return 0;
    if (!fixed && customPalette.size() < desiredColours)
        return 0;
    try {
        return QuantiseChecked(image, dither, fixed, customPalette, desiredColours);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

std::size_t CPaletteBuilder::QuantiseChecked(const QuantiseImage& image, bool dither, bool fixed,
                                             std::span<ColourTriple> customPalette, std::size_t desiredColours)
{
    // Both tables are made before anything is written, so a shortage leaves
    // the index rows and the palette untouched.
    const ErrorLimitTable limit;
    ColourCells cells;

    std::span<const ColourTriple> palette;
    if (fixed) {
        boxCount_ = 0;
        palette = std::span(FixedColourTable()).first(desiredColours);
    } else {
        CountPixels(image, cells);
        boxCount_ = CutBoxes(cells, desiredColours, boxes_);
        const auto boxes = std::span<const ColourBox>(boxes_).first(boxCount_);
        for (std::size_t i = 0; i < boxCount_; ++i)
            customPalette[i] = BoxColour(cells, boxes[i]);
        MarkBoxes(cells, boxes);
        palette = customPalette.first(boxCount_);
    }
    colourCount_ = palette.size();

    auto errorRow = dither ? MakeErrorRow(image.width) : std::nullopt;
    if (errorRow)
        MapDithered(image, cells, palette, limit, *errorRow);
    else
        MapPlain(image, cells, palette);
    return colourCount_;
}

} // namespace tamr
