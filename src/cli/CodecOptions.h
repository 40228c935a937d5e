#pragma once
// The codec settings a command line asks for: a quality factor, optionally
// refined by raw settings exactly as the Master Setup dialog would take them.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "codec/CodecSettings.h"
#include "platform/Prompter.h"

namespace tamr {

struct CodecOptions {
    int quality = 50;
    // Raw settings as typed: read as the dialog reads its edits, so that signs
    // count and a text that is no number is refused with a message of its own.
    std::optional<std::string> levels;
    std::optional<std::string> quantA;
    std::optional<std::string> quantB;
    std::optional<std::string> quantC;
    std::optional<std::string> threshold;
    std::optional<std::string> discard;
    std::optional<std::string> sample;
    int threads = 0; // 0: one per hardware thread; never changes the output

    bool HasRawSettings() const { return levels || quantA || quantB || quantC || threshold || discard || sample; }
};

void AddCodecOptions(CLI::App& command, CodecOptions& options);
// --threads N: how many threads code and decode (1: none besides the main one).
void AddThreadsOption(CLI::App& command, int& threads);

// The settings of the quality factor, then the raw settings on top as a
// Master Setup OK after an Easy Setup would leave them. Nothing (after telling
// the prompter why) when the raw settings are not numbers or break a Master
// Setup rule.
std::optional<CodecSettings> SettingsFromOptions(const CodecOptions& options, Prompter& prompter);

} // namespace tamr
