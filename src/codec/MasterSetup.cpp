#include "codec/MasterSetup.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/VectorText.h"

namespace tamr {

namespace {

constexpr int kVectorLength = static_cast<int>(kSettingsVectorLength);

// Entries in use for a level count, kept inside the vectors for counts the
// rules would refuse.
int QuantizeEntries(int totalLevels)
{
    if (totalLevels < 0) {
        return 0;
    }
    return totalLevels >= kVectorLength / 3 ? kVectorLength : 3 * totalLevels + 1;
}

int ThresholdEntries(int totalLevels)
{
    if (totalLevels < 0) {
        return 0;
    }
    return totalLevels >= kVectorLength - 1 ? kVectorLength : totalLevels + 1;
}

// Q of 126 or more cannot be coded: the quantised value −126 is the codec's skip
// mark for descendants of a zerotree root, and the zerotree symbol Q + 1 must
// still fit a signed byte.
constexpr int kLargestQuantizeValue = 125;

} // namespace

MasterSetupValues FromSettings(const CodecSettings& settings)
{
    MasterSetupValues values;
    values.totalLevels = settings.totalLevels;
    const auto quantizeCount = static_cast<std::size_t>(QuantizeEntries(settings.totalLevels));
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        const ComponentSettings& component = settings.components[c];
        values.quantizeVectors[c] = FormatVector(std::span(component.quantizeVector).first(quantizeCount));
        values.discardLevels[c] = component.discardLevels;
        values.sampleLevels[c] = component.sampleLevels;
    }
    const auto thresholdCount = static_cast<std::size_t>(ThresholdEntries(settings.totalLevels));
    values.thresholdVector =
        FormatVector(std::span(settings.components[kComponentA].thresholdVector).first(thresholdCount));
    return values;
}

std::optional<std::string> ValidateMasterSetup(const MasterSetupValues& values)
{
    // Compared as unsigned so that negative entries count as too large.
    const auto total = static_cast<unsigned>(values.totalLevels);
    if (total > 6) {
        return "Total levels cannot larger than 6";
    }
    if (total == 0) {
        return "Total levels should not be 0";
    }
    if (static_cast<unsigned>(values.discardLevels[kComponentA]) > total) {
        return "A discarded levels cannot larger than total levels";
    }
    if (static_cast<unsigned>(values.discardLevels[kComponentB]) > total) {
        return "B discarded levels cannot larger than total levels";
    }
    if (static_cast<unsigned>(values.discardLevels[kComponentC]) > total) {
        return "C discarded levels cannot larger than total levels";
    }
    if (values.sampleLevels[kComponentA] != 0) {
        return "A subsample levels must be zero";
    }
    const int sampleB = values.sampleLevels[kComponentB];
    if ((sampleB != 0 && sampleB != 1) || values.sampleLevels[kComponentC] != sampleB) {
        return "B subsample levels must be 0 or 1 and equal to C subsample levels";
    }
    const int quantizeCount = QuantizeEntries(values.totalLevels);
    for (const std::string& text : values.quantizeVectors) {
        const std::vector<std::int16_t> entries = ParseVector(text, quantizeCount);
        if (std::any_of(entries.begin(), entries.end(), [](int q) { return q > kLargestQuantizeValue; })) {
            return "Quantize vector values cannot be larger than 125";
        }
    }
    return std::nullopt;
}

void ApplyMasterSetup(const MasterSetupValues& values, CodecSettings& settings)
{
    settings.totalLevels = static_cast<std::int16_t>(values.totalLevels);
    const int quantizeCount = QuantizeEntries(values.totalLevels);
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        ComponentSettings& component = settings.components[c];
        component.discardLevels = static_cast<std::int16_t>(values.discardLevels[c]);
        component.sampleLevels = static_cast<std::int16_t>(values.sampleLevels[c]);
        const std::vector<std::int16_t> entries = ParseVector(values.quantizeVectors[c], quantizeCount);
        std::copy(entries.begin(), entries.end(), component.quantizeVector.begin());
    }
    const std::vector<std::int16_t> thresholds =
        ParseVector(values.thresholdVector, ThresholdEntries(values.totalLevels));
    std::copy(thresholds.begin(), thresholds.end(), settings.components[kComponentA].thresholdVector.begin());
}

} // namespace tamr
