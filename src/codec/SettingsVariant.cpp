#include "codec/SettingsVariant.h"

#include <algorithm>
#include <array>

#include "codec/QualityFactor.h"

namespace tamr {
namespace {

std::int16_t Scaled(int value, int percent, int lowest)
{
    if (percent == 100)
        return static_cast<std::int16_t>(value); // the quality factor's entries as they are
    // Integer rounding to nearest keeps the family the same on every machine.
    const int scaled = (value * percent + 50) / 100;
    return static_cast<std::int16_t>(std::clamp(scaled, lowest, 125));
}

} // namespace

CodecSettings VariantSettings(const CodecSettings& base, int quality, const SettingsVariant& variant,
                              int discardQuality)
{
    CodecSettings settings = base;
    settings.qualityFactor = static_cast<std::int16_t>(std::clamp(quality, 0, 99));

    ApplyQualityFactor(settings);
    const std::array<std::int16_t, 3> discard = DiscardLevelsForQuality(std::clamp(discardQuality, 0, 99));
    for (std::size_t c = 0; c < kComponentCount; ++c)
        settings.components[c].discardLevels = discard[c];
    const int levels = settings.totalLevels;
    for (ComponentSettings& component : settings.components)
        for (int level = 0; level <= levels; ++level)
            component.thresholdVector[static_cast<std::size_t>(level)] =
                Scaled(component.thresholdVector[static_cast<std::size_t>(level)], variant.thresholdPercent, 0);
    ComponentSettings& luma = settings.components[kComponentA];
    for (std::size_t entry = 0; entry < 3; ++entry)
        luma.quantizeVector[entry] = Scaled(luma.quantizeVector[entry], variant.finestLumaQPercent, 1);
    for (const std::size_t c : {kComponentB, kComponentC}) {
        ComponentSettings& chroma = settings.components[c];
        chroma.discardLevels =
            static_cast<std::int16_t>(std::max(0, chroma.discardLevels - variant.chromaDiscardFewer));
        for (std::size_t entry = 0; entry < static_cast<std::size_t>(3 * levels); ++entry)
            chroma.quantizeVector[entry] = Scaled(chroma.quantizeVector[entry], variant.chromaQPercent, 1);
    }
    return settings;
}

} // namespace tamr
