#pragma once
// Turning the stored pixels of a TGA file into the bottom-up, padded rows of a
// packed image block.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/TgaHeader.h"

namespace tamr {

// The stored pixels with their orientation. Right-to-left rows are mirrored and
// top-to-bottom images flipped only when that side is more than 2 pixels long;
// the rows are otherwise taken as bottom-up, left to right.
class TgaPixelSource {
public:
    // bytes must hold width * height * stride bytes.
    TgaPixelSource(std::span<const std::uint8_t> bytes, const TgaHeader& header, std::size_t stride);

    std::uint16_t Width() const { return width_; }
    std::uint16_t Height() const { return height_; }
    // The stride bytes of the pixel that lands in output row `row` (0 the bottom row), column `column`.
    std::span<const std::uint8_t> Pixel(std::size_t row, std::size_t column) const;

private:
    std::span<const std::uint8_t> bytes_;
    std::uint16_t width_;
    std::uint16_t height_;
    std::size_t stride_;
    bool mirror_;
    bool flip_;
};

// Bytes of one padded output row of the given depth (24, 8, 4 or 1 bits).
std::size_t PackedRowBytes(std::uint16_t width, int bits);

// 24-bit output from true-colour pixels with colourBits significant bits (depth
// less attribute bits): 24 or more copy blue, green, red and skip the rest; 9 to
// 23 are three (colourBits / 3)-bit fields of a 16-bit value; fewer write nothing.
void WriteTrueColourRows(const TgaPixelSource& source, int colourBits, std::span<std::uint8_t> rows);

// 24-bit output from colour-map indices (the pixel's first bytes, at most 4,
// little-endian); indices outside the map stay black.
void WriteMappedRows(const TgaPixelSource& source, const TgaColourMap& map, std::span<std::uint8_t> rows);

// 8- or 4-bit output: the first byte of each pixel is its index, 4-bit indices
// two to a byte with the first pixel in the high nibble.
void WriteIndexRows(const TgaPixelSource& source, int bits, std::span<std::uint8_t> rows);

// 1-bit output for the black-and-white palette: a pixel is white when its first
// byte is at least 128; eight pixels to a byte, the first in the top bit.
void WriteBitRows(const TgaPixelSource& source, std::span<std::uint8_t> rows);

} // namespace tamr
