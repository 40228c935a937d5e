#include "image/JpegReader.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>

#include "image/BmpHeaders.h"
#include "image/ImageMessages.h"
#include "image/JpegErrorManager.h"
#include "image/JpegMemorySource.h"
#include "image/PackedImageBlock.h"
#include "platform/ByteWriter.h"
#include "platform/CheckedSize.h"

#if !defined(JCS_EXTENSIONS)
#error "The JPEG reader needs libjpeg-turbo's extended colour spaces (JCS_EXT_BGR)"
#endif

namespace tamr {
namespace {

enum class DecodeResult {
    Decoded,
    DecoderFailed,
    NotSupported,
    NotColour,
    TooLarge,
    OverDecodeLimit,
    NoMemory,
    PictureMissing
};

// No colour JPEG codes more pixels to a byte: the component with the most
// blocks has one 8x8 block for every 64 pixels, and no block takes fewer than
// 2 bits (a 1-bit DC difference code and a 1-bit end-of-block code).
constexpr std::uint64_t kJpegMostPixelsPerByte = 256;

// All the decoder works with. Plain data only: a fatal decoder error longjmps
// from inside the library back to DecodeJpeg, across RunDecoder, and no object
// in the frames it crosses may need a destructor.
struct JpegSession {
    JpegSession(std::span<const std::uint8_t> file, bool pixels) : source(file), withPixels(pixels) {}

    jpeg_decompress_struct decompressor{};
    JpegErrorManager errors{};
    JpegMemorySource source;
    bool withPixels = true; // false: the header and its checks only
};

static_assert(std::is_trivially_destructible_v<JpegSession>);

// Lays out the block with its header and spare bytes, room for the rows after.
// Called between decoder calls, so the jump never crosses it; nothing may
// throw here either, or the decoder would never be destroyed.
bool StartPackedBlock(ByteBlock& block, JDIMENSION width, JDIMENSION height, std::size_t size)
{
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = static_cast<std::int32_t>(width);
    header.biHeight = static_cast<std::int32_t>(height);
    header.biPlanes = 1;
    header.biBitCount = 24;
    auto allocated = AllocateBlock(size);
    if (!allocated || size < kInfoHeaderSize + kPackedSpareBytes)
        return false;
    block = std::move(*allocated);
    // The writer appends, so it starts on an empty block of the full capacity;
    // the spare bytes stay as the allocation left them, zero.
    block.clear();
    ByteWriter writer(block);
    WriteInfoHeader(writer, header);
    block.resize(size);
    return true;
}

DecodeResult RunDecoder(JpegSession& session, const Limits& limits, ByteBlock& block)
{
    const j_decompress_ptr decompressor = &session.decompressor;
    AttachMemorySource(decompressor, session.source);
    if (jpeg_read_header(decompressor, TRUE) != JPEG_HEADER_OK)
        return DecodeResult::DecoderFailed;
    // This decoder could do both; the reader takes baseline files only.
    if (decompressor->progressive_mode || decompressor->arith_code)
        return DecodeResult::NotSupported;
    // Ask for the image model's byte order; gray and four-component output stay as they are.
    if (decompressor->out_color_space == JCS_RGB)
        decompressor->out_color_space = JCS_EXT_BGR;

    // Refuse an oversized image before the decoder allocates its own buffers for it.
    jpeg_calc_output_dimensions(decompressor);
    const JDIMENSION width = decompressor->output_width;
    const JDIMENSION height = decompressor->output_height;
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > limits.maxPixels)
        return DecodeResult::TooLarge;
    // The decoder makes up whatever the file leaves out; a large picture the
    // file cannot hold is refused rather than made up at great cost. Only what
    // follows the first scan's header can carry pixels: comments and APPn
    // segments before it do not count.
    const std::uint64_t bytesNeeded = (pixels + kJpegMostPixelsPerByte - 1) / kJpegMostPixelsPerByte;
    const std::uint64_t scanBytes = session.source.manager.bytes_in_buffer + session.source.file.Remaining();
    if (!limits.Justifies(pixels, scanBytes, bytesNeeded))
        return DecodeResult::PictureMissing;
    if (!limits.DecodeAllowed(width, height, 3))
        return DecodeResult::OverDecodeLimit;
    if (!session.withPixels) {
        if (decompressor->output_components != 3)
            return DecodeResult::NotColour;
        return StartPackedBlock(block, width, height, PackedRowsOffset(0)) ? DecodeResult::Decoded
                                                                           : DecodeResult::NoMemory;
    }

    if (!jpeg_start_decompress(decompressor))
        return DecodeResult::DecoderFailed;
    const JSAMPARRAY row =
        (*decompressor->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(decompressor), JPOOL_IMAGE,
                                           width * static_cast<JDIMENSION>(decompressor->output_components), 1);
    if (decompressor->output_components != 3)
        return DecodeResult::NotColour;

    const std::uint64_t rowBytes = std::uint64_t{width} * 3;
    const std::uint64_t stride = rowBytes + (4 - rowBytes % 4) % 4;
    const std::uint64_t rowsStart = PackedRowsOffset(0);
    const auto size = (CheckedSize(stride) * height + rowsStart).Within(limits.maxBlockBytes);
    if (!size)
        return DecodeResult::TooLarge;
    if (!StartPackedBlock(block, width, height, *size))
        return DecodeResult::NoMemory;

    // The first scanline read is the top of the picture and goes into the last
    // row, so the block is bottom-up. Padding bytes are left as they are.
    while (decompressor->output_scanline < height) {
        if (jpeg_read_scanlines(decompressor, row, 1) != 1)
            return DecodeResult::DecoderFailed;
        const std::uint64_t offset = rowsStart + (height - decompressor->output_scanline) * stride;
        std::copy_n(row[0], rowBytes, block.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    jpeg_finish_decompress(decompressor);
    return DecodeResult::Decoded;
}

// The jump point for fatal decoder errors. It keeps no state of its own: the
// session and the block live in the caller, untouched by the jump.
DecodeResult DecodeJpeg(JpegSession& session, const Limits& limits, ByteBlock& block)
{
    session.decompressor.err = UseErrorManager(session.errors);
    if (setjmp(session.errors.jumpPoint) != 0) {
        jpeg_destroy_decompress(&session.decompressor);
        return DecodeResult::DecoderFailed;
    }
    jpeg_create_decompress(&session.decompressor);
    LimitScans(session.decompressor, session.errors, kJpegScanLimit);
    const DecodeResult result = RunDecoder(session, limits, block);
    jpeg_destroy_decompress(&session.decompressor);
    return result;
}

} // namespace

namespace {

Result<ByteBlock> ReadJpegBlock(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits,
                                bool withPixels)
{
    ByteBlock block;
    JpegSession session(file, withPixels);
    switch (DecodeJpeg(session, limits, block)) {
    case DecodeResult::Decoded:
        return block;
    case DecodeResult::DecoderFailed:
        ShowImageError(prompter, kJpegNotSupportedMessage);
        return FailureKind::Corrupt;
    case DecodeResult::NotSupported:
        ShowImageError(prompter, kJpegNotSupportedMessage);
        return FailureKind::Unsupported;
    case DecodeResult::NotColour:
        ShowImageError(prompter, kJpegNotColourMessage);
        return FailureKind::Unsupported;
    case DecodeResult::TooLarge:
        ShowImageError(prompter, kJpegMemoryMessage);
        return FailureKind::TooLarge;
    case DecodeResult::OverDecodeLimit:
        ShowImageError(prompter, kJpegMemoryMessage);
        return Status::OverDecodeLimit();
    case DecodeResult::NoMemory:
        ShowImageError(prompter, kJpegMemoryMessage);
        return FailureKind::OutOfMemory;
    case DecodeResult::PictureMissing:
        ShowImageError(prompter, kPictureMissingMessage);
        return FailureKind::Truncated;
    }
    return FailureKind::Corrupt;
}

} // namespace

Result<ByteBlock> ReadJpeg(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits)
{
    return ReadJpegBlock(file, prompter, limits, true);
}

Result<ByteBlock> ReadJpegHead(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits)
{
    return ReadJpegBlock(file, prompter, limits, false);
}

} // namespace tamr
