#pragma once
// The packed image block: how the TGA, GIF and JPEG readers hand over an image.
// A 40-byte info header, biClrUsed colour-table entries, 4 spare bytes, then the
// pixel rows bottom-up, each padded to a multiple of 4 bytes.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/BmpHeaders.h"
#include "platform/ByteBlock.h"

namespace tamr {

inline constexpr std::size_t kPackedSpareBytes = 4;

// Where the rows start for a header with the given biClrUsed.
inline constexpr std::uint64_t PackedRowsOffset(std::uint32_t colourCount)
{
    return kInfoHeaderSize + kRgbQuadSize * std::uint64_t{colourCount} + kPackedSpareBytes;
}

// Lays out a block from its parts as given (the caller keeps biClrUsed and the
// table's length in step).
ByteBlock MakePackedBlock(const BitmapInfoHeader& header, std::span<const RgbQuad> table,
                          std::span<const std::uint8_t> rows);

} // namespace tamr
