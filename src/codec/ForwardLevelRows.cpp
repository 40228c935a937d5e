#include "codec/ForwardLevelRows.h"

#include <array>
#include <cstddef>
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

bool ForwardLevelByRows(int rows, int cols, const ForwardRowSource& source, const ForwardRowSink& sink)
{
    if (rows < 4 || rows % 2 != 0 || cols < 4 || cols % 2 != 0)
        return false;
    const auto width = static_cast<std::size_t>(cols);
    std::vector<float> ring(kRingRows * width);
    std::vector<float> rowBuffer(width);
    std::vector<float> low(width);
    std::vector<float> eta(width);
    std::vector<float> etaNext(width);
    const auto row = [&](int y) { return ring.data() + static_cast<std::size_t>(y % kRingRows) * width; };
    int loaded = 0;
    const auto loadThrough = [&](int last) {
        for (; loaded <= last && loaded < rows; ++loaded) {
            const std::span<float> target(row(loaded), width);
            if (!source(loaded, target) || !ForwardRowStep(target, rowBuffer))
                return false;
        }
        return true;
    };
    const int h = rows / 2;
    bool etaReady = false; // eta holds eta_k, computed at step k - 1
    for (int k = 0; k < h; ++k) {
        if (!loadThrough(2 * k + 3))
            return false;
        if (k == 0)
            HighFirst(row(0), row(1), cols, eta.data());
        else if (!etaReady)
            HighInterior(row(2 * k - 1), row(2 * k), row(2 * k + 1), cols, eta.data());
        etaReady = false;
        if (k == 0) {
            LowFirst(row(0), row(1), row(2), row(3), cols, low.data());
        } else if (k <= h - 2) {
            HighInterior(row(2 * k + 1), row(2 * k + 2), row(2 * k + 3), cols, etaNext.data());
            LowInterior(row(2 * k + 1), eta.data(), etaNext.data(), cols, low.data());
            etaReady = true;
        } else {
            LowLast(row(rows - 3), row(rows - 2), row(rows - 1), cols, low.data());
        }
        sink(k, low, eta);
        if (etaReady)
            std::swap(eta, etaNext);
    }
    return true;
}

} // namespace tamr
