#pragma once
// The records of a BMP file: file header, info header and colour-table entry.
// Plain values, read and written field by field, little-endian.

#include <cstddef>
#include <cstdint>

#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"

namespace tamr {

inline constexpr std::uint16_t kBmpTypeBM = 0x4D42; // the bytes "BM"
inline constexpr std::uint16_t kBmpTypeMB = 0x424D; // the bytes "MB"

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;
inline constexpr std::size_t kCoreHeaderSize = 12; // the OS/2 1.x header with 16-bit sizes
inline constexpr std::size_t kRgbQuadSize = 4;
inline constexpr std::size_t kRgbTripleSize = 3; // colour-table entry after a 12-byte header

// Where the pixels of a written file start: no colour table for 24 bits, 256 entries for gray.
inline constexpr std::uint32_t kColourBmpOffBits = 54;
inline constexpr std::uint32_t kGrayBmpOffBits = 1078;

struct BitmapFileHeader {
    std::uint16_t bfType = 0;
    std::uint32_t bfSize = 0;
    std::uint16_t bfReserved1 = 0;
    std::uint16_t bfReserved2 = 0;
    std::uint32_t bfOffBits = 0;

    bool operator==(const BitmapFileHeader&) const = default;
};

struct BitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;

    bool operator==(const BitmapInfoHeader&) const = default;
};

struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;

    bool operator==(const RgbQuad&) const = default;
};

BitmapFileHeader ReadFileHeader(ByteReader& reader);
void WriteFileHeader(ByteWriter& writer, const BitmapFileHeader& header);

// The 40-byte info header; fields past the end of the reader's input read as 0.
BitmapInfoHeader ReadInfoHeader(ByteReader& reader);
void WriteInfoHeader(ByteWriter& writer, const BitmapInfoHeader& header);

// The 12-byte OS/2 core header (unsigned 16-bit sizes), in info-header form.
BitmapInfoHeader ReadCoreHeader(ByteReader& reader);

RgbQuad ReadRgbQuad(ByteReader& reader);
// A 3-byte entry (blue, green, red) as it follows a core header.
RgbQuad ReadRgbTriple(ByteReader& reader);
void WriteRgbQuad(ByteWriter& writer, const RgbQuad& entry);

} // namespace tamr
