#pragma once
// An evaluation as JSON and back: what a results folder keeps of a run (or
// of one shard of it), so that shards run apart can be merged into one report.

#include <nlohmann/json.hpp>

#include <optional>
#include <span>
#include <string>

#include "evaluate/Evaluation.h"

namespace tamr {

nlohmann::json EvaluationRecord(const Evaluation& evaluation);
// Nothing, with the reason, for a record that is not one.
std::optional<Evaluation> EvaluationFromRecord(const nlohmann::json& record, std::string& problem);

// One evaluation of the shards' evaluations: the same program, codecs and
// libraries, qualities, figures and set of pictures; every picture once, in
// the set's order. Nothing, with the reason, when they differ.
std::optional<Evaluation> MergeEvaluations(std::span<const Evaluation> shards, std::string& problem);

// The file a results folder keeps its evaluation in.
inline constexpr std::string_view kEvaluationFile = "evaluation.json";

} // namespace tamr
