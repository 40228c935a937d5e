#include "python/PictureArrays.h"

#include <algorithm>
#include <new>

#include "image/PackedPictureRows.h"

namespace tamr {

std::optional<ByteBlock> PackedBlockOfRows(std::span<const std::uint8_t> rows, int width, int height, int channels)
{
    if (width <= 0 || height <= 0 || (channels != 1 && channels != 3))
        return std::nullopt;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    if (rows.size() / rowBytes < static_cast<std::size_t>(height))
        return std::nullopt;
    auto packed =
        PackedPictureRows::Make(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), channels == 3);
    if (!packed)
        return std::nullopt;
    for (std::uint32_t y = 0; y < packed->Height(); ++y) {
        const auto source = rows.subspan(y * rowBytes, rowBytes);
        const auto target = packed->Row(y);
        if (channels == 1) {
            std::copy(source.begin(), source.end(), target.begin());
            continue;
        }
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            target[i] = source[i + 2];
            target[i + 1] = source[i + 1];
            target[i + 2] = source[i];
        }
    }
    return packed->Take();
}

PlainPicture PlainPictureOf(ConstPixelView view, int bytesPerPixel)
{
    PlainPicture picture{view.width, view.height, bytesPerPixel, {}};
    const std::size_t rowBytes = static_cast<std::size_t>(view.width) * static_cast<std::size_t>(bytesPerPixel);
    const std::size_t stride = RowBytes(view, bytesPerPixel);
    picture.samples.resize(rowBytes * static_cast<std::size_t>(view.height));
    for (int y = 0; y < view.height; ++y) {
        const auto source = view.bytes.subspan(static_cast<std::size_t>(view.height - 1 - y) * stride, rowBytes);
        std::uint8_t* target = picture.samples.data() + static_cast<std::size_t>(y) * rowBytes;
        if (bytesPerPixel == 1) {
            std::copy(source.begin(), source.end(), target);
            continue;
        }
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            target[i] = source[i + 2];
            target[i + 1] = source[i + 1];
            target[i + 2] = source[i];
        }
    }
    return picture;
}

} // namespace tamr
