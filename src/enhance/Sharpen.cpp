#include "enhance/Sharpen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "platform/ByteBlock.h"

namespace tamr {
namespace {

constexpr int kGrayBytesPerPixel = 1;
constexpr int kColourBytesPerPixel = 3;

// One byte of output from its centre value and the sum of the same byte of the
// eight neighbours. Evaluated in single precision, left to right, so that the
// rounding of f·d matches the stored results bit for bit.
std::uint8_t SharpenedByte(float factor, int centre, int neighbourSum)
{
    const int difference = 8 * centre - neighbourSum;
    const float value = factor * static_cast<float>(difference) + static_cast<float>(centre) + 0.5f;
    const int truncated = static_cast<int>(value);
    if (truncated < 0) {
        return 0;
    }
    if (truncated >= 255) {
        return 255;
    }
    return static_cast<std::uint8_t>(truncated);
}

// The two source-row copies a pass needs: the previous and the current row.
struct RowCopies {
    ByteBlock previous;
    ByteBlock current;
};

std::optional<RowCopies> AllocateRowCopies(std::size_t rowPixelBytes)
{
    auto previous = AllocateBlock(rowPixelBytes);
    auto current = AllocateBlock(rowPixelBytes);
    if (!previous || !current) {
        return std::nullopt;
    }
    return RowCopies{std::move(*previous), std::move(*current)};
}

// Rows are visited in increasing storage order. The previous and current rows
// are read from the copies, the next row straight from the image (it is not
// written yet), and the current row is written in place; so every output sees
// only the values from before the pass.
void SharpenInterior(PixelView pixels, int bytesPerPixel, std::span<const float> factors, RowCopies& rows)
{
    if (pixels.width < 3 || pixels.height < 3) {
        return;
    }
    const std::size_t step = static_cast<std::size_t>(bytesPerPixel);
    const std::size_t rowBytes = RowBytes(pixels, bytesPerPixel);
    const std::size_t pixelBytes = static_cast<std::size_t>(pixels.width) * step;
    const std::size_t lastColumn = static_cast<std::size_t>(pixels.width) - 1;

    auto row = [&](int index) { return pixels.bytes.subspan(static_cast<std::size_t>(index) * rowBytes, pixelBytes); };
    std::ranges::copy(row(0), rows.previous.begin());
    std::ranges::copy(row(1), rows.current.begin());

    for (int r = 1; r + 1 < pixels.height; ++r) {
        const std::span<const std::uint8_t> prev = rows.previous;
        const std::span<const std::uint8_t> cur = rows.current;
        const std::span<const std::uint8_t> next = row(r + 1);
        const std::span<std::uint8_t> out = row(r);
        for (std::size_t x = 1; x < lastColumn; ++x) {
            for (std::size_t b = 0; b < step; ++b) {
                const std::size_t i = x * step + b;
                const int sum = prev[i - step] + prev[i] + prev[i + step] + cur[i - step] + cur[i + step] +
                                next[i - step] + next[i] + next[i + step];
                out[i] = SharpenedByte(factors[b], cur[i], sum);
            }
        }
        std::swap(rows.previous, rows.current);
        std::ranges::copy(next, rows.current.begin());
    }
}

float ColourAmount(float amount)
{
    // Not-a-number amounts count as 0 as well: they would make every output undefined.
    if (std::signbit(amount) || std::isnan(amount)) {
        return 0.0f;
    }
    return amount >= 1.0f ? 1.0f : amount;
}

} // namespace

bool SharpenGray(PixelView pixels, float amount)
{
    if (!HoldsAllRows(pixels, kGrayBytesPerPixel)) {
        return false;
    }
    if (amount >= 1.0f) {
        amount = 1.0f;
    }
    auto rows = AllocateRowCopies(static_cast<std::size_t>(pixels.width));
    if (!rows) {
        return false;
    }
    // Compared in double: the single-precision 1 % (0.0099999998) stays below
    // 0.01, so 0 % and 1 % leave the image as it is.
    if (!(static_cast<double>(amount) > 0.01)) {
        return true;
    }
    const std::array<float, 1> factors{amount * 0.125f};
    SharpenInterior(pixels, kGrayBytesPerPixel, factors, *rows);
    return true;
}

bool SharpenColour(PixelView pixels, float amount0, float amount1, float amount2)
{
    if (!HoldsAllRows(pixels, kColourBytesPerPixel)) {
        return false;
    }
    const std::array<float, 3> factors{ColourAmount(amount0) * 0.125f, ColourAmount(amount1) * 0.125f,
                                       ColourAmount(amount2) * 0.125f};
    auto rows = AllocateRowCopies(static_cast<std::size_t>(pixels.width) * kColourBytesPerPixel);
    if (!rows) {
        return false;
    }
    SharpenInterior(pixels, kColourBytesPerPixel, factors, *rows);
    return true;
}

} // namespace tamr
