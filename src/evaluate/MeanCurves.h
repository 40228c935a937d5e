#pragma once
// The mean rate-distortion curve of each codec over an evaluation's
// pictures for one figure: at each quality, the mean bits per pixel and the
// mean figure of the pictures measured there with the figure.

#include <vector>

#include "document/SweepMetrics.h"
#include "evaluate/BjontegaardDelta.h"
#include "evaluate/Evaluation.h"

namespace tamr {

struct MeanCurve {
    const PeerCodec* codec = nullptr;
    std::vector<RatePoint> points; // by quality; qualities no picture has are left out
};

// In the evaluation's order of codecs; codecs this build lacks are left out.
std::vector<MeanCurve> MeanCurves(const Evaluation& evaluation, const SweepMetric& metric);

} // namespace tamr
