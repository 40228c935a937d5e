#pragma once
// The colour space the codec works in: its names, the integer weights of the
// forward conversion from red, green and blue, and their scale.

#include <array>
#include <string_view>

namespace tamr {

struct ColourSpace {
    std::string_view name;
    std::array<std::string_view, 3> componentNames;
    // Rows give the luminance and the two chromatic signals; columns weigh red,
    // green and blue.
    std::array<std::array<int, 3>, 3> weights;
    int scale;
};

inline constexpr ColourSpace kYiqColourSpace{
    "YIQ - NTSC TV signal",
    {"Y - luminance", "U - chromatic", "V - chromatic"},
    {{{306, 601, 117}, {610, -280, -330}, {216, -536, 320}}},
    1024,
};

} // namespace tamr
