#pragma once
// A sweep as one JSON object: the picture's name and size, each codec with
// its library's version and settings, and every point with its figures.

#include <nlohmann/json.hpp>

#include <string>

#include "document/RateDistortionSweep.h"
#include "image/MetricNames.h"

namespace tamr {

nlohmann::json SweepJson(const SweepResult& result, const SweepRequest& request, const MetricSelection& selection,
                         const std::string& pictureName);

} // namespace tamr
