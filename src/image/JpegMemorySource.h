#pragma once
// A libjpeg source manager over a whole file held in memory. The decoder is fed
// through a small buffer, refilled from the file as it asks for more.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "image/JpegLibrary.h"
#include "platform/ByteReader.h"

namespace tamr {

inline constexpr std::size_t kJpegSourceBufferSize = 4096;

// Plain data with the decoder's record first, so the decoder's pointer to its
// source manager is also a pointer to this. Nothing here has a destructor,
// because the decoder's fatal-error exit jumps across the code that uses it.
struct JpegMemorySource {
    explicit JpegMemorySource(std::span<const std::uint8_t> file) : file(file) {}

    jpeg_source_mgr manager{};
    ByteReader file;
    bool startOfFile = true; // nothing has been read from the file yet
    std::array<JOCTET, kJpegSourceBufferSize> buffer{};
};

static_assert(std::is_standard_layout_v<JpegMemorySource>);
static_assert(std::is_trivially_destructible_v<JpegMemorySource>);

// Makes source the decompressor's input; source must outlive the decompression.
void AttachMemorySource(j_decompress_ptr decompressor, JpegMemorySource& source);

} // namespace tamr
