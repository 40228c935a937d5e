#pragma once
// tamr-cli batch: compresses many pictures, one per worker thread, each
// exactly as a single compress would, with a progress bar and a summary.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct BatchOptions {
    std::string outputFolder;
    int quality = 50;
    unsigned threads = 0; // 0: one per core
    std::vector<std::string> files;
    bool json = false;
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

CLI::App* AddBatchCommand(CLI::App& app, BatchOptions& options);
int RunBatchCommand(const BatchOptions& options, std::ostream& out, std::ostream& err);

} // namespace tamr
