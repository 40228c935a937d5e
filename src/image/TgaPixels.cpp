#include "image/TgaPixels.h"

namespace tamr {
namespace {

// The orientation flags only apply to sides longer than 2 pixels.
constexpr std::uint16_t kShortestTurnedSide = 3;

std::uint8_t FieldToByte(std::uint32_t value, int shift, int fieldBits)
{
    const std::uint32_t mask = (std::uint32_t{1} << fieldBits) - 1;
    return static_cast<std::uint8_t>(((value >> shift) & mask) << (8 - fieldBits));
}

} // namespace

TgaPixelSource::TgaPixelSource(std::span<const std::uint8_t> bytes, const TgaHeader& header, std::size_t stride)
    : bytes_(bytes), width_(header.width), height_(header.height), stride_(stride),
      mirror_(header.RightToLeft() && header.width >= kShortestTurnedSide),
      flip_(header.TopToBottom() && header.height >= kShortestTurnedSide)
{
}

std::span<const std::uint8_t> TgaPixelSource::Pixel(std::size_t row, std::size_t column) const
{
    const std::size_t sourceRow = flip_ ? height_ - 1 - row : row;
    const std::size_t sourceColumn = mirror_ ? width_ - 1 - column : column;
    return bytes_.subspan((sourceRow * width_ + sourceColumn) * stride_, stride_);
}

std::size_t PackedRowBytes(std::uint16_t width, int bits)
{
    if (bits == 24)
        return (3 * std::size_t{width} + 3) / 4 * 4;
    return (static_cast<std::size_t>(bits) * width + 31) / 32 * 4;
}

void WriteTrueColourRows(const TgaPixelSource& source, int colourBits, std::span<std::uint8_t> rows)
{
    if (colourBits <= 8)
        return; // nothing the output can show: the image stays black
    const std::size_t rowBytes = PackedRowBytes(source.Width(), 24);
    const int fieldBits = colourBits / 3;
    for (std::size_t row = 0; row < source.Height(); ++row) {
        auto out = rows.subspan(row * rowBytes, rowBytes).begin();
        for (std::size_t column = 0; column < source.Width(); ++column) {
            const auto pixel = source.Pixel(row, column);
            if (colourBits >= 24) {
                *out++ = pixel[0];
                *out++ = pixel[1];
                *out++ = pixel[2];
                continue;
            }
            const std::uint32_t value = pixel[0] | (std::uint32_t{pixel[1]} << 8);
            *out++ = FieldToByte(value, 0, fieldBits);
            *out++ = FieldToByte(value, fieldBits, fieldBits);
            *out++ = FieldToByte(value, 2 * fieldBits, fieldBits);
        }
    }
}

void WriteMappedRows(const TgaPixelSource& source, const TgaColourMap& map, std::span<std::uint8_t> rows)
{
    const std::size_t rowBytes = PackedRowBytes(source.Width(), 24);
    for (std::size_t row = 0; row < source.Height(); ++row) {
        auto out = rows.subspan(row * rowBytes, rowBytes).begin();
        for (std::size_t column = 0; column < source.Width(); ++column) {
            const auto pixel = source.Pixel(row, column);
            std::int64_t index = 0;
            for (std::size_t i = 0; i < pixel.size() && i < 4; ++i)
                index |= std::int64_t{pixel[i]} << (8 * i);
            const std::int64_t k = index - map.firstEntryIndex;
            const RgbQuad entry = k >= 0 && k < map.length ? map.Entry(static_cast<std::size_t>(k)) : RgbQuad{};
            *out++ = entry.blue;
            *out++ = entry.green;
            *out++ = entry.red;
        }
    }
}

void WriteIndexRows(const TgaPixelSource& source, int bits, std::span<std::uint8_t> rows)
{
    const std::size_t rowBytes = PackedRowBytes(source.Width(), bits);
    for (std::size_t row = 0; row < source.Height(); ++row) {
        const auto out = rows.subspan(row * rowBytes, rowBytes);
        for (std::size_t column = 0; column < source.Width(); ++column) {
            const std::uint8_t index = source.Pixel(row, column)[0];
            if (bits == 8)
                out[column] = index;
            else if (column % 2 == 0)
                out[column / 2] = static_cast<std::uint8_t>((index & 0x0F) << 4);
            else
                out[column / 2] = static_cast<std::uint8_t>(out[column / 2] | (index & 0x0F));
        }
    }
}

void WriteBitRows(const TgaPixelSource& source, std::span<std::uint8_t> rows)
{
    const std::size_t rowBytes = PackedRowBytes(source.Width(), 1);
    for (std::size_t row = 0; row < source.Height(); ++row) {
        const auto out = rows.subspan(row * rowBytes, rowBytes);
        for (std::size_t column = 0; column < source.Width(); ++column)
            if (source.Pixel(row, column)[0] >= 128)
                out[column / 8] = static_cast<std::uint8_t>(out[column / 8] | (0x80 >> (column % 8)));
    }
}

} // namespace tamr
