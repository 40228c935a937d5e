#pragma once
// What the general readers share: the check of a declared picture size
// against the limits, and a packed block filled from rows of 8-bit samples.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/PackedPictureRows.h"
#include "image/PictureReadResult.h"
#include "platform/Limits.h"

namespace tamr {

// "KIND: reason".
PictureReadResult RefusedAs(std::string_view kind, std::string_view reason);

// Checks a picture's declared size before anything its size is allocated:
// nothing when it may be decoded, else the refusal. bytesNeeded is the fewest
// bytes of file that could code the whole picture; bytesPresent what there is.
std::optional<PictureReadResult> CheckDeclaredSize(std::string_view kind, std::uint64_t width, std::uint64_t height,
                                                   bool colour, std::uint64_t bytesPresent, std::uint64_t bytesNeeded,
                                                   const Limits& limits);

// How the samples of one source row lie, one byte each.
enum class SampleLayout { Gray, GrayAlpha, Rgb, Rgba };

int ChannelsOf(SampleLayout layout);

// A packed block filled from top-down rows of 8-bit samples; alpha is
// composited over white as the PNG reader does.
class GeneralRows {
public:
    static std::optional<GeneralRows> Make(std::uint32_t width, std::uint32_t height, bool colour);

    // Row y from the top: width pixels of `layout`.
    void Put(std::uint32_t y, std::span<const std::uint8_t> samples, SampleLayout layout);
    // One pixel; rows start black.
    void PutPixel(std::uint32_t x, std::uint32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                  std::uint8_t alpha = 255);

    // Some pixel shows over white (for readers that composite themselves).
    void MarkComposited() { composited_ = true; }
    // Row y from the top as the block holds it (gray levels, or blue-green-red).
    std::span<std::uint8_t> Row(std::uint32_t y) { return rows_.Row(y); }
    std::uint32_t Width() const { return rows_.Width(); }
    std::uint32_t Height() const { return rows_.Height(); }
    bool Colour() const { return rows_.Colour(); }
    // The finished picture; the rows are used up.
    PictureReadResult Finish();

private:
    explicit GeneralRows(PackedPictureRows rows) : rows_(std::move(rows)) {}
    PackedPictureRows rows_;
    bool composited_ = false;
};

// 16-bit samples (0..maxValue) to 8 bits as the PNG reader rounds them.
std::vector<std::uint8_t> ReduceToBytes(std::span<const std::uint16_t> samples, std::uint32_t maxValue);

// The fewest bytes any of the newer codecs (WebP, AVIF, HEIF, JPEG XL) needs
// for a picture: they code a flat picture in next to nothing.
inline constexpr std::uint64_t kNewerCodecPixelsPerByte = 16384;

// What a head reader gives: the facts of the block the full reader would
// make (8-bit gray or 24-bit colour) and the file's metadata, no pixels.
PictureReadResult HeadOf(std::uint32_t width, std::uint32_t height, bool colour, PictureMetadata metadata);

// The block could not be laid out: larger than the image model takes, or no memory.
PictureReadResult NoRoomFor(std::string_view kind);

} // namespace tamr
