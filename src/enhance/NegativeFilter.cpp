#include "enhance/NegativeFilter.h"

#include <cstdint>

#include "enhance/InteriorFilter.h"

namespace tamr {
namespace {

std::uint8_t Invert(std::uint8_t value)
{
    return static_cast<std::uint8_t>(255 - value);
}

} // namespace

bool NegativeGray(PixelView pixels)
{
    if (!HoldsAllRows(pixels, kGrayBytesPerPixel)) {
        return false;
    }
    const std::size_t arrayBytes = RowBytes(pixels, kGrayBytesPerPixel) * static_cast<std::size_t>(pixels.height);
    for (std::uint8_t& byte : pixels.bytes.first(arrayBytes)) {
        byte = Invert(byte);
    }
    return true;
}

bool NegativeColour(PixelView pixels)
{
    if (!HoldsAllRows(pixels, kColourBytesPerPixel)) {
        return false;
    }
    if (pixels.width < 3 || pixels.height < 3) {
        return true;
    }
    // Each byte depends on itself only, so no source rows need keeping.
    const std::size_t stride = RowBytes(pixels, kColourBytesPerPixel);
    const std::size_t interiorBytes = static_cast<std::size_t>(pixels.width - 2) * kColourBytesPerPixel;
    for (std::size_t r = 1; r + 1 < static_cast<std::size_t>(pixels.height); ++r) {
        for (std::uint8_t& byte : pixels.bytes.subspan(r * stride + kColourBytesPerPixel, interiorBytes)) {
            byte = Invert(byte);
        }
    }
    return true;
}

} // namespace tamr
