#pragma once
// One component plane of the codec: thresholding, quantisation, zerotree marking
// and arithmetic coding of its subbands, and the level-by-level decoding back.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codec/ArithmeticCoder.h"
#include "codec/CodecSettings.h"
#include "codec/EncoderRows.h"
#include "codec/ForwardLevelRows.h"
#include "codec/PackedFlags.h"
#include "codec/WaveletTransform.h"
#include "platform/LargeBuffer.h"

namespace tamr {

// The three bands of a detail level, in coding order.
enum class Band { V = 0, H = 1, D = 2 };
inline constexpr Band kBands[3] = {Band::V, Band::H, Band::D};

// A subband's place in the plane.
struct SubbandRect {
    int row = 0;
    int column = 0;
    int rows = 0;
    int columns = 0;
};

class CodecComponent {
public:
    static constexpr int kEntries = 31;
    static constexpr int kLevelSlots = 11;
    static constexpr std::int16_t kSampleOffset = 128;

    // Takes the component's quantisation and threshold vectors and discard level.
    void ConfigureForEncoding(const ComponentSettings& settings, int totalLevels);
    // Sizes the plane for encoding: W = paddedWidth >> sampleLevels, and so on.
    // The plane is zero-filled unless `zeroed` is false, for a caller that
    // writes every sample itself.
    [[nodiscard]] bool SizeForEncoding(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels,
                                       bool zeroed = true);
    // The geometry of SizeForEncoding without the plane, for a caller that
    // allocates it with AllocatePlane only when the component's turn comes.
    void ShapeForEncoding(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels);
    [[nodiscard]] bool AllocatePlane(bool zeroed);
    // The discard and sample levels of coded data read from a file.
    void SetCodedLevels(int discardLevels, int sampleLevels);
    // The same for decoding, with the component's own discard and sample levels.
    // With `finestInRows` (and a level to keep), the finest level is left in
    // its quadrants: the plane holds only their LL quadrant (Width() / 2 x
    // Height() / 2 samples, PlaneStride() apart), the coded bands keep their
    // symbols in bytes, and DecodedRows makes the samples a stripe at a time.
    [[nodiscard]] bool SizeForDecoding(int paddedWidth, int paddedHeight, int totalLevels, bool finestInRows = false);
    bool FinestLevelInRows() const { return finestInRows_; }
    // Row k of the finest level's top half (LL then H) or bottom half (V then
    // D), dequantised into `line` (Width() samples). Each row is asked for
    // once and in order; the rows of that half before it are given back.
    void FinestQuadrantRow(bool bottom, int k, std::span<std::int16_t> line);
    // Row y of a finest level that was not coded into `out` (Width()
    // samples), rebuilt from the plane, which then holds the finest coded
    // level, through every level between; rows are asked for in order.
    void DiscardedFinestRow(int y, std::span<std::int16_t> out);

    // From plane samples to quantised, zerotree-marked symbols in the symbol
    // plane; the sample plane is freed.
    [[nodiscard]] bool ForwardTransform();
    // The same with a float plane of the caller's, which is grown when short
    // and may serve one component after another.
    [[nodiscard]] bool ForwardTransform(LargeVector<float>& values);
    // The same from rows of samples that `source` gives (Width() samples
    // each, the padding included), without a sample plane: it is asked for
    // every row once, or twice when the first or second forward level is
    // coded, in order. `values` needs to hold only the low-pass quadrant of
    // the second level (of the first, with one level), and the finest
    // level's symbols are kept as they will be coded.
    [[nodiscard]] bool ForwardTransformRows(const ForwardRowSource& source, LargeVector<float>& values);
    // Writes level index n at `position` of `out`; returns the new position, or
    // nothing when the level does not fit into `out` or memory runs out.
    std::optional<std::size_t> EncodeLevel(std::span<std::uint8_t> out, std::size_t position, int n);
    // Reads level index n from `position`, dequantises it and inverts its wavelet
    // level; returns the new position, or nothing when memory runs out. Corrupt
    // data is not detected: whatever symbols come out are placed.
    std::optional<std::size_t> DecodeLevel(std::span<const std::uint8_t> in, std::size_t position, int n);
    // The two halves of DecodeLevel: reading and placing the symbols of level
    // index n, then dequantising them and inverting the wavelet level. Reading
    // level n + 1 never touches what reconstructing level n works on, so the
    // two may run on different threads as long as each level is read before
    // it is reconstructed.
    std::optional<std::size_t> ReadLevel(std::span<const std::uint8_t> in, std::size_t position, int n);
    [[nodiscard]] bool ReconstructLevel(int n);

    // Merges zero symbols whose whole descendant tree is zero into zerotree
    // roots (Q + 1) and marks those descendants with the skip mark.
    void MarkZerotrees();
    // Frees the plane and every buffer of decoding, giving the memory back.
    void ReleasePlane();
    // Bytes the component holds in its plane and buffers (their capacity).
    std::size_t HeldBytes() const;

    // The finest coded level index: levels above it are discarded.
    int FinestCodedLevel() const;
    // Where a band of level index n (1 = coarsest detail level) lies; n = 0 is the LL band.
    SubbandRect Subband(int n, Band band) const;
    SubbandRect LowPassBand() const;
    // The vector entry of a band of level index n.
    int Entry(int n, Band band) const { return 3 * (levels_ - n) + static_cast<int>(band); }

    std::span<std::int16_t> Plane() { return plane_; }
    // Samples from one plane row to the next: Width(), or half of it while
    // the finest level waits in its quadrants.
    std::size_t PlaneStride() const { return planeStride_; }
    std::span<const std::int16_t> Plane() const { return plane_; }
    // The symbols of encoding after ForwardTransform, Width() x Height():
    // only the low-pass band and the coded levels' bands are written.
    std::span<std::int8_t> Symbols() { return std::span(symbols_).first(std::min(symbols_.size(), SampleCount())); }
    std::span<const std::int8_t> Symbols() const
    {
        return std::span(symbols_).first(std::min(symbols_.size(), SampleCount()));
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Levels() const { return levels_; }
    int DiscardLevels() const { return discardLevels_; }
    int SampleLevels() const { return sampleLevels_; }
    std::uint32_t LevelBytes(int n) const { return levelBytes_.at(static_cast<std::size_t>(n)); }
    std::int16_t Q(int entry) const { return q_.at(static_cast<std::size_t>(entry)); }
    std::int16_t Max(int entry) const { return max_.at(static_cast<std::size_t>(entry)); }
    std::int16_t Min(int entry) const { return min_.at(static_cast<std::size_t>(entry)); }
    std::uint32_t NonZeroBefore() const { return nonZeroBefore_; }
    std::uint32_t NonZeroAfter() const { return nonZeroAfter_; }
    float TransformSeconds() const { return transformSeconds_; }
    float EntropySeconds() const { return entropySeconds_; }

private:
    void Shape(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels);
    std::size_t SampleCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }
    struct Scales {
        float positive;
        float negative;
    };
    // The samples as floats in `values` (used up: transformed in place).
    [[nodiscard]] bool ForwardTransformValues(std::span<float> values);
    [[nodiscard]] bool ForwardLevels(std::span<float> coefficients, int first);
    void QuantiseCoarserLevels(std::span<const float> coefficients, int last);
    [[nodiscard]] bool SurveyRowLevels(const ForwardRowSource& source, int depth, std::span<float> coefficients);
    [[nodiscard]] bool QuantiseRowLevels(const ForwardRowSource& source, int depth);
    Scales PrepareQuantiser(int entry);
    void ThresholdLevel(std::span<float> values, int k);
    void QuantiseBand(std::span<const float> values, const SubbandRect& rect, int entry);
    void QuantiseLowPassBand(std::span<const float> values);
    std::optional<std::size_t> EncodeBand(std::span<std::uint8_t> out, std::size_t position, const SubbandRect& rect,
                                          int entry, int alphabet);
    std::optional<std::size_t> EncodeSymbols(std::span<std::uint8_t> out, std::size_t position, int entry,
                                             std::span<const std::int8_t> symbols, int alphabet);
    std::size_t ReadBand(std::span<const std::uint8_t> in, std::size_t position, int entry, int alphabetExtra,
                         std::span<std::int8_t> symbols, std::size_t& symbolCount);
    void PlaceBand(std::int16_t* origin, std::size_t stride, const SubbandRect& rect, int entry, int n, Band band,
                   std::span<const std::int8_t> symbols);
    Scales DequantiseSteps(int entry) const;
    void Dequantise(const SubbandRect& rect, int entry);
    // The finest level's band `band` kept as read (symbols and count already
    // set), with the roots of the level before and where its rows start.
    void KeepFinestBand(const SubbandRect& rect, int n, Band band);
    [[nodiscard]] bool KeepRootsPacked(Band band);
    // Row k of a finest band placed from its symbols, valid until the next call.
    const std::int8_t* FinestBandRow(Band band, int k);
    const std::int16_t* PlaneRowAsked(int k);
    bool RowsWorthGivingBack(int rows) const;
    void GiveBackFinestRows(bool bottom, int end);

    std::int16_t& At(int y, int x) { return plane_[static_cast<std::size_t>(y) * planeStride_ + x]; }
    std::int8_t* SymbolRow(int y, int x) { return symbols_.data() + static_cast<std::size_t>(y) * symbolStride_ + x; }

    LargeVector<std::int16_t> plane_;
    LargeVector<std::int8_t> symbols_;           // quantised, zerotree-marked symbols of encoding
    LargeVector<std::int8_t> gathered_;          // one band's symbols without skip marks, for the coder
    LargeVector<std::int16_t> inverseTemporary_; // serves every inverse level, then freed
    LargeVector<std::int8_t> symbolBuffer_;      // decoded symbols of one subband
    // Decoding, per band: 1 where a position of the level last placed is a
    // zerotree root or lies under one, so that its children take no symbol.
    std::array<LargeVector<std::uint8_t>, 3> treeFlags_;
    // The finest level's bands (V, H, D) while they wait in their quadrants
    // (decoding), or from quantisation to coding when `finestGathered_`.
    struct FinestBand {
        LargeVector<std::int8_t> symbols; // as read or to be coded, `count` of them
        std::size_t count = 0;
        PackedFlags parentRoots;            // decoding: the level before's roots; empty when it has none
        std::vector<std::uint8_t> parents;  // encoding: where the level before's trees are zero
        std::vector<std::size_t> rowStarts; // where each row's symbols start, and the end
    };
    std::array<FinestBand, 3> finestBands_;
    std::vector<std::int8_t> finestRow_;        // one placed row of a finest band
    std::vector<std::uint8_t> finestParentRow_; // the roots above it, unpacked
    // The levels that were not coded, made row by row, the finest last.
    std::vector<InterpolatedLevelRows> discardedLevels_;
    bool finestInRows_ = false;
    std::array<int, 2> finestRowsGivenBack_{}; // top and bottom half
    std::size_t planeStride_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::size_t valueStride_ = 0;  // of the float plane the forward levels work on
    std::size_t symbolStride_ = 0; // Width(), or half of it when the finest level is gathered
    // The finest level's symbols are in `finestBands_`, without the skipped
    // positions; the symbol plane holds the coarser levels only.
    bool finestGathered_ = false;
    std::array<std::uint32_t, kLevelSlots> levelBytes_{};
    int levels_ = 5;
    int discardLevels_ = 0;
    int sampleLevels_ = 0;
    std::array<std::int16_t, kEntries> q_{};
    std::array<std::int16_t, kEntries> threshold_{};
    std::array<std::int16_t, kEntries> min_{};
    std::array<std::int16_t, kEntries> max_{};
    ArithmeticCoder coder_;
    std::uint32_t nonZeroAfter_ = 0;
    std::uint32_t nonZeroBefore_ = 0;
    float transformSeconds_ = 0;
    float entropySeconds_ = 0;
};

} // namespace tamr
