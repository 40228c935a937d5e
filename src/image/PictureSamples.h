#pragma once
// Sample arithmetic shared by the PNG and PNM readers: deeper samples to 8 bits
// and transparent pixels over white, in integers so every machine agrees.

#include <cstdint>

namespace tamr {

// A sample of 0..maxValue to 0..255, rounded to nearest: (v * 255 + max / 2) / max.
// For 16 bits this is (v * 255 + 32767) / 65535; for 1, 2 and 4 bits it gives the
// exact multiples 255, 85 and 17. Values above maxValue give 255.
inline constexpr std::uint8_t ScaleToByte(std::uint32_t value, std::uint32_t maxValue)
{
    if (value >= maxValue)
        return 255;
    return static_cast<std::uint8_t>((value * 255 + maxValue / 2) / maxValue);
}

// An 8-bit colour value c with alpha a composited over white, as viewers show a
// picture without its transparency: (c * a + 255 * (255 - a) + 127) / 255.
inline constexpr std::uint8_t CompositeOverWhite(std::uint8_t colour, std::uint8_t alpha)
{
    return static_cast<std::uint8_t>((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace tamr
