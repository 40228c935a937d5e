#pragma once
// The samples of one codec component as floats, for a transform that works
// on floats: the pixels go through the 16-bit conversions a band of rows at a
// time, so that no 16-bit plane of the whole picture is ever made and every
// value is exactly the sample those conversions give.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/ColourConversion.h"
#include "image/PixelPlaneViews.h"

namespace tamr {

// The rows of a component plane of stride x rows samples, one at a time: the
// samples RgbToYiqComponent writes, the padding included, or with no
// component those of GrayToPlane on a zeroed plane (the padding as zeros).
class ComponentRows {
public:
    ComponentRows(ConstPixelView pixels, std::int16_t offset, std::optional<YiqComponent> component,
                  bool subsampledChroma, std::size_t stride, std::size_t rows);

    // False when the pixels are too short or the plane too small for them.
    bool Valid() const { return valid_; }
    // Writes row y (of the stride x rows plane) into `row`, stride samples;
    // false, writing nothing, when the row or the span is out of reach.
    bool Row(std::size_t y, std::span<float> row);

private:
    bool ConvertBand(std::size_t band);

    ConstPixelView pixels_;
    std::int16_t offset_;
    std::optional<YiqComponent> component_;
    bool subsampledChroma_;
    std::size_t stride_;
    std::size_t rows_;
    std::size_t planeRowsPerBand_ = 0; // plane rows one band of pixel rows makes
    std::size_t pictureRows_ = 0;      // plane rows that come from pixel rows
    std::size_t writtenColumns_ = 0;   // samples of a row the conversion writes
    bool valid_ = false;
    std::vector<std::int16_t> band_;
    std::optional<std::size_t> bandHeld_;
};

} // namespace tamr
