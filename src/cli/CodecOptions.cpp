#include "cli/CodecOptions.h"

#include <array>

#include "codec/MasterSetup.h"
#include "codec/QualityFactor.h"
#include "platform/DialogInteger.h"

namespace tamr {

namespace {

void ShowSetupError(Prompter& prompter, const std::string& text)
{
    prompter.ShowMessage(
        Message{text, std::string(kMasterSetupErrorCaption), kMasterSetupErrorIcon, MessageButtons::Ok});
}

// One integer per component, "a,b,c", each read as the dialog's integer edits
// read theirs (so "-1" is minus one); missing entries repeat the last one.
std::optional<std::array<int, kComponentCount>> ComponentIntegers(const std::string& text)
{
    std::array<int, kComponentCount> values{};
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const auto value = ParseDialogInteger(std::string_view(text).substr(start, comma - start));
        if (!value || count == kComponentCount)
            return std::nullopt;
        values[count++] = *value;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    for (std::size_t c = count; c < kComponentCount; ++c)
        values[c] = values[count - 1];
    return values;
}

// Reads --discard or --sample into the dialog's values; false after telling why.
bool ReadComponentLevels(const std::optional<std::string>& text, const char* option,
                         std::array<int, kComponentCount>& levels, Prompter& prompter)
{
    if (!text)
        return true;
    const auto values = ComponentIntegers(*text);
    if (!values) {
        ShowSetupError(prompter, std::string(option) + " takes up to three whole numbers a,b,c, not \"" + *text + "\"");
        return false;
    }
    levels = *values;
    return true;
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
    CodecSettings settings;
    settings.qualityFactor = static_cast<std::int16_t>(options.quality);
    ApplyQualityFactor(settings);
    settings.threads = options.threads;
    if (!options.HasRawSettings())
        return settings;

    MasterSetupValues values = FromSettings(settings);
    if (options.levels) {
        const auto levels = ParseDialogInteger(*options.levels);
        if (!levels) {
            ShowSetupError(prompter, "--levels takes a whole number, not \"" + *options.levels + "\"");
            return std::nullopt;
        }
        values.totalLevels = *levels;
    }
    const std::optional<std::string>* quant[3] = {&options.quantA, &options.quantB, &options.quantC};
    for (std::size_t c = 0; c < kComponentCount; ++c)
        if (*quant[c])
            values.quantizeVectors[c] = **quant[c];
    if (options.threshold)
        values.thresholdVector = *options.threshold;
    if (!ReadComponentLevels(options.discard, "--discard", values.discardLevels, prompter) ||
        !ReadComponentLevels(options.sample, "--sample", values.sampleLevels, prompter))
        return std::nullopt;
    // The dialog's own rules and messages: negative discard levels count as too
    // large, sample levels must be 0 or 1.
    if (const auto problem = ValidateMasterSetup(values)) {
        ShowSetupError(prompter, *problem);
        return std::nullopt;
    }
    ApplyMasterSetup(values, settings);
    return settings;
}

} // namespace tamr
