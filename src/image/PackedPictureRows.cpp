#include "image/PackedPictureRows.h"

#include <limits>
#include <new>
#include <stdexcept>

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "image/PackedImageBlock.h"
#include "platform/ByteWriter.h"
#include "platform/Limits.h"

namespace tamr {

std::optional<PackedPictureRows> PackedPictureRows::Make(std::uint32_t width, std::uint32_t height, bool colour)
{
    return Lay(width, height, colour, true);
}

std::optional<ByteBlock> PackedPictureRows::MakeHead(std::uint32_t width, std::uint32_t height, bool colour)
{
    auto head = Lay(width, height, colour, false);
    if (!head)
        return std::nullopt;
    return head->Take();
}

std::optional<PackedPictureRows> PackedPictureRows::MakeBottomUp(std::uint32_t width, std::uint32_t height, bool colour)
{
    auto rows = Lay(width, height, colour, false);
    if (!rows)
        return std::nullopt;
    try {
        rows->block_.reserve(rows->rowsStart_ + rows->stride_ * height);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
    return rows;
}

std::optional<PackedPictureRows> PackedPictureRows::Lay(std::uint32_t width, std::uint32_t height, bool colour,
                                                        bool withRows)
{
    if (width == 0 || height == 0 || width > std::numeric_limits<std::uint16_t>::max() ||
        height > std::numeric_limits<std::uint16_t>::max())
        return std::nullopt;
    const std::uint32_t colours = colour ? 0 : kColourTableEntries;
    const std::uint64_t rowBytes = std::uint64_t{width} * (colour ? 3 : 1);
    const std::uint64_t stride = (rowBytes + 3) / 4 * 4;
    const std::uint64_t rowsStart = PackedRowsOffset(colours);
    const std::uint64_t size = rowsStart + stride * height;
    // The image model holds the working and the reference image of this size.
    if (stride * height > Limits().maxBlockBytes / 2)
        return std::nullopt;

    PackedPictureRows rows;
    auto block = AllocateBlock(static_cast<std::size_t>(withRows ? size : rowsStart));
    if (!block)
        return std::nullopt;
    rows.block_ = std::move(*block);
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = static_cast<std::int32_t>(width);
    header.biHeight = static_cast<std::int32_t>(height);
    header.biPlanes = 1;
    header.biBitCount = colour ? 24 : 8;
    header.biSizeImage = static_cast<std::uint32_t>(stride * height);
    header.biClrUsed = colours;
    ByteBlock front;
    ByteWriter writer(front);
    WriteInfoHeader(writer, header);
    for (std::uint32_t i = 0; i < colours; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        WriteRgbQuad(writer, RgbQuad{level, level, level, 0});
    }
    std::copy(front.begin(), front.end(), rows.block_.begin());

    rows.width_ = width;
    rows.height_ = height;
    rows.colour_ = colour;
    rows.rowsStart_ = static_cast<std::size_t>(rowsStart);
    rows.stride_ = static_cast<std::size_t>(stride);
    return rows;
}

std::span<std::uint8_t> PackedPictureRows::Row(std::uint32_t y)
{
    // Bottom-up, as every packed block: the top row is the last one.
    const std::size_t offset = rowsStart_ + (height_ - 1 - y) * stride_;
    return std::span(block_).subspan(offset, std::size_t{width_} * (colour_ ? 3 : 1));
}

std::span<std::uint8_t> PackedPictureRows::AddRowAbove()
{
    // Within the capacity reserved for the whole block: nothing is moved.
    const std::size_t offset = block_.size();
    block_.resize(offset + stride_);
    return std::span(block_).subspan(offset, std::size_t{width_} * (colour_ ? 3 : 1));
}

} // namespace tamr
