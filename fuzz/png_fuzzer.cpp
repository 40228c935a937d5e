// Feeds arbitrary bytes to the PNG reader and loads whatever block it returns.
// Under libFuzzer a custom mutator mends every chunk's checksum after each
// mutation, so that mutated files reach the decoder instead of being refused
// at their first checksum.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "image/DibImage.h"
#include "image/PngReader.h"
#include "support/ScriptedPrompter.h"

#if defined(TAMR_LIBFUZZER)
#include <zlib.h>
#endif

#if defined(TAMR_LIBFUZZER)
namespace {

std::uint32_t BigEndian(const std::uint8_t* bytes)
{
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           bytes[3];
}

// Rewrites the checksum of every whole chunk after the signature.
void MendChunkChecksums(std::uint8_t* data, std::size_t size)
{
    std::size_t position = 8;
    while (position + 12 <= size) {
        const std::uint32_t length = BigEndian(data + position);
        if (length > size - position - 12)
            return;
        const std::uint8_t* typeAndData = data + position + 4;
        const auto crc = static_cast<std::uint32_t>(crc32(0, typeAndData, static_cast<uInt>(length + 4)));
        std::uint8_t* stored = data + position + 8 + length;
        stored[0] = static_cast<std::uint8_t>(crc >> 24);
        stored[1] = static_cast<std::uint8_t>(crc >> 16);
        stored[2] = static_cast<std::uint8_t>(crc >> 8);
        stored[3] = static_cast<std::uint8_t>(crc);
        position += std::size_t{length} + 12;
    }
}

} // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int /*seed*/)
{
    const std::size_t mutated = LLVMFuzzerMutate(data, size, maxSize);
    MendChunkChecksums(data, mutated);
    return mutated;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto result = tamr::ReadPng(std::span(data, size), FuzzLimits());
    if (!result.block)
        return 0;
    tamr::ScriptedPrompter prompter;
    tamr::CDibImage image;
    (void)image.LoadPackedBlock(*result.block, prompter, tamr::DisplaySettings{}, FuzzLimits());
    return 0;
}
