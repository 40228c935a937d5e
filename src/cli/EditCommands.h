#pragma once
// tamr-cli filter and sharpen: the Filters and Sharpen Image commands run on
// a picture opened through the document, the result saved with the Save As
// rules.

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct FilterOptions {
    std::string input;
    std::string output;
    std::string format; // the kind of OUT when its name gives none ("-")
    std::string name;
    // Texts as they would be typed into the dialog's edits.
    std::optional<std::string> kernel; // nine texts k0,...,k8
    std::optional<std::string> divisor;
    std::optional<std::string> intensity;
    int times = 1;
    bool yes = false;
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

struct SharpenOptions {
    std::string input;
    std::string output;
    std::string format; // the kind of OUT when its name gives none ("-")
    std::optional<int> amount;
    std::optional<std::string> amounts; // top, middle and bottom bar: R,G,B
    bool yes = false;
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

CLI::App* AddFilterCommand(CLI::App& app, FilterOptions& options);
CLI::App* AddSharpenCommand(CLI::App& app, SharpenOptions& options);

// Each returns the exit status: 0 written, 1 failed (after saying why).
int RunFilterCommand(const FilterOptions& options, std::ostream& err);
int RunSharpenCommand(const SharpenOptions& options, std::ostream& err);

} // namespace tamr
