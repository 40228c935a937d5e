#pragma once
// The 256-colour logical palette a picture is drawn with on a 256-colour
// screen, one entry per index of the index image.

#include <array>
#include <cstdint>

namespace tamr {

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const PaletteEntry&) const = default;
};
using ImagePalette = std::array<PaletteEntry, 256>;

} // namespace tamr
