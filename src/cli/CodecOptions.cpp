#include "cli/CodecOptions.h"

#include "codec/MasterSetup.h"
#include "codec/RawSettings.h"

namespace tamr {

namespace {

void ShowSetupError(Prompter& prompter, const std::string& text)
{
    prompter.ShowMessage(
        Message{text, std::string(kMasterSetupErrorCaption), kMasterSetupErrorIcon, MessageButtons::Ok});
}

} // namespace

void AddCodecOptions(CLI::App& command, CodecOptions& options)
{
    command.add_option("-q,--quality", options.quality, "quality factor 0..100 (100: lossless)")
        ->check(CLI::Range(0, 100));
    command.add_option("--levels", options.levels, "raw setting: total wavelet levels");
    command.add_option("--quant-a", options.quantA, "raw setting: quantize vector of component A");
    command.add_option("--quant-b", options.quantB, "raw setting: quantize vector of component B");
    command.add_option("--quant-c", options.quantC, "raw setting: quantize vector of component C");
    command.add_option("--threshold", options.threshold, "raw setting: threshold vector");
    command.add_option("--discard", options.discard, "raw setting: levels to discard for A,B,C");
    command.add_option("--sample", options.sample, "raw setting: levels to sample for A,B,C");
    AddThreadsOption(command, options.threads);
}

void AddThreadsOption(CLI::App& command, int& threads)
{
    command.add_option("--threads", threads, "threads for coding and decoding (default: one per processor)")
        ->check(CLI::Range(1, 256));
}

std::optional<CodecSettings> SettingsFromOptions(const CodecOptions& options, Prompter& prompter)
{
    const RawSettingTexts raw{options.levels,    options.quantA,  options.quantB, options.quantC,
                              options.threshold, options.discard, options.sample};
    auto result = SettingsFromTexts(options.quality, raw);
    if (!result.settings) {
        ShowSetupError(prompter, result.problem);
        return std::nullopt;
    }
    result.settings->threads = options.threads;
    return result.settings;
}

} // namespace tamr
