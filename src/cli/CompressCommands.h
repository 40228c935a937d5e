#pragma once
// tamr-cli compress, decompress and roundtrip.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "cli/CodecOptions.h"
#include "platform/Prompter.h"

namespace tamr {

struct CompressOptions {
    std::string input;
    std::string output;
    std::string decoded; // optional: also write the decoded image as BMP
    bool json = false;
    CodecOptions codec;
};

struct DecompressOptions {
    std::string input;
    std::string output;
};

CLI::App* AddCompressCommand(CLI::App& app, CompressOptions& options);
CLI::App* AddRoundtripCommand(CLI::App& app, CompressOptions& options);
CLI::App* AddDecompressCommand(CLI::App& app, DecompressOptions& options);

// Each returns the exit status: 0 done, 1 failed (after saying why).
int RunCompressCommand(const CompressOptions& options, bool writeCod, std::ostream& out, std::ostream& err,
                       Prompter& prompter);
int RunDecompressCommand(const DecompressOptions& options, std::ostream& err, Prompter& prompter);

} // namespace tamr
