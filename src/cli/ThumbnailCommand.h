#pragma once
// tamr-cli thumbnail IN OUT.png --size N: a small PNG of any picture tamr
// opens, for file managers (res/tamr.thumbnailer runs it for COD files).

#include <CLI/CLI.hpp>

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct ThumbnailOptions {
    std::string input;
    std::string output;
    std::uint32_t size = 128; // the longest side, in pixels
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --any-variant
};

CLI::App* AddThumbnailCommand(CLI::App& app, ThumbnailOptions& options);

// 0 done, 1 failed (after saying why on err).
int RunThumbnailCommand(const ThumbnailOptions& options, std::ostream& err);

} // namespace tamr
