#pragma once
// The sweep's points as CSV: one header line, then one line per point; a
// figure a point lacks (failed, infinite PSNR, no SSIM) is an empty field.

#include <string>

#include "document/RateDistortionSweep.h"

namespace tamr {

std::string SweepCsv(const SweepResult& result);

} // namespace tamr
