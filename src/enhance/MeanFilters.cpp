#include "enhance/MeanFilters.h"

#include <numeric>

#include "enhance/InteriorFilter.h"

namespace tamr {
namespace {

// The single-precision number nearest to 1/9; the mean is the window's sum
// times this, in float.
constexpr float kOneNinth = 0.11111111f;

float WindowMean(const Window& window)
{
    return static_cast<float>(std::accumulate(window.begin(), window.end(), 0)) * kOneNinth;
}

bool PullDownToMean(PixelView pixels, int bytesPerPixel)
{
    return FilterInterior(pixels, bytesPerPixel, [](const Window& window) {
        const float mean = WindowMean(window);
        const int centre = window[kCentre];
        return static_cast<std::uint8_t>(static_cast<float>(centre) > mean ? static_cast<int>(mean) : centre);
    });
}

bool LiftUpToMean(PixelView pixels, int bytesPerPixel)
{
    return FilterInterior(pixels, bytesPerPixel, [](const Window& window) {
        const float mean = WindowMean(window);
        const int centre = window[kCentre];
        return static_cast<std::uint8_t>(static_cast<float>(centre) < mean ? static_cast<int>(mean) : centre);
    });
}

} // namespace

bool AntiAliasGray(PixelView pixels)
{
    return PullDownToMean(pixels, kGrayBytesPerPixel);
}

bool AntiAliasColour(PixelView pixels)
{
    return PullDownToMean(pixels, kColourBytesPerPixel);
}

bool AliasGray(PixelView pixels)
{
    return LiftUpToMean(pixels, kGrayBytesPerPixel);
}

bool AliasColour(PixelView pixels)
{
    return LiftUpToMean(pixels, kColourBytesPerPixel);
}

} // namespace tamr
