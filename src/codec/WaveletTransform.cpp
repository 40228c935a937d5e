#include "codec/WaveletTransform.h"

#include <algorithm>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

#include "codec/SampleLanes.h"
#include "platform/VectorClones.h"

namespace tamr {
namespace {

bool ValidSide(int side)
{
    return side >= 4 && side % 2 == 0;
}

// True when a rows x cols region with both sides valid lies inside a plane of
// `size` samples with the given stride.
bool RegionFits(std::size_t size, std::size_t stride, int rows, int cols)
{
    if (!ValidSide(rows) || !ValidSide(cols)) {
        return false;
    }
    const auto width = static_cast<std::size_t>(cols);
    if (width > stride || width > size) {
        return false;
    }
    return static_cast<std::size_t>(rows - 1) <= (size - width) / stride;
}

// Memory that runs out throws; the document, where compressing and decoding
// meet the user, catches it.
template <typename Vector> bool GrowTo(Vector& values, std::size_t count)
{
    if (values.size() < count) {
        values.resize(count);
    }
    return true;
}

// Columns are lifted in strips of this many neighbours, so that the column
// pass runs along rows and a strip's high-pass rows stay in the cache.
constexpr int kColumnStrip = 64;

// The forward step on `lanes` lines at once, each known to be valid: sample i of
// line j is in[i * inStride + j], its result goes to out[i * outStride + j]. Every
// value is a float and every expression is evaluated left to right as written, so
// that the coefficients are the same on every machine; the lines are independent,
// so filtering several together gives each the same values as filtering it alone.
template <typename LaneCount>
void ForwardLanes(std::span<const float> in, std::size_t inStride, std::span<float> out, std::size_t outStride,
                  int count, LaneCount laneCount, const LiftingPass& pass)
{
    const int lanes = laneCount; // a constant for the common widths, so the lane loops unroll
    const auto s = [&](int i, int j) {
        return in[static_cast<std::size_t>(i) * inStride + static_cast<std::size_t>(j)];
    };
    const int h = count / 2;
    const auto low = [&](int k) { return out.subspan(static_cast<std::size_t>(k) * outStride); };
    const auto high = [&](int k) { return out.subspan(static_cast<std::size_t>(h + k) * outStride); };

    {
        const auto eta0 = high(0);
        for (int j = 0; j < lanes; ++j) {
            eta0[j] = pass.b * (s(1, j) - s(0, j));
        }
    }
    for (int k = 1; k < h; ++k) {
        const auto eta = high(k);
        for (int j = 0; j < lanes; ++j) {
            eta[j] = pass.b * (s(2 * k - 1, j) - 2.0f * s(2 * k, j) + s(2 * k + 1, j));
        }
    }
    {
        const auto lambda0 = low(0);
        for (int j = 0; j < lanes; ++j) {
            lambda0[j] = pass.a * (s(0, j) + 6.0f * s(1, j) + 2.0f * s(2, j) - s(3, j));
        }
    }
    // The interior low-pass values lift the odd sample by the two neighbouring
    // high-pass values already rounded to float.
    for (int k = 1; k <= h - 2; ++k) {
        const auto lambda = low(k), eta = high(k), etaNext = high(k + 1);
        for (int j = 0; j < lanes; ++j) {
            lambda[j] = pass.c * s(2 * k + 1, j) - (eta[j] + etaNext[j]) / 2.0f;
        }
    }
    {
        const auto lambdaLast = low(h - 1);
        for (int j = 0; j < lanes; ++j) {
            lambdaLast[j] = pass.a * (-s(count - 3, j) + 2.0f * s(count - 2, j) + 7.0f * s(count - 1, j));
        }
    }
}

// The row pass over one contiguous row: the forward step of ForwardLanes for a
// single lane, with the same expressions in the same order, written over plain
// pointers so that it runs on vector registers.
TAMR_VECTOR_CLONES void ForwardRow(float* s, int count, const LiftingPass& pass, float* buffer)
{
    const int h = count / 2;
    const float a = pass.a;
    const float b = pass.b;
    const float c = pass.c;
    // The even and odd samples apart first, so that every loop below reads
    // neighbouring values; the results go back over the row: the low-pass
    // half, then the high-pass half.
    float* even = buffer;
    float* odd = buffer + h;
    for (int k = 0; k < h; ++k) {
        even[k] = s[2 * k];
        odd[k] = s[2 * k + 1];
    }
    float* low = s;
    float* eta = s + h;
    eta[0] = b * (odd[0] - even[0]);
    for (int k = 1; k < h; ++k) {
        eta[k] = b * (odd[k - 1] - 2.0f * even[k] + odd[k]);
    }
    low[0] = a * (even[0] + 6.0f * odd[0] + 2.0f * even[1] - odd[1]);
    for (int k = 1; k <= h - 2; ++k) {
        low[k] = c * odd[k] - (eta[k] + eta[k + 1]) / 2.0f;
    }
    low[h - 1] = a * (-odd[h - 2] + 2.0f * even[h - 1] + 7.0f * odd[h - 1]);
}

// One line through the line buffer, the result copied back over the line.
void ForwardLine(std::span<float> samples, std::size_t step, int count, const LiftingPass& pass,
                 std::span<float> buffer)
{
    ForwardLanes(samples, step, buffer, 1, count, std::integral_constant<int, 1>{}, pass);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        samples[i * step] = buffer[i];
    }
}

// The column pass over a strip of `width` neighbouring columns, lifted a whole
// strip row at a time: every value is the expression of ForwardLanes in the
// same order. The high-pass values go to `eta` (rows / 2 strip rows) first,
// since they land on rows still to be read; the low-pass values then replace
// the rows from the top, each only after the rows it reads, and the high-pass
// rows are copied below them.
TAMR_VECTOR_CLONES void ForwardColumnStrip(float* strip, std::size_t stride, int rows, int width, float* eta)
{
    const float a = kColumnPass.a;
    const float b = kColumnPass.b;
    const float c = kColumnPass.c;
    const int h = rows / 2;
    const auto row = [&](int i) { return strip + static_cast<std::size_t>(i) * stride; };
    const auto etaRow = [&](int k) { return eta + static_cast<std::size_t>(k) * static_cast<std::size_t>(width); };
    {
        const float* s0 = row(0);
        const float* s1 = row(1);
        float* e = etaRow(0);
        for (int j = 0; j < width; ++j) {
            e[j] = b * (s1[j] - s0[j]);
        }
    }
    for (int k = 1; k < h; ++k) {
        const float* before = row(2 * k - 1);
        const float* centre = row(2 * k);
        const float* after = row(2 * k + 1);
        float* e = etaRow(k);
        for (int j = 0; j < width; ++j) {
            e[j] = b * (before[j] - 2.0f * centre[j] + after[j]);
        }
    }
    {
        float* s0 = row(0);
        const float* s1 = row(1);
        const float* s2 = row(2);
        const float* s3 = row(3);
        for (int j = 0; j < width; ++j) {
            s0[j] = a * (s0[j] + 6.0f * s1[j] + 2.0f * s2[j] - s3[j]);
        }
    }
    for (int k = 1; k <= h - 2; ++k) {
        const float* odd = row(2 * k + 1);
        const float* e = etaRow(k);
        const float* eNext = etaRow(k + 1);
        float* lambda = row(k);
        for (int j = 0; j < width; ++j) {
            lambda[j] = c * odd[j] - (e[j] + eNext[j]) / 2.0f;
        }
    }
    {
        const float* sA = row(rows - 3);
        const float* sB = row(rows - 2);
        const float* sC = row(rows - 1);
        float* lambda = row(h - 1);
        for (int j = 0; j < width; ++j) {
            lambda[j] = a * (-sA[j] + 2.0f * sB[j] + 7.0f * sC[j]);
        }
    }
    for (int k = 0; k < h; ++k) {
        std::copy(etaRow(k), etaRow(k) + width, row(h + k));
    }
}

// Inverse results are kept as 16-bit samples; values outside the range wrap.
std::int16_t Store(int value)
{
    return static_cast<std::int16_t>(value);
}

// A row-major view of rows of `width` samples, `stride` apart.
template <typename T> struct Rows {
    std::span<T> samples;
    std::size_t stride;
    int width;

    std::span<T> operator[](int row) const
    {
        return samples.subspan(static_cast<std::size_t>(row) * stride, static_cast<std::size_t>(width));
    }
};

// Column stage of the full inverse: low-pass rows 0..h-1 and high-pass rows
// h..R-1 of the region give the rows of T at twice the sample scale. The columns
// are independent, so each formula is applied across a whole row at once.
TAMR_VECTOR_CLONES void InverseColumns(Rows<const std::int16_t> region, int rows, Rows<std::int16_t> t)
{
    const int h = rows / 2;
    const int width = region.width;
    const auto lambda = [&](int k) { return region[k]; };
    const auto eta = [&](int k) { return region[h + k]; };

    {
        const auto l0 = lambda(0), e0 = eta(0), e1 = eta(1);
        const auto t0 = t[0], t1 = t[1];
        for (int x = 0; x < width; ++x) {
            t1[x] = Store(l0[x] + ((e0[x] + e1[x] + 1) >> 1));
            t0[x] = Store(t1[x] - 4 * e0[x]);
        }
    }
    {
        const auto lA = lambda(h - 2), lB = lambda(h - 1), eA = eta(h - 2), eB = eta(h - 1);
        const auto tA = t[rows - 2], tB = t[rows - 1];
        for (int x = 0; x < width; ++x) {
            tB[x] = Store(lB[x] + ((eB[x] + 1) >> 1));
            tA[x] = Store(((eA[x] + 2 * (lA[x] + lB[x] - eB[x]) + 2) >> 2) - eB[x]);
        }
    }
    for (int k = 1; k <= h - 2; ++k) {
        const auto lk = lambda(k), ek = eta(k), ek1 = eta(k + 1);
        const auto before = t[2 * k - 1], even = t[2 * k], odd = t[2 * k + 1];
        for (int x = 0; x < width; ++x) {
            odd[x] = Store(lk[x] + ((ek[x] + ek1[x] + 1) >> 1));
            even[x] = Store(((before[x] + odd[x] + 1) >> 1) - 2 * ek[x]);
        }
    }
}

// Row stage of the full inverse: one row of T (low half, high half) gives one
// row of samples, halving the scale again.
// The odd samples depend on T alone, the even ones on their odd neighbours as
// stored, so all odd samples are made first and then all even ones: the same
// values as the interleaved order, in loops that run on vector registers.
void InverseRowEdges(const std::int16_t* lambda, const std::int16_t* eta, std::int16_t* s, int cols)
{
    const int c2 = cols / 2;
    s[1] = Store((eta[1] + 2 * lambda[0] + eta[0] + 2) >> 2);
    s[0] = Store(s[1] - 2 * eta[0]);
    s[cols - 1] = Store((eta[c2 - 1] + 2 * lambda[c2 - 1] + 2) >> 2);
    s[cols - 2] = Store(((eta[c2 - 2] + 2 * (eta[c2 - 1] + lambda[c2 - 2] + lambda[c2 - 1]) + 4) >> 3) - eta[c2 - 1]);
}

TAMR_VECTOR_CLONES void InverseRowSamples(const std::int16_t* line, std::int16_t* s, int cols)
{
    const int c2 = cols / 2;
    const std::int16_t* lambda = line;
    const std::int16_t* eta = line + c2;

    InverseRowEdges(lambda, eta, s, cols);
    for (int k = 1; k <= c2 - 2; ++k) {
        s[2 * k + 1] = Store((eta[k + 1] + 2 * lambda[k] + eta[k] + 2) >> 2);
    }
    for (int k = 1; k <= c2 - 2; ++k) {
        s[2 * k] = Store(((s[2 * k - 1] + s[2 * k + 1] + 1) >> 1) - eta[k]);
    }
}

// The same samples eight odd and eight even ones at a time, interleaved
// in registers. The odd sample (eta[k + 1] + 2 lambda[k] + eta[k] + 2) >> 2
// is the rounded-up mean of lambda[k] and the mean of the two eta rounded
// down, which stays inside 16 bits; the even one is the rounded mean of its
// two odd neighbours less eta[k], wrapping as Store does.
TAMR_VECTOR_CLONES void InverseRowSamplesInLanes(const std::int16_t* line, std::int16_t* s, int cols)
{
    const int c2 = cols / 2;
    const std::int16_t* lambda = line;
    const std::int16_t* eta = line + c2;

    InverseRowEdges(lambda, eta, s, cols);
    int k = 1;
#if TAMR_SAMPLE_LANES
    using namespace lanes;
    Samples previousOdd = Splat(s[1]);
    for (; k + kCount <= c2 - 1; k += kCount) {
        const Samples e = Load(eta + k);
        const Samples odd = RoundedMean(FloorMean(e, Load(eta + k + 1)), Load(lambda + k));
        const Samples even = RoundedMean(AfterLastOf(previousOdd, odd), odd) - e;
        PutInterleaved(s + 2 * k, even, odd);
        previousOdd = odd;
    }
#endif
    for (; k <= c2 - 2; ++k) {
        s[2 * k + 1] = Store((eta[k + 1] + 2 * lambda[k] + eta[k] + 2) >> 2);
        s[2 * k] = Store(((s[2 * k - 1] + s[2 * k + 1] + 1) >> 1) - eta[k]);
    }
}

// The column stage of InverseColumns split into its row steps, each with the
// same expressions: the first two rows of T, the last two, and the two rows
// 2k and 2k + 1 of an interior step k (which reads row 2k - 1 of T).
TAMR_VECTOR_CLONES void InverseHeadRows(const std::int16_t* l0, const std::int16_t* e0, const std::int16_t* e1,
                                        int width, std::int16_t* t0, std::int16_t* t1)
{
    for (int x = 0; x < width; ++x) {
        t1[x] = Store(l0[x] + ((e0[x] + e1[x] + 1) >> 1));
        t0[x] = Store(t1[x] - 4 * e0[x]);
    }
}

TAMR_VECTOR_CLONES void InverseTailRows(const std::int16_t* lA, const std::int16_t* lB, const std::int16_t* eA,
                                        const std::int16_t* eB, int width, std::int16_t* tA, std::int16_t* tB)
{
    for (int x = 0; x < width; ++x) {
        tB[x] = Store(lB[x] + ((eB[x] + 1) >> 1));
        tA[x] = Store(((eA[x] + 2 * (lA[x] + lB[x] - eB[x]) + 2) >> 2) - eB[x]);
    }
}

TAMR_VECTOR_CLONES void InverseStepRows(const std::int16_t* lk, const std::int16_t* ek, const std::int16_t* ek1,
                                        const std::int16_t* before, int width, std::int16_t* even, std::int16_t* odd)
{
    for (int x = 0; x < width; ++x) {
        odd[x] = Store(lk[x] + ((ek[x] + ek1[x] + 1) >> 1));
        even[x] = Store(((before[x] + odd[x] + 1) >> 1) - 2 * ek[x]);
    }
}

// The head and step rows in 16-bit lanes: every mean is exact there, and the
// sums wrap as Store does. The samples past the last whole group of lanes
// take the plain loops.
TAMR_VECTOR_CLONES void InverseHeadRowsInLanes(const std::int16_t* l0, const std::int16_t* e0, const std::int16_t* e1,
                                               int width, std::int16_t* t0, std::int16_t* t1)
{
    int x = 0;
#if TAMR_SAMPLE_LANES
    using namespace lanes;
    for (; x + kCount <= width; x += kCount) {
        const Samples e = Load(e0 + x);
        const Samples first = Load(l0 + x) + RoundedMean(e, Load(e1 + x));
        Put(t1 + x, first);
        Put(t0 + x, first - (e << 2));
    }
#endif
    InverseHeadRows(l0 + x, e0 + x, e1 + x, width - x, t0 + x, t1 + x);
}

TAMR_VECTOR_CLONES void InverseStepRowsInLanes(const std::int16_t* lk, const std::int16_t* ek, const std::int16_t* ek1,
                                               const std::int16_t* before, int width, std::int16_t* even,
                                               std::int16_t* odd)
{
    int x = 0;
#if TAMR_SAMPLE_LANES
    using namespace lanes;
    for (; x + kCount <= width; x += kCount) {
        const Samples e = Load(ek + x);
        const Samples oddRow = Load(lk + x) + RoundedMean(e, Load(ek1 + x));
        Put(odd + x, oddRow);
        Put(even + x, RoundedMean(Load(before + x), oddRow) - (e + e));
    }
#endif
    InverseStepRows(lk + x, ek + x, ek1 + x, before + x, width - x, even + x, odd + x);
}

// Which loops a level runs: the plain ones, kept as the reference, or those
// over 16-bit lanes, which give the same samples.
enum class Loops { Plain, Lanes };

struct InverseKernels {
    void (*head)(const std::int16_t*, const std::int16_t*, const std::int16_t*, int, std::int16_t*, std::int16_t*);
    void (*step)(const std::int16_t*, const std::int16_t*, const std::int16_t*, const std::int16_t*, int, std::int16_t*,
                 std::int16_t*);
    void (*row)(const std::int16_t*, std::int16_t*, int);
};

InverseKernels KernelsFor(Loops loops)
{
    if (loops == Loops::Lanes)
        return {InverseHeadRowsInLanes, InverseStepRowsInLanes, InverseRowSamplesInLanes};
    return {InverseHeadRows, InverseStepRows, InverseRowSamples};
}

// Rows of T the low-memory inverse holds at most for a region of `rows` rows.
std::size_t PoolRows(int rows)
{
    return std::min<std::size_t>(static_cast<std::size_t>(rows), static_cast<std::size_t>(rows / 4 + 8));
}

// The full inverse with a temporary of about a quarter of the region: the
// rows of T come in the order of the column stage, and each is turned into
// its samples (the row stage) as soon as no later step reads the quadrant row
// it replaces. Low-pass row j is read by step j (row h - 1 only by the tail,
// made first); high-pass row j by steps j - 1 and j, and rows h - 2 and h - 1
// by the tail and step h - 2. So the high half is written right behind the
// steps, and only the rows of T for the low half wait, at most about h / 2.
class LowMemoryInverse {
public:
    LowMemoryInverse(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                     std::span<std::int16_t> pool, Loops loops)
        : kernels_(KernelsFor(loops)), region_{plane, stride, cols}, rows_(rows), h_(rows / 2), cols_(cols),
          rowOf_(static_cast<std::size_t>(rows), nullptr), written_(static_cast<std::size_t>(rows), false),
          bottomNext_(h_)
    {
        const auto width = static_cast<std::size_t>(cols);
        for (std::size_t at = 0; at + width <= pool.size(); at += width)
            free_.push_back(pool.data() + at);
    }

    void Run()
    {
        const auto lambda = [&](int k) { return region_[k].data(); };
        const auto eta = [&](int k) { return region_[h_ + k].data(); };
        InverseTailRows(lambda(h_ - 2), lambda(h_ - 1), eta(h_ - 2), eta(h_ - 1), cols_, Take(rows_ - 2),
                        Take(rows_ - 1));
        Flush(-1);
        kernels_.head(lambda(0), eta(0), eta(1), cols_, Take(0), Take(1));
        Flush(0);
        for (int k = 1; k <= h_ - 2; ++k) {
            std::int16_t* even = Take(2 * k);
            std::int16_t* odd = Take(2 * k + 1);
            kernels_.step(lambda(k), eta(k), eta(k + 1), rowOf_[static_cast<std::size_t>(2 * k - 1)], cols_, even, odd);
            Give(2 * k - 1); // read for the last time
            Flush(k);
        }
        Flush(rows_); // no quadrant row is read any more
    }

private:
    // The step after which no step reads quadrant row y (the tail is step -1).
    int LastReader(int y) const
    {
        if (y < h_)
            return y == h_ - 1 ? -1 : y;
        return std::min(y - h_, h_ - 2);
    }

    std::int16_t* Take(int y)
    {
        std::int16_t* row = free_.back();
        free_.pop_back();
        rowOf_[static_cast<std::size_t>(y)] = row;
        return row;
    }

    // Returns row y of T to the pool once it is written and read.
    void Give(int y)
    {
        const auto index = static_cast<std::size_t>(y);
        if (rowOf_[index] == nullptr || !written_[index])
            return;
        free_.push_back(rowOf_[index]);
        rowOf_[index] = nullptr;
    }

    // Writes, in order, the rows of T whose quadrant rows no step after
    // `step` reads; the odd row the next step reads stays in the pool.
    void Flush(int step)
    {
        const int keep = step >= 0 && step < rows_ ? 2 * step + 1 : -1;
        auto write = [&](int& next, int end) {
            while (next < end && rowOf_[static_cast<std::size_t>(next)] != nullptr && LastReader(next) <= step) {
                const int y = next++;
                kernels_.row(rowOf_[static_cast<std::size_t>(y)], region_[y].data(), cols_);
                written_[static_cast<std::size_t>(y)] = true;
                if (y != keep)
                    Give(y);
            }
        };
        write(topNext_, h_);
        write(bottomNext_, rows_);
    }

    InverseKernels kernels_;
    Rows<std::int16_t> region_;
    int rows_;
    int h_;
    int cols_;
    std::vector<std::int16_t*> rowOf_;
    std::vector<bool> written_;
    std::vector<std::int16_t*> free_;
    int topNext_ = 0;
    int bottomNext_;
};

void InverseRow(std::span<const std::int16_t> line, std::span<std::int16_t> s)
{
    InverseRowSamples(line.data(), s.data(), static_cast<int>(s.size()));
}

// Column stage of the discarded-level inverse over the LL columns only: odd rows
// take the low-pass rows, even rows the mean of their neighbours.
TAMR_VECTOR_CLONES void InterpolateColumns(Rows<const std::int16_t> region, int rows, Rows<std::int16_t> t)
{
    const int h = rows / 2;
    const int width = region.width;

    {
        const auto l0 = region[0];
        const auto t0 = t[0], t1 = t[1];
        for (int x = 0; x < width; ++x) {
            t0[x] = l0[x];
            t1[x] = l0[x];
        }
    }
    for (int k = 1; k <= h - 2; ++k) {
        const auto before = region[k - 1], lk = region[k];
        const auto even = t[2 * k], odd = t[2 * k + 1];
        for (int x = 0; x < width; ++x) {
            odd[x] = lk[x];
            even[x] = Store((before[x] + lk[x] + 1) >> 1);
        }
    }
    {
        const auto lA = region[h - 2], lB = region[h - 1];
        const auto tA = t[rows - 2], tB = t[rows - 1];
        for (int x = 0; x < width; ++x) {
            tA[x] = Store((lA[x] + lB[x] + 1) >> 1);
            tB[x] = lB[x];
        }
    }
}

// Row stage of the discarded-level inverse: the first half of a row of T gives a
// whole row of samples at half the scale.
TAMR_VECTOR_CLONES void InterpolateRowSamples(const std::int16_t* t, std::int16_t* s, int cols)
{
    const int c2 = cols / 2;

    s[0] = Store((t[0] + 1) >> 1);
    s[1] = s[0];
    for (int k = 1; k <= c2 - 2; ++k) {
        s[2 * k + 1] = Store((t[k] + 1) >> 1);
        s[2 * k] = Store((t[k - 1] + t[k] + 3) >> 2);
    }
    s[cols - 2] = Store((t[c2 - 2] + t[c2 - 1] + 2) >> 2);
    s[cols - 1] = Store((t[c2 - 1] + 1) >> 1);
}

// The same samples in 16-bit lanes: (t + 1) >> 1 is the rounded mean of t
// and 0, and (a + b + 3) >> 2 that of 0 and the rounded mean of a and b.
TAMR_VECTOR_CLONES void InterpolateRowSamplesInLanes(const std::int16_t* t, std::int16_t* s, int cols)
{
    const int c2 = cols / 2;

    s[0] = Store((t[0] + 1) >> 1);
    s[1] = s[0];
    int k = 1;
#if TAMR_SAMPLE_LANES
    using namespace lanes;
    const Samples zero{};
    for (; k + kCount <= c2 - 1; k += kCount) {
        const Samples tk = Load(t + k);
        PutInterleaved(s + 2 * k, RoundedMean(RoundedMean(Load(t + k - 1), tk), zero), RoundedMean(tk, zero));
    }
#endif
    for (; k <= c2 - 2; ++k) {
        s[2 * k + 1] = Store((t[k] + 1) >> 1);
        s[2 * k] = Store((t[k - 1] + t[k] + 3) >> 2);
    }
    s[cols - 2] = Store((t[c2 - 2] + t[c2 - 1] + 2) >> 2);
    s[cols - 1] = Store((t[c2 - 1] + 1) >> 1);
}

// The low-pass rows row y of InterpolateColumns' T is made of: odd rows take
// a low-pass row, even rows the mean of two, the first two and the last two
// rows their boundary forms.
struct ColumnSource {
    int k;     // the low-pass row
    bool mean; // with the row before it
};

ColumnSource InterpolatedColumnSource(int rows, int y)
{
    const int h = rows / 2;
    if (y <= 1)
        return {0, false};
    if (y == rows - 1)
        return {h - 1, false};
    if (y == rows - 2)
        return {h - 1, true};
    return {y / 2, y % 2 == 0};
}

// A row of T with the same expressions as InterpolateColumns: a copy of
// `at`, or with `before` the rounded mean of the two.
TAMR_VECTOR_CLONES void InterpolatedColumn(const std::int16_t* before, const std::int16_t* at, int width,
                                           std::int16_t* t, Loops loops)
{
    if (before == nullptr) {
        for (int x = 0; x < width; ++x) {
            t[x] = at[x];
        }
        return;
    }
    int x = 0;
#if TAMR_SAMPLE_LANES
    if (loops == Loops::Lanes) {
        for (; x + lanes::kCount <= width; x += lanes::kCount) {
            lanes::Put(t + x, lanes::RoundedMean(lanes::Load(before + x), lanes::Load(at + x)));
        }
    }
#endif
    for (; x < width; ++x) {
        t[x] = Store((before[x] + at[x] + 1) >> 1);
    }
}

void InterpolatedColumnRow(Rows<const std::int16_t> region, int rows, int y, std::int16_t* t, Loops loops)
{
    const ColumnSource source = InterpolatedColumnSource(rows, y);
    InterpolatedColumn(source.mean ? region[source.k - 1].data() : nullptr, region[source.k].data(), region.width, t,
                       loops);
}

// The discarded-level inverse with one row of temporary: row y of T reads
// low-pass rows y / 2 and the one before, never a row below y, so the rows
// are made from the bottom up and each written over its own row at once.
void InterpolateLevelByRows(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                            std::span<std::int16_t> line, Loops loops)
{
    const Rows<std::int16_t> region{plane, stride, cols};
    const Rows<const std::int16_t> lowPass{plane, stride, cols / 2};
    const auto rowSamples = loops == Loops::Lanes ? InterpolateRowSamplesInLanes : InterpolateRowSamples;
    for (int y = rows - 1; y >= 0; --y) {
        InterpolatedColumnRow(lowPass, rows, y, line.data(), loops);
        rowSamples(line.data(), region[y].data(), cols);
    }
}

void InterpolateRow(std::span<const std::int16_t> line, std::span<std::int16_t> s)
{
    InterpolateRowSamples(line.data(), s.data(), static_cast<int>(s.size()));
}

} // namespace

bool ForwardStep(std::span<float> samples, std::size_t step, int count, const LiftingPass& pass,
                 std::span<float> buffer)
{
    if (!ValidSide(count) || step == 0 || samples.empty() || buffer.size() < static_cast<std::size_t>(count)) {
        return false;
    }
    if (static_cast<std::size_t>(count - 1) > (samples.size() - 1) / step) {
        return false;
    }
    ForwardLine(samples, step, count, pass, buffer);
    return true;
}

bool ForwardRowStep(std::span<float> row, std::span<float> buffer)
{
    if (row.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        !ValidSide(static_cast<int>(row.size())) || buffer.size() < row.size()) {
        return false;
    }
    ForwardRow(row.data(), static_cast<int>(row.size()), kRowPass, buffer.data());
    return true;
}

namespace {

// 16-bit samples to floats, exactly.
TAMR_VECTOR_CLONES void ConvertRow(const std::int16_t* samples, float* row, int count)
{
    for (int x = 0; x < count; ++x) {
        row[x] = static_cast<float>(samples[x]);
    }
}

// The forward level, taking each row from `source` first when there is one.
bool LiftLevel(const std::int16_t* source, std::span<float> plane, std::size_t stride, int rows, int cols,
               std::vector<float>& lineBuffer)
{
    if (!RegionFits(plane.size(), stride, rows, cols)) {
        return false;
    }
    const int strip = std::min(cols, kColumnStrip);
    const std::size_t etaSize = static_cast<std::size_t>(rows / 2) * static_cast<std::size_t>(strip);
    if (!GrowTo(lineBuffer, std::max(static_cast<std::size_t>(cols), etaSize))) {
        return false;
    }
    float* const buffer = lineBuffer.data();
    for (int y = 0; y < rows; ++y) {
        float* row = plane.data() + static_cast<std::size_t>(y) * stride;
        if (source != nullptr) {
            ConvertRow(source + static_cast<std::size_t>(y) * stride, row, cols);
        }
        ForwardRow(row, cols, kRowPass, buffer);
    }
    for (int x = 0; x < cols; x += strip) {
        ForwardColumnStrip(plane.data() + x, stride, rows, std::min(strip, cols - x), buffer);
    }
    return true;
}

} // namespace

bool ForwardLevel(std::span<float> plane, std::size_t stride, int rows, int cols, std::vector<float>& lineBuffer)
{
    return LiftLevel(nullptr, plane, stride, rows, cols, lineBuffer);
}

bool ForwardLevelFrom(std::span<const std::int16_t> samples, std::span<float> plane, std::size_t stride, int rows,
                      int cols, std::vector<float>& lineBuffer)
{
    if (samples.size() < plane.size()) {
        return false;
    }
    return LiftLevel(samples.data(), plane, stride, rows, cols, lineBuffer);
}

namespace {

void InvertLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                 std::span<std::int16_t> temporary, Loops loops)
{
    const Rows<std::int16_t> region{plane, stride, cols};
    const Rows<std::int16_t> t{temporary, static_cast<std::size_t>(cols), cols};
    if (loops == Loops::Plain) {
        InverseColumns({plane, stride, cols}, rows, t);
        for (int y = 0; y < rows; ++y) {
            InverseRow(t[y], region[y]);
        }
        return;
    }
    // The steps of InverseColumns in the same order, then the rows.
    const InverseKernels kernels = KernelsFor(loops);
    const int h = rows / 2;
    const auto lambda = [&](int k) { return region[k].data(); };
    const auto eta = [&](int k) { return region[h + k].data(); };
    const auto row = [&](int y) { return t[y].data(); };
    kernels.head(lambda(0), eta(0), eta(1), cols, row(0), row(1));
    InverseTailRows(lambda(h - 2), lambda(h - 1), eta(h - 2), eta(h - 1), cols, row(rows - 2), row(rows - 1));
    for (int k = 1; k <= h - 2; ++k) {
        kernels.step(lambda(k), eta(k), eta(k + 1), row(2 * k - 1), cols, row(2 * k), row(2 * k + 1));
    }
    for (int y = 0; y < rows; ++y) {
        kernels.row(row(y), region[y].data(), cols);
    }
}

void InterpolateLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                      std::span<std::int16_t> temporary, Loops loops)
{
    if (loops == Loops::Lanes) {
        // Every row of T reads only rows at or above its own: bottom up in one line.
        InterpolateLevelByRows(plane, stride, rows, cols, temporary.first(static_cast<std::size_t>(cols / 2)), loops);
        return;
    }
    const Rows<std::int16_t> region{plane, stride, cols};
    const Rows<std::int16_t> t{temporary, static_cast<std::size_t>(cols), cols};
    InterpolateColumns({plane, stride, cols / 2}, rows, {temporary, static_cast<std::size_t>(cols), cols / 2});
    for (int y = 0; y < rows; ++y) {
        InterpolateRow(t[y].first(static_cast<std::size_t>(cols / 2)), region[y]);
    }
}

// Checks the region and grows the temporary to rows x cols samples.
template <typename Temporary>
bool PrepareInverse(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols, Temporary& temporary)
{
    return RegionFits(plane.size(), stride, rows, cols) &&
           GrowTo(temporary, static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
}

bool InverseWithWholeTemporary(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                               std::vector<std::int16_t>& temporary, Loops loops)
{
    if (!PrepareInverse(plane, stride, rows, cols, temporary)) {
        return false;
    }
    InvertLevel(plane, stride, rows, cols, temporary, loops);
    return true;
}

bool InverseWithRowPool(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                        LargeVector<std::int16_t>& temporary, Loops loops)
{
    if (!RegionFits(plane.size(), stride, rows, cols)) {
        return false;
    }
    const std::size_t poolSize = PoolRows(rows) * static_cast<std::size_t>(cols);
    if (!GrowTo(temporary, poolSize)) {
        return false;
    }
    LowMemoryInverse(plane, stride, rows, cols, std::span(temporary).first(poolSize), loops).Run();
    return true;
}

bool InterpolateWithWholeTemporary(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                   std::vector<std::int16_t>& temporary, Loops loops)
{
    if (!PrepareInverse(plane, stride, rows, cols, temporary)) {
        return false;
    }
    InterpolateLevel(plane, stride, rows, cols, temporary, loops);
    return true;
}

bool InterpolateWithLine(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                         LargeVector<std::int16_t>& temporary, Loops loops)
{
    if (!RegionFits(plane.size(), stride, rows, cols)) {
        return false;
    }
    const auto lineSize = static_cast<std::size_t>(cols / 2);
    if (!GrowTo(temporary, lineSize)) {
        return false;
    }
    InterpolateLevelByRows(plane, stride, rows, cols, std::span(temporary).first(lineSize), loops);
    return true;
}

} // namespace

bool InverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                  std::vector<std::int16_t>& temporary)
{
    return InverseWithWholeTemporary(plane, stride, rows, cols, temporary, Loops::Lanes);
}

bool InverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                  LargeVector<std::int16_t>& temporary)
{
    return InverseWithRowPool(plane, stride, rows, cols, temporary, Loops::Lanes);
}

bool InverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                           std::vector<std::int16_t>& temporary)
{
    return InterpolateWithWholeTemporary(plane, stride, rows, cols, temporary, Loops::Lanes);
}

bool InverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                           LargeVector<std::int16_t>& temporary)
{
    return InterpolateWithLine(plane, stride, rows, cols, temporary, Loops::Lanes);
}

bool PlainInverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                       std::vector<std::int16_t>& temporary)
{
    return InverseWithWholeTemporary(plane, stride, rows, cols, temporary, Loops::Plain);
}

bool PlainInverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                       LargeVector<std::int16_t>& temporary)
{
    return InverseWithRowPool(plane, stride, rows, cols, temporary, Loops::Plain);
}

bool PlainInverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                std::vector<std::int16_t>& temporary)
{
    return InterpolateWithWholeTemporary(plane, stride, rows, cols, temporary, Loops::Plain);
}

bool PlainInverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                                LargeVector<std::int16_t>& temporary)
{
    return InterpolateWithLine(plane, stride, rows, cols, temporary, Loops::Plain);
}

InverseLevelRows::InverseLevelRows(int rows, int cols, QuadrantRow quadrantRow, bool plain)
    : rows_(rows), cols_(cols), quadrantRow_(std::move(quadrantRow)), plain_(plain)
{
    lines_.resize(8 * static_cast<std::size_t>(cols));
}

std::int16_t* InverseLevelRows::Line(std::size_t slot)
{
    return lines_.data() + slot * static_cast<std::size_t>(cols_);
}

const std::int16_t* InverseLevelRows::Top(int k)
{
    const auto slot = static_cast<std::size_t>(k % 2);
    std::int16_t* line = Line(slot);
    if (top_[slot] != k) {
        quadrantRow_(false, k, {line, static_cast<std::size_t>(cols_)});
        top_[slot] = k;
    }
    return line;
}

const std::int16_t* InverseLevelRows::Bottom(int k)
{
    const auto slot = static_cast<std::size_t>(k % 3);
    std::int16_t* line = Line(2 + slot);
    if (bottom_[slot] != k) {
        quadrantRow_(true, k, {line, static_cast<std::size_t>(cols_)});
        bottom_[slot] = k;
    }
    return line;
}

// The pairs in the order of the column stage: the head, the steps (each
// reading the odd row of T before it), and the tail, which reads none.
void InverseLevelRows::NextPair(std::span<std::int16_t> even, std::span<std::int16_t> odd)
{
    const InverseKernels kernels = KernelsFor(plain_ ? Loops::Plain : Loops::Lanes);
    const int p = pair_++;
    const int h = rows_ / 2;
    const auto t = [&](int y) { return Line(5 + static_cast<std::size_t>(y % 3)); };
    std::int16_t* t0 = t(2 * p);
    std::int16_t* t1 = t(2 * p + 1);
    if (p == 0) {
        kernels.head(Top(0), Bottom(0), Bottom(1), cols_, t0, t1);
    } else if (p == h - 1) {
        InverseTailRows(Top(h - 2), Top(h - 1), Bottom(h - 2), Bottom(h - 1), cols_, t0, t1);
    } else {
        kernels.step(Top(p), Bottom(p), Bottom(p + 1), t(2 * p - 1), cols_, t0, t1);
    }
    kernels.row(t0, even.data(), cols_);
    kernels.row(t1, odd.data(), cols_);
}

InterpolatedLevelRows::InterpolatedLevelRows(int rows, int cols, LowRow lowRow, bool plain)
    : rows_(rows), cols_(cols), lowRow_(std::move(lowRow)), plain_(plain)
{
    line_.resize(static_cast<std::size_t>(cols / 2));
    kept_.resize(2 * static_cast<std::size_t>(cols));
}

void InterpolatedLevelRows::MakeRow(int y, std::span<std::int16_t> out)
{
    const Loops loops = plain_ ? Loops::Plain : Loops::Lanes;
    const ColumnSource source = InterpolatedColumnSource(rows_, y);
    // The row before first: a level below makes its rows in order.
    const std::int16_t* before = source.mean ? lowRow_(source.k - 1) : nullptr;
    const std::int16_t* at = lowRow_(source.k);
    InterpolatedColumn(before, at, cols_ / 2, line_.data(), loops);
    (plain_ ? InterpolateRowSamples : InterpolateRowSamplesInLanes)(line_.data(), out.data(), cols_);
}

const std::int16_t* InterpolatedLevelRows::Row(int y)
{
    const auto slot = static_cast<std::size_t>(y % 2);
    std::int16_t* row = kept_.data() + slot * static_cast<std::size_t>(cols_);
    if (madeRows_[slot] != y) {
        MakeRow(y, {row, static_cast<std::size_t>(cols_)});
        madeRows_[slot] = y;
    }
    return row;
}

} // namespace tamr
