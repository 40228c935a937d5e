#include "image/TopDownPicture.h"

#include <algorithm>
#include <new>

#include "image/DibImage.h"
#include "platform/ByteBlock.h"

namespace tamr {

std::optional<TopDownPicture> PlainPicture(ConstPixelView pixels, int bytesPerPixel)
{
    if ((bytesPerPixel != 1 && bytesPerPixel != 3) || pixels.width <= 0 || pixels.height <= 0 || pixels.rowPad < 0)
        return std::nullopt;
    TopDownPicture picture;
    picture.width = static_cast<std::uint32_t>(pixels.width);
    picture.height = static_cast<std::uint32_t>(pixels.height);
    const bool colour = bytesPerPixel == 3;
    picture.kind = colour ? TopDownPicture::Kind::Rgb : TopDownPicture::Kind::Gray;
    const std::size_t rowBytes = std::size_t{picture.width} * picture.BytesPerPixel();
    const std::size_t stride = rowBytes + static_cast<std::size_t>(pixels.rowPad);
    if (pixels.bytes.size() < stride * picture.height || !TryResize(picture.samples, rowBytes * picture.height))
        return std::nullopt;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        // Stored bottom-up, blue, green, red.
        const auto source = pixels.bytes.subspan((picture.height - 1 - y) * stride, rowBytes);
        std::uint8_t* target = picture.samples.data() + y * rowBytes;
        if (!colour) {
            std::copy(source.begin(), source.end(), target);
            continue;
        }
        for (std::size_t x = 0; x < rowBytes; x += 3) {
            target[x] = source[x + 2];
            target[x + 1] = source[x + 1];
            target[x + 2] = source[x];
        }
    }
    return picture;
}

std::optional<TopDownPicture> ShownPicture(const CDibImage& image)
{
    if (!image.HasPixels())
        return std::nullopt;
    const int bytesPerPixel = image.IsColour() == 1 ? 3 : 1;
    return PlainPicture({image.Pixels(), image.Width(), image.Height(), image.RowPad()}, bytesPerPixel);
}

std::optional<TopDownPicture> IndexPicture(const CDibImage& image)
{
    const auto indices = image.IndexPixels();
    if (indices.empty() || image.Width() == 0 || image.Height() == 0)
        return std::nullopt;
    TopDownPicture picture;
    picture.width = image.Width();
    picture.height = image.Height();
    picture.kind = TopDownPicture::Kind::Indexed;
    const std::size_t stride = std::size_t{picture.width} + image.IndexRowPad();
    if (indices.size() < stride * picture.height ||
        !TryResize(picture.samples, std::size_t{picture.width} * picture.height))
        return std::nullopt;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const auto source = indices.subspan((picture.height - 1 - y) * stride, picture.width);
        std::copy(source.begin(), source.end(),
                  picture.samples.begin() + static_cast<std::ptrdiff_t>(y * picture.width));
    }
    try {
        for (const RgbQuad& entry : image.ColourTable())
            picture.palette.push_back({entry.red, entry.green, entry.blue});
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return picture;
}

} // namespace tamr
