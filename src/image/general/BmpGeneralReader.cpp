// BMP by hand for the variants beside the plain ones: 1, 2 and 4 bits,
// 16 and 32 bits with any masks, RLE4 and RLE8, every header size.

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "image/PictureSamples.h"
#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "BMP";

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// RLE codes a run of at most 255 pixels in two bytes, and a jump of up to 255
// rows and columns in four.
constexpr std::uint64_t kRleMostPixelsPerByte = 255 * 255 / 4;

std::uint32_t Little(std::span<const std::uint8_t> bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        const std::size_t index = at + static_cast<std::size_t>(i);
        value = (value << 8) | (index < bytes.size() ? bytes[index] : 0u);
    }
    return value;
}

// One channel's mask: where it lies and how many bits it has.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    Channel() = default;
    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (mask == 0)
            return;
        shift = std::countr_zero(mask);
        bits = std::popcount(mask >> shift);
    }
    std::uint8_t Of(std::uint32_t pixel) const
    {
        if (bits == 0)
            return 0;
        std::uint32_t value = (pixel & mask) >> shift;
        int depth = bits;
        if (depth > 16) { // only the top 16 bits matter for 8-bit output
            value >>= depth - 16;
            depth = 16;
        }
        return ScaleToByte(value, (std::uint32_t{1} << depth) - 1);
    }
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: top-down rows
    std::uint32_t bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colours = 0;
    std::uint32_t headerBytes = 0;
    std::array<Channel, 4> masks{}; // red, green, blue, alpha
};

// Writes decoded RLE pixels: a cursor over the bottom-up rows.
class RleCanvas {
public:
    RleCanvas(GeneralRows& rows, const std::vector<std::array<std::uint8_t, 3>>& palette)
        : rows_(rows), palette_(palette)
    {
    }
    void Put(std::uint32_t index)
    {
        if (x_ < rows_.Width() && y_ < rows_.Height()) {
            const auto& rgb = index < palette_.size() ? palette_[index] : kBlack;
            rows_.PutPixel(x_, rows_.Height() - 1 - y_, rgb[0], rgb[1], rgb[2]);
        }
        ++x_;
    }
    void NextLine()
    {
        x_ = 0;
        ++y_;
    }
    void Move(std::uint32_t dx, std::uint32_t dy)
    {
        x_ += dx;
        y_ += dy;
    }
    bool Done() const { return y_ >= rows_.Height(); }

private:
    static constexpr std::array<std::uint8_t, 3> kBlack{};
    GeneralRows& rows_;
    const std::vector<std::array<std::uint8_t, 3>>& palette_;
    std::uint32_t x_ = 0;
    std::uint32_t y_ = 0;
};

void DecodeRle(std::span<const std::uint8_t> data, bool four, RleCanvas& canvas)
{
    std::size_t at = 0;
    while (at + 1 < data.size() && !canvas.Done()) {
        const std::uint8_t count = data[at];
        const std::uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                canvas.Put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            continue;
        }
        if (value == 0) {
            canvas.NextLine();
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (at + 1 >= data.size())
                return;
            canvas.Move(data[at], data[at + 1]);
            at += 2;
        } else {
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            for (int i = 0; i < value; ++i) {
                const std::size_t index = at + (four ? static_cast<std::size_t>(i) / 2 : static_cast<std::size_t>(i));
                if (index >= data.size())
                    return;
                canvas.Put(four ? (i % 2 == 0 ? data[index] >> 4 : data[index] & 15) : data[index]);
            }
            at += (bytes + 1) / 2 * 2; // absolute runs are padded to whole words
        }
    }
}

std::optional<Header> ParseHeader(std::span<const std::uint8_t> file)
{
    Header header;
    header.headerBytes = Little(file, kFileHeaderBytes, 4);
    const std::size_t at = kFileHeaderBytes;
    if (header.headerBytes == kCoreHeaderBytes) {
        header.width = Little(file, at + 4, 2);
        header.height = Little(file, at + 6, 2);
        header.bits = Little(file, at + 10, 2);
        return header;
    }
    if (header.headerBytes < 16 || header.headerBytes > 124)
        return std::nullopt;
    header.width = static_cast<std::int32_t>(Little(file, at + 4, 4));
    header.height = static_cast<std::int32_t>(Little(file, at + 8, 4));
    header.bits = Little(file, at + 14, 2);
    if (header.headerBytes >= 20)
        header.compression = Little(file, at + 16, 4);
    if (header.headerBytes >= 36)
        header.colours = Little(file, at + 32, 4);
    // OS/2's 64-byte header numbers its own Huffman and RLE24 codings 3 and 4.
    const bool os2 = header.headerBytes == 16 || header.headerBytes == 64;
    if (os2 && header.compression >= kBitFields)
        header.compression = 0xFFFF;
    if (header.bits == 16)
        header.masks = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F), Channel()};
    else if (header.bits == 32)
        header.masks = {Channel(0xFF0000), Channel(0xFF00), Channel(0xFF), Channel()};
    if (header.compression == kBitFields || header.compression == kAlphaBitFields) {
        // Masks follow a 40-byte header, or are its own fields in the longer ones.
        const std::size_t masksAt = at + kInfoHeaderBytes;
        const bool alpha = header.compression == kAlphaBitFields || header.headerBytes >= 56;
        header.masks = {Channel(Little(file, masksAt, 4)), Channel(Little(file, masksAt + 4, 4)),
                        Channel(Little(file, masksAt + 8, 4)), Channel(alpha ? Little(file, masksAt + 12, 4) : 0)};
    }
    return header;
}

} // namespace

PictureReadResult ReadBmpGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    if (bytes.size() < kFileHeaderBytes + kCoreHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M')
        return RefusedAs(kKind, "the file is not a BMP file");
    const auto parsed = ParseHeader(bytes);
    if (!parsed)
        return RefusedAs(kKind, "the file's header has a size no BMP header has");
    const Header& header = *parsed;
    const bool rle = header.compression == kRle8 || header.compression == kRle4;
    const bool known = header.compression == kRgb || header.compression == kBitFields ||
                       header.compression == kAlphaBitFields || (header.compression == kRle8 && header.bits == 8) ||
                       (header.compression == kRle4 && header.bits == 4);
    const bool depthKnown = header.bits == 1 || header.bits == 2 || header.bits == 4 || header.bits == 8 ||
                            header.bits == 16 || header.bits == 24 || header.bits == 32;
    if (!known || !depthKnown)
        return RefusedAs(kKind, "the picture's coding is not one this reader knows (" + std::to_string(header.bits) +
                                    " bits, coding " + std::to_string(header.compression) + ")");
    if (header.width <= 0 || header.height == 0 || (rle && header.height < 0))
        return RefusedAs(kKind, "the picture's width or height is not valid");
    const auto width = static_cast<std::uint64_t>(header.width);
    const auto height = static_cast<std::uint64_t>(header.height < 0 ? -header.height : header.height);

    // The palette follows the header (and the masks a 40-byte header is followed by).
    std::vector<std::array<std::uint8_t, 3>> palette;
    bool gray = false;
    if (header.bits <= 8) {
        const bool core = header.headerBytes == kCoreHeaderBytes;
        const std::size_t entryBytes = core ? 3 : 4;
        std::size_t at = kFileHeaderBytes + header.headerBytes;
        if (header.headerBytes == kInfoHeaderBytes && header.compression == kBitFields)
            at += 12;
        const std::uint32_t wanted =
            header.colours == 0 || header.colours > (1u << header.bits) ? 1u << header.bits : header.colours;
        gray = true;
        for (std::uint32_t i = 0; i < wanted && at + entryBytes <= bytes.size(); ++i, at += entryBytes) {
            palette.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
            gray = gray && bytes[at] == bytes[at + 1] && bytes[at + 1] == bytes[at + 2];
        }
    }
    const std::uint32_t offset = Little(bytes, 10, 4);
    const std::span<const std::uint8_t> data = bytes.subspan(std::min<std::size_t>(offset, bytes.size()));
    const std::uint64_t stride = (width * header.bits + 31) / 32 * 4;
    const std::uint64_t needed = rle ? width * height / kRleMostPixelsPerByte : stride * height;
    if (auto refused = CheckDeclaredSize(kKind, width, height, !gray, data.size(), needed, limits))
        return *refused;
    auto rows = GeneralRows::Make(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), !gray);
    if (!rows)
        return NoRoomFor(kKind);
    if (rle) {
        RleCanvas canvas(*rows, palette);
        DecodeRle(data, header.compression == kRle4, canvas);
        return rows->Finish();
    }
    const auto& [red, green, blue, alpha] = header.masks;
    const std::size_t pixelBytes = header.bits / 8;
    for (std::uint64_t row = 0; row < height; ++row) {
        const std::uint64_t start = row * stride;
        if (start >= data.size())
            break; // a cut-off file keeps its missing rows black
        const auto y = static_cast<std::uint32_t>(header.height < 0 ? row : height - 1 - row);
        const std::span<const std::uint8_t> line = data.subspan(static_cast<std::size_t>(start));
        for (std::uint32_t x = 0; x < width; ++x) {
            if (header.bits <= 8) {
                const std::uint64_t bit = std::uint64_t{x} * header.bits;
                if (bit / 8 >= line.size())
                    break;
                const int shift = 8 - static_cast<int>(header.bits) - static_cast<int>(bit % 8);
                const std::uint32_t index = (line[bit / 8] >> shift) & ((1u << header.bits) - 1);
                const std::array<std::uint8_t, 3> rgb =
                    index < palette.size() ? palette[index] : std::array<std::uint8_t, 3>{};
                rows->PutPixel(x, y, rgb[0], rgb[1], rgb[2]);
                continue;
            }
            const std::size_t at = std::size_t{x} * pixelBytes;
            if (at + pixelBytes > line.size())
                break;
            if (header.bits == 24) {
                rows->PutPixel(x, y, line[at + 2], line[at + 1], line[at]);
                continue;
            }
            const std::uint32_t pixel = Little(line, at, static_cast<int>(pixelBytes));
            rows->PutPixel(x, y, red.Of(pixel), green.Of(pixel), blue.Of(pixel),
                           alpha.bits == 0 ? std::uint8_t{255} : alpha.Of(pixel));
        }
    }
    return rows->Finish();
}

} // namespace tamr
