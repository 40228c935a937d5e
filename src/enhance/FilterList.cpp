#include "enhance/FilterList.h"

#include "enhance/ConvolutionFilter.h"
#include "enhance/FillFilters.h"
#include "enhance/MeanFilters.h"
#include "enhance/NegativeFilter.h"
#include "enhance/RankFilters.h"

namespace tamr {
namespace {

using enum FilterOperation;

constexpr FilterEditTexts kAllUnused{"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"};

constexpr std::array<FilterEntry, kFilterCount> kFilters{{
    {"Edge enhance", Convolve, {"-1", "-1", "-1", "-1", "10", "-1", "-1", "-1", "-1", "2", "X"}},
    {"Edge enhance+", Convolve, {"-1", "-1", "-1", "-1", "9", "-1", "-1", "-1", "-1", "1", "X"}},
    {"Edge detect", Convolve, {"-1", "-1", "-1", "-1", "8", "-1", "-1", "-1", "-1", "1", "X"}},
    {"Detail", Convolve, {"0", "-1", "0", "-1", "10", "-1", "0", "-1", "0", "6", "X"}},
    {"Smooth", Convolve, {"1", "1", "1", "1", "5", "1", "1", "1", "1", "13", "X"}},
    {"Sharpen", Convolve, {"-2", "-2", "-2", "-2", "32", "-2", "-2", "-2", "-2", "16", "X"}},
    {"Brighten", Convolve, {"1", "1", "1", "1", "100", "1", "1", "1", "1", "90", "X"}},
    {"Despeckle", Despeckle, {"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "4"}},
    {"Anti-alias", AntiAlias, kAllUnused},
    {"Alias", Alias, kAllUnused},
    {"Erode", Erode, kAllUnused},
    {"Dilate", Dilate, kAllUnused},
    {"Fill across", FillAcross, {"X", "X", "X", "0", "255", "0", "X", "X", "X", "X", "X"}},
    {"Fill down", FillDown, {"X", "0", "X", "X", "255", "X", "X", "0", "X", "X", "X"}},
    {"Fill angles", FillAngles, {"0", "X", "0", "X", "255", "X", "0", "X", "0", "X", "X"}},
    {"Negative", Negative, kAllUnused},
}};

constexpr FilterEntry kNoSelection{"", Convolve, {"0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "X"}};

} // namespace

std::span<const FilterEntry, kFilterCount> FilterList()
{
    return kFilters;
}

const FilterEntry& NoSelectionFilter()
{
    return kNoSelection;
}

FilterParameters ParseEditTexts(std::span<const std::string_view, kFilterEditCount> texts)
{
    FilterParameters parameters;
    for (std::size_t i = 0; i < parameters.kernel.k.size(); ++i) {
        parameters.kernel.k[i] = ParseEditNumber(texts[kEditK0 + i]);
    }
    parameters.kernel.divisor = ParseEditNumber(texts[kEditDivisor]);
    parameters.intensity = ParseEditNumber(texts[kEditIntensity]);
    return parameters;
}

bool RunFilter(FilterOperation operation, PixelView pixels, bool isColour, const FilterParameters& parameters)
{
    const FilterKernel& kernel = parameters.kernel;
    switch (operation) {
    case Convolve:
        return isColour ? ConvolveColour(pixels, kernel) : ConvolveGray(pixels, kernel);
    case Despeckle:
        return isColour ? DespeckleColour(pixels, parameters.intensity) : DespeckleGray(pixels, parameters.intensity);
    case AntiAlias:
        return isColour ? AntiAliasColour(pixels) : AntiAliasGray(pixels);
    case Alias:
        return isColour ? AliasColour(pixels) : AliasGray(pixels);
    case Erode:
        return isColour ? ErodeColour(pixels) : ErodeGray(pixels);
    case Dilate:
        return isColour ? DilateColour(pixels) : DilateGray(pixels);
    case FillAcross:
        return isColour ? FillAcrossColour(pixels, kernel) : FillAcrossGray(pixels, kernel);
    case FillDown:
        return isColour ? FillDownColour(pixels, kernel) : FillDownGray(pixels, kernel);
    case FillAngles:
        return isColour ? FillAnglesColour(pixels, kernel) : FillAnglesGray(pixels, kernel);
    case Negative:
        return isColour ? NegativeColour(pixels) : NegativeGray(pixels);
    }
    return false;
}

} // namespace tamr
