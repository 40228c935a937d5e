#include "image/IndexImageRefresh.h"

#include <unordered_map>

#include "image/NearestColour.h"

namespace tamr {

bool RebuildIndexImage(CDibImage& image, [[maybe_unused]] const DisplaySettings& display)
{
    if (image.IsColour() != 1 || image.BitsPerPixel() != 24 || !image.EnsureIndexImage())
        return false;
    image.SetDefaultPalette();
    const std::size_t width = image.Width();
    const std::size_t height = image.Height();
    const std::size_t rowBytes = width * 3 + image.RowPad();
    const std::size_t indexRowBytes = width + image.IndexRowPad();
    const std::span<const std::uint8_t> pixels = image.Pixels();
    const std::span<std::uint8_t> indices = image.IndexPixels();
    if (pixels.size() < rowBytes * height || indices.size() < indexRowBytes * height)
        return false;
    const std::span<const RgbQuad> table = image.ColourTable();
    std::unordered_map<std::uint32_t, std::uint8_t> nearestOf;
    for (std::size_t row = 0; row < height; ++row) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* pixel = pixels.data() + row * rowBytes + x * 3;
            const std::uint32_t key = pixel[0] | (pixel[1] << 8) | (std::uint32_t{pixel[2]} << 16);
            auto [found, inserted] = nearestOf.try_emplace(key, std::uint8_t{0});
            if (inserted)
                found->second = static_cast<std::uint8_t>(NearestColourIndex(table, pixel[2], pixel[1], pixel[0]));
            indices[row * indexRowBytes + x] = found->second;
        }
    }
    return true;
}

} // namespace tamr
