#pragma once
// Builds GIF files for the reader tests: an LZW encoder written independently
// of the reader's decoder, a bit writer for hand-made code streams, and a file
// assembler that puts headers, tables, extensions and sub-blocks together.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tamr::test {

using GifBytes = std::vector<std::uint8_t>;

// Codes packed least significant bit first, as GIF stores them.
class GifCodeWriter {
public:
    void Write(int code, int size)
    {
        for (int bit = 0; bit < size; ++bit) {
            if (bitCount_ % 8 == 0)
                bytes_.push_back(0);
            if ((code >> bit) & 1)
                bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (1 << (bitCount_ % 8)));
            ++bitCount_;
        }
    }
    const GifBytes& Bytes() const { return bytes_; }

private:
    GifBytes bytes_;
    std::size_t bitCount_ = 0;
};

struct LzwOptions {
    bool clearAtStart = true;
    int extraClearsAtStart = 0; // clear codes repeated right after the first
    bool endCode = true;
    std::size_t clearEvery = 0; // a clear after every so many data codes (0: never)
    bool clearWhenFull = true;  // false: go on with a full table (deferred clear)
};

// The plain GIF LZW encoder: the code size grows once the decoder, one entry
// behind the encoder, needs the wider codes.
inline GifBytes LzwEncode(std::span<const std::uint8_t> values, int minimumCodeSize, const LzwOptions& options = {})
{
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    int size = minimumCodeSize + 1;
    int next = clear + 2;
    std::map<std::pair<int, int>, int> table;
    GifCodeWriter writer;
    auto reset = [&] {
        table.clear();
        size = minimumCodeSize + 1;
        next = clear + 2;
    };
    if (options.clearAtStart)
        for (int i = 0; i <= options.extraClearsAtStart; ++i)
            writer.Write(clear, size);
    std::size_t dataCodes = 0;
    auto emit = [&](int code) {
        writer.Write(code, size);
        ++dataCodes;
    };
    if (!values.empty()) {
        int prefix = values[0];
        for (std::size_t i = 1; i < values.size(); ++i) {
            const auto key = std::make_pair(prefix, int{values[i]});
            if (const auto found = table.find(key); found != table.end()) {
                prefix = found->second;
                continue;
            }
            emit(prefix);
            if (next < 4096) {
                table[key] = next++;
                if (next > (1 << size) && size < 12)
                    ++size;
            }
            const bool full = next == 4096 && options.clearWhenFull;
            const bool periodic = options.clearEvery != 0 && dataCodes % options.clearEvery == 0;
            if (full || periodic) {
                writer.Write(clear, size);
                reset();
            }
            prefix = values[i];
        }
        emit(prefix);
    }
    if (options.endCode)
        writer.Write(end, size);
    return writer.Bytes();
}

// Data bytes cut into sub-blocks of at most blockSize bytes, closed by an
// empty sub-block unless terminate is false.
inline GifBytes SubBlocks(std::span<const std::uint8_t> data, std::size_t blockSize = 255, bool terminate = true)
{
    GifBytes out;
    for (std::size_t start = 0; start < data.size(); start += blockSize) {
        const std::size_t length = std::min(blockSize, data.size() - start);
        out.push_back(static_cast<std::uint8_t>(length));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                   data.begin() + static_cast<std::ptrdiff_t>(start + length));
    }
    if (terminate)
        out.push_back(0);
    return out;
}

// count red, green, blue triples, all different and none gray.
inline GifBytes ColourTriples(int count)
{
    GifBytes table;
    for (int i = 0; i < count; ++i) {
        table.push_back(static_cast<std::uint8_t>(255 - i));
        table.push_back(static_cast<std::uint8_t>((i * 7 + 3) % 256));
        table.push_back(static_cast<std::uint8_t>(i));
    }
    return table;
}

inline GifBytes GrayTriples(int count)
{
    GifBytes table;
    for (int i = 0; i < count; ++i)
        table.insert(table.end(), 3, static_cast<std::uint8_t>(i));
    return table;
}

inline GifBytes GraphicControlExtension()
{
    return {0x21, 0xF9, 4, 0x01, 10, 0, 7, 0}; // transparent index 7, delay 10
}

inline GifBytes CommentExtension(const std::string& text)
{
    GifBytes extension{0x21, 0xFE};
    const auto blocks = SubBlocks(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    extension.insert(extension.end(), blocks.begin(), blocks.end());
    return extension;
}

// Rows top-down as the picture shows them, reordered into the four passes.
inline GifBytes InterlaceRows(std::span<const std::uint8_t> pixels, int width, int height)
{
    GifBytes out;
    for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < height; y += step)
            out.insert(out.end(), pixels.begin() + static_cast<std::ptrdiff_t>(y * width),
                       pixels.begin() + static_cast<std::ptrdiff_t>((y + 1) * width));
    return out;
}

struct GifSpec {
    std::string signature = "GIF89a";
    int screenTableBits = 8; // N + 1 as declared by the screen
    bool hasGlobalTable = true;
    GifBytes globalTable = ColourTriples(256);
    std::uint8_t background = 0;
    std::vector<GifBytes> extensions;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    bool interlaced = false;
    std::optional<GifBytes> localTable; // its length decides M (2^(M+1) triples)
    int minimumCodeSize = 8;
    GifBytes pixels; // top-down, width * height values
    LzwOptions lzw;
    std::optional<GifBytes> codeBytes; // instead of encoding the pixels
    std::size_t blockSize = 255;
    bool terminate = true;
    bool trailer = true;
};

inline int TableBitsFor(std::size_t triples)
{
    int bits = 1;
    while ((std::size_t{1} << bits) < triples)
        ++bits;
    return bits;
}

inline GifBytes BuildGif(const GifSpec& layout)
{
    GifBytes out(layout.signature.begin(), layout.signature.end());
    auto u16 = [&out](std::uint16_t value) {
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    u16(layout.width);
    u16(layout.height);
    out.push_back(static_cast<std::uint8_t>((layout.hasGlobalTable ? 0x80 : 0) | 0x70 | (layout.screenTableBits - 1)));
    out.push_back(layout.background);
    out.push_back(0);
    if (layout.hasGlobalTable)
        out.insert(out.end(), layout.globalTable.begin(), layout.globalTable.end());
    for (const auto& extension : layout.extensions)
        out.insert(out.end(), extension.begin(), extension.end());

    out.push_back(0x2C);
    u16(0);
    u16(0);
    u16(layout.width);
    u16(layout.height);
    std::uint8_t packed = layout.interlaced ? 0x40 : 0;
    if (layout.localTable)
        packed = static_cast<std::uint8_t>(packed | 0x80 | (TableBitsFor(layout.localTable->size() / 3) - 1));
    out.push_back(packed);
    if (layout.localTable)
        out.insert(out.end(), layout.localTable->begin(), layout.localTable->end());

    out.push_back(static_cast<std::uint8_t>(layout.minimumCodeSize));
    GifBytes codes;
    if (layout.codeBytes) {
        codes = *layout.codeBytes;
    } else {
        const GifBytes ordered =
            layout.interlaced ? InterlaceRows(layout.pixels, layout.width, layout.height) : layout.pixels;
        codes = LzwEncode(ordered, layout.minimumCodeSize, layout.lzw);
    }
    const auto blocks = SubBlocks(codes, layout.blockSize, layout.terminate);
    out.insert(out.end(), blocks.begin(), blocks.end());
    if (layout.trailer)
        out.push_back(0x3B);
    return out;
}

} // namespace tamr::test
