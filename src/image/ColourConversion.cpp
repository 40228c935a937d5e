#include "image/ColourConversion.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "image/ColourSpace.h"
#include "platform/VectorClones.h"

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

// Every inverse result is clamped to 0..255. Comparisons give the same bytes
// as a lookup table and let the row loops below run on vector registers.
inline std::uint8_t ClampByte(int x)
{
    return static_cast<std::uint8_t>(std::min(std::max(x, 0), 255));
}

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
inline void WriteInverse(std::uint8_t* pixel, int yo, int i, int q)
{
    pixel[0] = ClampByte(yo + ((kBlueFromQ * q + kBlueFromI * i) >> kScaleShift));
    pixel[1] = ClampByte(yo + ((kGreenFromI * i + kGreenFromQ * q) >> kScaleShift));
    pixel[2] = ClampByte(yo + ((kRedFromI * i + kRedFromQ * q) >> kScaleShift));
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

// The row loops below work on pointers into rows whose extent the callers have
// checked, so that they run on vector registers.
TAMR_VECTOR_CLONES void LuminanceRow(const std::uint8_t* pixel, std::size_t count, int o, std::int16_t* y)
{
    for (std::size_t c = 0; c < count; ++c) {
        y[c] = static_cast<std::int16_t>(Luminance({pixel[3 * c], pixel[3 * c + 1], pixel[3 * c + 2]}, o));
    }
}

TAMR_VECTOR_CLONES void ChromaRow(const std::uint8_t* pixel, std::size_t count, std::int16_t* i, std::int16_t* q)
{
    for (std::size_t c = 0; c < count; ++c) {
        const Bgr p{pixel[3 * c], pixel[3 * c + 1], pixel[3 * c + 2]};
        i[c] = static_cast<std::int16_t>(ChromaI(p));
        q[c] = static_cast<std::int16_t>(ChromaQ(p));
    }
}

TAMR_VECTOR_CLONES void ChromaIRow(const std::uint8_t* pixel, std::size_t count, std::int16_t* i)
{
    for (std::size_t c = 0; c < count; ++c) {
        i[c] = static_cast<std::int16_t>(ChromaI({pixel[3 * c], pixel[3 * c + 1], pixel[3 * c + 2]}));
    }
}

TAMR_VECTOR_CLONES void ChromaQRow(const std::uint8_t* pixel, std::size_t count, std::int16_t* q)
{
    for (std::size_t c = 0; c < count; ++c) {
        q[c] = static_cast<std::int16_t>(ChromaQ({pixel[3 * c], pixel[3 * c + 1], pixel[3 * c + 2]}));
    }
}

TAMR_VECTOR_CLONES void InverseRow(const std::int16_t* y, const std::int16_t* i, const std::int16_t* q,
                                   std::size_t count, int o, std::uint8_t* pixel)
{
    for (std::size_t c = 0; c < count; ++c) {
        WriteInverse(pixel + 3 * c, y[c] + o, i[c], q[c]);
    }
}

// Each chroma sample serves two neighbouring pixels.
TAMR_VECTOR_CLONES void InverseRowHalfChroma(const std::int16_t* y, const std::int16_t* i, const std::int16_t* q,
                                             std::size_t count, int o, std::uint8_t* pixel)
{
    for (std::size_t c = 0; c < count; ++c) {
        WriteInverse(pixel + 3 * c, y[c] + o, i[c / 2], q[c / 2]);
    }
}

void WriteLuminance(ConstPixelView pixels, std::size_t rowBytes, int o, PlaneView y)
{
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    for (std::size_t r = 0; r < h; ++r) {
        LuminanceRow(pixels.bytes.data() + r * rowBytes, w, o, y.samples.data() + Index(y, r, 0));
    }
}

// One I and Q sample per 2x2 block of the image into whichever of the two
// planes is given; the callers have checked the geometry.
void WriteSubsampledChroma(ConstPixelView pixels, std::size_t rowBytes, std::int16_t offset, PlaneView* iPlane,
                           PlaneView* qPlane)
{
    const auto w = static_cast<std::size_t>(pixels.width);
    const auto h = static_cast<std::size_t>(pixels.height);
    const std::size_t chromaColumns = HalfUp(pixels.width);
    const std::size_t chromaRows = HalfUp(pixels.height);
    for (std::size_t k = 0; k < chromaRows; ++k) {
        const std::size_t rowCount = std::min<std::size_t>(2, h - 2 * k);
        std::size_t j = 0;
        if (rowCount == 2) {
            // Whole 2x2 blocks along a row pair.
            const std::uint8_t* top = pixels.bytes.data() + 2 * k * rowBytes;
            const std::uint8_t* bottom = top + rowBytes;
            std::int16_t* i = iPlane != nullptr ? iPlane->samples.data() + Index(*iPlane, k, 0) : nullptr;
            std::int16_t* q = qPlane != nullptr ? qPlane->samples.data() + Index(*qPlane, k, 0) : nullptr;
            const int o = offset;
            for (; j < w / 2; ++j, top += 6, bottom += 6) {
                const int sumB = (top[0] - o) + (top[3] - o) + (bottom[0] - o) + (bottom[3] - o);
                const int sumG = (top[1] - o) + (top[4] - o) + (bottom[1] - o) + (bottom[4] - o);
                const int sumR = (top[2] - o) + (top[5] - o) + (bottom[2] - o) + (bottom[5] - o);
                const Chroma chroma = ChromaOfAverages(sumR >> 2, sumG >> 2, sumB >> 2);
                if (i != nullptr)
                    i[j] = static_cast<std::int16_t>(chroma.i);
                if (q != nullptr)
                    q[j] = static_cast<std::int16_t>(chroma.q);
            }
        }
        for (; j < chromaColumns; ++j) {
            const std::size_t columnCount = std::min<std::size_t>(2, w - 2 * j);
            const Chroma chroma = BlockChroma(pixels.bytes, rowBytes, 2 * k, rowCount, 2 * j, columnCount, offset);
            if (iPlane != nullptr)
                iPlane->samples[Index(*iPlane, k, j)] = static_cast<std::int16_t>(chroma.i);
            if (qPlane != nullptr)
                qPlane->samples[Index(*qPlane, k, j)] = static_cast<std::int16_t>(chroma.q);
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
        ChromaRow(pixels.bytes.data() + r * rowBytes, w, planes.i.samples.data() + Index(planes.i, r, 0),
                  planes.q.samples.data() + Index(planes.q, r, 0));
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
    WriteSubsampledChroma(pixels, rowBytes, offset, &planes.i, &planes.q);
    FillBeyondImage(planes.y, w, h);
    FillBeyondImage(planes.i, chromaColumns, chromaRows);
    FillBeyondImage(planes.q, chromaColumns, chromaRows);
    return true;
}

bool RgbToYiqComponent(ConstPixelView pixels, std::int16_t offset, YiqComponent component, bool subsampledChroma,
                       PlaneView plane)
{
    if (!HoldsAllRows(pixels, 3)) {
        return false;
    }
    const bool halved = subsampledChroma && component != YiqComponent::Y;
    const std::size_t w = halved ? HalfUp(pixels.width) : static_cast<std::size_t>(pixels.width);
    const std::size_t h = halved ? HalfUp(pixels.height) : static_cast<std::size_t>(pixels.height);
    if (!PlaneCovers(plane, w, h)) {
        return false;
    }
    if (IsEmpty(pixels)) {
        return true;
    }
    const std::size_t rowBytes = RowBytes(pixels, 3);
    if (component == YiqComponent::Y) {
        WriteLuminance(pixels, rowBytes, offset, plane);
    } else if (halved) {
        WriteSubsampledChroma(pixels, rowBytes, offset, component == YiqComponent::I ? &plane : nullptr,
                              component == YiqComponent::Q ? &plane : nullptr);
    } else {
        for (std::size_t r = 0; r < h; ++r) {
            const std::uint8_t* row = pixels.bytes.data() + r * rowBytes;
            std::int16_t* samples = plane.samples.data() + Index(plane, r, 0);
            if (component == YiqComponent::I) {
                ChromaIRow(row, w, samples);
            } else {
                ChromaQRow(row, w, samples);
            }
        }
    }
    FillBeyondImage(plane, w, h);
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
        const std::int16_t* y = planes.y.samples.data() + Index(planes.y, r, 0);
        const std::int16_t* i = planes.i.samples.data() + Index(planes.i, r, 0);
        const std::int16_t* q = planes.q.samples.data() + Index(planes.q, r, 0);
        InverseRow(y, i, q, w, offset, pixels.bytes.data() + r * rowBytes);
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
        const std::int16_t* y = planes.y.samples.data() + Index(planes.y, r, 0);
        const std::int16_t* i = planes.i.samples.data() + Index(planes.i, r / 2, 0);
        const std::int16_t* q = planes.q.samples.data() + Index(planes.q, r / 2, 0);
        InverseRowHalfChroma(y, i, q, w, offset, pixels.bytes.data() + r * rowBytes);
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
        const std::int16_t* y = planes.y.samples.data() + Index(planes.y, r, 0);
        const std::int16_t* i = planes.i.samples.data() + Index(planes.i, r, 0);
        const std::int16_t* q = planes.q.samples.data() + Index(planes.q, r, 0);
        std::uint8_t* pixel = reduced.bytes.data() + r * rowBytes;
        for (std::size_t c = 0; c < w; ++c) {
            WriteInverse(pixel + 3 * c, offset + (y[c] >> shifts.y), i[c] >> shifts.i, q[c] >> shifts.q);
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
    const std::size_t rowBytes = RowBytes(reduced, 1);
    for (std::size_t r = 0; r < h; ++r) {
        const std::int16_t* y = plane.samples.data() + Index(plane, r, 0);
        std::uint8_t* pixel = reduced.bytes.data() + r * rowBytes;
        for (std::size_t c = 0; c < w; ++c) {
            pixel[c] = ClampByte(offset + (y[c] >> shift));
        }
    }
    return true;
}

} // namespace tamr
