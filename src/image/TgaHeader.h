#pragma once
// The 18-byte header of a TGA file and its colour map, read from untrusted bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/BmpHeaders.h"
#include "platform/ByteReader.h"

namespace tamr {

inline constexpr std::size_t kTgaHeaderSize = 18;

// Image types of the header.
inline constexpr std::uint8_t kTgaNoImage = 0;
inline constexpr std::uint8_t kTgaColourMapped = 1;
inline constexpr std::uint8_t kTgaTrueColour = 2;
inline constexpr std::uint8_t kTgaGray = 3;
inline constexpr std::uint8_t kTgaFirstRunLength = 9;
inline constexpr std::uint8_t kTgaLastRunLength = 11;

struct TgaHeader {
    std::uint8_t idLength = 0;
    std::uint8_t colourMapType = 0; // 0 none, 1 present
    std::uint8_t imageType = 0;
    std::uint16_t firstEntryIndex = 0;
    std::uint16_t colourMapLength = 0;   // entries
    std::uint8_t colourMapEntrySize = 0; // bits
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t pixelDepth = 0; // bits
    std::uint8_t descriptor = 0;

    int AttributeBits() const { return descriptor & 0x0F; }
    bool RightToLeft() const { return (descriptor & 0x10) != 0; }
    bool TopToBottom() const { return (descriptor & 0x20) != 0; }
    // Pixel depth less the attribute (alpha) bits; negative for a nonsensical descriptor.
    int ColourBits() const { return int{pixelDepth} - AttributeBits(); }
    // Bytes of one stored pixel: the depth rounded up to whole bytes.
    std::size_t InputBytesPerPixel() const { return (std::size_t{pixelDepth} + 7) / 8; }
    // Bytes of one stored colour-map entry.
    std::size_t ColourMapEntryBytes() const { return (std::size_t{colourMapEntrySize} + 7) / 8; }
    std::uint64_t ColourMapBytes() const { return std::uint64_t{colourMapLength} * ColourMapEntryBytes(); }
};

// The header fields in file order; check reader.Overran() for a file shorter than 18 bytes.
TgaHeader ReadTgaHeader(ByteReader& reader);

// The colour map as blue-green-red entries. Entries of 15, 16, 24 or 32 bits are
// converted; for any other entry size the map stays black, which callers see as
// an empty entry list (every lookup then gives black).
struct TgaColourMap {
    std::uint16_t firstEntryIndex = 0;
    std::uint16_t length = 0;
    std::vector<RgbQuad> entries; // empty, or length entries

    RgbQuad Entry(std::size_t k) const { return k < entries.size() ? entries[k] : RgbQuad{}; }
};

// Reads the map at the reader's position. The caller has checked that the
// map's bytes are present; nothing when the buffer cannot be had.
std::optional<TgaColourMap> ReadTgaColourMap(ByteReader& reader, const TgaHeader& header);

} // namespace tamr
