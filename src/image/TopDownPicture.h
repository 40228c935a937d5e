#pragma once
// A picture laid out as PNG and PNM files hold it: rows from the top, no
// padding, gray levels, red-green-blue triples or palette indices.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr {

class CDibImage;

struct TopDownPicture {
    enum class Kind { Gray, Rgb, Indexed };

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Kind kind = Kind::Gray;
    // One byte per pixel (Gray, Indexed) or three (Rgb), row after row.
    std::vector<std::uint8_t> samples;
    // Red, green, blue of each index; Indexed only.
    std::vector<std::array<std::uint8_t, 3>> palette;

    std::size_t BytesPerPixel() const { return kind == Kind::Rgb ? 3 : 1; }
};

// Bare bottom-up pixels (blue, green, red for 3 bytes per pixel, gray for 1)
// laid out top-down. Nothing when the view does not hold them or memory is short.
std::optional<TopDownPicture> PlainPicture(ConstPixelView pixels, int bytesPerPixel);

// The working image, as a BMP file of it would show it: gray levels for a gray
// image, red-green-blue for a colour one. Nothing for an image without pixels
// or when memory is short.
std::optional<TopDownPicture> ShownPicture(const CDibImage& image);

// The index image with the 256 colours of the colour table: what a 256-colour
// screen shows. Nothing for an image without an index image.
std::optional<TopDownPicture> IndexPicture(const CDibImage& image);

} // namespace tamr
