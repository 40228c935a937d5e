#pragma once
// An evaluation's mean curves drawn on a chart: a line with dots per codec in
// the registry's colour, a figure against bits per pixel, as the
// rate-distortion window draws one picture's.

#include <span>

#include "evaluate/MeanCurves.h"

class QChart;

namespace tamr::qt {

// Replaces what the chart showed.
void DrawMeanCurves(QChart& chart, std::span<const MeanCurve> curves, const SweepMetric& metric);

} // namespace tamr::qt
