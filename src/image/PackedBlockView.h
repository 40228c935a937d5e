#pragma once
// The rows of a packed image block a reader has made (8-bit with a colour
// table, or 24-bit blue-green-red), to be worked on in place.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "image/BmpHeaders.h"
#include "platform/ByteBlock.h"

namespace tamr {

class PackedBlockView {
public:
    // Nothing for a block that is not an uncompressed 8 or 24-bit picture
    // whose rows all lie within it.
    static std::optional<PackedBlockView> Of(ByteBlock& block);

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    bool Colour() const { return header_.biBitCount == 24; }
    // An 8-bit picture whose table is the gray ramp: its levels are grays.
    bool GrayRamp() const;
    int BytesPerPixel() const { return header_.biBitCount / 8; }
    std::size_t Stride() const { return stride_; }
    // Where the rows start: header, colour table and the spare bytes come first.
    std::size_t RowsStart() const { return rowsStart_; }
    const BitmapInfoHeader& Header() const { return header_; }
    // Row y counted from the top: its pixels, without the padding.
    std::span<std::uint8_t> Row(std::uint32_t y);
    // The first byte of pixel (x, y), y counted from the top; both within the picture.
    const std::uint8_t* Pixel(std::uint32_t x, std::uint32_t y) const
    {
        return block_->data() + rowsStart_ + (std::size_t{height_} - 1 - y) * stride_ +
               std::size_t{x} * static_cast<std::size_t>(BytesPerPixel());
    }
    // What lies between the info header and the rows: the colour table and the spare bytes.
    std::span<const std::uint8_t> TableAndSpare() const
    {
        return std::span<const std::uint8_t>(*block_).subspan(kInfoHeaderSize, rowsStart_ - kInfoHeaderSize);
    }

private:
    explicit PackedBlockView(ByteBlock& block) : block_(&block) {}

    ByteBlock* block_;
    BitmapInfoHeader header_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::size_t rowsStart_ = 0;
    std::size_t stride_ = 0;
};

} // namespace tamr
