#pragma once
// How much memory a file may make the program take. Every reader (BMP, TGA,
// GIF, JPEG and COD) and the whole-file reader are given one record; the
// program uses the defaults, the fuzzers a smaller record that keeps every
// run fast.

#include <cstdint>

namespace tamr {

// The rule for what a file's size can justify: a picture is taken when it is
// small (at most `allowance` pixels, so that a cut-off file still opens with
// its missing part black) or when the bytes present could code all of it.
constexpr bool FileJustifies(std::uint64_t pixels, std::uint64_t bytesPresent, std::uint64_t bytesNeeded,
                             std::uint64_t allowance)
{
    return pixels <= allowance || bytesPresent >= bytesNeeded;
}

struct Limits {
    // Widths and heights are 16-bit fields in the image model and the COD header.
    std::uint32_t maxSide = 65535;
    // 2^28 pixels (16384 × 16384), the most any picture reader takes: a
    // reader's block of it still fits below maxBlockBytes at 24 bits.
    std::uint64_t maxPixels = std::uint64_t{1} << 28;
    // 2 GiB for one block (a whole file, an image's pixel block): the BMP
    // headers count bytes in 32 bits, and no honest picture comes near it.
    std::uint64_t maxBlockBytes = std::uint64_t{1} << 31;
    // 2^27 samples (16384 × 8192) for one padded codec plane: a plane of
    // 16-bit samples is then 256 MiB, and transforming it takes as much again
    // twice over in floats.
    std::uint64_t maxPlaneSamples = std::uint64_t{1} << 27;
    // Pictures up to 2^21 pixels (6 MiB at 24 bits, held twice: working and
    // reference image) open whatever the file's length, so that a cut-off
    // file still opens with its missing part black; larger ones must be backed
    // by bytes that could code them, so that a header of a few bytes cannot
    // make the program take more memory than its pixels justify.
    std::uint64_t unbackedPixels = std::uint64_t{1} << 21;
    // GIF pixels are decoded code by code, so a damaged GIF gets a smaller
    // allowance (2^16 pixels) beyond what its code stream could decode to.
    std::uint64_t unbackedGifPixels = std::uint64_t{1} << 16;
    // The decode limit: a COD file can honestly describe a huge flat picture
    // in a few bytes, so no file may decode to more than 256 MiB of picture
    // (width × height × bytes per pixel) unless the user raises it.
    std::uint64_t maxDecodedBytes = std::uint64_t{256} << 20;
    // What the points a sweep codes at once may take together (each holds
    // a copy of the picture, the codec's planes and the coded and decoded
    // data): a large picture is swept on fewer threads rather than with more
    // memory, one point at a time at the least.
    std::uint64_t sweepMemoryBytes = std::uint64_t{1} << 30;

    // A pipe has no size to check before reading: it is read up to the most
    // a picture within the decode limit can take in any kind tamr reads
    // (16-bit samples: twice its decoded bytes) and 1 MiB of headers beside.
    constexpr std::uint64_t MaxStreamBytes() const
    {
        const std::uint64_t picture = 2 * maxDecodedBytes + (std::uint64_t{1} << 20);
        return picture < maxBlockBytes ? picture : maxBlockBytes;
    }

    // True when a picture of this size and depth stays within the decode limit.
    constexpr bool DecodeAllowed(std::uint64_t width, std::uint64_t height, std::uint64_t bytesPerPixel) const
    {
        return width <= maxSide && height <= maxSide && width * height * bytesPerPixel <= maxDecodedBytes;
    }
    // The decode limit that lets a colour picture of `megapixels` million pixels through.
    static constexpr std::uint64_t DecodedBytesFor(std::uint64_t megapixels) { return megapixels * 1000000 * 3; }

    // How many of `wanted` points of `pointBytes` each fit the sweep's memory at once (at least one).
    constexpr int PointsInFlight(int wanted, std::uint64_t pointBytes) const
    {
        const std::uint64_t fit = pointBytes == 0 ? sweepMemoryBytes : sweepMemoryBytes / pointBytes;
        return fit < 1 ? 1 : (fit < static_cast<std::uint64_t>(wanted) ? static_cast<int>(fit) : wanted);
    }

    // The rule above with the allowance of every reader but GIF.
    constexpr bool Justifies(std::uint64_t pixels, std::uint64_t bytesPresent, std::uint64_t bytesNeeded) const
    {
        return FileJustifies(pixels, bytesPresent, bytesNeeded, unbackedPixels);
    }
};

} // namespace tamr
