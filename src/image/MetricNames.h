#pragma once
// The figures of PictureMetrics by the names every command uses for them:
// the JSON keys, the CSV columns and the words of a --metrics list.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/PictureMetrics.h"

namespace tamr {

struct MetricName {
    std::string_view key;   // "ms_ssim"
    std::string_view label; // "MS-SSIM", as a text line or a column title
    bool costly;            // measured only when named (not among the defaults)
};

// psnr, psnr_rgb, psnr_y, mse, largest_difference, ssim, ms_ssim, butteraugli, butteraugli_max.
std::span<const MetricName> MetricNames();

// The figures a command reports, in the order of MetricNames.
struct MetricSelection {
    std::vector<std::string_view> keys;

    bool Has(std::string_view key) const;
    // What MeasurePictures has to measure for them.
    MetricChoice Choice() const;
};

// Every figure but the costly ones.
MetricSelection DefaultMetrics();

struct MetricListParse {
    MetricSelection selection;
    std::string problem; // empty when the list is understood
};

// A comma-separated list of keys, "default" for the defaults or "all".
// Naming butteraugli or butteraugli_max takes both. A build without libjxl
// refuses them with kButteraugliUnavailable.
MetricListParse ParseMetricList(std::string_view text);

// The value of a figure: none when it was not measured (or not chosen),
// and for an infinite PSNR.
std::optional<double> MetricValue(const PictureMetrics& metrics, std::string_view key);

} // namespace tamr
