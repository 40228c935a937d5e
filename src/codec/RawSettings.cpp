#include "codec/RawSettings.h"

#include <array>
#include <string_view>

#include "codec/MasterSetup.h"
#include "codec/QualityFactor.h"
#include "platform/DialogInteger.h"

namespace tamr {

namespace {

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

// Reads --discard or --sample into the dialog's values; the problem otherwise.
std::optional<std::string> ReadComponentLevels(const std::optional<std::string>& text, const char* option,
                                               std::array<int, kComponentCount>& levels)
{
    if (!text)
        return std::nullopt;
    const auto values = ComponentIntegers(*text);
    if (!values)
        return std::string(option) + " takes up to three whole numbers a,b,c, not \"" + *text + "\"";
    levels = *values;
    return std::nullopt;
}

RawSettingsResult Refused(std::string problem)
{
    return RawSettingsResult{std::nullopt, std::move(problem)};
}

} // namespace

RawSettingsResult SettingsFromTexts(int quality, const RawSettingTexts& raw)
{
    CodecSettings settings;
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    if (!raw.Any())
        return RawSettingsResult{settings, {}};

    MasterSetupValues values = FromSettings(settings);
    if (raw.levels) {
        const auto levels = ParseDialogInteger(*raw.levels);
        if (!levels)
            return Refused("--levels takes a whole number, not \"" + *raw.levels + "\"");
        values.totalLevels = *levels;
    }
    const std::optional<std::string>* quant[3] = {&raw.quantA, &raw.quantB, &raw.quantC};
    for (std::size_t c = 0; c < kComponentCount; ++c)
        if (*quant[c])
            values.quantizeVectors[c] = **quant[c];
    if (raw.threshold)
        values.thresholdVector = *raw.threshold;
    if (auto problem = ReadComponentLevels(raw.discard, "--discard", values.discardLevels))
        return Refused(std::move(*problem));
    if (auto problem = ReadComponentLevels(raw.sample, "--sample", values.sampleLevels))
        return Refused(std::move(*problem));
    // The dialog's own rules and messages: negative discard levels count as too
    // large, sample levels must be 0 or 1.
    if (auto problem = ValidateMasterSetup(values))
        return Refused(std::move(*problem));
    ApplyMasterSetup(values, settings);
    return RawSettingsResult{settings, {}};
}

} // namespace tamr
