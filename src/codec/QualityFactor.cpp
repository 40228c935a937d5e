#include "codec/QualityFactor.h"

#include "codec/QualityTables.h"

namespace tamr {

namespace {

struct DiscardRow {
    int lowestQuality;
    std::array<std::int16_t, 3> levels;
};

// Searched top down; the first row whose lowest quality is reached applies.
constexpr std::array<DiscardRow, 10> kDiscardRows = {{
    {99, {0, 0, 0}},
    {95, {0, 1, 1}},
    {85, {0, 1, 2}},
    {50, {0, 2, 2}},
    {40, {0, 2, 3}},
    {20, {0, 3, 3}},
    {10, {0, 3, 4}},
    {7, {1, 3, 4}},
    {3, {1, 4, 4}},
    {0, {2, 4, 4}},
}};

} // namespace

std::int16_t InterpolateQuantEntry(std::int16_t low, std::int16_t high, int remainder)
{
    // Built-in integer division truncates towards zero, as the mapping requires.
    return static_cast<std::int16_t>(low + ((high - low) * remainder) / 10);
}

std::array<std::int16_t, 3> DiscardLevelsForQuality(int quality)
{
    for (const DiscardRow& row : kDiscardRows) {
        if (quality >= row.lowestQuality) {
            return row.levels;
        }
    }
    return kDiscardRows.back().levels;
}

void ApplyQualityFactor(CodecSettings& settings)
{
    const int quality = settings.qualityFactor;
    if (quality < 0 || quality >= kQualityThresholdRows) {
        return; // 100 is lossless coding; anything else outside has no row to map from
    }
    const int decade = quality / 10;
    const int remainder = quality % 10;
    const int levels = settings.totalLevels;

    // Levels 0..L inclusive: the L detail triples, then the low-pass entry 3·L and
    // the two entries after it. The bounds only matter for level counts the
    // setup dialogs refuse; they keep every write inside the vectors and tables.
    for (int level = 0; level <= levels && level < kQualityThresholdLevels; ++level) {
        for (int band = 0; band < 3; ++band) {
            const int entry = 3 * level + band;
            if (entry >= kQualityQuantEntries) {
                break;
            }
            for (std::size_t c = 0; c < kComponentCount; ++c) {
                settings.components[c].quantizeVector[entry] = InterpolateQuantEntry(
                    QualityQuantTable[decade][c][entry], QualityQuantTable[decade + 1][c][entry], remainder);
            }
        }
        for (ComponentSettings& component : settings.components) {
            component.thresholdVector[level] = QualityThresholdTable[quality][level];
        }
    }

    const std::array<std::int16_t, 3> discard = DiscardLevelsForQuality(quality);
    for (std::size_t c = 0; c < kComponentCount; ++c) {
        settings.components[c].sampleLevels = 0;
        settings.components[c].discardLevels = discard[c];
    }
}

} // namespace tamr
