#pragma once
// tamr-cli sweep PICTURE: tamr at a row of quality factors against the peer
// codecs of the registry, as a table, JSON or CSV, and an SVG plot.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct SweepOptions {
    std::string input;
    std::string qualities = "0:99:5";
    std::string peers = "jpeg,jp2,webp";
    bool json = false;
    bool csv = false;
    std::string svg;
    std::string outputFolder; // each point's coded file and decoded BMP
    int threads = 0;
    std::string metrics = "default"; // as ParseMetricList reads it
    Limits limits{};                 // the global --max-megapixels
    ConsoleOptions console{};        // the global --quiet and --progress
};

CLI::App* AddSweepCommand(CLI::App& app, SweepOptions& options);
int RunSweepCommand(const SweepOptions& options, std::ostream& out, std::ostream& err);

} // namespace tamr
