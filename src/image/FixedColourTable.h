#pragma once
// The built-in 256-colour table used for fixed-palette quantising and for the
// screen palette.

#include <array>
#include <cstddef>
#include <cstdint>

namespace tamr {

// Three bytes in stored order. The image puts byte 1 into blue, byte 2 into
// green and byte 3 into red; the screen palette reads them as red, green, blue.
using ColourTriple = std::array<std::uint8_t, 3>;

inline constexpr std::size_t kFixedColourCount = 256;

const std::array<ColourTriple, kFixedColourCount>& FixedColourTable();

} // namespace tamr
