#pragma once
// The Bjøntegaard deltas of an evaluation: each codec against the anchor for
// each figure, per picture and over the pictures. Pictures whose curves
// overlap too little are named and left out of the means, as are those
// without a value.

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "evaluate/BjontegaardDelta.h"
#include "evaluate/Evaluation.h"

namespace tamr {

struct PictureDeltas {
    std::string picture;
    BjontegaardDelta rate;    // percent
    BjontegaardDelta quality; // in the figure's units
};

struct DeltaMean {
    double mean = std::numeric_limits<double>::quiet_NaN(); // NaN when no picture counts
    std::size_t averaged = 0;
    std::vector<std::string> tooLittleOverlap; // measured, but left out
    std::vector<std::string> withoutValue;     // "NAME: reason"
};

struct CodecDeltas {
    std::string codec;
    std::string metric; // the figure's key
    std::vector<PictureDeltas> pictures;
    DeltaMean rate;
    // The geometric mean of the pictures' rate ratios (1 + BD-rate / 100) as a
    // percentage like BD-rate, over the pictures of the mean.
    double geometricRate = std::numeric_limits<double>::quiet_NaN();
    DeltaMean quality;
};

struct EvaluationReport {
    std::string anchor;
    CurveFit fit = CurveFit::Akima;
    std::vector<CodecDeltas> rows; // by figure, then codec; the anchor has none
};

// The figures of the evaluation a curve can be drawn of (those of SweepMetrics);
// every codec of the evaluation but the anchor against it.
EvaluationReport MakeReport(const Evaluation& evaluation, std::string_view anchor, CurveFit fit);

} // namespace tamr
