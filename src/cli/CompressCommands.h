#pragma once
// tamr-cli compress, decompress, roundtrip, stats and convert: each opens its
// input through the document, as the program does.

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>

#include "cli/CodecOptions.h"
#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct CliSession;

struct CompressOptions {
    std::string input;
    std::string output;
    std::string decoded; // compress: also write the decoded image as BMP
    std::string format;  // the kind of OUT when its name gives none ("-")
    bool json = false;
    bool yes = false; // answer the bit-depth warnings with Yes
    std::optional<std::uint32_t> targetSize;
    std::optional<double> targetPsnr;
    // --optimise: the settings searched (with these targets too) rather than the quality factor.
    bool optimise = false;
    std::optional<double> targetPsnrY;
    std::optional<double> targetSsim;
    std::optional<double> bitsPerPixel;
    CodecOptions codec;
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

struct DecompressOptions {
    std::string input;
    std::string output;
    std::string format; // the kind of OUT when its name gives none ("-")
    bool yes = false;
    int threads = 0;          // 0: one per hardware thread
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

struct StatsOptions {
    std::string input;
    std::optional<int> quality;
    bool json = false;
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

CLI::App* AddCompressCommand(CLI::App& app, CompressOptions& options);
CLI::App* AddRoundtripCommand(CLI::App& app, CompressOptions& options);
CLI::App* AddDecompressCommand(CLI::App& app, DecompressOptions& options);
CLI::App* AddConvertCommand(CLI::App& app, DecompressOptions& options);
CLI::App* AddStatsCommand(CLI::App& app, StatsOptions& options);

// Each returns the exit status: 0 done, 1 failed (after saying why).
int RunCompressCommand(const CompressOptions& options, std::ostream& out, std::ostream& err);
// The same with the caller's session (made with the options' limits and console).
int RunCompressCommand(const CompressOptions& options, CliSession& session, std::ostream& out, std::ostream& err);
int RunRoundtripCommand(const CompressOptions& options, std::ostream& out, std::ostream& err);
// decompress and convert: any picture tamr opens, written as BMP with the Save As rules.
int RunConvertCommand(const DecompressOptions& options, bool codOnly, std::ostream& err);
int RunStatsCommand(const StatsOptions& options, std::ostream& out, std::ostream& err);

} // namespace tamr
