#pragma once
// Builds PNG files chunk by chunk for the reader tests, with zlib and no PNG
// library, so that every colour type, depth, interlacing, transparency and
// damage can be made at will.

#include <zlib.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tamr::test {

struct PngLayout {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint8_t depth = 8;
    std::uint8_t colourType = 2; // 0 gray, 2 RGB, 3 palette, 4 gray + alpha, 6 RGBA
    bool interlaced = false;
    std::vector<std::uint8_t> palette; // PLTE: red, green, blue triples
    std::optional<std::vector<std::uint8_t>> trns;
    // Every sample of every pixel, rows from the top, channels in PNG order.
    std::vector<std::uint16_t> samples;
    // Bytes appended to the filtered picture data before compressing.
    std::size_t extraData = 0;
    // Chunks written before the picture data: type and contents.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> chunks;
};

inline int PngChannels(std::uint8_t colourType)
{
    return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
}

inline void PutU32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void PutChunk(std::vector<std::uint8_t>& file, const std::string& type, const std::vector<std::uint8_t>& data)
{
    PutU32(file, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    PutU32(file, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// The filtered rows (filter type 0) of the pixels at columns x0, x0 + dx, ...
// of rows y0, y0 + dy, ...: the whole picture, or one Adam7 pass.
inline void AppendRows(const PngLayout& layout, std::uint32_t x0, std::uint32_t dx, std::uint32_t y0, std::uint32_t dy,
                       std::vector<std::uint8_t>& out)
{
    const int channels = PngChannels(layout.colourType);
    if (x0 >= layout.width || y0 >= layout.height)
        return;
    for (std::uint32_t y = y0; y < layout.height; y += dy) {
        out.push_back(0);
        std::uint32_t bits = 0;
        int filled = 0;
        for (std::uint32_t x = x0; x < layout.width; x += dx) {
            for (int c = 0; c < channels; ++c) {
                const std::uint16_t v = layout.samples[(std::size_t{y} * layout.width + x) * channels + c];
                if (layout.depth == 16) {
                    out.push_back(static_cast<std::uint8_t>(v >> 8));
                    out.push_back(static_cast<std::uint8_t>(v));
                } else if (layout.depth == 8) {
                    out.push_back(static_cast<std::uint8_t>(v));
                } else {
                    bits = (bits << layout.depth) | v;
                    filled += layout.depth;
                    if (filled == 8) {
                        out.push_back(static_cast<std::uint8_t>(bits));
                        bits = 0;
                        filled = 0;
                    }
                }
            }
        }
        if (filled > 0)
            out.push_back(static_cast<std::uint8_t>(bits << (8 - filled)));
    }
}

inline std::vector<std::uint8_t> FilteredData(const PngLayout& layout)
{
    std::vector<std::uint8_t> raw;
    if (!layout.interlaced) {
        AppendRows(layout, 0, 1, 0, 1, raw);
    } else {
        constexpr std::array<std::uint32_t, 7> xs{0, 4, 0, 2, 0, 1, 0}, dxs{8, 8, 4, 4, 2, 2, 1};
        constexpr std::array<std::uint32_t, 7> ys{0, 0, 4, 0, 2, 0, 1}, dys{8, 8, 8, 4, 4, 2, 2};
        for (std::size_t pass = 0; pass < 7; ++pass)
            AppendRows(layout, xs[pass], dxs[pass], ys[pass], dys[pass], raw);
    }
    raw.resize(raw.size() + layout.extraData, 0);
    return raw;
}

inline std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    return packed;
}

inline std::vector<std::uint8_t> PngHeaderChunk(std::uint32_t width, std::uint32_t height, std::uint8_t depth,
                                                std::uint8_t colourType, bool interlaced)
{
    std::vector<std::uint8_t> ihdr;
    PutU32(ihdr, width);
    PutU32(ihdr, height);
    ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, static_cast<std::uint8_t>(interlaced ? 1 : 0)});
    return ihdr;
}

inline std::vector<std::uint8_t> PngSignature()
{
    return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
}

inline std::vector<std::uint8_t> BuildPng(const PngLayout& layout)
{
    std::vector<std::uint8_t> file = PngSignature();
    PutChunk(file, "IHDR",
             PngHeaderChunk(layout.width, layout.height, layout.depth, layout.colourType, layout.interlaced));
    PutChunk(file, "tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'}); // ancillary: ignored
    if (!layout.palette.empty())
        PutChunk(file, "PLTE", layout.palette);
    if (layout.trns)
        PutChunk(file, "tRNS", *layout.trns);
    for (const auto& [type, contents] : layout.chunks)
        PutChunk(file, type, contents);
    PutChunk(file, "IDAT", Deflate(FilteredData(layout)));
    PutChunk(file, "IEND", {});
    return file;
}

// A layout with samples from a fixed pattern that reaches both ends of the range.
inline PngLayout PatternPng(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colourType)
{
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.depth = depth;
    layout.colourType = colourType;
    const std::uint32_t largest = (1u << depth) - 1;
    const std::size_t count = std::size_t{width} * height * PngChannels(colourType);
    for (std::size_t i = 0; i < count; ++i)
        layout.samples.push_back(static_cast<std::uint16_t>((i * 2654435761u >> 7) % (largest + 1)));
    if (colourType == 3)
        for (std::uint32_t i = 0; i <= largest; ++i)
            layout.palette.insert(layout.palette.end(),
                                  {static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 11),
                                   static_cast<std::uint8_t>(255 - i)});
    return layout;
}

} // namespace tamr::test
