#pragma once
// An evaluation's report as JSON, CSV or a table, and its mean curves in the
// results schema of CompressAI, whose plots the field uses.

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

#include "evaluate/EvaluationReport.h"

namespace tamr {

// What a figure's key measures, with its source; empty for a key it does not know.
std::string_view MetricDefinition(std::string_view key);

// Everything a reader needs to reproduce the report: tamr's version, each
// codec's library and settings, the figures' definitions, each picture's
// hash, size and points (with the exact settings each was coded with), and
// the deltas.
nlohmann::json ReportJson(const Evaluation& evaluation, const EvaluationReport& report);
// One row per picture and figure and codec, and rows of the means.
std::string ReportCsv(const EvaluationReport& report);
// The deltas' table, then the pictures left out of each mean.
std::string ReportTable(const Evaluation& evaluation, const EvaluationReport& report);
// An array of one object per codec: {name, description, results: {psnr-rgb,
// ms-ssim-rgb, bpp, encoding_time, decoding_time}}, each list the mean at
// each quality over the pictures measured there (null where none was).
nlohmann::json CompressAiResults(const Evaluation& evaluation);

} // namespace tamr
