#pragma once
// Builds BMP files byte by byte for the image tests, independently of the
// image's own writer, so that odd and hostile headers can be made at will.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/BmpHeaders.h"
#include "platform/ByteWriter.h"
#include "support/TestSupport.h"

namespace tamr::test {

struct BmpLayout {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint16_t type = kBmpTypeBM;
    std::uint16_t reserved1 = 0;
    std::uint32_t headerSize = 40; // 12: OS/2 core header with 3-byte table entries
    std::vector<RgbQuad> table;
    std::optional<std::uint32_t> clrUsed; // default: the table's length
    std::size_t gap = 0;                  // bytes between table and pixels
    std::optional<std::uint32_t> offBits; // default: right after table and gap
    std::vector<std::uint8_t> rows;       // the pixel area as stored
};

inline std::vector<std::uint8_t> BuildBmp(const BmpLayout& layout)
{
    const bool core = layout.headerSize == kCoreHeaderSize;
    const std::size_t entrySize = core ? kRgbTripleSize : kRgbQuadSize;
    const std::size_t tableStart = kFileHeaderSize + layout.headerSize;
    const auto naturalOffBits = static_cast<std::uint32_t>(tableStart + entrySize * layout.table.size() + layout.gap);
    const std::uint32_t offBits = layout.offBits.value_or(naturalOffBits);

    std::vector<std::uint8_t> bytes;
    ByteWriter writer(bytes);
    WriteFileHeader(writer,
                    BitmapFileHeader{layout.type, static_cast<std::uint32_t>(naturalOffBits + layout.rows.size()),
                                     layout.reserved1, 0, offBits});
    if (core) {
        writer.U32(kCoreHeaderSize);
        writer.U16(static_cast<std::uint16_t>(layout.width));
        writer.U16(static_cast<std::uint16_t>(layout.height));
        writer.U16(1);
        writer.U16(layout.bits);
    } else {
        BitmapInfoHeader header;
        header.biSize = layout.headerSize;
        header.biWidth = layout.width;
        header.biHeight = layout.height;
        header.biPlanes = 1;
        header.biBitCount = layout.bits;
        header.biCompression = layout.compression;
        header.biSizeImage = static_cast<std::uint32_t>(layout.rows.size());
        header.biXPelsPerMeter = 2835;
        header.biYPelsPerMeter = 2835;
        header.biClrUsed = layout.clrUsed.value_or(static_cast<std::uint32_t>(layout.table.size()));
        // Only the fields that fit a short header are written; a long one is padded with zeros.
        std::vector<std::uint8_t> full;
        ByteWriter headerWriter(full);
        WriteInfoHeader(headerWriter, header);
        full.resize(layout.headerSize, 0);
        writer.Bytes(full);
    }
    for (const RgbQuad& entry : layout.table) {
        writer.U8(entry.blue);
        writer.U8(entry.green);
        writer.U8(entry.red);
        if (!core)
            writer.U8(entry.reserved);
    }
    for (std::size_t i = 0; i < layout.gap; ++i)
        writer.U8(0xA5);      // noise the reader must skip
    if (!layout.rows.empty()) // an offset past the end is only written, never filled up to
        bytes.resize(std::max<std::size_t>(bytes.size(), offBits), 0);
    writer.Bytes(layout.rows);
    return bytes;
}

// Rows of random pixel bytes, each followed by zero padding to a multiple of 4.
inline std::vector<std::uint8_t> RandomRows(int width, int height, int bytesPerPixel, std::uint32_t seed,
                                            int valueLimit = 256)
{
    const int rowBytes = width * bytesPerPixel;
    const int stride = (rowBytes + 3) / 4 * 4;
    const auto noise = RandomBytes(static_cast<std::size_t>(rowBytes * height), seed);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x)
            rows[static_cast<std::size_t>(y * stride + x)] =
                static_cast<std::uint8_t>(noise[static_cast<std::size_t>(y * rowBytes + x)] % valueLimit);
    return rows;
}

inline std::vector<RgbQuad> GrayRamp()
{
    std::vector<RgbQuad> table;
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        table.push_back(RgbQuad{level, level, level, 0});
    }
    return table;
}

// count distinct colours, none of them gray.
inline std::vector<RgbQuad> ColourPalette(int count)
{
    std::vector<RgbQuad> table;
    for (int i = 0; i < count; ++i)
        table.push_back(RgbQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                static_cast<std::uint8_t>((i * 7 + 1) % 256), 0});
    return table;
}

// A 24-bit colour or 8-bit gray BMP (with the gray ramp) whose bytes come
// from sample(x, y, k), called in storage order: rows bottom-up, pixels left
// to right, k = 0 .. 2 (blue, green, red) or 0 for gray. Rows are padded with zeros.
template <typename Sample> std::vector<std::uint8_t> SampledBmp(int width, int height, bool colour, Sample sample)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = colour ? 24 : 8;
    if (!colour)
        layout.table = GrayRamp();
    const int bytesPerPixel = colour ? 3 : 1;
    const int rowPad = (4 - (width * bytesPerPixel) % 4) % 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < bytesPerPixel; ++k)
                layout.rows.push_back(sample(x, y, k));
        layout.rows.insert(layout.rows.end(), static_cast<std::size_t>(rowPad), 0);
    }
    return BuildBmp(layout);
}

} // namespace tamr::test
