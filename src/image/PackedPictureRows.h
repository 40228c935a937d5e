#pragma once
// A packed image block filled row by row from a picture stored top-down: 8-bit
// gray with the gray ramp as its table, or 24-bit colour (blue, green, red).

#include <cstdint>
#include <optional>
#include <span>

#include "platform/ByteBlock.h"

namespace tamr {

class PackedPictureRows {
public:
    // Nothing when the block would be larger than the image model takes or
    // memory is short. Rows start zero-filled.
    static std::optional<PackedPictureRows> Make(std::uint32_t width, std::uint32_t height, bool colour);
    // The same block's header and colour table alone, without rows: what a
    // look at the headers needs to know of the picture.
    static std::optional<ByteBlock> MakeHead(std::uint32_t width, std::uint32_t height, bool colour);
    // The same block grown a row at a time from the bottom of the picture up
    // (AddRowAbove), so that no page of it is touched before its row is
    // written. Row() is not used on it.
    static std::optional<PackedPictureRows> MakeBottomUp(std::uint32_t width, std::uint32_t height, bool colour);

    // Row y counted from the top of the picture: width bytes of gray levels,
    // or width blue-green-red triples.
    std::span<std::uint8_t> Row(std::uint32_t y);
    // The next row of a block made bottom-up, zero-filled: the picture's last
    // row first, its top row last; the row's padding stays zero.
    std::span<std::uint8_t> AddRowAbove();

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    bool Colour() const { return colour_; }

    ByteBlock Take() { return std::move(block_); }

private:
    PackedPictureRows() = default;
    static std::optional<PackedPictureRows> Lay(std::uint32_t width, std::uint32_t height, bool colour, bool withRows);

    ByteBlock block_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool colour_ = false;
    std::size_t rowsStart_ = 0;
    std::size_t stride_ = 0;
};

} // namespace tamr
