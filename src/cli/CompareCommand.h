#pragma once
// tamr-cli compare A B: how far one picture is from another, and where.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct CompareOptions {
    std::string first;
    std::string second;
    bool json = false;
    std::string diff;   // also write |A - B| amplified as a BMP (or PNG, PNM) file
    std::string format; // the kind of the --diff file when its name gives none ("-")
    int amplify = 8;
    std::string metrics = "default"; // the figures reported, as ParseMetricList reads them
    std::string map = "absolute";    // the measure of the --map-out picture
    std::string mapOut;              // also write the map as a heat picture
    Limits limits{};                 // the global --max-megapixels
    ConsoleOptions console{};        // the global --quiet and --progress
};

CLI::App* AddCompareCommand(CLI::App& app, CompareOptions& options);

// Prints the chosen figures of the pictures as shown (a COD file decoded);
// 1 after saying why when they cannot be compared.
int RunCompareCommand(const CompareOptions& options, std::ostream& out, std::ostream& err);

} // namespace tamr
