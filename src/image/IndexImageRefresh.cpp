#include "image/IndexImageRefresh.h"

#include <limits>
#include <unordered_map>

namespace tamr {

namespace {

std::uint8_t NearestEntry(std::span<const RgbQuad> table, std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    int best = std::numeric_limits<int>::max();
    std::size_t nearest = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const int b = blue - table[i].blue;
        const int g = green - table[i].green;
        const int r = red - table[i].red;
        const int distance = b * b + g * g + r * r;
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return static_cast<std::uint8_t>(nearest);
}

} // namespace

bool RebuildIndexImage(CDibImage& image, [[maybe_unused]] const DisplaySettings& display)
{
    if (image.IsColour() != 1 || image.BitsPerPixel() != 24 || image.IndexPixels().empty())
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
                found->second = NearestEntry(table, pixel[0], pixel[1], pixel[2]);
            indices[row * indexRowBytes + x] = found->second;
        }
    }
    return true;
}

} // namespace tamr
