// Encoding a component from rows of samples. The first two forward levels
// are made a few rows at a time, chained: once to find their bands' ranges
// and the low-pass quadrant the coarser levels are made from, and when the
// first is coded once more, to quantise their bands, whose ranges are known
// by then. So no float plane larger than the second level's low-pass
// quadrant is held, and the finest level's symbols are gathered as the coder
// reads them: a position under a zerotree root never takes a byte. When the
// second level is the finest coded one, the first alone is made from rows,
// once, and its low-pass quadrant kept.

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "codec/CodecComponent.h"
#include "platform/DiscardPages.h"

namespace tamr {
namespace {

// A detail band's part of a forward level's output rows: `low` holds the LL
// row then the H row, `high` the V row then the D row, `half` samples each.
float* BandPart(Band band, std::span<float> low, std::span<float> high, int half)
{
    switch (band) {
    case Band::V:
        return high.data();
    case Band::H:
        return low.data() + half;
    case Band::D:
        return high.data() + half;
    }
    return nullptr;
}

// The chained levels make at most four finest rows before the row of their
// parents that the first two of them wait for.
constexpr int kPendingRows = 4;

std::size_t Index(Band band)
{
    return static_cast<std::size_t>(band);
}

} // namespace

bool CodecComponent::ForwardTransformRows(const ForwardRowSource& source, LargeVector<float>& values)
{
    const std::size_t samples = SampleCount();
    if (levels_ == 0) { // the samples are the low-pass band
        if (values.size() < samples && !TryResizeUninitialised(values, samples))
            return false;
        const std::span<float> plane = std::span(values).first(samples);
        const auto width = static_cast<std::size_t>(width_);
        for (int y = 0; y < height_; ++y)
            if (!source(y, plane.subspan(static_cast<std::size_t>(y) * width, width)))
                return false;
        return ForwardTransformValues(plane);
    }
    // The levels made from rows. When the second is the finest coded one,
    // the first's low-pass quadrant is kept instead, so that the rows are
    // asked for only once.
    const int depth = FinestCodedLevel() == levels_ - 1 ? 1 : std::min(levels_, 2);
    // The floats hold the low-pass quadrant of the last of them, with its own
    // stride; the coarser levels work inside it.
    const auto stride = static_cast<std::size_t>(width_ >> depth);
    const std::size_t quadrant = stride * static_cast<std::size_t>(height_ >> depth);
    if (values.size() < quadrant && !TryResizeUninitialised(values, quadrant))
        return false;
    const std::span<float> coefficients = std::span(values).first(quadrant);
    valueStride_ = stride;
    // Every level but the first fits the symbol plane's top-left quadrant.
    symbolStride_ = static_cast<std::size_t>(width_ / 2);
    finestGathered_ = false;
    const std::size_t coarser = symbolStride_ * static_cast<std::size_t>(height_ / 2);
    if (symbols_.size() < coarser && !TryResizeUninitialised(symbols_, coarser))
        return false;
    if (!SurveyRowLevels(source, depth, coefficients) || !ForwardLevels(coefficients, depth))
        return false;
    QuantiseCoarserLevels(coefficients, levels_ - depth);
    DiscardPagesOf(coefficients);
    if (FinestCodedLevel() > levels_ - depth && !QuantiseRowLevels(source, depth))
        return false;
    MarkZerotrees();
    return true;
}

// The first pass: the detail bands thresholded as they come, which gives
// their ranges, and the low-pass rows of the last level kept.
bool CodecComponent::SurveyRowLevels(const ForwardRowSource& source, int depth, std::span<float> coefficients)
{
    std::array<std::array<Range, 3>, 2> ranges{};
    for (auto& level : ranges)
        level.fill(kEmptyRange);
    // A discarded level is thresholded too: it is never coded, but its
    // ranges are what the settings search reads to decide whether to keep it.
    const auto survey = [&](int level, int y, std::span<float> low, std::span<float> high) {
        const int half = (width_ >> level) / 2;
        if (level == depth - 1)
            std::copy_n(low.data(), half, coefficients.data() + static_cast<std::size_t>(y) * valueStride_);
        for (const Band band : kBands)
            nonZeroBefore_ +=
                ThresholdRow(BandPart(band, low, high, half), half, threshold_[static_cast<std::size_t>(level)],
                             ranges[static_cast<std::size_t>(level)][Index(band)]);
    };
    if (!ForwardLevelsByRows(height_, width_, depth, source, survey))
        return false;
    for (int level = 0; level < depth; ++level)
        for (const Band band : kBands) {
            const auto entry = static_cast<std::size_t>(Entry(levels_ - level, band));
            const Range& range = ranges[static_cast<std::size_t>(level)][Index(band)];
            max_[entry] = static_cast<std::int16_t>(range.max);
            min_[entry] = static_cast<std::int16_t>(range.min);
        }
    return true;
}

// The second pass: the coded bands of the row levels thresholded again and
// quantised. A finest row waits until its parents' row is quantised; then
// the positions whose parent and siblings are all 0 lie under a zerotree
// root (or are one's descendants) and are skipped, the rest gathered.
bool CodecComponent::QuantiseRowLevels(const ForwardRowSource& source, int depth)
{
    const int finest = FinestCodedLevel();
    std::array<std::array<Scales, 3>, 2> scales{};
    for (int level = 0; level < depth; ++level)
        for (const Band band : kBands)
            if (levels_ - level <= finest)
                scales[static_cast<std::size_t>(level)][Index(band)] = PrepareQuantiser(Entry(levels_ - level, band));
    finestGathered_ = finest == levels_;
    const int columns = width_ / 2; // of a finest band
    const SubbandRect parentBand = Subband(levels_ - 1, Band::V);
    if (finestGathered_)
        for (const Band band : kBands) {
            FinestBand& kept = finestBands_[Index(band)];
            const std::size_t bandSamples = static_cast<std::size_t>(columns) * static_cast<std::size_t>(height_ / 2);
            if (kept.symbols.size() < bandSamples && !TryResizeUninitialised(kept.symbols, bandSamples))
                return false;
            kept.count = 0;
            if (depth == 2)
                kept.parents.resize(static_cast<std::size_t>(parentBand.rows) *
                                    static_cast<std::size_t>(parentBand.columns));
        }
    std::vector<std::int8_t> pending(static_cast<std::size_t>(3 * kPendingRows * columns));
    const auto pendingRow = [&](Band band, int y) {
        return pending.data() +
               static_cast<std::size_t>((static_cast<int>(band) * kPendingRows + y % kPendingRows) * columns);
    };
    const auto gather = [&](Band band, std::int8_t* row) {
        FinestBand& kept = finestBands_[Index(band)];
        kept.count += GatherRow(row, columns, kept.symbols.data() + kept.count);
    };
    std::vector<std::uint8_t> zeroTop(static_cast<std::size_t>(columns));
    std::vector<std::uint8_t> zeroBottom(static_cast<std::size_t>(columns));
    const auto gatherUnder = [&](Band band, int y) {
        std::int8_t* top = pendingRow(band, 2 * y);
        std::int8_t* bottom = pendingRow(band, 2 * y + 1);
        const SubbandRect parents = Subband(levels_ - 1, band);
        std::uint8_t* zero = finestBands_[Index(band)].parents.data() +
                             static_cast<std::size_t>(y) * static_cast<std::size_t>(parents.columns);
        ZeroRow(top, columns, zeroTop.data());
        ZeroRow(bottom, columns, zeroBottom.data());
        ZeroTreeRow(SymbolRow(parents.row + y, parents.column), parents.columns, zeroTop.data(), zeroBottom.data(),
                    zero);
        MarkSkippedRow(top, columns, zero);
        MarkSkippedRow(bottom, columns, zero);
        gather(band, top);
        gather(band, bottom);
    };
    const auto quantise = [&](int level, int y, std::span<float> low, std::span<float> high) {
        const int n = levels_ - level;
        if (n > finest)
            return;
        const int half = (width_ >> level) / 2;
        for (const Band band : kBands) {
            float* row = BandPart(band, low, high, half);
            Range unused = kEmptyRange;
            ThresholdRow(row, half, threshold_[static_cast<std::size_t>(level)], unused);
            const Scales& s = scales[static_cast<std::size_t>(level)][Index(band)];
            if (level == 0) {
                std::int8_t* symbols = pendingRow(band, y);
                QuantiseRow(row, half, s.positive, s.negative, symbols);
                if (depth == 1)
                    gather(band, symbols); // no level before to skip under
                continue;
            }
            const SubbandRect rect = Subband(n, band);
            QuantiseRow(row, half, s.positive, s.negative, SymbolRow(rect.row + y, rect.column));
            if (finestGathered_)
                gatherUnder(band, y);
        }
    };
    return ForwardLevelsByRows(height_, width_, depth, source, quantise);
}

} // namespace tamr
