#pragma once
// The Bjøntegaard deltas of one picture's sweep: each codec against an
// anchor codec for one figure, as the rate-distortion window shows them
// under its chart, and the words that show them.

#include <QString>
#include <vector>

#include "document/RateDistortionSweep.h"
#include "document/SweepMetrics.h"
#include "evaluate/BjontegaardDelta.h"

namespace tamr::qt {

struct CodecDelta {
    const PeerCodec* codec = nullptr;
    BjontegaardDelta rate;    // percent
    BjontegaardDelta quality; // in the figure's units
};

// Every codec of the result but the anchor, in the result's order, with
// Akima curves as the evaluation fits them.
std::vector<CodecDelta> RateDistortionDeltas(const SweepResult& result, const SweepMetric& metric,
                                             const PeerCodec& anchor);

// Why a delta shows no value: its problem, or that the curves overlap too
// little (with how much); empty when it shows one.
QString DeltaProblem(const BjontegaardDelta& delta);
// What stands where a delta has no value: "n/a".
QString NotAvailableText();
// That a picture's curves overlap too little to be counted.
QString TooLittleOverlapText();

// A delta's value ("-12.34 %", "+0.8123"), or "n/a" with the reason it has none.
QString DeltaRateText(const BjontegaardDelta& delta);
QString DeltaQualityText(const BjontegaardDelta& delta);
// "JPEG 2000: BD-rate -12.34 %, BD-PSNR +0.81"
QString CodecDeltaText(const CodecDelta& delta, const SweepMetric& metric);

} // namespace tamr::qt
