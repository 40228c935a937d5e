#include "image/PaletteMapping.h"

#include <algorithm>

#include "image/InverseColourMap.h"

namespace tamr {
namespace {

constexpr int kExactUpTo = 15;  // errors up to this pass unchanged
constexpr int kHalvedUpTo = 47; // from 16 to this they are halved above 16
constexpr int kLargestError = 32;

// The running state of one colour channel along a row.
struct ChannelState {
    int current = 0;  // 7/16 of the previous pixel's error, then this pixel's value
    int below = 0;    // the previous pixel's error
    int previous = 0; // what the entry behind still receives
};

// Value of one channel after diffusion: the incoming error sum (in sixteenths,
// rounded towards minus infinity) limited, added to the pixel and clamped.
int Diffused(const ErrorLimitTable& limit, ChannelState& state, std::int32_t fromAbove, int pixel)
{
    const int incoming =
        std::clamp((state.current + fromAbove + 8) >> 4, -ErrorLimitTable::kRange, ErrorLimitTable::kRange);
    return std::clamp(limit(incoming) + pixel, 0, 255);
}

// Passes one channel's error on: 3/16 behind (the current entry), the 5/16 and
// 1/16 shares wait in the state for the next entries, 7/16 goes ahead.
void Spread(ChannelState& state, std::int32_t& behind, int error)
{
    behind = state.previous + 3 * error;
    state.previous = state.below + 5 * error;
    state.below = error;
    state.current = 7 * error;
}

} // namespace

ErrorLimitTable::ErrorLimitTable()
{
    for (int x = 0; x <= kRange; ++x) {
        int value = kLargestError;
        if (x <= kExactUpTo)
            value = x;
        else if (x <= kHalvedUpTo)
            value = 16 + (x - 16) / 2;
        limits_[static_cast<std::size_t>(kRange + x)] = value;
        limits_[static_cast<std::size_t>(kRange - x)] = -value;
    }
}

void MapPlain(const QuantiseImage& image, ColourCells& cells, std::span<const ColourTriple> palette)
{
    for (std::size_t row = 0; row < image.height; ++row) {
        const auto pixels = image.source.subspan(row * image.SourceStride(), 3 * image.width);
        const auto indices = image.indexOut.subspan(row * image.IndexStride(), image.width);
        for (std::size_t x = 0; x < image.width; ++x)
            indices[x] = PaletteIndexFor(cells, pixels[3 * x], pixels[3 * x + 1], pixels[3 * x + 2], palette);
    }
}

void MapDithered(const QuantiseImage& image, ColourCells& cells, std::span<const ColourTriple> palette,
                 const ErrorLimitTable& limit, std::span<ErrorEntry> errorRow)
{
    // Error entry x + 1 belongs to pixel x; entries 0 and width + 1 take the
    // shares that fall outside the picture.
    const auto width = static_cast<std::ptrdiff_t>(image.width);
    for (std::size_t row = 0; row < image.height; ++row) {
        const auto pixels = image.source.subspan(row * image.SourceStride(), 3 * image.width);
        const auto indices = image.indexOut.subspan(row * image.IndexStride(), image.width);
        const bool leftToRight = row % 2 == 0;
        const std::ptrdiff_t step = leftToRight ? 1 : -1;
        std::ptrdiff_t x = leftToRight ? 0 : width - 1;
        std::ptrdiff_t entry = leftToRight ? 0 : width + 1;
        ChannelState blue;
        ChannelState green;
        ChannelState red;
        for (std::ptrdiff_t n = 0; n < width; ++n, x += step, entry += step) {
            const ErrorEntry& ahead = errorRow[static_cast<std::size_t>(entry + step)];
            const auto at = static_cast<std::size_t>(3 * x);
            const int b = Diffused(limit, blue, ahead.blue, pixels[at]);
            const int g = Diffused(limit, green, ahead.green, pixels[at + 1]);
            const int r = Diffused(limit, red, ahead.red, pixels[at + 2]);
            const std::uint8_t index = PaletteIndexFor(cells, b, g, r, palette);
            indices[static_cast<std::size_t>(x)] = index;
            const ColourTriple& chosen = palette[index];
            ErrorEntry& behind = errorRow[static_cast<std::size_t>(entry)];
            Spread(blue, behind.blue, b - chosen[0]);
            Spread(green, behind.green, g - chosen[1]);
            Spread(red, behind.red, r - chosen[2]);
        }
        ErrorEntry& last = errorRow[static_cast<std::size_t>(entry)];
        last = {blue.previous, green.previous, red.previous};
    }
}

} // namespace tamr
