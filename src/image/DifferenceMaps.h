#pragma once
// Where two pictures differ, by one of three measures, as one value per
// pixel and as a heat picture: black (no difference) through blue, red and
// yellow to white (the top of the map's scale).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/PixelPlaneViews.h"

namespace tamr {

enum class MapKind {
    Absolute,    // the largest channel difference |A - B| of each pixel; 0 to the largest in the picture
    Ssim,        // 1 - SSIM of the window centred on the pixel (the nearest whole window at the edges); 0 to 1
    Butteraugli, // the Butteraugli distance of each pixel; 0 to the largest in the picture
};

struct MapKindName {
    MapKind kind;
    std::string_view name;     // on the command line: "ssim"
    std::string_view quantity; // what a value is: "1 - SSIM"
};
std::span<const MapKindName> MapKindNames();
std::optional<MapKind> FindMapKind(std::string_view name);
std::string_view MapQuantity(MapKind kind);

struct DifferenceMap {
    MapKind kind = MapKind::Absolute;
    int width = 0;
    int height = 0;
    std::vector<float> values; // width * height, rows from the top
    double top = 1;            // the value drawn white; larger values are drawn white too
};

// The map of two pictures of one size and depth (bytesPerPixel 1 or 3,
// bottom-up padded rows). None when the views do not hold such pictures, for
// an SSIM map of a picture smaller than 11 x 11, and for a Butteraugli map
// without libjxl. The same values on any number of threads (0: one per core).
std::optional<DifferenceMap> ComputeDifferenceMap(MapKind kind, ConstPixelView original, ConstPixelView decoded,
                                                  int bytesPerPixel, int threads);

// Three bytes (blue, green, red) per pixel, bottom-up rows padded to 4 bytes:
// HeatRowPad(width) bytes after each row.
std::vector<std::uint8_t> HeatPicture(const DifferenceMap& map);
int HeatRowPad(int width);

// The heat colour (red, green, blue) of a value on a scale from 0 to top.
std::array<std::uint8_t, 3> HeatRgb(double value, double top);

} // namespace tamr
