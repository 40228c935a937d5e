#pragma once
// 24-bit rows and index rows laid out as the palette builder takes them, with
// a brute-force nearest-colour search to check its answers against.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "image/FixedColourTable.h"

namespace tamr::test {

// Padding bytes are filled with markers so that reading or writing them shows.
inline constexpr std::uint8_t kSourcePadMarker = 0xEE;
inline constexpr std::uint8_t kIndexPadMarker = 0xAB;

struct QuantiseTestImage {
    std::size_t width;
    std::size_t height;
    std::vector<std::uint8_t> source;
    std::vector<std::uint8_t> index;

    QuantiseTestImage(std::size_t w, std::size_t h, ColourTriple fill = {0, 0, 0})
        : width(w), height(h), source(SourceStride() * h, kSourcePadMarker), index(IndexStride() * h, kIndexPadMarker)
    {
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x)
                Set(x, y, fill);
    }

    std::size_t SourceStride() const { return 3 * width + width % 4; }
    std::size_t IndexStride() const { return width + (4 - width % 4) % 4; }

    void Set(std::size_t x, std::size_t y, ColourTriple bgr)
    {
        for (std::size_t c = 0; c < 3; ++c)
            source[y * SourceStride() + 3 * x + c] = bgr[c];
    }
    ColourTriple Get(std::size_t x, std::size_t y) const
    {
        const std::size_t at = y * SourceStride() + 3 * x;
        return {source[at], source[at + 1], source[at + 2]};
    }
    std::uint8_t Index(std::size_t x, std::size_t y) const { return index[y * IndexStride() + x]; }

    bool PadsUntouched() const
    {
        for (std::size_t y = 0; y < height; ++y)
            for (std::size_t at = y * IndexStride() + width; at < (y + 1) * IndexStride(); ++at)
                if (index[at] != kIndexPadMarker)
                    return false;
        return true;
    }
};

inline int WeightedDistance(int blue, int green, int red, const ColourTriple& colour)
{
    const int b = blue - colour[0];
    const int g = green - colour[1];
    const int r = red - colour[2];
    return b * b + 9 * g * g + 4 * r * r;
}

// The palette colour nearest to the centre of the colour's cell, the earliest on ties.
inline std::size_t NearestToCellCentre(int blue, int green, int red, std::span<const ColourTriple> palette)
{
    const int centreBlue = (blue >> 3) * 8 + 4;
    const int centreGreen = (green >> 2) * 4 + 2;
    const int centreRed = (red >> 3) * 8 + 4;
    std::size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int distance = WeightedDistance(centreBlue, centreGreen, centreRed, palette[i]);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace tamr::test
