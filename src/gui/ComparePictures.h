#pragma once
// The pictures the compare window shows besides original and decoded: the
// difference amplified by a factor, and the difference as a heat map; and the
// text of the pixel inspector. Plain functions, run off the user-interface thread.

#include <QColor>
#include <QImage>
#include <QString>
#include <optional>

#include "image/DibImage.h"
#include "image/DifferenceMaps.h"

namespace tamr::qt {

inline constexpr int kLargestAmplification = 64;

struct DifferencePictures {
    QImage amplified; // |original − decoded| per channel × factor, at most 255
    QImage heatMap;   // the largest channel difference of each pixel, coloured
    int largest = 0;  // the largest channel difference of the picture: the heat map's top
};

// Both pictures in RGB888 of the same size; null pictures when they differ in size.
DifferencePictures MakeDifferencePictures(const QImage& original, const QImage& decoded, int amplification);

// The heat map's colour of a difference `value` on a scale whose top is `largest`:
// black, blue, red, yellow, white.
QColor HeatColour(int value, int largest);

// A map of DifferenceMaps as a heat picture in RGB888, coloured as
// HeatPicture colours it, and the value its white stands for.
struct HeatMapPicture {
    QImage picture;
    double top = 1;
};
// Both pictures of one size; none when the map cannot be made of them (see
// ComputeDifferenceMap). Runs on every core.
std::optional<HeatMapPicture> MakeHeatMap(MapKind kind, const QImage& original, const QImage& decoded);

// "x 12, y 34   original 200 100 50   decoded 198 101 50   difference 2 1 0";
// empty outside the picture. Both pictures RGB888.
QString InspectorText(const QImage& original, const QImage& decoded, QPoint at);

// The same for an image window, read from the image's reference and working
// pixels (the reference standing in for itself when the image has none).
QString InspectorText(const CDibImage& image, QPoint at);

} // namespace tamr::qt
