#pragma once
// An evaluation's report as one self-contained HTML page (nothing fetched):
// the mean rate-distortion curves, the deltas against the anchor, the
// pictures' table sortable by any column, and each picture's own curves.

#include <string>

#include "evaluate/EvaluationReport.h"

namespace tamr {

std::string ReportHtml(const Evaluation& evaluation, const EvaluationReport& report);

} // namespace tamr
