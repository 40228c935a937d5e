#include "image/MetricNames.h"

#include <algorithm>
#include <cmath>

#include "image/Butteraugli.h"

namespace tamr {
namespace {

constexpr MetricName kNames[] = {
    {"psnr", "PSNR", false},
    {"psnr_rgb", "PSNR-RGB", false},
    {"psnr_y", "PSNR-Y", false},
    {"mse", "MSE", false},
    {"largest_difference", "Max Pixel Difference", false},
    {"ssim", "SSIM", false},
    {"ms_ssim", "MS-SSIM", false},
    {"butteraugli", "Butteraugli", true},
    {"butteraugli_max", "Butteraugli max", true},
};

bool IsButteraugli(std::string_view key)
{
    return key == "butteraugli" || key == "butteraugli_max";
}

std::optional<double> Finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::string KnownNames()
{
    std::string names;
    for (const MetricName& name : kNames)
        names += std::string(names.empty() ? "" : ", ") + std::string(name.key);
    return names;
}

} // namespace

std::span<const MetricName> MetricNames()
{
    return kNames;
}

bool MetricSelection::Has(std::string_view key) const
{
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

MetricChoice MetricSelection::Choice() const
{
    return MetricChoice{Has("ssim"), Has("ms_ssim"), Has("butteraugli") || Has("butteraugli_max")};
}

MetricSelection DefaultMetrics()
{
    MetricSelection selection;
    for (const MetricName& name : kNames)
        if (!name.costly)
            selection.keys.push_back(name.key);
    return selection;
}

MetricListParse ParseMetricList(std::string_view text)
{
    if (text == "default")
        return {DefaultMetrics(), {}};
    std::vector<std::string_view> asked;
    if (text == "all") {
        for (const MetricName& name : kNames)
            asked.push_back(name.key);
    } else {
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t comma = std::min(text.find(',', start), text.size());
            asked.push_back(text.substr(start, comma - start));
            start = comma + 1;
        }
    }
    MetricListParse parse;
    for (const MetricName& name : kNames) {
        const bool named =
            std::find(asked.begin(), asked.end(), name.key) != asked.end() ||
            (IsButteraugli(name.key) && (std::find_if(asked.begin(), asked.end(), IsButteraugli) != asked.end()));
        if (named)
            parse.selection.keys.push_back(name.key);
    }
    for (const std::string_view key : asked) {
        if (std::none_of(std::begin(kNames), std::end(kNames),
                         [key](const MetricName& name) { return name.key == key; })) {
            parse.problem = "\"" + std::string(key) + "\" is no metric; the metrics are " + KnownNames() +
                            ", separated by commas, default or all";
            return parse;
        }
        if (IsButteraugli(key) && !ButteraugliAvailable() && text != "all") {
            parse.problem = "Butteraugli is " + std::string(kButteraugliUnavailable);
            return parse;
        }
    }
    if (!ButteraugliAvailable())
        std::erase_if(parse.selection.keys, IsButteraugli);
    return parse;
}

std::optional<double> MetricValue(const PictureMetrics& metrics, std::string_view key)
{
    if (key == "psnr")
        return Finite(metrics.psnr);
    if (key == "psnr_rgb")
        return Finite(metrics.psnrRgb);
    if (key == "psnr_y")
        return Finite(metrics.psnrY);
    if (key == "mse")
        return metrics.meanSquaredError;
    if (key == "largest_difference")
        return metrics.largestDifference;
    if (key == "ssim")
        return metrics.ssim;
    if (key == "ms_ssim")
        return metrics.msSsim;
    if (key == "butteraugli")
        return metrics.butteraugli;
    if (key == "butteraugli_max")
        return metrics.butteraugliMax;
    return std::nullopt;
}

} // namespace tamr
