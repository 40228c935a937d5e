#pragma once
// A sweep point as JSON and back, every figure exactly: the record of a
// point in a results folder, in an evaluation and in its report.

#include <nlohmann/json.hpp>

#include <optional>

#include "document/RateDistortionSweep.h"

namespace tamr {

// Codec, quality, settings, bytes, bpp, every figure (an infinite PSNR as
// null), times, and the failure of a point that was not measured.
nlohmann::json PointRecord(const SweepPoint& point);
// The point of a record; nothing for a record that is not one, or whose
// codec this build's registry does not know.
std::optional<SweepPoint> PointFromRecord(const nlohmann::json& record);

// What the costlier figures of a record were measured for, and back.
nlohmann::json ChoiceRecord(const MetricChoice& choice);
MetricChoice ChoiceFromRecord(const nlohmann::json& record);
// True when everything `wanted` asks for was measured under `measured`.
bool ChoiceCovers(const MetricChoice& measured, const MetricChoice& wanted);

} // namespace tamr
