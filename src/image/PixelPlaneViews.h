#pragma once
// Non-owning views over the two kinds of buffer the colour conversions join:
// bottom-up pixel rows of an image (each row followed by rowPad bytes) and
// row-major planes of signed 16-bit codec samples.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tamr {

struct ConstPixelView {
    std::span<const std::uint8_t> bytes;
    int width = 0;
    int height = 0;
    int rowPad = 0;
};

struct PixelView {
    std::span<std::uint8_t> bytes;
    int width = 0;
    int height = 0;
    int rowPad = 0;

    operator ConstPixelView() const { return {bytes, width, height, rowPad}; }
};

struct ConstPlaneView {
    std::span<const std::int16_t> samples;
    std::size_t stride = 0;
    std::size_t rows = 0;
};

struct PlaneView {
    std::span<std::int16_t> samples;
    std::size_t stride = 0;
    std::size_t rows = 0;

    operator ConstPlaneView() const { return {samples, stride, rows}; }
};

// Bytes from the start of one pixel row to the next, or 0 when the view's
// sizes are negative.
inline std::size_t RowBytes(const ConstPixelView& pixels, int bytesPerPixel)
{
    if (pixels.width < 0 || pixels.height < 0 || pixels.rowPad < 0 || bytesPerPixel <= 0) {
        return 0;
    }
    return static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(bytesPerPixel) +
           static_cast<std::size_t>(pixels.rowPad);
}

// True when the view's sizes are sound and its bytes hold every padded row.
inline bool HoldsAllRows(const ConstPixelView& pixels, int bytesPerPixel)
{
    if (pixels.width < 0 || pixels.height < 0 || pixels.rowPad < 0 || bytesPerPixel <= 0) {
        return false;
    }
    const std::size_t rowBytes = RowBytes(pixels, bytesPerPixel);
    const auto height = static_cast<std::size_t>(pixels.height);
    return height == 0 || rowBytes <= pixels.bytes.size() / height;
}

// True when the plane is at least columns wide and rows high and its samples
// hold the whole stride × rows area.
inline bool PlaneCovers(const ConstPlaneView& plane, std::size_t columns, std::size_t rows)
{
    if (plane.stride < columns || plane.rows < rows) {
        return false;
    }
    if (plane.rows == 0 || plane.stride == 0) {
        return true;
    }
    return plane.stride <= plane.samples.size() / plane.rows;
}

} // namespace tamr
