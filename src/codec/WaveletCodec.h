#pragma once
// The codec of one document: sizes its three components from the settings,
// compresses planes into its data buffer level by level, decodes the buffer
// back (optionally reporting every level, for progressive display), and reads
// and writes COD files.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "codec/CodecComponent.h"
#include "codec/CodecSettings.h"
#include "platform/Failure.h"
#include "platform/FileParts.h"
#include "platform/LargeBuffer.h"
#include "platform/Limits.h"
#include "platform/ParallelTasks.h"

namespace tamr {

enum class CodingMethod : std::uint8_t { Wavelet = 1, Lossless = 2 };

// When the planes of an encode are allocated: all by PrepareEncode, for a
// caller that fills them itself, or each when EncodeAll comes to it.
enum class PlaneAllocation : std::uint8_t { Now, OnDemand };

// Whether decoding reconstructs every component's finest level into its
// plane, or leaves it in its quadrants for DecodedRows to make the samples
// a stripe at a time as the picture is converted (about half the memory).
enum class FinestLevel : std::uint8_t { Reconstructed, InRows };

// Levels are limited by the formulas' need for four samples at the coarsest level.
inline constexpr int kMaxTotalLevels = 6;

class WaveletCodec {
public:
    // Called after each decoded level index n < totalLevels, with the planes as they stand.
    using LevelCallback = std::function<void(int n, const WaveletCodec& codec)>;
    // The rows of samples of component `index` (its Width() x Height(), the
    // padding included), as the transform asks for them; empty when there
    // are none.
    using PlaneFiller = std::function<ForwardRowSource(std::size_t index, const CodecComponent& component)>;

    // An empty codec, for a document opened from a COD file.
    explicit WaveletCodec(const CodecSettings& settings);
    // A codec for an image of the given size and kind.
    WaveletCodec(const CodecSettings& settings, int width, int height, int bitsPerPixel, bool colour);

    // Failures: TooLarge for planes beyond the limits, OutOfMemory, and
    // Corrupt for coded data that does not decode. Memory that runs out while
    // coding throws std::bad_alloc, which the document catches.
    Status PrepareEncode(const CodecSettings& settings, PlaneAllocation allocation = PlaneAllocation::Now);
    // With planes on demand, `fill` gives each component its samples a row
    // at a time as it is coded, straight into the first level of its
    // transform: only the components coded at once hold planes, one at a
    // time for a large picture, and one float plane serves them in turn.
    Status EncodeAll(const PlaneFiller& fill = {});
    Status PrepareDecode(FinestLevel finest = FinestLevel::Reconstructed);
    Status DecodeAll(const LevelCallback& onLevel = {}, FinestLevel finest = FinestLevel::Reconstructed);
    void ReleasePlanes();

    // The COD file for the coded data held: the header, then the data block as held.
    FileParts CodFile() const;
    // The same file in one block.
    std::vector<std::uint8_t> WriteHeader() const;
    // Reads a whole COD file: header and data block. Fails on anything the
    // writer never produces, so that decoding can trust the geometry, and on
    // planes beyond the limits.
    Status ReadHeader(std::span<const std::uint8_t> file, const Limits& limits = {});
    // Header bytes as the statistics count them.
    int HeaderSize() const;

    // The levels a plane of this size can carry, at most `requested`: the
    // coarsest level needs at least four samples in each direction.
    static int LevelsForSize(int width, int height, int requested);
    static int Padded(int size, int levels);

    // Lossless coding writes its byte planes straight into the data buffer,
    // which is allocated on first use after PrepareEncode, large enough for
    // the longest streams the coder can make of the pixels (empty when memory
    // runs out). Only the pages written take memory.
    std::span<std::uint8_t> DataBuffer();
    std::span<const std::uint8_t> CodedData() const
    {
        return std::span<const std::uint8_t>(data_).first(std::min(dataSize_, data_.size()));
    }
    // Before the first compression the statistics count the source file's length.
    void SetSourceDataSize(std::size_t size) { dataSize_ = std::min(size, std::size_t{0xFFFFFFFF}); }
    void SetLosslessData(std::size_t size)
    {
        codingMethod_ = CodingMethod::Lossless;
        dataSize_ = size;
    }

    CodecComponent& Component(std::size_t index) { return components_.at(index); }
    const CodecComponent& Component(std::size_t index) const { return components_.at(index); }
    int ComponentCount() const { return colour_ ? 3 : 1; }

    CodingMethod Method() const { return codingMethod_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int PaddedWidth() const { return paddedWidth_; }
    int PaddedHeight() const { return paddedHeight_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    bool IsColour() const { return colour_; }
    int TotalLevels() const { return totalLevels_; }
    // Threads for compressing and decoding (at least 1); never changes a byte.
    int Threads() const { return threads_; }
    void SetThreads(int threads) { threads_ = ResolveThreadCount(threads); }
    std::size_t DataSize() const { return dataSize_; }
    int ExtraLength() const { return extraLength_; }
    std::uint32_t LevelTableEntry(int n) const { return levelTable_.at(static_cast<std::size_t>(n)); }
    // True when B and C are coded at half resolution.
    bool ChromaSubsampled() const
    {
        return colour_ && components_[kComponentB].SampleLevels() == 1 && components_[kComponentC].SampleLevels() == 1;
    }

private:
    void Configure(const CodecSettings& settings);
    void ComputePaddedSize();
    Status DecodeAllInParallel();

    CodingMethod codingMethod_ = CodingMethod::Wavelet;
    std::array<std::uint8_t, 4> formatFlags_ = {1, 1, 1, 1};
    std::array<CodecComponent, 3> components_;
    int paddedWidth_ = 0;
    int paddedHeight_ = 0;
    int bitsPerPixel_ = 0;
    int width_ = 0;
    int height_ = 0;
    int totalLevels_ = 5;
    LargeVector<std::uint8_t> data_;
    // The most wavelet-coded data may take: the uncompressed size plus every subband's fixed cost.
    std::size_t capacity_ = 0;
    int threads_ = 1;
    // Coded bytes per level index over all components, as written or read.
    std::array<std::uint32_t, CodecComponent::kLevelSlots> levelTable_{};
    bool colour_ = false;
    std::array<char, 9> fileMagic_{};
    std::size_t dataSize_ = 0;
    int headerSize_ = 0;
    int extraLength_ = 0;
};

} // namespace tamr
