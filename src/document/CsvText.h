#pragma once
// The fields of tamr's CSV files.

#include <string>

namespace tamr {

// The shortest text that reads back as the same double; empty when the value
// is not finite (a figure the point lacks).
std::string CsvNumber(double value);
// Text in quotes, its own quotes doubled.
std::string CsvQuoted(const std::string& text);

} // namespace tamr
