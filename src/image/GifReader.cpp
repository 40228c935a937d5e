#include "image/GifReader.h"

#include <algorithm>
#include <array>

#include "image/BmpHeaders.h"
#include "image/GifLzwDecoder.h"
#include "image/ImageMessages.h"
#include "image/PackedImageBlock.h"
#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/CheckedSize.h"

namespace tamr {
namespace {

constexpr std::size_t kSignatureSize = 6;
constexpr std::size_t kScreenPackedByte = 10;
constexpr std::size_t kScreenEnd = 13; // header and logical screen descriptor
constexpr std::size_t kDescriptorSize = 10;
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr int kScreenBitsNeeded = 8;
constexpr unsigned kBitsPerLzwCodeAtLeast = 3;

// "GIF87a" or "GIF89a", letters in any case.
bool HasGifSignature(std::span<const std::uint8_t> file)
{
    if (file.size() < kSignatureSize)
        return false;
    auto upper = [](std::uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - 'a' + 'A') : c; };
    const bool gif = upper(file[0]) == 'G' && upper(file[1]) == 'I' && upper(file[2]) == 'F';
    const bool version = file[3] == '8' && (file[4] == '7' || file[4] == '9') && upper(file[5]) == 'A';
    return gif && version;
}

// Skips data sub-blocks up to and including the zero length byte; false when
// the input ends first.
bool SkipSubBlocks(ByteReader& reader)
{
    while (reader.Remaining() > 0) {
        const std::uint8_t length = reader.U8();
        if (length == 0)
            return true;
        if (reader.Remaining() < length)
            return false;
        reader.Skip(length);
    }
    return false;
}

struct ImageDescriptor {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    bool hasLocalTable = false;
    bool interlaced = false;
    int localTableBits = 0;
};

ImageDescriptor ParseDescriptor(std::span<const std::uint8_t> bytes)
{
    ImageDescriptor descriptor;
    // Byte 0 is the separator (not checked); bytes 1 to 4 the unused position.
    descriptor.width = static_cast<std::uint16_t>(bytes[5] | (bytes[6] << 8));
    descriptor.height = static_cast<std::uint16_t>(bytes[7] | (bytes[8] << 8));
    descriptor.hasLocalTable = (bytes[9] & 0x80) != 0;
    descriptor.interlaced = (bytes[9] & 0x40) != 0;
    descriptor.localTableBits = (bytes[9] & 0x07) + 1;
    return descriptor;
}

// 1 bit for a 2-entry table, 4 bits up to 16 entries, 8 bits above.
std::uint16_t OutputBitsFor(int tableBits)
{
    if (tableBits == 1)
        return 1;
    return tableBits <= 4 ? 4 : 8;
}

std::uint64_t RowStride(std::uint64_t width, std::uint64_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

// The most pixels an image's code stream could decode to at the coder's
// largest expansion. Only the bytes of its data sub-blocks count (comments,
// extensions and junk after them carry no pixels), and no code is shorter than
// the minimum code size plus one bit. After a clear code the table grows by one
// entry a code and each entry is one pixel longer than the one it extends, so
// the k-th code stands for at most k pixels, and none for more than kMaxCodes.
std::uint64_t MostPixelsOfCodeStream(std::span<const std::uint8_t> rest)
{
    if (rest.empty())
        return 0;
    const unsigned codeBits = std::clamp<unsigned>(rest[0] + 1u, kBitsPerLzwCodeAtLeast, 12u);
    std::uint64_t dataBytes = 0;
    for (std::size_t position = 1; position < rest.size();) {
        const std::size_t length = rest[position];
        if (length == 0)
            break;
        dataBytes += std::min(length, rest.size() - position - 1);
        position += 1 + length;
    }
    const std::uint64_t codes = dataBytes * 8 / codeBits;
    constexpr std::uint64_t kLongest = GifLzwDecoder::kMaxCodes;
    if (codes <= kLongest)
        return codes * (codes + 1) / 2;
    return kLongest * (kLongest + 1) / 2 + (codes - kLongest) * kLongest;
}

void WriteHeaderAndPalette(ByteBlock& block, const ImageDescriptor& descriptor, std::uint16_t bits,
                           std::uint32_t colourCount, std::span<const std::uint8_t> table)
{
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = descriptor.width;
    header.biHeight = descriptor.height;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biClrUsed = colourCount;
    header.biClrImportant = colourCount;
    ByteBlock headerBytes;
    ByteWriter writer(headerBytes);
    WriteInfoHeader(writer, header);
    std::copy(headerBytes.begin(), headerBytes.end(), block.begin());

    // GIF tables hold red, green, blue; the block's entries blue, green, red, 0.
    for (std::size_t i = 0; i < colourCount; ++i) {
        const std::size_t entry = kInfoHeaderSize + kRgbQuadSize * i;
        if (table.empty()) { // no colour table at all: a gray ramp
            block[entry] = block[entry + 1] = block[entry + 2] = static_cast<std::uint8_t>(i);
        } else {
            block[entry] = table[3 * i + 2];
            block[entry + 1] = table[3 * i + 1];
            block[entry + 2] = table[3 * i];
        }
        block[entry + 3] = 0;
    }
}

// Stores decoded values into bottom-up rows, packed from the high bits down.
class PixelRows {
public:
    PixelRows(std::span<std::uint8_t> rows, std::size_t stride, std::uint16_t height, std::uint16_t bits)
        : rows_(rows), stride_(stride), height_(height), bits_(bits)
    {
    }

    // A value too wide for the block's depth (a 1- or 4-bit block whose code
    // stream holds larger values) is stored as 0.
    void Store(std::uint16_t gifRow, std::size_t x, std::uint8_t value)
    {
        if (bits_ < 8 && value >= (1u << bits_))
            value = 0;
        std::uint8_t* row = rows_.data() + static_cast<std::size_t>(height_ - 1 - gifRow) * stride_;
        switch (bits_) {
        case 8:
            row[x] = value;
            break;
        case 4:
            row[x / 2] = static_cast<std::uint8_t>(row[x / 2] | (x % 2 == 0 ? value << 4 : value));
            break;
        default:
            row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (value << (7 - x % 8)));
            break;
        }
    }

private:
    std::span<std::uint8_t> rows_;
    std::size_t stride_;
    std::uint16_t height_;
    std::uint16_t bits_;
};

// The GIF rows in the order the code stream holds them.
template <typename RowAction> bool ForEachRow(const ImageDescriptor& descriptor, RowAction&& action)
{
    const std::uint32_t height = descriptor.height;
    if (!descriptor.interlaced) {
        for (std::uint32_t y = 0; y < height; ++y)
            if (!action(static_cast<std::uint16_t>(y)))
                return false;
        return true;
    }
    struct Pass {
        std::uint32_t start;
        std::uint32_t step;
    };
    constexpr std::array<Pass, 4> passes{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    for (const Pass& pass : passes)
        for (std::uint32_t y = pass.start; y < height; y += pass.step)
            if (!action(static_cast<std::uint16_t>(y)))
                return false;
    return true;
}

// Decodes exactly width x height values; a stream that ends early or breaks
// leaves the rest of the rows as they are (index 0). Values are stored as
// decoded, also those beyond the colour table: the image's table is black past
// the entries the block brings.
void DecodePixels(ByteReader& reader, const ImageDescriptor& descriptor, PixelRows& rows)
{
    if (reader.Remaining() == 0)
        return;
    const int minimumCodeSize = reader.U8();
    if (!GifLzwDecoder::ValidCodeSize(minimumCodeSize))
        return;
    GifLzwDecoder decoder(reader, minimumCodeSize);
    ForEachRow(descriptor, [&](std::uint16_t y) {
        for (std::size_t x = 0; x < descriptor.width; ++x) {
            const int value = decoder.Next();
            if (value < 0) // one of the decoder's end values, never a pixel
                return false;
            rows.Store(y, x, static_cast<std::uint8_t>(value));
        }
        return true;
    });
}

} // namespace

Result<ByteBlock> CGifReader::Read(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits) const
{
    return ReadBlock(file, prompter, limits, true);
}

Result<ByteBlock> CGifReader::ReadHead(std::span<const std::uint8_t> file, Prompter& prompter,
                                       const Limits& limits) const
{
    return ReadBlock(file, prompter, limits, false);
}

Result<ByteBlock> CGifReader::ReadBlock(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits,
                                        bool withPixels) const
{
    if (!HasGifSignature(file) || file.size() <= kScreenPackedByte)
        return FailureKind::Unsupported;

    // The screen must declare a 256-entry table, even when it has none.
    const std::uint8_t screenPacked = file[kScreenPackedByte];
    const int screenTableBits = (screenPacked & 0x07) + 1;
    if (screenTableBits < kScreenBitsNeeded) {
        ShowImageError(prompter, kGifDepthMessage);
        return FailureKind::Unsupported;
    }
    if (file.size() < kScreenEnd)
        return FailureKind::Truncated;

    ByteReader reader(file);
    reader.Seek(kScreenEnd);
    std::span<const std::uint8_t> globalTable;
    if ((screenPacked & 0x80) != 0) {
        globalTable = reader.Take(3 * (std::size_t{1} << screenTableBits));
        if (reader.Overran())
            return FailureKind::Truncated;
    }
    while (reader.Remaining() > 0 && file[reader.Position()] == kExtensionIntroducer) {
        reader.Skip(2); // introducer and label
        if (reader.Overran() || !SkipSubBlocks(reader))
            return FailureKind::Truncated;
    }

    const auto descriptorBytes = reader.Take(kDescriptorSize);
    if (reader.Overran())
        return FailureKind::Truncated;
    const ImageDescriptor descriptor = ParseDescriptor(descriptorBytes);
    const int tableBits = descriptor.hasLocalTable ? descriptor.localTableBits : screenTableBits;
    const std::uint32_t colourCount = std::uint32_t{1} << tableBits;
    std::span<const std::uint8_t> table = globalTable;
    if (descriptor.hasLocalTable) {
        table = reader.Take(3 * std::size_t{colourCount});
        if (reader.Overran())
            return FailureKind::Truncated;
    }

    const std::uint64_t pixels = std::uint64_t{descriptor.width} * descriptor.height;
    if (pixels > limits.maxPixels) {
        ShowImageError(prompter, kTooLargeMessage);
        return FailureKind::TooLarge;
    }
    const std::span<const std::uint8_t> codeStream = file.subspan(std::min(reader.Position(), file.size()));
    if (pixels > limits.unbackedGifPixels && MostPixelsOfCodeStream(codeStream) < pixels) {
        ShowImageError(prompter, kPictureMissingMessage);
        return FailureKind::Truncated;
    }
    // One byte of index per pixel here; the image checks again at the depth it expands to.
    if (!limits.DecodeAllowed(descriptor.width, descriptor.height, 1)) {
        ShowImageError(prompter, kTooLargeMessage);
        return Status::OverDecodeLimit();
    }

    const std::uint16_t bits = OutputBitsFor(tableBits);
    const std::uint64_t stride = RowStride(descriptor.width, bits);
    const std::uint64_t rowsOffset = PackedRowsOffset(colourCount);
    const auto blockBytes = (CheckedSize(stride) * descriptor.height + rowsOffset).Within(limits.maxBlockBytes);
    if (!blockBytes)
        return FailureKind::TooLarge;
    auto block = AllocateBlock(withPixels ? *blockBytes : static_cast<std::size_t>(rowsOffset));
    if (!block)
        return FailureKind::OutOfMemory;

    WriteHeaderAndPalette(*block, descriptor, bits, colourCount, table);
    if (!withPixels)
        return std::move(*block);
    const std::span<std::uint8_t> rowBytes = std::span(*block).subspan(static_cast<std::size_t>(rowsOffset));
    PixelRows rows(rowBytes, static_cast<std::size_t>(stride), descriptor.height, bits);
    DecodePixels(reader, descriptor, rows);
    return std::move(*block);
}

} // namespace tamr
