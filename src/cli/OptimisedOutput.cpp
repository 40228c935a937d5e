#include "cli/OptimisedOutput.h"

#include <cmath>
#include <iomanip>
#include <sstream>

#include "codec/MasterSetup.h"

namespace tamr {
namespace {

std::string_view FigureName(SearchFigure measure)
{
    switch (measure) {
    case SearchFigure::Psnr:
        return "PSNR";
    case SearchFigure::PsnrY:
        return "PSNR-Y";
    case SearchFigure::Ssim:
        return "SSIM";
    }
    return "PSNR";
}

std::string CandidateText(const SearchCandidate& candidate, SearchFigure measure)
{
    return std::to_string(candidate.figures.bytes) + " Bytes, " + FigureText(measure, candidate.figures.figure);
}

} // namespace

std::string FigureText(SearchFigure measure, double value)
{
    std::ostringstream text;
    text << FigureName(measure) << ' ' << std::fixed;
    if (measure == SearchFigure::Ssim)
        text << std::setprecision(4) << value;
    else
        text << std::setprecision(2) << value << " dB";
    return text.str();
}

void PrintOptimised(const SearchOutcome& outcome, SearchFigure measure, std::ostream& out)
{
    const MasterSetupValues values = FromSettings(outcome.settings);
    out << "Master Setup :\n";
    out << "  Total Levels : " << values.totalLevels << '\n';
    out << "  Quantize Vector A : " << values.quantizeVectors[kComponentA] << '\n';
    out << "  Quantize Vector B : " << values.quantizeVectors[kComponentB] << '\n';
    out << "  Quantize Vector C : " << values.quantizeVectors[kComponentC] << '\n';
    out << "  Threshold Vector : " << values.thresholdVector << '\n';
    out << "  Levels to Discard : A " << values.discardLevels[kComponentA] << ", B "
        << values.discardLevels[kComponentB] << ", C " << values.discardLevels[kComponentC] << '\n';
    out << "  Levels to Sample : A " << values.sampleLevels[kComponentA] << ", B " << values.sampleLevels[kComponentB]
        << ", C " << values.sampleLevels[kComponentC] << '\n';
    out << "Optimised : " << CandidateText(outcome.chosen, measure) << '\n';
    out << "Quality Factor " << outcome.qualityFactor.quality << " : " << CandidateText(outcome.qualityFactor, measure)
        << '\n';
    out << "Search : " << outcome.encodes << " encodes, " << outcome.measures << " measured\n";
}

nlohmann::json OptimisedJson(const SearchOutcome& outcome, SearchFigure measure)
{
    const MasterSetupValues values = FromSettings(outcome.settings);
    const auto figure = [](double value) { return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(); };
    return {
        {"total_levels", values.totalLevels},
        {"quantize_vectors", values.quantizeVectors},
        {"threshold_vector", values.thresholdVector},
        {"discard_levels", values.discardLevels},
        {"sample_levels", values.sampleLevels},
        {"figure", FigureName(measure)},
        {"bytes", outcome.chosen.figures.bytes},
        {"value", figure(outcome.chosen.figures.figure)},
        {"quality_factor", outcome.qualityFactor.quality},
        {"quality_factor_bytes", outcome.qualityFactor.figures.bytes},
        {"quality_factor_value", figure(outcome.qualityFactor.figures.figure)},
        {"encodes", outcome.encodes},
        {"measures", outcome.measures},
    };
}

} // namespace tamr
