#include "enhance/ConvolutionFilter.h"

#include <cstdint>

#include "enhance/InteriorFilter.h"

namespace tamr {
namespace {

bool Convolve(PixelView pixels, int bytesPerPixel, const FilterKernel& kernel)
{
    const FilterKernel prepared = PrepareKernel(kernel);
    const auto divisor = static_cast<float>(prepared.divisor);
    return FilterInterior(pixels, bytesPerPixel, [&](const Window& window) -> std::uint8_t {
        std::int32_t sum = 0;
        for (std::size_t i = 0; i < window.size(); ++i) {
            sum += prepared.k[i] * window[i];
        }
        // Large typed multipliers can take the sum past 16 bits; it wraps.
        const auto sum16 = static_cast<std::int16_t>(sum);
        const auto quotient = static_cast<std::int32_t>(static_cast<float>(sum16) / divisor);
        if (quotient <= 0) {
            return 0;
        }
        if (quotient >= 255) {
            return 255;
        }
        return static_cast<std::uint8_t>(quotient);
    });
}

} // namespace

bool ConvolveGray(PixelView pixels, const FilterKernel& kernel)
{
    return Convolve(pixels, kGrayBytesPerPixel, kernel);
}

bool ConvolveColour(PixelView pixels, const FilterKernel& kernel)
{
    return Convolve(pixels, kColourBytesPerPixel, kernel);
}

} // namespace tamr
