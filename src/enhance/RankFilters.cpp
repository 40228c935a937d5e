#include "enhance/RankFilters.h"

#include <algorithm>

#include "enhance/FilterKernel.h"
#include "enhance/InteriorFilter.h"

namespace tamr {
namespace {

bool Despeckle(PixelView pixels, int bytesPerPixel, std::int32_t intensity)
{
    const auto rank = static_cast<std::size_t>(ClampIntensity(intensity)) - 1;
    return FilterInterior(pixels, bytesPerPixel, [rank](const Window& window) {
        Window sorted = window;
        std::ranges::sort(sorted);
        const int median = sorted[4];
        return static_cast<std::uint8_t>(median < window[kCentre] ? sorted[rank] : window[kCentre]);
    });
}

// The centre and its left, right, previous-row and next-row neighbours.
std::array<int, 5> Cross(const Window& window)
{
    return {window[kCentre], window[kLeft], window[kRight], window[kPrev], window[kNext]};
}

bool Erode(PixelView pixels, int bytesPerPixel)
{
    return FilterInterior(pixels, bytesPerPixel, [](const Window& window) {
        return static_cast<std::uint8_t>(std::ranges::min(Cross(window)));
    });
}

bool Dilate(PixelView pixels, int bytesPerPixel)
{
    return FilterInterior(pixels, bytesPerPixel, [](const Window& window) {
        return static_cast<std::uint8_t>(std::ranges::max(Cross(window)));
    });
}

} // namespace

bool DespeckleGray(PixelView pixels, std::int32_t intensity)
{
    return Despeckle(pixels, kGrayBytesPerPixel, intensity);
}

bool DespeckleColour(PixelView pixels, std::int32_t intensity)
{
    return Despeckle(pixels, kColourBytesPerPixel, intensity);
}

bool ErodeGray(PixelView pixels)
{
    return Erode(pixels, kGrayBytesPerPixel);
}

bool ErodeColour(PixelView pixels)
{
    return Erode(pixels, kColourBytesPerPixel);
}

bool DilateGray(PixelView pixels)
{
    return Dilate(pixels, kGrayBytesPerPixel);
}

bool DilateColour(PixelView pixels)
{
    return Dilate(pixels, kColourBytesPerPixel);
}

} // namespace tamr
