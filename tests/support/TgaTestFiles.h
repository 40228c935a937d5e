#pragma once
// Builds TGA files byte by byte for the reader tests, so that odd and hostile
// headers can be made at will.

#include <cstdint>
#include <vector>

#include "platform/ByteWriter.h"

namespace tamr::test {

struct TgaSpec {
    std::uint8_t colourMapType = 0;
    std::uint8_t imageType = 2;
    std::uint16_t firstEntryIndex = 0;
    std::uint16_t colourMapLength = 0;
    std::uint8_t entrySize = 0;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t depth = 24;
    std::uint8_t descriptor = 0;
    std::vector<std::uint8_t> id;
    std::vector<std::uint8_t> colourMap; // as stored
    std::vector<std::uint8_t> pixels;    // as stored
};

inline std::vector<std::uint8_t> BuildTga(const TgaSpec& layout)
{
    std::vector<std::uint8_t> bytes;
    ByteWriter writer(bytes);
    writer.U8(static_cast<std::uint8_t>(layout.id.size()));
    writer.U8(layout.colourMapType);
    writer.U8(layout.imageType);
    writer.U16(layout.firstEntryIndex);
    writer.U16(layout.colourMapLength);
    writer.U8(layout.entrySize);
    writer.U16(0x1234); // origins: noise the reader must not use
    writer.U16(0x5678);
    writer.U16(layout.width);
    writer.U16(layout.height);
    writer.U8(layout.depth);
    writer.U8(layout.descriptor);
    writer.Bytes(layout.id);
    writer.Bytes(layout.colourMap);
    writer.Bytes(layout.pixels);
    return bytes;
}

} // namespace tamr::test
