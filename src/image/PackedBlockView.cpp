#include "image/PackedBlockView.h"

#include "image/PackedImageBlock.h"
#include "platform/ByteReader.h"

namespace tamr {

std::optional<PackedBlockView> PackedBlockView::Of(ByteBlock& block)
{
    PackedBlockView view(block);
    ByteReader reader(block);
    view.header_ = ReadInfoHeader(reader);
    const BitmapInfoHeader& header = view.header_;
    if (reader.Overran() || header.biWidth <= 0 || header.biHeight <= 0 || header.biCompression != 0 ||
        (header.biBitCount != 8 && header.biBitCount != 24) || header.biClrUsed > 256)
        return std::nullopt;
    view.width_ = static_cast<std::uint32_t>(header.biWidth);
    view.height_ = static_cast<std::uint32_t>(header.biHeight);
    const std::uint64_t rowBytes = std::uint64_t{view.width_} * (header.biBitCount / 8);
    view.stride_ = static_cast<std::size_t>((rowBytes + 3) / 4 * 4);
    view.rowsStart_ = static_cast<std::size_t>(PackedRowsOffset(header.biClrUsed));
    if (block.size() < view.rowsStart_ || (block.size() - view.rowsStart_) / view.stride_ < view.height_)
        return std::nullopt;
    return view;
}

bool PackedBlockView::GrayRamp() const
{
    if (Colour() || header_.biClrUsed != 256)
        return false;
    ByteReader reader(*block_);
    reader.Seek(kInfoHeaderSize);
    for (unsigned level = 0; level < 256; ++level) {
        const RgbQuad entry = ReadRgbQuad(reader);
        if (entry.red != level || entry.green != level || entry.blue != level)
            return false;
    }
    return !reader.Overran();
}

std::span<std::uint8_t> PackedBlockView::Row(std::uint32_t y)
{
    // Bottom-up: the top row is the last one.
    const std::size_t offset = rowsStart_ + (std::size_t{height_} - 1 - y) * stride_;
    return std::span(*block_).subspan(offset, std::size_t{width_} * static_cast<std::size_t>(BytesPerPixel()));
}

} // namespace tamr
