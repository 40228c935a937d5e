#include "image/ColourConversion.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "image/ColourSpace.h"

namespace tamr {
namespace {

// Every weighted sum is divided by the weights' scale with one arithmetic
// shift, which rounds towards minus infinity.
constexpr int kScaleShift = 10;
static_assert(kYiqColourSpace.scale == 1 << kScaleShift);

constexpr const auto& kWeights = kYiqColourSpace.weights;
// The chromatic weights sum to 0, so the offset cancels in them and the
// subsampled chroma can be formed from colour differences.
static_assert(kWeights[1][0] + kWeights[1][1] + kWeights[1][2] == 0);
static_assert(kWeights[2][0] + kWeights[2][1] + kWeights[2][2] == 0);

// Inverse weights, also scaled by 1024: blue, green and red from I and Q.
constexpr int kBlueFromI = -1133;
constexpr int kBlueFromQ = 1744;
constexpr int kGreenFromI = -279;
constexpr int kGreenFromQ = -662;
constexpr int kRedFromI = 979;
constexpr int kRedFromQ = 636;

// Clamping table of the full-resolution inverse, indexed -1024..1279. Sums of
// 16-bit samples reach far beyond that range, so the index is clamped to the
// table first; the entries at both ends already hold the clamped values.
constexpr int kClampTableLow = -1024;
constexpr int kClampTableHigh = 1279;
constexpr std::size_t kClampTableSize = kClampTableHigh - kClampTableLow + 1;

constexpr std::array<std::int32_t, kClampTableSize> MakeClampTable()
{
    std::array<std::int32_t, kClampTableSize> table{};
    for (int x = kClampTableLow; x <= kClampTableHigh; ++x) {
        table[static_cast<std::size_t>(x - kClampTableLow)] = x < 0 ? 0 : (x > 255 ? 255 : x);
    }
    return table;
}

constexpr auto kClampTable = MakeClampTable();
static_assert(kClampTable.size() == 2304);

struct ClampByTable {
    std::uint8_t operator()(int x) const
    {
        const int index = std::clamp(x, kClampTableLow, kClampTableHigh) - kClampTableLow;
        return static_cast<std::uint8_t>(kClampTable[static_cast<std::size_t>(index)] & 0xFF);
    }
};

struct ClampByCompare {
    std::uint8_t operator()(int x) const { return static_cast<std::uint8_t>(x < 0 ? 0 : (x > 255 ? 255 : x)); }
};

struct Bgr {
    int b;
    int g;
    int r;
};

Bgr ReadBgr(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return {bytes[at], bytes[at + 1], bytes[at + 2]};
}

int Luminance(Bgr p, int o)
{
    return (kWeights[0][0] * (p.r - o) + kWeights[0][1] * (p.g - o) + kWeights[0][2] * (p.b - o)) >> kScaleShift;
}

int ChromaI(Bgr p)
{
    return (kWeights[1][0] * p.r + kWeights[1][1] * p.g + kWeights[1][2] * p.b) >> kScaleShift;
}

int ChromaQ(Bgr p)
{
    return (kWeights[2][0] * p.r + kWeights[2][1] * p.g + kWeights[2][2] * p.b) >> kScaleShift;
}

// Writes blue, green, red of one pixel from Y + o and the two chroma samples.
template <typename Clamp> void WriteInverse(std::span<std::uint8_t> bytes, std::size_t at, int yo, int i, int q)
{
    const Clamp clamp;
    bytes[at] = clamp(yo + ((kBlueFromQ * q + kBlueFromI * i) >> kScaleShift));
    bytes[at + 1] = clamp(yo + ((kGreenFromI * i + kGreenFromQ * q) >> kScaleShift));
    bytes[at + 2] = clamp(yo + ((kRedFromI * i + kRedFromQ * q) >> kScaleShift));
}

std::size_t Index(const ConstPlaneView& plane, std::size_t row, std::size_t column)
{
    return row * plane.stride + column;
}

std::size_t Index(const PlaneView& plane, std::size_t row, std::size_t column)
{
    return row * plane.stride + column;
}

std::size_t HalfUp(int size)
{
    return (static_cast<std::size_t>(size) + 1) / 2;
}

// Right of the first `columns` samples every row repeats its last one; rows
// from `rows` down to the end of the plane each copy the row before them.
void FillBeyondImage(PlaneView plane, std::size_t columns, std::size_t rows)
{
    for (std::size_t r = 0; r < rows; ++r) {
        const auto row = plane.samples.subspan(r * plane.stride, plane.stride);
        std::fill(row.begin() + static_cast<std::ptrdiff_t>(columns), row.end(), row[columns - 1]);
    }
    for (std::size_t r = rows; r < plane.rows; ++r) {
        const auto previous = plane.samples.subspan((r - 1) * plane.stride, plane.stride);
        std::copy(previous.begin(), previous.end(),
                  plane.samples.begin() + static_cast<std::ptrdiff_t>(r * plane.stride));
    }
}

bool IsEmpty(const ConstPixelView& pixels)
{
    return pixels.width == 0 || pixels.height == 0;
}

// Chroma of a block of 1, 2 or 4 pixels from their averaged offset values.
struct Chroma {
    int i;
    int q;
};

Chroma ChromaOfAverages(int r, int g, int b)
{
    return {((r - b) * -kWeights[1][2] + (r - g) * -kWeights[1][1]) >> kScaleShift,
            ((b - g) * kWeights[2][2] + (r - g) * kWeights[2][0]) >> kScaleShift};
}

Chroma BlockChroma(std::span<const std::uint8_t> bytes, std::size_t rowBytes, std::size_t row, std::size_t rowCount,
                   std::size_t column, std::size_t columnCount, int o)
{
    if (rowCount == 1 && columnCount == 1) {
        const Bgr p = ReadBgr(bytes, row * rowBytes + 3 * column);
        return {ChromaI(p), ChromaQ(p)};
    }
    int sumR = 0;
    int sumG = 0;
    int sumB = 0;
    for (std::size_t r = row; r < row + rowCount; ++r) {
        for (std::size_t c = column; c < column + columnCount; ++c) {
            const Bgr p = ReadBgr(bytes, r * rowBytes + 3 * c);
            sumR += p.r - o;
            sumG += p.g - o;
            sumB += p.b - o;
        }
    }
    const int averageShift = rowCount * columnCount == 4 ? 2 : 1;
    return ChromaOfAverages(sumR >> averageShift, sumG >> averageShift, sumB >> averageShift);
}

void WriteLuminance(ConstPixelView pixels, std::size_t rowBytes, int o, PlaneView y)
{
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            y.samples[Index(y, r, c)] =
                static_cast<std::int16_t>(Luminance(ReadBgr(pixels.bytes, r * rowBytes + 3 * c), o));
        }
    }
}

} // namespace

bool RgbToYiqFull(ConstPixelView pixels, std::int16_t offset, YiqPlanes planes)
{
    if (!HoldsAllRows(pixels, 3)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    if (!PlaneCovers(planes.y, w, h) || !PlaneCovers(planes.i, w, h) || !PlaneCovers(planes.q, w, h)) {
        return false;
    }
    if (IsEmpty(pixels)) {
        return true;
    }
    const std::size_t rowBytes = RowBytes(pixels, 3);
    WriteLuminance(pixels, rowBytes, offset, planes.y);
    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            const Bgr p = ReadBgr(pixels.bytes, r * rowBytes + 3 * c);
            planes.i.samples[Index(planes.i, r, c)] = static_cast<std::int16_t>(ChromaI(p));
            planes.q.samples[Index(planes.q, r, c)] = static_cast<std::int16_t>(ChromaQ(p));
        }
    }
    FillBeyondImage(planes.y, w, h);
    FillBeyondImage(planes.i, w, h);
    FillBeyondImage(planes.q, w, h);
    return true;
}

bool RgbToYiqSubsampled(ConstPixelView pixels, std::int16_t offset, YiqPlanes planes)
{
    if (!HoldsAllRows(pixels, 3)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    const std::size_t chromaColumns = HalfUp(pixels.width);
    const std::size_t chromaRows = HalfUp(pixels.height);
    if (!PlaneCovers(planes.y, w, h) || !PlaneCovers(planes.i, chromaColumns, chromaRows) ||
        !PlaneCovers(planes.q, chromaColumns, chromaRows)) {
        return false;
    }
    if (IsEmpty(pixels)) {
        return true;
    }
    const std::size_t rowBytes = RowBytes(pixels, 3);
    WriteLuminance(pixels, rowBytes, offset, planes.y);
    for (std::size_t k = 0; k < chromaRows; ++k) {
        const std::size_t rowCount = std::min<std::size_t>(2, h - 2 * k);
        for (std::size_t j = 0; j < chromaColumns; ++j) {
            const std::size_t columnCount = std::min<std::size_t>(2, w - 2 * j);
            const Chroma chroma = BlockChroma(pixels.bytes, rowBytes, 2 * k, rowCount, 2 * j, columnCount, offset);
            planes.i.samples[Index(planes.i, k, j)] = static_cast<std::int16_t>(chroma.i);
            planes.q.samples[Index(planes.q, k, j)] = static_cast<std::int16_t>(chroma.q);
        }
    }
    FillBeyondImage(planes.y, w, h);
    FillBeyondImage(planes.i, chromaColumns, chromaRows);
    FillBeyondImage(planes.q, chromaColumns, chromaRows);
    return true;
}

bool GrayToPlane(ConstPixelView pixels, std::int16_t offset, PlaneView plane)
{
    if (!HoldsAllRows(pixels, 1)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    if (!PlaneCovers(plane, w, h)) {
        return false;
    }
    const std::size_t rowBytes = RowBytes(pixels, 1);
    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            plane.samples[Index(plane, r, c)] = static_cast<std::int16_t>(pixels.bytes[r * rowBytes + c] - offset);
        }
    }
    return true;
}

bool YiqToRgbFull(ConstYiqPlanes planes, std::int16_t offset, PixelView pixels)
{
    if (!HoldsAllRows(pixels, 3)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    if (!PlaneCovers(planes.y, w, h) || !PlaneCovers(planes.i, w, h) || !PlaneCovers(planes.q, w, h)) {
        return false;
    }
    const std::size_t rowBytes = RowBytes(pixels, 3);
    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            const int yo = planes.y.samples[Index(planes.y, r, c)] + offset;
            WriteInverse<ClampByTable>(pixels.bytes, r * rowBytes + 3 * c, yo, planes.i.samples[Index(planes.i, r, c)],
                                       planes.q.samples[Index(planes.q, r, c)]);
        }
    }
    return true;
}

bool YiqToRgbSubsampled(ConstYiqPlanes planes, std::int16_t offset, PixelView pixels)
{
    if (!HoldsAllRows(pixels, 3)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    const std::size_t chromaColumns = HalfUp(pixels.width);
    const std::size_t chromaRows = HalfUp(pixels.height);
    if (!PlaneCovers(planes.y, w, h) || !PlaneCovers(planes.i, chromaColumns, chromaRows) ||
        !PlaneCovers(planes.q, chromaColumns, chromaRows)) {
        return false;
    }
    const std::size_t rowBytes = RowBytes(pixels, 3);
    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            const int yo = planes.y.samples[Index(planes.y, r, c)] + offset;
            WriteInverse<ClampByCompare>(pixels.bytes, r * rowBytes + 3 * c, yo,
                                         planes.i.samples[Index(planes.i, r / 2, c / 2)],
                                         planes.q.samples[Index(planes.q, r / 2, c / 2)]);
        }
    }
    return true;
}

bool PlaneToGray(ConstPlaneView plane, std::int16_t offset, PixelView pixels)
{
    return LevelPlaneToGray(0, plane, offset, pixels);
}

bool LevelYiqToRgb(LevelShifts shifts, ConstYiqPlanes planes, std::int16_t offset, PixelView reduced)
{
    auto valid = [](int shift) { return shift >= 0 && shift <= 15; };
    if (!valid(shifts.y) || !valid(shifts.i) || !valid(shifts.q) || !HoldsAllRows(reduced, 3)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(reduced.width);
    const auto h = static_cast<std::size_t>(reduced.height);
    if (!PlaneCovers(planes.y, w, h) || !PlaneCovers(planes.i, w, h) || !PlaneCovers(planes.q, w, h)) {
        return false;
    }
    const std::size_t rowBytes = RowBytes(reduced, 3);
    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            const int yo = offset + (planes.y.samples[Index(planes.y, r, c)] >> shifts.y);
            WriteInverse<ClampByCompare>(reduced.bytes, r * rowBytes + 3 * c, yo,
                                         planes.i.samples[Index(planes.i, r, c)] >> shifts.i,
                                         planes.q.samples[Index(planes.q, r, c)] >> shifts.q);
        }
    }
    return true;
}

bool LevelPlaneToGray(int shift, ConstPlaneView plane, std::int16_t offset, PixelView reduced)
{
    if (shift < 0 || shift > 15 || !HoldsAllRows(reduced, 1)) {
        return false;
    }
    const auto w = static_cast<std::size_t>(reduced.width);
    const auto h = static_cast<std::size_t>(reduced.height);
    if (!PlaneCovers(plane, w, h)) {
        return false;
    }
    const ClampByCompare clamp;
    const std::size_t rowBytes = RowBytes(reduced, 1);
    for (std::size_t r = 0; r < h; ++r) {
        for (std::size_t c = 0; c < w; ++c) {
            reduced.bytes[r * rowBytes + c] = clamp(offset + (plane.samples[Index(plane, r, c)] >> shift));
        }
    }
    return true;
}

} // namespace tamr
