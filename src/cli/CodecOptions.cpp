#include "cli/CodecOptions.h"

#include "codec/MasterSetup.h"
#include "codec/QualityFactor.h"
#include "codec/VectorText.h"

namespace tamr {

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
    CodecSettings settings;
    settings.qualityFactor = static_cast<std::int16_t>(options.quality);
    ApplyQualityFactor(settings);
    settings.threads = options.threads;
    if (!options.HasRawSettings())
        return settings;

    MasterSetupValues values = FromSettings(settings);
    if (options.levels)
        values.totalLevels = *options.levels;
    const std::optional<std::string>* quant[3] = {&options.quantA, &options.quantB, &options.quantC};
    for (std::size_t c = 0; c < kComponentCount; ++c)
        if (*quant[c])
            values.quantizeVectors[c] = **quant[c];
    if (options.threshold)
        values.thresholdVector = *options.threshold;
    if (options.discard) {
        const auto levels = ParseVector(*options.discard, 3);
        for (std::size_t c = 0; c < kComponentCount; ++c)
            values.discardLevels[c] = levels[c];
    }
    if (options.sample) {
        const auto levels = ParseVector(*options.sample, 3);
        for (std::size_t c = 0; c < kComponentCount; ++c)
            values.sampleLevels[c] = levels[c];
    }
    if (const auto problem = ValidateMasterSetup(values)) {
        prompter.ShowMessage(
            Message{*problem, std::string(kMasterSetupErrorCaption), kMasterSetupErrorIcon, MessageButtons::Ok});
        return std::nullopt;
    }
    ApplyMasterSetup(values, settings);
    return settings;
}

} // namespace tamr
