#include "codec/ForwardLevelRows.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "codec/WaveletTransform.h"
#include "platform/VectorClones.h"

namespace tamr {
namespace {

// The column pass of ForwardLevel written a whole row at a time: each function
// is one of its expressions, the operands in the same order.

TAMR_VECTOR_CLONES void HighFirst(const float* s0, const float* s1, int count, float* eta)
{
    const float b = kColumnPass.b;
    for (int j = 0; j < count; ++j)
        eta[j] = b * (s1[j] - s0[j]);
}

TAMR_VECTOR_CLONES void HighInterior(const float* before, const float* centre, const float* after, int count,
                                     float* eta)
{
    const float b = kColumnPass.b;
    for (int j = 0; j < count; ++j)
        eta[j] = b * (before[j] - 2.0f * centre[j] + after[j]);
}

TAMR_VECTOR_CLONES void LowFirst(const float* s0, const float* s1, const float* s2, const float* s3, int count,
                                 float* lambda)
{
    const float a = kColumnPass.a;
    for (int j = 0; j < count; ++j)
        lambda[j] = a * (s0[j] + 6.0f * s1[j] + 2.0f * s2[j] - s3[j]);
}

TAMR_VECTOR_CLONES void LowInterior(const float* odd, const float* eta, const float* etaNext, int count, float* lambda)
{
    const float c = kColumnPass.c;
    for (int j = 0; j < count; ++j)
        lambda[j] = c * odd[j] - (eta[j] + etaNext[j]) / 2.0f;
}

TAMR_VECTOR_CLONES void LowLast(const float* sA, const float* sB, const float* sC, int count, float* lambda)
{
    const float a = kColumnPass.a;
    for (int j = 0; j < count; ++j)
        lambda[j] = a * (-sA[j] + 2.0f * sB[j] + 7.0f * sC[j]);
}

// Output row pair k reads input rows 2k - 1 to 2k + 3: five rows, kept in a
// ring of eight.
constexpr int kRingRows = 8;

} // namespace

ForwardLevelRows::ForwardLevelRows(int rows, int cols, ForwardRowSource source)
    : rows_(rows), cols_(cols), source_(std::move(source))
{
    if (!Valid())
        return;
    const auto width = static_cast<std::size_t>(cols);
    ring_.resize(kRingRows * width);
    rowBuffer_.resize(width);
    low_.resize(width);
    eta_.resize(width);
    etaNext_.resize(width);
}

bool ForwardLevelRows::Valid() const
{
    return rows_ >= 4 && rows_ % 2 == 0 && cols_ >= 4 && cols_ % 2 == 0;
}

float* ForwardLevelRows::Row(int y)
{
    return ring_.data() + static_cast<std::size_t>(y % kRingRows) * static_cast<std::size_t>(cols_);
}

bool ForwardLevelRows::LoadThrough(int last)
{
    for (; loaded_ <= last && loaded_ < rows_; ++loaded_) {
        const std::span<float> target(Row(loaded_), static_cast<std::size_t>(cols_));
        if (!source_(loaded_, target) || !ForwardRowStep(target, rowBuffer_))
            return false;
    }
    return true;
}

bool ForwardLevelRows::Next(const ForwardRowSink& sink)
{
    const int h = rows_ / 2;
    const int k = next_;
    if (!Valid() || k >= h || !LoadThrough(2 * k + 3))
        return false;
    ++next_;
    const int cols = cols_;
    if (k == 0)
        HighFirst(Row(0), Row(1), cols, eta_.data());
    else if (!etaReady_)
        HighInterior(Row(2 * k - 1), Row(2 * k), Row(2 * k + 1), cols, eta_.data());
    etaReady_ = false;
    if (k == 0) {
        LowFirst(Row(0), Row(1), Row(2), Row(3), cols, low_.data());
    } else if (k <= h - 2) {
        HighInterior(Row(2 * k + 1), Row(2 * k + 2), Row(2 * k + 3), cols, etaNext_.data());
        LowInterior(Row(2 * k + 1), eta_.data(), etaNext_.data(), cols, low_.data());
        etaReady_ = true;
    } else {
        LowLast(Row(rows_ - 3), Row(rows_ - 2), Row(rows_ - 1), cols, low_.data());
    }
    sink(k, low_, eta_);
    if (etaReady_)
        std::swap(eta_, etaNext_);
    return true;
}

bool ForwardLevelByRows(int rows, int cols, const ForwardRowSource& source, const ForwardRowSink& sink)
{
    ForwardLevelRows level(rows, cols, source);
    if (!level.Valid())
        return false;
    for (int k = 0; k < rows / 2; ++k)
        if (!level.Next(sink))
            return false;
    return true;
}

bool ForwardLevelsByRows(int rows, int cols, int depth, const ForwardRowSource& source, const ForwardLevelsSink& sink)
{
    if (depth == 1)
        return ForwardLevelByRows(rows, cols, source,
                                  [&](int y, std::span<float> low, std::span<float> high) { sink(0, y, low, high); });
    ForwardLevelRows first(rows, cols, source);
    if (depth != 2 || !first.Valid())
        return false;
    std::span<float> target; // the row the second level asked for
    const ForwardRowSink firstRow = [&](int y, std::span<float> low, std::span<float> high) {
        std::copy_n(low.data(), target.size(), target.data());
        sink(0, y, low, high);
    };
    const ForwardRowSource lowRows = [&](int, std::span<float> row) {
        target = row;
        return first.Next(firstRow);
    };
    return ForwardLevelByRows(rows / 2, cols / 2, lowRows,
                              [&](int y, std::span<float> low, std::span<float> high) { sink(1, y, low, high); });
}

} // namespace tamr
