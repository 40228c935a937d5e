#pragma once
// The nearest entry of a colour table to a colour, by squared distance in RGB.

#include <cstddef>
#include <limits>
#include <span>

namespace tamr {

// Any table whose entries have red, green and blue fields; on a tie the
// lowest index wins, so the result never depends on the table's layout.
template <typename Entry> std::size_t NearestColourIndex(std::span<const Entry> table, int red, int green, int blue)
{
    int best = std::numeric_limits<int>::max();
    std::size_t nearest = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const int r = red - table[i].red;
        const int g = green - table[i].green;
        const int b = blue - table[i].blue;
        const int distance = r * r + g * g + b * b;
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

} // namespace tamr
