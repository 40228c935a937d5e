#pragma once
// tamr-cli info FILE: what kind of image a file holds, its size and depth.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct InfoOptions {
    std::string path;
    bool json = false;
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

// Registers the subcommand; its options are filled in when the command line is parsed.
CLI::App* AddInfoCommand(CLI::App& app, InfoOptions& options);

// Prints one "name: value" line per property to out; problems go to the prompter
// or, when the system has nothing to say, to err. Returns the exit status.
int RunInfoCommand(const InfoOptions& options, std::ostream& out, std::ostream& err);

} // namespace tamr
