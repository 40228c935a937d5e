#pragma once
// Printing a document's figures: the Statistics dialog's texts, or one JSON object.

#include <nlohmann/json.hpp>

#include <ostream>

#include "document/DocumentStatistics.h"

namespace tamr {

nlohmann::json FiguresJson(const DocumentFigures& figures);
// The Statistics dialog's labels and texts, one per line.
void PrintStatistics(const DocumentFigures& figures, std::ostream& out);

} // namespace tamr
