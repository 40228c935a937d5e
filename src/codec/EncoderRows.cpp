#include "codec/EncoderRows.h"

#include <algorithm>
#include <cstdlib>

namespace tamr {
namespace {

// A coefficient truncated towards zero to a 16-bit integer.
std::int16_t Truncate16(float value)
{
    return static_cast<std::int16_t>(static_cast<int>(value));
}

} // namespace

TAMR_VECTOR_CLONES std::uint32_t ThresholdRow(float* row, int count, int threshold, Range& range)
{
    std::uint32_t nonZero = 0;
    int max = range.max;
    int min = range.min;
    for (int x = 0; x < count; ++x) {
        const float v = row[x];
        const int t = Truncate16(v);
        nonZero += static_cast<std::uint32_t>(t != 0);
        const bool cut = t != 0 && std::abs(t) < threshold;
        row[x] = cut ? 0.0f : v;
        const int kept = cut ? 0 : t; // the truncated value of what is left
        max = std::max(max, kept);
        min = std::min(min, kept);
    }
    range = {max, min};
    return nonZero;
}

TAMR_VECTOR_CLONES Range RowRange(const float* row, int count, Range range)
{
    for (int x = 0; x < count; ++x) {
        const int t = Truncate16(row[x]);
        range.max = std::max(range.max, t);
        range.min = std::min(range.min, t);
    }
    return range;
}

namespace {

// True when every sample of a run truncates to 0.
TAMR_VECTOR_CLONES bool RunIsZero(const float* row, int count)
{
    int any = 0;
    for (int x = 0; x < count; ++x)
        any |= Truncate16(row[x]);
    return any == 0;
}

// The symbol of sample v whose truncated value is t. Its magnitude is at
// most the band's Q, which coding holds to kMaxCodedQ, so it fits a byte.
std::int8_t QuantisedSymbol(float v, int t, float positiveScale, float negativeScale)
{
    int symbol = 0;
    // Truncating (x + 0.5) is the quantiser's rounding, part of the coded format.
    if (t != 0 && v > 0)
        // NOLINTNEXTLINE(bugprone-incorrect-roundings)
        symbol = static_cast<int>(static_cast<double>(t) * static_cast<double>(positiveScale) + 0.5);
    else if (t != 0 && v < 0)
        symbol = static_cast<int>(static_cast<double>(t) * static_cast<double>(negativeScale) - 0.5);
    return static_cast<std::int8_t>(symbol);
}

} // namespace

void QuantiseRow(const float* row, int count, float positiveScale, float negativeScale, std::int8_t* symbols)
{
    constexpr int kRun = 32;
    int start = 0;
    for (; start + kRun <= count; start += kRun) {
        if (RunIsZero(row + start, kRun)) {
            std::fill_n(symbols + start, kRun, std::int8_t{0});
            continue;
        }
        for (int x = start; x < start + kRun; ++x)
            symbols[x] = QuantisedSymbol(row[x], Truncate16(row[x]), positiveScale, negativeScale);
    }
    for (int x = start; x < count; ++x)
        symbols[x] = QuantisedSymbol(row[x], Truncate16(row[x]), positiveScale, negativeScale);
}

TAMR_VECTOR_CLONES void ZeroRow(const std::int8_t* symbols, int count, std::uint8_t* zero)
{
    for (int x = 0; x < count; ++x)
        zero[x] = static_cast<std::uint8_t>(symbols[x] == 0);
}

TAMR_VECTOR_CLONES void ZeroTreeRow(const std::int8_t* symbols, int count, const std::uint8_t* top,
                                    const std::uint8_t* bottom, std::uint8_t* zero)
{
    for (int x = 0; x < count; ++x)
        zero[x] = static_cast<std::uint8_t>(static_cast<int>(symbols[x] == 0) & top[2 * x] & top[2 * x + 1] &
                                            bottom[2 * x] & bottom[2 * x + 1]);
}

TAMR_VECTOR_CLONES void MarkRow(std::int8_t* symbols, int count, const std::uint8_t* zero, const std::uint8_t* parents,
                                std::int8_t root)
{
    for (int k = 0; k < count / 2; ++k) {
        const bool skipped = parents[k] != 0;
        const std::int8_t left = zero[2 * k] != 0 ? root : symbols[2 * k];
        const std::int8_t right = zero[2 * k + 1] != 0 ? root : symbols[2 * k + 1];
        symbols[2 * k] = skipped ? kSkipMark : left;
        symbols[2 * k + 1] = skipped ? kSkipMark : right;
    }
}

TAMR_VECTOR_CLONES void MarkRootsRow(std::int8_t* symbols, int count, const std::uint8_t* zero, std::int8_t root)
{
    for (int x = 0; x < count; ++x)
        symbols[x] = zero[x] != 0 ? root : symbols[x];
}

TAMR_VECTOR_CLONES void MarkSkippedRow(std::int8_t* symbols, int count, const std::uint8_t* parents)
{
    for (int k = 0; k < count / 2; ++k) {
        const bool skipped = parents[k] != 0;
        symbols[2 * k] = skipped ? kSkipMark : symbols[2 * k];
        symbols[2 * k + 1] = skipped ? kSkipMark : symbols[2 * k + 1];
    }
}

TAMR_VECTOR_CLONES std::size_t GatherRow(const std::int8_t* row, int columns, std::int8_t* symbols)
{
    constexpr int kGroup = 16;
    std::size_t count = 0;
    int x = 0;
    for (; x + kGroup <= columns; x += kGroup) {
        int marks = 0;
        for (int k = 0; k < kGroup; ++k)
            marks += static_cast<int>(row[x + k] == kSkipMark);
        if (marks == kGroup)
            continue;
        if (marks == 0) {
            for (int k = 0; k < kGroup; ++k)
                symbols[count + static_cast<std::size_t>(k)] = row[x + k];
            count += kGroup;
            continue;
        }
        for (int k = x; k < x + kGroup; ++k) {
            symbols[count] = row[k];
            count += static_cast<std::size_t>(row[k] != kSkipMark);
        }
    }
    for (; x < columns; ++x) {
        symbols[count] = row[x];
        count += static_cast<std::size_t>(row[x] != kSkipMark);
    }
    return count;
}

} // namespace tamr
