#pragma once
// tamr-cli palette IN OUT.bmp: the picture as a 256-colour screen shows it,
// its index image written as an 8-bit BMP with the palette as colour table.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>

#include "cli/ConsoleOptions.h"
#include "platform/Limits.h"

namespace tamr {

struct PaletteOptions {
    std::string input;
    std::string output;
    std::string format;       // the kind of OUT when its name gives none ("-")
    bool fixed = false;       // the fixed colour table instead of a custom palette
    bool dither = false;      // Floyd-Steinberg error diffusion
    Limits limits{};          // the global --max-megapixels
    ConsoleOptions console{}; // the global --quiet and --progress
};

CLI::App* AddPaletteCommand(CLI::App& app, PaletteOptions& options);
int RunPaletteCommand(const PaletteOptions& options, std::ostream& err);

} // namespace tamr
