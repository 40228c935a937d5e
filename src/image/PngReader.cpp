#include "image/PngReader.h"

#include <spng.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "image/PackedPictureRows.h"
#include "image/PictureSamples.h"

namespace tamr {
namespace {

// Deflate never codes more than 1032 bytes into one, so a picture whose
// filtered rows need n bytes takes at least n / 1032 bytes of file.
constexpr std::uint64_t kDeflateLargestExpansion = 1032;

using SpngContext = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

std::string ReasonFor(int error)
{
    switch (error) {
    case SPNG_ECHUNK_CRC:
        return "PNG: the checksum of a chunk does not match its contents; the file is damaged";
    case SPNG_IO_EOF:
    case SPNG_EOF:
    case SPNG_EIDAT_TOO_SHORT:
        return "PNG: the file ends before its picture does";
    case SPNG_EUSER_WIDTH:
    case SPNG_EUSER_HEIGHT:
    case SPNG_EWIDTH:
    case SPNG_EHEIGHT:
        return "PNG: the width and height of the picture must be 1 to 65535 pixels";
    case SPNG_ECHUNK_LIMITS:
        return "PNG: the file's extra chunks take more memory than the reader allows";
    case SPNG_EMEM:
        return "PNG: there is not enough memory to decode the picture";
    default:
        return std::string("PNG: ") + spng_strerror(error);
    }
}

PictureReadResult RefusedFor(int error)
{
    PictureReadResult result = PictureReadResult::Refused(ReasonFor(error));
    result.chunkLimitsHit = error == SPNG_ECHUNK_LIMITS;
    return result;
}

// Reads sample c of pixel x from a row of raw (big-endian) samples.
class RawRow {
public:
    RawRow(std::span<const std::uint8_t> row, int depth, int channels) : row_(row), depth_(depth), channels_(channels)
    {
    }

    std::uint32_t Sample(std::uint32_t x, int c) const
    {
        const std::size_t index = std::size_t{x} * static_cast<std::size_t>(channels_) + static_cast<std::size_t>(c);
        if (depth_ == 8)
            return row_[index];
        if (depth_ == 16)
            return (std::uint32_t{row_[2 * index]} << 8) | row_[2 * index + 1];
        // 1, 2 or 4 bits, one channel, the first pixel in the high bits.
        const std::size_t bit = index * static_cast<std::size_t>(depth_);
        const int shift = 8 - depth_ - static_cast<int>(bit % 8);
        return (row_[bit / 8] >> shift) & ((1u << depth_) - 1);
    }

private:
    std::span<const std::uint8_t> row_;
    int depth_;
    int channels_;
};

int ChannelsOf(std::uint8_t colourType)
{
    switch (colourType) {
    case SPNG_COLOR_TYPE_TRUECOLOR:
        return 3;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// The 8-bit colour and alpha of every palette index; indices beyond the
// palette are opaque black.
struct PaletteColours {
    std::array<std::array<std::uint8_t, 3>, 256> rgb{};
    std::array<std::uint8_t, 256> alpha{};
    bool gray = true;
};

// How one decoded row becomes gray levels or blue-green-red triples.
class RowConverter {
public:
    RowConverter(const spng_ihdr& header, const spng_trns* trns, const PaletteColours* palette)
        : header_(header), trns_(trns), palette_(palette), maxValue_((1u << header.bit_depth) - 1),
          channels_(ChannelsOf(header.color_type))
    {
    }

    // Converts pixels first, first + step, ... of the row.
    void Convert(std::span<const std::uint8_t> raw, std::uint32_t first, std::uint32_t step, PackedPictureRows& out,
                 std::uint32_t y)
    {
        const std::span<std::uint8_t> target = out.Row(y);
        if (CopyOpaqueEightBitRow(raw, first, step, target))
            return;
        const RawRow row(raw, header_.bit_depth, channels_);
        for (std::uint32_t x = first; x < header_.width; x += step) {
            std::array<std::uint8_t, 3> rgb{};
            const std::uint8_t alpha = Pixel(row, x, rgb);
            if (alpha != 255) {
                composited_ = true;
                for (auto& value : rgb)
                    value = CompositeOverWhite(value, alpha);
            }
            if (out.Colour()) {
                target[3 * std::size_t{x}] = rgb[2];
                target[3 * std::size_t{x} + 1] = rgb[1];
                target[3 * std::size_t{x} + 2] = rgb[0];
            } else {
                target[x] = rgb[0];
            }
        }
    }

    bool Composited() const { return composited_; }

private:
    // The common case of 8-bit gray or RGB without transparency, byte for
    // byte; false for every other kind of row.
    bool CopyOpaqueEightBitRow(std::span<const std::uint8_t> raw, std::uint32_t first, std::uint32_t step,
                               std::span<std::uint8_t> target) const
    {
        if (header_.bit_depth != 8 || trns_ != nullptr)
            return false;
        if (header_.color_type == SPNG_COLOR_TYPE_GRAYSCALE) {
            for (std::uint32_t x = first; x < header_.width; x += step)
                target[x] = raw[x];
            return true;
        }
        if (header_.color_type != SPNG_COLOR_TYPE_TRUECOLOR)
            return false;
        for (std::size_t x = first; x < header_.width; x += step) {
            target[3 * x] = raw[3 * x + 2];
            target[3 * x + 1] = raw[3 * x + 1];
            target[3 * x + 2] = raw[3 * x];
        }
        return true;
    }

    // The pixel's 8-bit red, green and blue (all three the gray level for a
    // gray picture) and its 8-bit alpha.
    std::uint8_t Pixel(const RawRow& row, std::uint32_t x, std::array<std::uint8_t, 3>& rgb) const
    {
        switch (header_.color_type) {
        case SPNG_COLOR_TYPE_GRAYSCALE: {
            const std::uint32_t v = row.Sample(x, 0);
            rgb.fill(ScaleToByte(v, maxValue_));
            return trns_ && v == trns_->gray ? 0 : 255;
        }
        case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
            rgb.fill(ScaleToByte(row.Sample(x, 0), maxValue_));
            return ScaleToByte(row.Sample(x, 1), maxValue_);
        case SPNG_COLOR_TYPE_TRUECOLOR: {
            const std::uint32_t r = row.Sample(x, 0);
            const std::uint32_t g = row.Sample(x, 1);
            const std::uint32_t b = row.Sample(x, 2);
            rgb = {ScaleToByte(r, maxValue_), ScaleToByte(g, maxValue_), ScaleToByte(b, maxValue_)};
            return trns_ && r == trns_->red && g == trns_->green && b == trns_->blue ? 0 : 255;
        }
        case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
            rgb = {ScaleToByte(row.Sample(x, 0), maxValue_), ScaleToByte(row.Sample(x, 1), maxValue_),
                   ScaleToByte(row.Sample(x, 2), maxValue_)};
            return ScaleToByte(row.Sample(x, 3), maxValue_);
        default: {
            const std::uint32_t index = row.Sample(x, 0);
            rgb = palette_->rgb[index];
            return palette_->alpha[index];
        }
        }
    }

    const spng_ihdr& header_;
    const spng_trns* trns_;
    const PaletteColours* palette_;
    std::uint32_t maxValue_;
    int channels_;
    bool composited_ = false;
};

PaletteColours ReadPalette(spng_ctx* context, const spng_trns* trns)
{
    PaletteColours colours;
    colours.alpha.fill(255);
    spng_plte plte{};
    if (spng_get_plte(context, &plte) != 0)
        return colours;
    for (std::uint32_t i = 0; i < plte.n_entries && i < 256; ++i) {
        const spng_plte_entry& entry = plte.entries[i];
        colours.rgb[i] = {entry.red, entry.green, entry.blue};
        if (trns && i < trns->n_type3_entries)
            colours.alpha[i] = trns->type3_alpha[i];
        // Gray or colour is decided by what the entry shows, over white.
        std::array<std::uint8_t, 3> shown = colours.rgb[i];
        for (auto& value : shown)
            value = CompositeOverWhite(value, colours.alpha[i]);
        colours.gray = colours.gray && shown[0] == shown[1] && shown[1] == shown[2];
    }
    return colours;
}

// The first pixel and the step between pixels of a row of Adam7 pass `pass`.
struct PassColumns {
    std::uint32_t first;
    std::uint32_t step;
};

PassColumns ColumnsOf(const spng_ihdr& header, int pass)
{
    static constexpr std::array<PassColumns, 7> kAdam7 = {{{0, 8}, {4, 8}, {0, 4}, {2, 4}, {0, 2}, {1, 2}, {0, 1}}};
    if (header.interlace_method == SPNG_INTERLACE_NONE || pass < 0 || pass > 6)
        return {0, 1};
    return kAdam7[static_cast<std::size_t>(pass)];
}

} // namespace

namespace {

// The parts of the file the decoder is given: the signature and the chunks
// it needs. Skipping ancillary chunks (all but tRNS) leaves their text,
// profiles and counts out of the decoder's memory altogether.
struct ChunkPlan {
    std::vector<std::pair<std::size_t, std::size_t>> ranges; // offset, length
    bool idatSplit = false;                                  // an IDAT chunk after the IDAT run has ended
};

constexpr std::size_t kPngSignatureBytes = 8;
constexpr std::size_t kChunkOverhead = 12; // length, type and checksum

bool IsChunk(std::span<const std::uint8_t> type, const char* name)
{
    return std::equal(type.begin(), type.end(), name);
}

ChunkPlan PlanChunks(std::span<const std::uint8_t> file, bool skipAncillary)
{
    ChunkPlan plan;
    plan.ranges.emplace_back(0, std::min(file.size(), kPngSignatureBytes));
    bool inIdat = false;
    bool idatEnded = false;
    std::size_t position = kPngSignatureBytes;
    while (position < file.size()) {
        if (file.size() - position < 8) { // a cut-off chunk header goes to the decoder as it is
            plan.ranges.emplace_back(position, file.size() - position);
            break;
        }
        const std::uint64_t length = (std::uint64_t{file[position]} << 24) | (std::uint64_t{file[position + 1]} << 16) |
                                     (std::uint64_t{file[position + 2]} << 8) | file[position + 3];
        const auto type = file.subspan(position + 4, 4);
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(length + kChunkOverhead, file.size() - position));
        const bool idat = IsChunk(type, "IDAT");
        if (idat && idatEnded)
            plan.idatSplit = true;
        if (inIdat && !idat)
            idatEnded = true;
        inIdat = idat;
        const bool ancillary = (type[0] & 0x20) != 0;
        if (!skipAncillary || !ancillary || IsChunk(type, "tRNS"))
            plan.ranges.emplace_back(position, size);
        if (IsChunk(type, "IEND"))
            break;
        position += size;
    }
    return plan;
}

// Feeds the decoder the planned parts of the file one after the other.
struct PlannedStream {
    std::span<const std::uint8_t> file;
    const ChunkPlan* plan = nullptr;
    std::size_t range = 0;
    std::size_t offset = 0;
};

int ReadPlanned(spng_ctx* /*context*/, void* user, void* destination, std::size_t length)
{
    auto& stream = *static_cast<PlannedStream*>(user);
    auto* out = static_cast<std::uint8_t*>(destination);
    while (length > 0) {
        if (stream.range >= stream.plan->ranges.size())
            return SPNG_IO_EOF;
        const auto [start, size] = stream.plan->ranges[stream.range];
        const std::size_t count = std::min(length, size - stream.offset);
        std::copy_n(stream.file.begin() + static_cast<std::ptrdiff_t>(start + stream.offset), count, out);
        out += count;
        length -= count;
        stream.offset += count;
        if (stream.offset == size) {
            ++stream.range;
            stream.offset = 0;
        }
    }
    return 0;
}

// The profile (iCCP), the Exif block (eXIf) and the depth of the file, as
// far as the decoder has read it.
void TakeMetadata(spng_ctx* png, const spng_ihdr& header, PictureMetadata& metadata)
{
    metadata.bitsPerSample = header.bit_depth;
    spng_iccp iccp{};
    if (metadata.iccProfile.empty() && spng_get_iccp(png, &iccp) == 0 && iccp.profile != nullptr)
        metadata.iccProfile.assign(iccp.profile, iccp.profile + iccp.profile_len);
    spng_exif exif{};
    if (metadata.exif.empty() && spng_get_exif(png, &exif) == 0 && exif.data != nullptr)
        metadata.exif.assign(exif.data, exif.data + exif.length);
}

PictureReadResult ReadPngBlock(std::span<const std::uint8_t> file, const Limits& limits, bool withPixels,
                               bool skipAncillary)
{
    const SpngContext context(spng_ctx_new(0), &spng_ctx_free);
    if (!context)
        return RefusedFor(SPNG_EMEM);
    spng_ctx* png = context.get();
    spng_set_crc_action(png, SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    spng_set_image_limits(png, 65535, 65535);
    spng_set_chunk_limits(png, file.size(), kPngChunkCacheBytes);
    const ChunkPlan plan = PlanChunks(file, skipAncillary);
    if (plan.idatSplit)
        return PictureReadResult::Refused(
            "PNG: the picture data (IDAT chunks) is interrupted by another chunk; the file is damaged");
    PlannedStream stream{file, &plan};
    const int set = skipAncillary ? spng_set_png_stream(png, &ReadPlanned, &stream)
                                  : spng_set_png_buffer(png, file.data(), file.size());
    if (set != 0)
        return RefusedFor(set);

    spng_ihdr header{};
    if (int error = spng_get_ihdr(png, &header); error != 0)
        return RefusedFor(error);
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    if (pixels > limits.maxPixels)
        return PictureReadResult::Refused("PNG: the picture has " + std::to_string(header.width) + " x " +
                                          std::to_string(header.height) + " pixels, more than the " +
                                          std::to_string(limits.maxPixels) + " pixels the reader decodes");
    const int channels = ChannelsOf(header.color_type);
    const std::uint64_t filteredBytes =
        header.height *
        (1 + (std::uint64_t{header.width} * static_cast<std::uint64_t>(channels) * header.bit_depth + 7) / 8);
    if (!limits.Justifies(pixels, file.size(), filteredBytes / kDeflateLargestExpansion))
        return PictureReadResult::Refused("PNG: the file is far too short to hold the picture its header declares");
    const bool gray =
        header.color_type == SPNG_COLOR_TYPE_GRAYSCALE || header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA;
    if (!limits.DecodeAllowed(header.width, header.height, gray ? 1 : 3))
        return PictureReadResult::OverDecodeLimit();

    // Reads the chunks up to the picture data, so that palette and tRNS are known.
    if (int error = spng_decode_image(png, nullptr, 0, SPNG_FMT_RAW, SPNG_DECODE_PROGRESSIVE); error != 0)
        return RefusedFor(error);
    spng_trns trnsChunk{};
    const spng_trns* trns = spng_get_trns(png, &trnsChunk) == 0 ? &trnsChunk : nullptr;
    const bool indexed = header.color_type == SPNG_COLOR_TYPE_INDEXED;
    const PaletteColours palette = indexed ? ReadPalette(png, trns) : PaletteColours{};
    const bool colour = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR ||
                        header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || (indexed && !palette.gray);

    if (!withPixels) {
        PictureReadResult head;
        head.block = PackedPictureRows::MakeHead(header.width, header.height, colour);
        if (!head.block)
            return PictureReadResult::Refused("PNG: the picture is too large to be held in memory");
        TakeMetadata(png, header, head.metadata);
        return head;
    }
    auto out = PackedPictureRows::Make(header.width, header.height, colour);
    if (!out)
        return PictureReadResult::Refused("PNG: the picture is too large to be held in memory");
    std::size_t imageBytes = 0;
    if (int error = spng_decoded_image_size(png, SPNG_FMT_RAW, &imageBytes); error != 0)
        return RefusedFor(error);
    std::vector<std::uint8_t> raw;
    if (!TryResize(raw, imageBytes / header.height))
        return RefusedFor(SPNG_EMEM);

    RowConverter converter(header, trns, &palette);
    int status = 0;
    do {
        spng_row_info info{};
        status = spng_get_row_info(png, &info);
        if (status != 0)
            break;
        // Rows of a pass fill only some columns; the rest must not carry an earlier row's bits.
        if (header.interlace_method != SPNG_INTERLACE_NONE)
            std::fill(raw.begin(), raw.end(), std::uint8_t{0});
        status = spng_decode_row(png, raw.data(), raw.size());
        if (status != 0 && status != SPNG_EOI)
            break;
        const PassColumns columns = ColumnsOf(header, info.pass);
        converter.Convert(raw, columns.first, columns.step, *out, info.row_num);
    } while (status == 0);
    if (status != SPNG_EOI)
        return RefusedFor(status);
    // The chunks after the picture, up to IEND, are checked too: a cut-off file is refused.
    if (int error = spng_decode_chunks(png); error != 0)
        return RefusedFor(error);

    PictureReadResult result;
    result.block = out->Take();
    result.composited = converter.Composited();
    TakeMetadata(png, header, result.metadata);
    return result;
}

// Read as it is; a file whose extra chunks are more than the decoder keeps
// is read again without them, and says so.
PictureReadResult ReadPngOrSkip(std::span<const std::uint8_t> file, const Limits& limits, bool withPixels)
{
    PictureReadResult result = ReadPngBlock(file, limits, withPixels, false);
    if (!result.chunkLimitsHit)
        return result;
    result = ReadPngBlock(file, limits, withPixels, true);
    result.skippedChunks = result.block.has_value();
    return result;
}

} // namespace

PictureReadResult ReadPng(std::span<const std::uint8_t> file, const Limits& limits)
{
    return ReadPngOrSkip(file, limits, true);
}

PictureReadResult ReadPngHead(std::span<const std::uint8_t> file, const Limits& limits)
{
    return ReadPngOrSkip(file, limits, false);
}

} // namespace tamr
