#pragma once
// The sixteen filters of the Filters dialog in list order, with the texts
// that "Default" and a change of selection put into the eleven edits, and the
// one call that runs any of them on a gray or colour image.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "enhance/FilterKernel.h"
#include "image/PixelPlaneViews.h"

namespace tamr {

enum class FilterOperation {
    Convolve,
    Despeckle,
    AntiAlias,
    Alias,
    Erode,
    Dilate,
    FillAcross,
    FillDown,
    FillAngles,
    Negative,
};

// The eleven edits: the multipliers k0 to k8 row by row, the divisor, the intensity.
enum FilterEdit : std::size_t {
    kEditK0,
    kEditK1,
    kEditK2,
    kEditK3,
    kEditK4,
    kEditK5,
    kEditK6,
    kEditK7,
    kEditK8,
    kEditDivisor,
    kEditIntensity,
};
inline constexpr std::size_t kFilterEditCount = 11;

// "X" marks an edit the filter does not use.
using FilterEditTexts = std::array<std::string_view, kFilterEditCount>;

struct FilterEntry {
    std::string_view name;
    FilterOperation operation;
    FilterEditTexts defaults;
};

inline constexpr std::size_t kFilterCount = 16;

// Index i is list entry i.
std::span<const FilterEntry, kFilterCount> FilterList();

// What the edits hold and Apply runs when no list entry is selected: a
// convolution with an all-zero kernel and divisor 1.
const FilterEntry& NoSelectionFilter();

// The kernel and intensity read from the edit texts as numbers.
struct FilterParameters {
    FilterKernel kernel;
    std::int32_t intensity = 0;
};
FilterParameters ParseEditTexts(std::span<const std::string_view, kFilterEditCount> texts);

// Runs one filter in place, the colour variant (three bytes per pixel) when
// isColour is set, else the gray one. False when the filter could not get its
// working memory or the view does not hold its rows (the pixels are then
// untouched).
bool RunFilter(FilterOperation operation, PixelView pixels, bool isColour, const FilterParameters& parameters);

} // namespace tamr
