#pragma once
// Printing a document's figures: the Statistics dialog's texts, or one JSON object.

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>

#include "document/DocumentStatistics.h"
#include "image/MetricNames.h"

namespace tamr {

// JSON has no infinity: an infinite figure (an unchanged picture) is null.
nlohmann::json FiniteOrNull(double value);
// null for a figure not measured.
nlohmann::json OptionalJson(const std::optional<double>& value);

// Every figure of MetricNames under its key: its value when `selection`
// has it and it was measured, otherwise null.
void AddMetricsJson(nlohmann::json& object, const PictureMetrics& metrics, const MetricSelection& selection);

// The Statistics figures, with `ssim` and `psnr_y` from the metrics (null
// without them), and `bytes`, `bpp`, `encode_seconds` and `decode_seconds` as
// sweep names them. Differences not measured (before compressing, a COD file
// on its own) are null, never 0.
nlohmann::json FiguresJson(const DocumentFigures& figures, const std::optional<PictureMetrics>& metrics);
// The Statistics dialog's labels and texts, one per line.
void PrintStatistics(const DocumentFigures& figures, std::ostream& out);

} // namespace tamr
