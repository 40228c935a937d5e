// TGA by hand for every variant: colour-mapped, true-colour and gray, plain
// or run-length coded, 8 to 32 bits, any origin.

#include <algorithm>
#include <array>
#include <vector>

#include "image/PictureSamples.h"
#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "TGA";
constexpr std::size_t kHeaderBytes = 18;
// A run packet codes 128 pixels in one byte and one pixel.
constexpr std::uint64_t kRleMostPixelsPerByte = 128 / 2;

struct Rgba {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
};

// A 15 or 16-bit pixel: five bits a colour and the attribute bit.
Rgba FromSixteen(std::uint32_t value, bool alpha)
{
    return {ScaleToByte((value >> 10) & 31, 31), ScaleToByte((value >> 5) & 31, 31), ScaleToByte(value & 31, 31),
            static_cast<std::uint8_t>(alpha && (value & 0x8000) == 0 ? 0 : 255)};
}

// A colour of `bits` bits stored little-endian, blue first.
Rgba ColourOf(const std::uint8_t* bytes, int bits, bool alpha)
{
    switch (bits) {
    case 15:
    case 16:
        return FromSixteen(bytes[0] | (bytes[1] << 8), alpha && bits == 16);
    case 24:
        return {bytes[2], bytes[1], bytes[0], 255};
    default:
        return {bytes[2], bytes[1], bytes[0], alpha ? bytes[3] : std::uint8_t{255}};
    }
}

struct Header {
    std::uint8_t idLength = 0;
    std::uint8_t mapType = 0;
    std::uint8_t type = 0;
    std::uint16_t mapFirst = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapBits = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t bits = 0;
    std::uint8_t descriptor = 0;

    int Kind() const { return type & 7; } // 1 mapped, 2 true colour, 3 gray
    bool Rle() const { return (type & 8) != 0; }
    int AlphaBits() const { return descriptor & 15; }
};

Header ParseHeader(std::span<const std::uint8_t> bytes)
{
    auto word = [&](std::size_t at) { return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8)); };
    Header header;
    header.idLength = bytes[0];
    header.mapType = bytes[1];
    header.type = bytes[2];
    header.mapFirst = word(3);
    header.mapLength = word(5);
    header.mapBits = bytes[7];
    header.width = word(12);
    header.height = word(14);
    header.bits = bytes[16];
    header.descriptor = bytes[17];
    return header;
}

bool DepthKnown(const Header& header)
{
    switch (header.Kind()) {
    case 1:
        return header.bits == 8 &&
               (header.mapBits == 15 || header.mapBits == 16 || header.mapBits == 24 || header.mapBits == 32);
    case 2:
        return header.bits == 15 || header.bits == 16 || header.bits == 24 || header.bits == 32;
    case 3:
        return header.bits == 8 || header.bits == 16;
    default:
        return false;
    }
}

} // namespace

PictureReadResult ReadTgaGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    if (bytes.size() < kHeaderBytes)
        return RefusedAs(kKind, "the file is shorter than a TGA header");
    const Header header = ParseHeader(bytes);
    if ((header.type & ~8) < 1 || (header.type & ~8) > 3 || !DepthKnown(header))
        return RefusedAs(kKind, "the picture's type or depth is not one this reader knows (type " +
                                    std::to_string(header.type) + ", " + std::to_string(header.bits) + " bits)");
    const int pixelBytes = (header.bits + 7) / 8;
    const int mapEntryBytes = (header.mapBits + 7) / 8;
    std::size_t at = kHeaderBytes + header.idLength;
    // Alpha counts when the descriptor gives it bits; 16-bit gray is gray and alpha.
    const bool alpha = header.AlphaBits() > 0 || (header.Kind() == 3 && header.bits == 16);
    std::vector<Rgba> map;
    bool gray = header.Kind() == 3;
    if (header.mapType == 1) {
        const std::size_t mapBytes = std::size_t{header.mapLength} * static_cast<std::size_t>(mapEntryBytes);
        if (header.Kind() == 1) {
            if (at + mapBytes > bytes.size())
                return RefusedAs(kKind, "the file ends inside its colour map");
            gray = true;
            for (std::size_t i = 0; i < header.mapLength; ++i) {
                const Rgba colour =
                    ColourOf(bytes.data() + at + i * static_cast<std::size_t>(mapEntryBytes), header.mapBits, alpha);
                map.push_back(colour);
                gray = gray && colour.red == colour.green && colour.green == colour.blue && colour.alpha == 255;
            }
        }
        at += mapBytes;
    }
    const std::span<const std::uint8_t> data = bytes.subspan(std::min(at, bytes.size()));
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    const std::uint64_t needed =
        header.Rle() ? pixels / kRleMostPixelsPerByte : pixels * static_cast<std::uint64_t>(pixelBytes);
    if (auto refused = CheckDeclaredSize(kKind, header.width, header.height, !gray, data.size(), needed, limits))
        return *refused;
    auto rows = GeneralRows::Make(header.width, header.height, !gray);
    if (!rows)
        return NoRoomFor(kKind);

    auto pixelOf = [&](const std::uint8_t* p) -> Rgba {
        if (header.Kind() == 1) {
            const int index = (p[0]) - header.mapFirst;
            return index >= 0 && static_cast<std::size_t>(index) < map.size() ? map[static_cast<std::size_t>(index)]
                                                                              : Rgba{};
        }
        if (header.Kind() == 3)
            return {p[0], p[0], p[0], header.bits == 16 ? p[1] : std::uint8_t{255}};
        return ColourOf(p, header.bits, alpha);
    };
    const bool fromTop = (header.descriptor & 0x20) != 0;
    const bool fromRight = (header.descriptor & 0x10) != 0;
    std::uint64_t index = 0;
    auto put = [&](const Rgba& colour) {
        if (index >= pixels)
            return;
        const auto column = static_cast<std::uint32_t>(index % header.width);
        const auto line = static_cast<std::uint32_t>(index / header.width);
        const std::uint32_t x = fromRight ? header.width - 1 - column : column;
        const std::uint32_t y = fromTop ? line : header.height - 1u - line;
        rows->PutPixel(x, y, colour.red, colour.green, colour.blue, colour.alpha);
        ++index;
    };
    const auto step = static_cast<std::size_t>(pixelBytes);
    std::size_t position = 0;
    // A cut-off file keeps its missing pixels black.
    while (index < pixels && position < data.size()) {
        if (!header.Rle()) {
            if (position + step > data.size())
                break;
            put(pixelOf(data.data() + position));
            position += step;
            continue;
        }
        const std::uint8_t packet = data[position++];
        const int count = (packet & 0x7F) + 1;
        if ((packet & 0x80) != 0) {
            if (position + step > data.size())
                break;
            const Rgba colour = pixelOf(data.data() + position);
            position += step;
            for (int i = 0; i < count; ++i)
                put(colour);
            continue;
        }
        for (int i = 0; i < count && position + step <= data.size(); ++i, position += step)
            put(pixelOf(data.data() + position));
    }
    return rows->Finish();
}

} // namespace tamr
