#pragma once
// The BD-rate table of an evaluation for one figure: a column per codec
// against the anchor, the mean over the pictures first, then a row per
// picture carrying its file's path (Qt::UserRole of its first cell).

#include <string_view>

#include "evaluate/EvaluationReport.h"

class QTableWidget;

namespace tamr::qt {

// Replaces what the table showed. A delta without a value, or of curves
// overlapping too little, shows "n/a" with the reason as its tool tip.
void FillDeltaTable(QTableWidget& table, const Evaluation& evaluation, const EvaluationReport& report,
                    std::string_view metricKey);

} // namespace tamr::qt
