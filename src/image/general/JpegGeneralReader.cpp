// JPEG through libjpeg-turbo: every process it decodes, every colour space.

#include <algorithm>
#include <array>
#include <csetjmp>
#include <optional>
#include <string>

#include "image/JpegErrorManager.h"
#include "image/JpegMemorySource.h"
#include "image/JpegMetadata.h"
#include "image/JpegReader.h"
#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

#if !defined(JCS_EXTENSIONS)
#error "The JPEG reader needs libjpeg-turbo's extended colour spaces (JCS_EXT_BGR)"
#endif

namespace tamr {
namespace {

constexpr std::string_view kKind = "JPEG";

// No JPEG codes more than 256 pixels to a byte (one 8x8 block of the
// component with most blocks per 64 pixels, and at least 2 bits a block).
constexpr std::uint64_t kMostPixelsPerByte = 256;

// Plain data only: a fatal decoder error longjmps back to Decode across the
// code that uses it.
struct Session {
    explicit Session(std::span<const std::uint8_t> file) : source(file) {}

    jpeg_decompress_struct decompressor{};
    JpegErrorManager errors{};
    JpegMemorySource source;
};

static_assert(std::is_trivially_destructible_v<Session>);

// What one decode ended with, besides the rows.
enum class Outcome { Decoded, Failed, Refused };

// Adobe's CMYK is stored inverted (255 is no ink); after undoing that, red is
// (255 - C)(255 - K) / 255 rounded as the common readers round it.
std::uint8_t InkToLight(std::uint8_t ink, std::uint8_t black)
{
    const unsigned light = 255u - black;
    const unsigned product = ink * light + 128u;
    return static_cast<std::uint8_t>(light - (((product >> 8) + product) >> 8));
}

Outcome Run(Session& session, const Limits& limits, std::optional<GeneralRows>& rows, PictureReadResult& refusal)
{
    const j_decompress_ptr decompressor = &session.decompressor;
    AttachMemorySource(decompressor, session.source);
    if (jpeg_read_header(decompressor, TRUE) != JPEG_HEADER_OK)
        return Outcome::Failed;
    const bool gray = decompressor->jpeg_color_space == JCS_GRAYSCALE;
    const bool ink = decompressor->jpeg_color_space == JCS_CMYK || decompressor->jpeg_color_space == JCS_YCCK;
    if (gray)
        decompressor->out_color_space = JCS_GRAYSCALE;
    else if (ink)
        decompressor->out_color_space = JCS_CMYK;
    else
        decompressor->out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(decompressor);
    const JDIMENSION width = decompressor->output_width;
    const JDIMENSION height = decompressor->output_height;
    const std::uint64_t pixels = std::uint64_t{width} * height;
    // Only what follows the first scan's header can carry pixels.
    const std::uint64_t scanBytes = session.source.manager.bytes_in_buffer + session.source.file.Remaining();
    if (auto refused = CheckDeclaredSize(kKind, width, height, !gray, scanBytes,
                                         (pixels + kMostPixelsPerByte - 1) / kMostPixelsPerByte, limits)) {
        refusal = std::move(*refused);
        return Outcome::Refused;
    }
    // A progressive file keeps all its coefficients: two bytes a sample, for at
    // most four components, bounded by what the decode limit allows.
    decompressor->mem->max_memory_to_use = static_cast<long>(
        std::min<std::uint64_t>(4 * limits.maxDecodedBytes + (std::uint64_t{16} << 20), std::uint64_t{1} << 34));
    rows = GeneralRows::Make(width, height, !gray);
    if (!rows) {
        refusal = NoRoomFor(kKind);
        return Outcome::Refused;
    }
    if (!jpeg_start_decompress(decompressor))
        return Outcome::Failed;
    const int components = decompressor->output_components;
    const JSAMPARRAY line = (*decompressor->mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(decompressor), JPOOL_IMAGE, width * static_cast<JDIMENSION>(components), 1);
    const bool inverted = decompressor->saw_Adobe_marker != 0;
    while (decompressor->output_scanline < height) {
        const JDIMENSION y = decompressor->output_scanline;
        if (jpeg_read_scanlines(decompressor, line, 1) != 1)
            return Outcome::Failed;
        const std::span<std::uint8_t> target = rows->Row(y);
        if (components == 4) {
            for (JDIMENSION x = 0; x < width; ++x) {
                const JSAMPLE* cmyk = line[0] + 4 * std::size_t{x};
                auto value = [&](int c) { return static_cast<std::uint8_t>(inverted ? 255 - cmyk[c] : cmyk[c]); };
                rows->PutPixel(x, y, InkToLight(value(0), value(3)), InkToLight(value(1), value(3)),
                               InkToLight(value(2), value(3)));
            }
        } else {
            std::copy_n(line[0], target.size(), target.begin());
        }
    }
    jpeg_finish_decompress(decompressor);
    return Outcome::Decoded;
}

// The jump point for fatal decoder errors; the rows live in the caller.
Outcome Decode(Session& session, const Limits& limits, std::optional<GeneralRows>& rows, PictureReadResult& refusal,
               std::string& message)
{
    session.decompressor.err = UseErrorManager(session.errors);
    if (setjmp(session.errors.jumpPoint) != 0) {
        std::array<char, JMSG_LENGTH_MAX> text{};
        (*session.errors.standard.format_message)(reinterpret_cast<j_common_ptr>(&session.decompressor), text.data());
        message = session.errors.standard.msg_code == JERR_BAD_PRECISION
                      ? "the file has 12-bit samples; only 8-bit JPEG files are read"
                      : text.data();
        jpeg_destroy_decompress(&session.decompressor);
        return Outcome::Failed;
    }
    jpeg_create_decompress(&session.decompressor);
    LimitScans(session.decompressor, session.errors, kJpegScanLimit);
    const Outcome outcome = Run(session, limits, rows, refusal);
    jpeg_destroy_decompress(&session.decompressor);
    return outcome;
}

} // namespace

PictureReadResult ReadJpegGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    Session session(bytes);
    std::optional<GeneralRows> rows;
    PictureReadResult refusal;
    std::string message;
    switch (Decode(session, limits, rows, refusal, message)) {
    case Outcome::Decoded: {
        PictureReadResult result = rows->Finish();
        result.metadata = JpegMetadataOf(bytes);
        return result;
    }
    case Outcome::Refused:
        return refusal;
    case Outcome::Failed:
        break;
    }
    return RefusedAs(kKind, message.empty() ? "the file is damaged or not a JPEG file" : message);
}

} // namespace tamr
