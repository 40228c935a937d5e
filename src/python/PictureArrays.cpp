#include "python/PictureArrays.h"

#include <algorithm>
#include <new>
#include <utility>

#include "image/PackedPictureRows.h"
#include "image/TopDownPicture.h"

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

// The function of that name in the image layer hides the struct here.
struct PlainPicture PlainPictureOf(ConstPixelView view, int bytesPerPixel)
{
    struct PlainPicture picture;
    picture.width = view.width;
    picture.height = view.height;
    picture.channels = bytesPerPixel;
    // Bottom-up blue-green-red rows laid out top-down in red, green, blue, as a numpy array holds them.
    std::optional<TopDownPicture> rows = tamr::PlainPicture(view, bytesPerPixel);
    if (!rows)
        throw std::bad_alloc(); // as the copy it replaces: the callers report it
    picture.samples = std::move(rows->samples);
    return picture;
}

} // namespace tamr
