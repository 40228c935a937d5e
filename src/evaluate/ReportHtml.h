#pragma once
// An evaluation's report as one self-contained HTML page (nothing fetched):
// the mean rate-distortion curves, the deltas against the anchor, the
// pictures' table sortable by any column, and each picture's own curves.

#include <string>
#include <vector>

#include "evaluate/EvaluationReport.h"

namespace tamr {

// `thumbnails`: a data URI for each picture in order (ThumbnailDataUri), empty for none.
std::string ReportHtml(const Evaluation& evaluation, const EvaluationReport& report,
                       const std::vector<std::string>& thumbnails = {});

} // namespace tamr
