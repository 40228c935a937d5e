#include "image/PictureOrientation.h"

#include <algorithm>

#include "platform/ByteWriter.h"

namespace tamr {
namespace {

struct Point {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
};

// Where the pixel shown at (x, y) is stored, for a stored picture of
// width × height. Exif names each orientation by where the stored top row
// and left column are seen.
Point StoredAt(int orientation, std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height)
{
    switch (orientation) {
    case 2: // top row at the top, left column on the right: mirrored
        return {width - 1 - x, y};
    case 3: // upside down
        return {width - 1 - x, height - 1 - y};
    case 4: // top row at the bottom: flipped
        return {x, height - 1 - y};
    case 5: // top row on the left, left column at the top: transposed
        return {y, x};
    case 6: // top row on the right, left column at the top: turned a quarter anticlockwise
        return {y, height - 1 - x};
    case 7: // top row on the right, left column at the bottom
        return {width - 1 - y, height - 1 - x};
    case 8: // top row on the left, left column at the bottom: turned a quarter clockwise
        return {width - 1 - y, x};
    default:
        return {x, y};
    }
}

} // namespace

std::optional<ByteBlock> TurnUpright(PackedBlockView& stored, int orientation)
{
    const std::uint32_t width = stored.Width();
    const std::uint32_t height = stored.Height();
    const bool transposes = OrientationTransposes(orientation);
    const std::uint32_t shownWidth = transposes ? height : width;
    const std::uint32_t shownHeight = transposes ? width : height;
    const std::size_t bytesPerPixel = static_cast<std::size_t>(stored.BytesPerPixel());
    const std::size_t stride = (std::size_t{shownWidth} * bytesPerPixel + 3) / 4 * 4;
    auto block = AllocateBlock(stored.RowsStart() + stride * shownHeight);
    if (!block)
        return std::nullopt;

    BitmapInfoHeader header = stored.Header();
    header.biWidth = static_cast<std::int32_t>(shownWidth);
    header.biHeight = static_cast<std::int32_t>(shownHeight);
    if (header.biSizeImage != 0)
        header.biSizeImage = static_cast<std::uint32_t>(stride * shownHeight);
    ByteBlock front;
    ByteWriter writer(front);
    WriteInfoHeader(writer, header);
    std::copy(front.begin(), front.end(), block->begin());
    // The colour table and spare bytes come along as they are.
    const std::span<const std::uint8_t> tableAndSpare = stored.TableAndSpare();
    std::copy(tableAndSpare.begin(), tableAndSpare.end(), block->begin() + static_cast<std::ptrdiff_t>(front.size()));

    auto view = PackedBlockView::Of(*block);
    if (!view)
        return std::nullopt;
    for (std::uint32_t y = 0; y < shownHeight; ++y) {
        const std::span<std::uint8_t> row = view->Row(y);
        for (std::uint32_t x = 0; x < shownWidth; ++x) {
            const Point from = StoredAt(orientation, x, y, width, height);
            std::copy_n(stored.Pixel(from.x, from.y), bytesPerPixel,
                        row.begin() + static_cast<std::ptrdiff_t>(x * bytesPerPixel));
        }
    }
    return block;
}

} // namespace tamr
