#pragma once
// Printing what the optimising encoder chose: its settings as Master Setup
// shows them, and its figures beside the quality factor's at the same target.

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

#include "codec/SettingsSearch.h"

namespace tamr {

// The figure's name and its value with units: "PSNR 31.01 dB", "SSIM 0.9312".
std::string FigureText(SearchFigure measure, double value);

void PrintOptimised(const SearchOutcome& outcome, SearchFigure measure, std::ostream& out);
nlohmann::json OptimisedJson(const SearchOutcome& outcome, SearchFigure measure);

} // namespace tamr
