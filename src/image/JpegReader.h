#pragma once
// Reads a baseline colour JPEG file into a 24-bit packed image block.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/ByteBlock.h"
#include "platform/Failure.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

// Every fatal decoder error, and the progressive and arithmetic-coded files
// this reader does not take, end with the same message.
inline constexpr std::string_view kJpegNotSupportedMessage = "Progressive JPEG not supported.";
inline constexpr std::string_view kJpegNotColourMessage = "Only 24 bit JPEG's are supported.";
inline constexpr std::string_view kJpegMemoryMessage = "Memory low";

// Damaged data only makes the decoder warn, however often; but a file with
// more scans than this counts as broken. A sequential colour file has at most
// one scan per component, and each further scan makes the decoder go over the
// whole picture again.
inline constexpr int kJpegScanLimit = 100;

// Decodes the whole file into a packed block: info header (24 bits, no colour
// table), 4 spare bytes, then the rows bottom-up, blue, green, red, each padded
// to a multiple of 4 bytes. A file that ends early decodes as far as it goes.
// On failure the user has been told why (caption "ERROR") and nothing is
// returned; an image of more than the limits' most pixels is refused as memory low
// before anything is allocated for it, and a picture above the unbacked
// allowance that the file is too short to hold with the missing-picture message.
Result<ByteBlock> ReadJpeg(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits);
// The block's header alone, after the checks the header allows (the
// scan data is not decoded, so a damaged scan is not noticed).
Result<ByteBlock> ReadJpegHead(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits);

} // namespace tamr
