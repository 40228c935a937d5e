#pragma once
// A figure as a cell of the report's tables.

#include <string>

namespace tamr {

// The value printed with `format` (one printf conversion of a double); "n/a"
// when it is not finite.
std::string ReportCell(const char* format, double value);

} // namespace tamr
