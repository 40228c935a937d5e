#pragma once
// tamr-cli evaluate PICTURES_OR_FOLDERS...: every picture swept by every codec,
// then each codec's Bjøntegaard deltas against an anchor codec, per picture
// and over the pictures; resumable through a results folder, shardable, and
// shards merged into one report.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct EvaluateOptions {
    std::vector<std::string> inputs; // pictures and folders
    std::string codecs = "tamr,jpeg,jp2,webp";
    std::string qualities = "5:95:10";
    std::string metrics = "default";
    std::string anchor = "jpeg";
    std::string bdMethod = "akima";
    std::string outputFolder;
    std::string reportFile; // the HTML page
    bool json = false;
    bool csv = false;
    std::string jsonSchema = "tamr";
    int threads = 0;
    std::string shard; // "K/N"
    std::vector<std::string> merge;
    std::string programVersion;
    Limits limits{};
    ConsoleOptions console{};
};

CLI::App* AddEvaluateCommand(CLI::App& app, EvaluateOptions& options);
int RunEvaluateCommand(const EvaluateOptions& options, std::ostream& out, std::ostream& err);

} // namespace tamr
