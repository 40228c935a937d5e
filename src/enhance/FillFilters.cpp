#include "enhance/FillFilters.h"

#include <optional>

#include "enhance/InteriorFilter.h"

namespace tamr {
namespace {

// One line of three window places and the three multipliers it must match.
struct FillLine {
    WindowPlace first;
    WindowPlace last;
    std::size_t firstWeight;
    std::size_t lastWeight;
};

constexpr FillLine kAcross{kLeft, kRight, 3, 5};
constexpr FillLine kDown{kPrev, kNext, 1, 7};
constexpr FillLine kRisingDiagonal{kPrevLeft, kNextRight, 0, 8};
constexpr FillLine kFallingDiagonal{kPrevRight, kNextLeft, 2, 6};

// The fill value when the line matches; the multipliers are clamped, so a
// negative one never matches a pixel value.
std::optional<std::uint8_t> Match(const Window& window, const FilterKernel& kernel, const FillLine& line)
{
    const std::int32_t first = kernel.k[line.firstWeight];
    const std::int32_t last = kernel.k[line.lastWeight];
    if (window[line.first] != first || window[kCentre] != kernel.k[kCentre] || window[line.last] != last) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>((first + last) / 2);
}

bool Fill(PixelView pixels, int bytesPerPixel, const FilterKernel& kernel, const FillLine& line)
{
    const FilterKernel prepared = PrepareKernel(kernel);
    return FilterInterior(pixels, bytesPerPixel, [&](const Window& window) {
        return Match(window, prepared, line).value_or(static_cast<std::uint8_t>(window[kCentre]));
    });
}

bool FillTwoLines(PixelView pixels, int bytesPerPixel, const FilterKernel& kernel, const FillLine& firstTested,
                  const FillLine& secondTested)
{
    const FilterKernel prepared = PrepareKernel(kernel);
    return FilterInterior(pixels, bytesPerPixel, [&](const Window& window) {
        if (const auto fill = Match(window, prepared, firstTested)) {
            return *fill;
        }
        return Match(window, prepared, secondTested).value_or(static_cast<std::uint8_t>(window[kCentre]));
    });
}

} // namespace

bool FillAcrossGray(PixelView pixels, const FilterKernel& kernel)
{
    return Fill(pixels, kGrayBytesPerPixel, kernel, kAcross);
}

bool FillAcrossColour(PixelView pixels, const FilterKernel& kernel)
{
    return Fill(pixels, kColourBytesPerPixel, kernel, kAcross);
}

bool FillDownGray(PixelView pixels, const FilterKernel& kernel)
{
    return Fill(pixels, kGrayBytesPerPixel, kernel, kDown);
}

bool FillDownColour(PixelView pixels, const FilterKernel& kernel)
{
    return Fill(pixels, kColourBytesPerPixel, kernel, kDown);
}

bool FillAnglesGray(PixelView pixels, const FilterKernel& kernel)
{
    return FillTwoLines(pixels, kGrayBytesPerPixel, kernel, kFallingDiagonal, kRisingDiagonal);
}

bool FillAnglesColour(PixelView pixels, const FilterKernel& kernel)
{
    return FillTwoLines(pixels, kColourBytesPerPixel, kernel, kRisingDiagonal, kFallingDiagonal);
}

} // namespace tamr
