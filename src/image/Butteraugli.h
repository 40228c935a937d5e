#pragma once
// The Butteraugli distance of libjxl's public API (jxl/butteraugli.h), when
// this build has libjxl; 8-bit samples are taken as sRGB shown at
// kButteraugliIntensityTarget candela per square metre.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr {

inline constexpr float kButteraugliIntensityTarget = 80.0f;
inline constexpr std::string_view kButteraugliUnavailable = "not available in this build (libjxl was missing)";
// The library holds about 250 bytes per pixel while it measures (about 1 GB
// at 4 MP), so larger pictures are not measured: 2^23 pixels keep it near 2 GiB.
inline constexpr std::uint64_t kButteraugliMaxPixels = std::uint64_t{1} << 23;
inline constexpr std::string_view kButteraugliTooLarge = "not measured on pictures over 8.4 million pixels";

// Whether a picture of this size is small enough to be measured.
constexpr bool ButteraugliSizeAllowed(int width, int height)
{
    return width > 0 && height > 0 &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kButteraugliMaxPixels;
}

struct ButteraugliFigures {
    double distance = 0;    // the 3-norm of the distance map
    double maxDistance = 0; // its largest value
    std::vector<float> map; // width * height, rows from the top; empty unless asked for
};

// Whether this build measures Butteraugli at all.
bool ButteraugliAvailable();

// bytesPerPixel 1 (gray, measured as equal red, green and blue) or 3, bottom-up
// padded rows of one size, at least 8 x 8 and within kButteraugliMaxPixels.
// None without libjxl, for views
// that do not hold such pictures, or when the library fails.
std::optional<ButteraugliFigures> MeasureButteraugli(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                                                     bool withMap);

} // namespace tamr
