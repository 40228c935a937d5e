#pragma once
// The two images the palette builder works between: bottom-up 24-bit rows
// (bytes blue, green, red) and 8-bit index rows of the same size, each row
// followed by its padding to a multiple of 4 bytes.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tamr {

struct QuantiseImage {
    std::span<const std::uint8_t> source;
    std::span<std::uint8_t> indexOut;
    std::size_t width = 0;
    std::size_t height = 0;

    // Padding after a source row of 3·width bytes: width mod 4.
    std::size_t SourceRowPad() const { return width % 4; }
    // Padding after an index row of width bytes: (−width) mod 4.
    std::size_t IndexRowPad() const { return (4 - width % 4) % 4; }
    std::size_t SourceStride() const { return 3 * width + SourceRowPad(); }
    std::size_t IndexStride() const { return width + IndexRowPad(); }

    // True when both buffers hold every padded row.
    bool HoldsAllRows() const
    {
        return height == 0 || (SourceStride() <= source.size() / height && IndexStride() <= indexOut.size() / height);
    }
};

} // namespace tamr
