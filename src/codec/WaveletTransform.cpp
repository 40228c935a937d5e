#include "codec/WaveletTransform.h"

#include <algorithm>
#include <new>
#include <stdexcept>

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

template <typename T> bool GrowTo(std::vector<T>& values, std::size_t count)
{
    if (values.size() >= count) {
        return true;
    }
    try {
        values.resize(count);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

// The forward step on samples known to be valid. Every value is a float and every
// expression is evaluated left to right as written, so that the coefficients are
// the same on every machine.
void ForwardLine(std::span<float> samples, std::size_t step, int count, const LiftingPass& pass,
                 std::span<float> buffer)
{
    const auto s = [&](int i) { return samples[static_cast<std::size_t>(i) * step]; };
    const auto half = static_cast<std::size_t>(count / 2);
    const std::span<float> low = buffer.first(half);
    const std::span<float> high = buffer.subspan(half, half);
    const int h = count / 2;

    high[0] = pass.b * (s(1) - s(0));
    for (int k = 1; k < h; ++k) {
        high[k] = pass.b * (s(2 * k - 1) - 2.0f * s(2 * k) + s(2 * k + 1));
    }
    low[0] = pass.a * (s(0) + 6.0f * s(1) + 2.0f * s(2) - s(3));
    // The interior low-pass values lift the odd sample by the two neighbouring
    // high-pass values already rounded to float.
    for (int k = 1; k <= h - 2; ++k) {
        low[k] = pass.c * s(2 * k + 1) - (high[k] + high[k + 1]) / 2.0f;
    }
    low[h - 1] = pass.a * (-s(count - 3) + 2.0f * s(count - 2) + 7.0f * s(count - 1));

    for (int i = 0; i < count; ++i) {
        samples[static_cast<std::size_t>(i) * step] = buffer[static_cast<std::size_t>(i)];
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
void InverseColumns(Rows<const std::int16_t> region, int rows, Rows<std::int16_t> t)
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
void InverseRow(std::span<const std::int16_t> line, std::span<std::int16_t> s)
{
    const int cols = static_cast<int>(s.size());
    const int c2 = cols / 2;
    const auto lambda = [&](int k) -> int { return line[static_cast<std::size_t>(k)]; };
    const auto eta = [&](int k) -> int { return line[static_cast<std::size_t>(c2 + k)]; };

    s[1] = Store((eta(1) + 2 * lambda(0) + eta(0) + 2) >> 2);
    s[0] = Store(s[1] - 2 * eta(0));
    s[cols - 1] = Store((eta(c2 - 1) + 2 * lambda(c2 - 1) + 2) >> 2);
    s[cols - 2] = Store(((eta(c2 - 2) + 2 * (eta(c2 - 1) + lambda(c2 - 2) + lambda(c2 - 1)) + 4) >> 3) - eta(c2 - 1));
    for (int k = 1; k <= c2 - 2; ++k) {
        s[2 * k + 1] = Store((eta(k + 1) + 2 * lambda(k) + eta(k) + 2) >> 2);
        s[2 * k] = Store(((s[2 * k - 1] + s[2 * k + 1] + 1) >> 1) - eta(k));
    }
}

// Column stage of the discarded-level inverse over the LL columns only: odd rows
// take the low-pass rows, even rows the mean of their neighbours.
void InterpolateColumns(Rows<const std::int16_t> region, int rows, Rows<std::int16_t> t)
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
void InterpolateRow(std::span<const std::int16_t> line, std::span<std::int16_t> s)
{
    const int cols = static_cast<int>(s.size());
    const int c2 = cols / 2;
    const auto t = [&](int k) -> int { return line[static_cast<std::size_t>(k)]; };

    s[0] = Store((t(0) + 1) >> 1);
    s[1] = s[0];
    for (int k = 1; k <= c2 - 2; ++k) {
        s[2 * k + 1] = Store((t(k) + 1) >> 1);
        s[2 * k] = Store((t(k - 1) + t(k) + 3) >> 2);
    }
    s[cols - 2] = Store((t(c2 - 2) + t(c2 - 1) + 2) >> 2);
    s[cols - 1] = Store((t(c2 - 1) + 1) >> 1);
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

bool ForwardLevel(std::span<float> plane, std::size_t stride, int rows, int cols, std::vector<float>& lineBuffer)
{
    if (!RegionFits(plane.size(), stride, rows, cols) ||
        !GrowTo(lineBuffer, static_cast<std::size_t>(std::max(rows, cols)))) {
        return false;
    }
    const std::span<float> buffer(lineBuffer);
    for (int y = 0; y < rows; ++y) {
        ForwardLine(plane.subspan(static_cast<std::size_t>(y) * stride), 1, cols, kRowPass, buffer);
    }
    for (int x = 0; x < cols; ++x) {
        ForwardLine(plane.subspan(static_cast<std::size_t>(x)), stride, rows, kColumnPass, buffer);
    }
    return true;
}

bool InverseLevel(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                  std::vector<std::int16_t>& temporary)
{
    if (!RegionFits(plane.size(), stride, rows, cols) ||
        !GrowTo(temporary, static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols))) {
        return false;
    }
    const Rows<std::int16_t> region{plane, stride, cols};
    const Rows<std::int16_t> t{temporary, static_cast<std::size_t>(cols), cols};
    InverseColumns({plane, stride, cols}, rows, t);
    for (int y = 0; y < rows; ++y) {
        InverseRow(t[y], region[y]);
    }
    return true;
}

bool InverseLevelDiscarded(std::span<std::int16_t> plane, std::size_t stride, int rows, int cols,
                           std::vector<std::int16_t>& temporary)
{
    if (!RegionFits(plane.size(), stride, rows, cols) ||
        !GrowTo(temporary, static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols))) {
        return false;
    }
    const Rows<std::int16_t> region{plane, stride, cols};
    const Rows<std::int16_t> t{temporary, static_cast<std::size_t>(cols), cols};
    InterpolateColumns({plane, stride, cols / 2}, rows, {temporary, static_cast<std::size_t>(cols), cols / 2});
    for (int y = 0; y < rows; ++y) {
        InterpolateRow(t[y].first(static_cast<std::size_t>(cols / 2)), region[y]);
    }
    return true;
}

} // namespace tamr
