#pragma once
// Pictures as a numpy array holds them, top-down rows of red, green, blue
// bytes (or gray bytes) without padding, to and from the image model's
// bottom-up, padded, blue-green-red rows.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/PixelPlaneViews.h"
#include "platform/ByteBlock.h"

namespace tamr {

struct PlainPicture {
    int width = 0;
    int height = 0;
    int channels = 0; // 3: red, green, blue; 1: gray
    std::vector<std::uint8_t> samples;
};

// The packed image block a reader would hand over for these rows; nothing
// when the sizes are beyond the image model or memory is short.
std::optional<ByteBlock> PackedBlockOfRows(std::span<const std::uint8_t> rows, int width, int height, int channels);

// The picture of a view with 3 (blue, green, red) or 1 bytes per pixel.
PlainPicture PlainPictureOf(ConstPixelView view, int bytesPerPixel);

} // namespace tamr
