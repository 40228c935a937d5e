#include "codec/CodecComponent.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "codec/WaveletTransform.h"
#include "platform/ByteBlock.h"
#include "platform/ByteReader.h"
#include "platform/Clock.h"
#include "platform/DiscardPages.h"
#include "platform/VectorClones.h"

namespace tamr {

namespace {

constexpr std::uint8_t kEndMarker[3] = {'c', 'o', 'd'};
constexpr std::size_t kSubbandHeaderBytes = 6;

bool ByteIs(std::span<const std::uint8_t> bytes, std::size_t position, std::uint8_t expected)
{
    return position < bytes.size() && bytes[position] == expected;
}

// Finds the end marker after a stream that the decoder says ended at `p`; the
// marker may be found one or two bytes early, and a missing one is passed over.
std::size_t SkipEndMarker(std::span<const std::uint8_t> bytes, std::size_t p)
{
    if (ByteIs(bytes, p, 'c') && ByteIs(bytes, p + 1, 'o') && ByteIs(bytes, p + 2, 'd'))
        return p + 3;
    if (p >= 1 && ByteIs(bytes, p - 1, 'c') && ByteIs(bytes, p, 'o') && ByteIs(bytes, p + 1, 'd'))
        return p + 2;
    if (p >= 2 && ByteIs(bytes, p - 2, 'c') && ByteIs(bytes, p - 1, 'o'))
        return ByteIs(bytes, p, 'd') ? p + 1 : p;
    return p;
}

} // namespace

void CodecComponent::ConfigureForEncoding(const ComponentSettings& settings, int totalLevels)
{
    levels_ = totalLevels;
    discardLevels_ = settings.discardLevels;
    const int quantEntries = std::min(kEntries, 3 * totalLevels + 3);
    for (int i = 0; i < quantEntries; ++i)
        q_[static_cast<std::size_t>(i)] = settings.quantizeVector[static_cast<std::size_t>(i)];
    const int thresholdEntries = std::min(kEntries, totalLevels + 1);
    for (int i = 0; i < thresholdEntries; ++i)
        threshold_[static_cast<std::size_t>(i)] = settings.thresholdVector[static_cast<std::size_t>(i)];
}

void CodecComponent::Shape(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels)
{
    sampleLevels_ = sampleLevels;
    width_ = paddedWidth >> sampleLevels;
    height_ = paddedHeight >> sampleLevels;
    levels_ = totalLevels - sampleLevels;
    planeStride_ = static_cast<std::size_t>(width_);
    finestInRows_ = false;
    levelBytes_.fill(0);
}

bool CodecComponent::AllocatePlane(bool zeroed)
{
    // A fresh block: the old one is freed first rather than copied.
    Release(plane_);
    if (!TryResizeUninitialised(plane_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)))
        return false;
    // Encoding reads the padding a gray picture leaves unwritten as zeros;
    // a colour picture's conversion and decoding write every sample first.
    if (zeroed)
        std::fill(plane_.begin(), plane_.end(), std::int16_t{0});
    return true;
}

void CodecComponent::ShapeForEncoding(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels)
{
    nonZeroBefore_ = 0;
    nonZeroAfter_ = 0;
    Shape(paddedWidth, paddedHeight, totalLevels, sampleLevels);
}

bool CodecComponent::SizeForEncoding(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels, bool zeroed)
{
    ShapeForEncoding(paddedWidth, paddedHeight, totalLevels, sampleLevels);
    return AllocatePlane(zeroed);
}

void CodecComponent::SetCodedLevels(int discardLevels, int sampleLevels)
{
    discardLevels_ = discardLevels;
    sampleLevels_ = sampleLevels;
}

bool CodecComponent::SizeForDecoding(int paddedWidth, int paddedHeight, int totalLevels, bool finestInRows)
{
    transformSeconds_ = 0;
    entropySeconds_ = 0;
    Shape(paddedWidth, paddedHeight, totalLevels, sampleLevels_);
    finestBands_ = {};
    if (!finestInRows || levels_ < 1)
        return AllocatePlane(false);
    finestInRows_ = true;
    finestRowsGivenBack_ = {};
    discardedLevels_.clear();
    finestRow_.resize(static_cast<std::size_t>(width_ / 2));
    finestParentRow_.resize(static_cast<std::size_t>(width_ / 4) + 1);
    // The plane holds the finest coded level's samples, or the LL quadrant of
    // a coded finest level.
    const int shift = std::max(1, levels_ - FinestCodedLevel());
    planeStride_ = static_cast<std::size_t>(width_ >> shift);
    Release(plane_);
    return TryResizeUninitialised(plane_, planeStride_ * static_cast<std::size_t>(height_ >> shift));
}

void CodecComponent::ReleasePlane()
{
    Release(plane_);
    finestBands_ = {};
    discardedLevels_.clear();
    Release(finestRow_);
    Release(finestParentRow_);
    Release(symbols_);
    Release(gathered_);
    Release(inverseTemporary_);
    Release(symbolBuffer_);
    for (auto& flags : treeFlags_)
        Release(flags);
}

std::size_t CodecComponent::HeldBytes() const
{
    std::size_t bytes = plane_.capacity() * sizeof(std::int16_t) + symbols_.capacity() + gathered_.capacity() +
                        inverseTemporary_.capacity() * sizeof(std::int16_t) + symbolBuffer_.capacity();
    for (const auto& flags : treeFlags_)
        bytes += flags.capacity();
    // A finest band's symbols take only the pages they fill.
    for (const FinestBand& finest : finestBands_)
        bytes += finest.count + finest.parentRoots.HeldBytes() + finest.parents.capacity() +
                 finest.rowStarts.capacity() * sizeof(std::size_t);
    return bytes;
}

int CodecComponent::FinestCodedLevel() const
{
    return std::max(0, levels_ - discardLevels_);
}

SubbandRect CodecComponent::Subband(int n, Band band) const
{
    const int rows = height_ >> (levels_ - n + 1);
    const int columns = width_ >> (levels_ - n + 1);
    switch (band) {
    case Band::V:
        return {rows, 0, rows, columns};
    case Band::H:
        return {0, columns, rows, columns};
    case Band::D:
        return {rows, columns, rows, columns};
    }
    return {};
}

SubbandRect CodecComponent::LowPassBand() const
{
    return {0, 0, height_ >> levels_, width_ >> levels_};
}

bool CodecComponent::ForwardTransform()
{
    LargeVector<float> values;
    return ForwardTransform(values);
}

namespace {

// Rows handled between two returns of memory to the system.
constexpr int kReturnBand = 32;

// The samples as floats, exactly, a band of rows at a time; each band's
// 16-bit rows go back to the system once converted (quantising writes every
// sample of the plane again), so the two planes are never held whole together.
void ConvertGivingBack(std::span<std::int16_t> samples, std::span<float> values, std::size_t width)
{
    const std::size_t band = width * kReturnBand;
    for (std::size_t start = 0; start < samples.size(); start += band) {
        const std::size_t count = std::min(band, samples.size() - start);
        std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(start), count,
                    values.begin() + static_cast<std::ptrdiff_t>(start));
        DiscardPagesOf(samples.subspan(start, count));
    }
}

} // namespace

bool CodecComponent::ForwardTransform(LargeVector<float>& values)
{
    if (values.size() < plane_.size() && !TryResizeUninitialised(values, plane_.size()))
        return false;
    const std::span<float> coefficients = std::span(values).first(plane_.size());
    ConvertGivingBack(plane_, coefficients, static_cast<std::size_t>(width_));
    Release(plane_);
    return ForwardTransformValues(coefficients);
}

bool CodecComponent::ForwardTransformValues(std::span<float> values)
{
    const std::size_t samples = SampleCount();
    if (values.size() < samples)
        return false;
    // Only the bands written below are ever read: the pages of the rest are
    // never touched.
    if (symbols_.size() < samples && !TryResizeUninitialised(symbols_, samples))
        return false;
    symbolStride_ = static_cast<std::size_t>(width_);
    finestGathered_ = false;
    const std::span<float> coefficients = values.first(samples);
    const auto stride = static_cast<std::size_t>(width_);
    valueStride_ = stride;
    if (!ForwardLevels(coefficients, 0))
        return false;
    // The finest level's lower half (its V and D bands) is quantised first, a
    // band of rows at a time, each band's floats going back to the system at
    // once (no other band reads them), so that the symbols of every band take
    // no more memory than those floats gave back. Quantising a part of a band
    // gives the symbols of the whole band, since the range it makes symmetric
    // stays as it is once symmetric; the bands are independent of each other.
    if (levels_ <= FinestCodedLevel() && levels_ > 0) {
        const SubbandRect v = Subband(levels_, Band::V);
        const SubbandRect d = Subband(levels_, Band::D);
        for (int row = v.row; row < v.row + v.rows; row += kReturnBand) {
            const int rows = std::min(kReturnBand, v.row + v.rows - row);
            QuantiseBand(coefficients, {row, v.column, rows, v.columns}, Entry(levels_, Band::V));
            QuantiseBand(coefficients, {row, d.column, rows, d.columns}, Entry(levels_, Band::D));
            DiscardPagesOf(
                coefficients.subspan(static_cast<std::size_t>(row) * stride, static_cast<std::size_t>(rows) * stride));
        }
        QuantiseBand(coefficients, Subband(levels_, Band::H), Entry(levels_, Band::H));
    }
    QuantiseCoarserLevels(coefficients, levels_ - 1);
    MarkZerotrees();
    return true;
}

// Forward levels `first` and up, each thresholded.
bool CodecComponent::ForwardLevels(std::span<float> coefficients, int first)
{
    const auto stride = valueStride_;
    std::vector<float> lineBuffer;
    for (int k = first; k < levels_; ++k) {
        if (!ForwardLevel(coefficients, stride, height_ >> k, width_ >> k, lineBuffer))
            return false;
        // A discarded level is never coded, but its ranges are kept as a
        // coded level's are.
        ThresholdLevel(coefficients, k);
    }
    return true;
}

// The coded levels up to `last`, then the low-pass band.
void CodecComponent::QuantiseCoarserLevels(std::span<const float> coefficients, int last)
{
    for (int n = 1; n <= last && n <= FinestCodedLevel(); ++n)
        for (const Band band : kBands)
            QuantiseBand(coefficients, Subband(n, band), Entry(n, band));
    QuantiseLowPassBand(coefficients);
}

// Thresholds the detail bands of the level made by forward level k and keeps
// each band's range: later levels never touch them again.
void CodecComponent::ThresholdLevel(std::span<float> values, int k)
{
    const int n = levels_ - k;
    const int threshold = threshold_[static_cast<std::size_t>(k)];
    for (const Band band : kBands) {
        const SubbandRect rect = Subband(n, band);
        Range range = kEmptyRange;
        for (int y = rect.row; y < rect.row + rect.rows; ++y) {
            float* row = values.data() + static_cast<std::size_t>(y) * valueStride_ + rect.column;
            nonZeroBefore_ += ThresholdRow(row, rect.columns, threshold, range);
        }
        const auto entry = static_cast<std::size_t>(Entry(n, band));
        max_[entry] = static_cast<std::int16_t>(range.max);
        min_[entry] = static_cast<std::int16_t>(range.min);
    }
}

void CodecComponent::QuantiseLowPassBand(std::span<const float> values)
{
    const SubbandRect rect = LowPassBand();
    Range range = kEmptyRange;
    for (int y = rect.row; y < rect.row + rect.rows; ++y)
        range = RowRange(values.data() + static_cast<std::size_t>(y) * valueStride_ + rect.column, rect.columns, range);
    const auto entry = static_cast<std::size_t>(3 * levels_);
    max_[entry] = static_cast<std::int16_t>(range.max);
    min_[entry] = static_cast<std::int16_t>(range.min);
    QuantiseBand(values, rect, 3 * levels_);
}

// Makes the range of a band symmetric around zero, shrinking Q when the band
// is narrower than Q, and gives the scales of its quantiser.
CodecComponent::Scales CodecComponent::PrepareQuantiser(int entry)
{
    int max = max_[static_cast<std::size_t>(entry)];
    int min = min_[static_cast<std::size_t>(entry)];
    int q = q_[static_cast<std::size_t>(entry)];
    if (!(std::abs(max) >= q && std::abs(min) >= q)) {
        if (std::abs(max) < std::abs(min)) {
            max = -min;
            if (std::abs(min) < q)
                q = -min;
        } else {
            min = -max;
            if (std::abs(max) < q)
                q = std::abs(max);
        }
    }
    max_[static_cast<std::size_t>(entry)] = static_cast<std::int16_t>(max);
    min_[static_cast<std::size_t>(entry)] = static_cast<std::int16_t>(min);
    q_[static_cast<std::size_t>(entry)] = static_cast<std::int16_t>(q);
    return {max == 0 ? 0.0f : static_cast<float>(q) / static_cast<float>(max),
            min == 0 ? 0.0f : static_cast<float>(-q) / static_cast<float>(min)};
}

// Quantises a band whose range of truncated values max_ and min_ hold.
void CodecComponent::QuantiseBand(std::span<const float> values, const SubbandRect& rect, int entry)
{
    const Scales scales = PrepareQuantiser(entry);
    for (int y = rect.row; y < rect.row + rect.rows; ++y)
        QuantiseRow(values.data() + static_cast<std::size_t>(y) * valueStride_ + rect.column, rect.columns,
                    scales.positive, scales.negative, SymbolRow(y, rect.column));
}

// A position is a zerotree root when it and all its descendants are 0 and no
// ancestor is a root already; a descendant of a root gets the skip mark. The
// finest levels are visited first to find, for every position, whether its
// whole tree is 0, from the trees of its four children; then the coarsest
// first to place roots and skip marks. That is what testing every position's
// descendants from the coarsest level down gives, in one pass per level.
void CodecComponent::MarkZerotrees()
{
    const int finest = FinestCodedLevel();
    // A gathered finest level's zero trees serve one marking: they are used up.
    if (finest < 2 || (finestGathered_ && finestBands_[0].parents.empty()))
        return;
    std::vector<std::vector<std::uint8_t>> zeroTree(static_cast<std::size_t>(finest) + 1);
    // A gathered finest level has its skip marks already and left its
    // parents' zero trees behind.
    const int deepest = finestGathered_ ? finest - 1 : finest;
    for (const Band band : kBands) {
        if (finestGathered_)
            zeroTree[static_cast<std::size_t>(deepest)] =
                std::move(finestBands_[static_cast<std::size_t>(band)].parents);
        for (int n = finestGathered_ ? deepest - 1 : deepest; n >= 1; --n) {
            const SubbandRect rect = Subband(n, band);
            auto& zero = zeroTree[static_cast<std::size_t>(n)];
            zero.resize(static_cast<std::size_t>(rect.rows) * static_cast<std::size_t>(rect.columns));
            const std::uint8_t* children = n < finest ? zeroTree[static_cast<std::size_t>(n) + 1].data() : nullptr;
            const auto childColumns = static_cast<std::size_t>(2 * rect.columns);
            for (int y = 0; y < rect.rows; ++y) {
                const std::int8_t* row = SymbolRow(rect.row + y, rect.column);
                std::uint8_t* out = zero.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(rect.columns);
                if (children == nullptr) {
                    ZeroRow(row, rect.columns, out);
                } else {
                    const std::uint8_t* top = children + static_cast<std::size_t>(2 * y) * childColumns;
                    ZeroTreeRow(row, rect.columns, top, top + childColumns, out);
                }
            }
        }
        for (int n = 1; n <= deepest; ++n) {
            const SubbandRect rect = Subband(n, band);
            const auto root = static_cast<std::int8_t>(q_[static_cast<std::size_t>(Entry(n, band))] + 1);
            const std::uint8_t* zero = zeroTree[static_cast<std::size_t>(n)].data();
            const std::uint8_t* parents = n >= 2 ? zeroTree[static_cast<std::size_t>(n) - 1].data() : nullptr;
            const auto parentColumns = static_cast<std::size_t>(rect.columns / 2);
            for (int y = 0; y < rect.rows; ++y) {
                std::int8_t* row = SymbolRow(rect.row + y, rect.column);
                const std::uint8_t* zeroRow =
                    zero + static_cast<std::size_t>(y) * static_cast<std::size_t>(rect.columns);
                const std::uint8_t* parentRow =
                    parents != nullptr ? parents + static_cast<std::size_t>(y / 2) * parentColumns : nullptr;
                // The finest coded level has no roots: its zero trees only tell its parents.
                if (parentRow != nullptr && n < finest)
                    MarkRow(row, rect.columns, zeroRow, parentRow, root);
                else if (parentRow != nullptr)
                    MarkSkippedRow(row, rect.columns, parentRow);
                else if (n < finest)
                    MarkRootsRow(row, rect.columns, zeroRow, root);
            }
        }
    }
}

std::optional<std::size_t> CodecComponent::EncodeBand(std::span<std::uint8_t> out, std::size_t position,
                                                      const SubbandRect& rect, int entry, int alphabetExtra)
{
    const std::size_t samples = static_cast<std::size_t>(rect.rows) * static_cast<std::size_t>(rect.columns);
    if (gathered_.size() < samples && !TryResizeUninitialised(gathered_, samples))
        return std::nullopt;
    std::size_t count = 0;
    for (int y = rect.row; y < rect.row + rect.rows; ++y)
        count += GatherRow(SymbolRow(y, rect.column), rect.columns, gathered_.data() + count);
    return EncodeSymbols(out, position, entry, std::span<const std::int8_t>(gathered_).first(count), alphabetExtra);
}

// Writes a band's header, its symbols (the skipped ones left out) and the end marker.
std::optional<std::size_t> CodecComponent::EncodeSymbols(std::span<std::uint8_t> out, std::size_t position, int entry,
                                                         std::span<const std::int8_t> symbols, int alphabetExtra)
{
    const int q = q_[static_cast<std::size_t>(entry)];
    if (q < 0 || q > kMaxCodedQ)
        return std::nullopt; // such symbols cannot be told from the skip mark
    if (position > out.size() || out.size() - position < kSubbandHeaderBytes)
        return std::nullopt;
    const std::int16_t header[3] = {max_[static_cast<std::size_t>(entry)], min_[static_cast<std::size_t>(entry)],
                                    static_cast<std::int16_t>(q)};
    for (const std::int16_t value : header) {
        out[position++] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) & 0xFF);
        out[position++] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8);
    }
    const auto written = coder_.EncodeBlock(out.subspan(position), symbols, 2 * q + alphabetExtra);
    if (!written)
        return std::nullopt;
    position += *written;
    if (out.size() - position < sizeof kEndMarker)
        return std::nullopt;
    for (const std::uint8_t byte : kEndMarker)
        out[position++] = byte;
    return position;
}

std::optional<std::size_t> CodecComponent::EncodeLevel(std::span<std::uint8_t> out, std::size_t position, int n)
{
    const int finest = FinestCodedLevel();
    if (n < 0 || n >= kLevelSlots)
        return std::nullopt;
    if (n > finest) {
        levelBytes_[static_cast<std::size_t>(n)] = 0;
        return position;
    }
    const std::size_t start = position;
    if (n == 0) {
        const auto next = EncodeBand(out, position, LowPassBand(), 3 * levels_, 1);
        if (!next)
            return std::nullopt;
        position = *next;
    } else {
        for (const Band band : kBands) {
            const int extra = n < finest ? 2 : 1;
            const FinestBand& kept = finestBands_[static_cast<std::size_t>(band)];
            const auto next = finestGathered_ && n == levels_
                                  ? EncodeSymbols(out, position, Entry(n, band),
                                                  std::span<const std::int8_t>(kept.symbols).first(kept.count), extra)
                                  : EncodeBand(out, position, Subband(n, band), Entry(n, band), extra);
            if (!next)
                return std::nullopt;
            position = *next;
        }
    }
    levelBytes_[static_cast<std::size_t>(n)] = static_cast<std::uint32_t>(position - start);
    return position;
}

// Reads one subband's header and stream and skips its end marker; `symbols`
// gets the decoded symbols, as many as `symbolCount` says.
std::size_t CodecComponent::ReadBand(std::span<const std::uint8_t> in, std::size_t position, int entry,
                                     int alphabetExtra, std::span<std::int8_t> symbols, std::size_t& symbolCount)
{
    ByteReader header(in.subspan(std::min(position, in.size())));
    max_[static_cast<std::size_t>(entry)] = header.I16();
    min_[static_cast<std::size_t>(entry)] = header.I16();
    const int q = header.I16();
    q_[static_cast<std::size_t>(entry)] = static_cast<std::int16_t>(q);
    position = std::min(in.size(), position + kSubbandHeaderBytes);

    // A corrupt header may name an alphabet the coder does not have: then no
    // symbol comes out and the band decodes as zeros.
    ArithmeticCoder::Decoded decoded;
    const int alphabet = 2 * q + alphabetExtra;
    if (q >= 0 && alphabet <= ArithmeticCoder::kMaxAlphabet)
        decoded = coder_.DecodeBlock(in.subspan(position), symbols, alphabet);
    symbolCount = decoded.symbolCount;
    return SkipEndMarker(in, position + decoded.inputUsed);
}

namespace {

// Placement works on groups of this many positions (the children of eight
// parents), so that a group under roots only, or under no root at all, is
// placed without a test per position.
constexpr int kPlaceGroup = 16;

// Symbols to samples where no parent is a root: a root symbol becomes 0 and,
// when `flags` is given, flags its position for its children.
template <typename Sample>
[[gnu::always_inline]] inline void PlaceRunInto(const std::int8_t* symbols, int count, int root, Sample* row,
                                                std::uint8_t* flags)
{
    if (flags != nullptr) {
        for (int x = 0; x < count; ++x) {
            const bool isRoot = symbols[x] == root;
            row[x] = isRoot ? Sample{0} : Sample{symbols[x]};
            flags[x] = static_cast<std::uint8_t>(isRoot);
        }
        return;
    }
    for (int x = 0; x < count; ++x)
        row[x] = symbols[x] == root ? Sample{0} : Sample{symbols[x]};
}

TAMR_VECTOR_CLONES void PlaceRun(const std::int8_t* symbols, int count, int root, std::int16_t* row,
                                 std::uint8_t* flags)
{
    PlaceRunInto(symbols, count, root, row, flags);
}

// The finest level waiting in its quadrants keeps the symbols themselves.
TAMR_VECTOR_CLONES void PlaceRun(const std::int8_t* symbols, int count, int root, std::int8_t* row, std::uint8_t* flags)
{
    PlaceRunInto(symbols, count, root, row, flags);
}

// The flags of eight parents, as one word: 0 when none is a root, and every
// byte 1 when all are (flags are only ever 0 or 1).
std::uint64_t ParentWord(const std::uint8_t* parents)
{
    std::uint64_t word = 0;
    std::memcpy(&word, parents, sizeof word);
    return word;
}

constexpr std::uint64_t kAllParentsRoots = 0x0101010101010101ULL;

// Places one row of a band's symbols, taking them from `next` on (which moves
// past them). A position under a zerotree root (its parent in the level
// before, `parentRow`, is flagged) takes no symbol and becomes 0; with
// `flagRow`, a root becomes 0 and flags its position for its children.
// Symbols past the end read as 0.
template <typename Sample>
void PlaceRow(Sample* row, std::size_t columns, const std::uint8_t* parentRow, std::uint8_t* flagRow,
              std::span<const std::int8_t> symbols, int zerotreeRoot, std::size_t& next)
{
    const std::size_t available = symbols.size();
    if (parentRow == nullptr && flagRow == nullptr) {
        // No roots above or in this band: the symbols are the samples.
        for (std::size_t x = 0; x < columns; ++x, ++next)
            row[x] = next < available ? symbols[next] : Sample{0};
        return;
    }
    const auto placeOne = [&](std::size_t x) {
        if (parentRow != nullptr && parentRow[x / 2] != 0) {
            row[x] = Sample{0};
            if (flagRow != nullptr)
                flagRow[x] = 1;
            return;
        }
        const int v = next < available ? symbols[next] : 0;
        ++next;
        if (v == zerotreeRoot) {
            row[x] = Sample{0};
            if (flagRow != nullptr)
                flagRow[x] = 1;
        } else {
            row[x] = static_cast<Sample>(v);
        }
    };
    std::size_t x = 0;
    for (; x + kPlaceGroup <= columns; x += kPlaceGroup) {
        const std::uint64_t parentWord = parentRow != nullptr ? ParentWord(parentRow + x / 2) : 0;
        if (parentWord == kAllParentsRoots) {
            std::fill_n(row + x, kPlaceGroup, Sample{0});
            if (flagRow != nullptr)
                std::fill_n(flagRow + x, kPlaceGroup, std::uint8_t{1});
        } else if (parentWord == 0 && available - std::min(next, available) >= kPlaceGroup) {
            PlaceRun(symbols.data() + next, kPlaceGroup, zerotreeRoot, row + x,
                     flagRow != nullptr ? flagRow + x : nullptr);
            next += kPlaceGroup;
        } else {
            for (std::size_t k = x; k < x + kPlaceGroup; ++k)
                placeOne(k);
        }
    }
    for (; x < columns; ++x)
        placeOne(x);
}

} // namespace

// Puts the decoded symbols into the subband in row-major order. A position
// under a zerotree root (its parent in the level before is flagged) takes no
// symbol and becomes 0; a root becomes 0 and flags its position for its
// children. Every position of the band is written.
void CodecComponent::PlaceBand(std::int16_t* origin, std::size_t stride, const SubbandRect& rect, int entry, int n,
                               Band band, std::span<const std::int8_t> symbols)
{
    const int finest = FinestCodedLevel();
    const int zerotreeRoot = q_[static_cast<std::size_t>(entry)] + 1;
    const bool rootsPossible = n >= 1 && n < finest;
    LargeVector<std::uint8_t>& flags = treeFlags_[static_cast<std::size_t>(band)];
    LargeVector<std::uint8_t> parents;
    parents.swap(flags);
    const bool hasParents = n >= 2 && !parents.empty();
    const auto columns = static_cast<std::size_t>(rect.columns);
    if (rootsPossible)
        flags.assign(static_cast<std::size_t>(rect.rows) * columns, 0);
    std::size_t next = 0;
    for (int y = 0; y < rect.rows; ++y) {
        const std::uint8_t* parentRow =
            hasParents ? parents.data() + static_cast<std::size_t>(y / 2) * (columns / 2) : nullptr;
        std::uint8_t* flagRow = rootsPossible ? flags.data() + static_cast<std::size_t>(y) * columns : nullptr;
        PlaceRow(origin + static_cast<std::size_t>(y) * stride, columns, parentRow, flagRow, symbols, zerotreeRoot,
                 next);
    }
    if (!rootsPossible)
        Release(flags);
}

// The roots band `band` of the level before the finest one left, packed
// into its finest band; their bytes are given back.
bool CodecComponent::KeepRootsPacked(Band band)
{
    LargeVector<std::uint8_t>& flags = treeFlags_[static_cast<std::size_t>(band)];
    const bool packed = finestBands_[static_cast<std::size_t>(band)].parentRoots.Pack(flags);
    Release(flags);
    return packed;
}

// The finest level has no roots of its own: each row takes a symbol for
// every position whose parent is no root, so where each row's symbols start
// is known from the parents alone.
void CodecComponent::KeepFinestBand(const SubbandRect& rect, int n, Band band)
{
    FinestBand& finest = finestBands_[static_cast<std::size_t>(band)];
    // The roots of the level before were packed as it was placed.
    if (n < 2)
        finest.parentRoots = {};
    const auto columns = static_cast<std::size_t>(rect.columns);
    finest.rowStarts.assign(static_cast<std::size_t>(rect.rows) + 1, 0);
    std::size_t next = 0;
    for (int y = 0; y < rect.rows; ++y) {
        finest.rowStarts[static_cast<std::size_t>(y)] = next;
        if (finest.parentRoots.Empty()) {
            next += columns;
            continue;
        }
        // Two positions under each parent; an odd last column has one.
        const std::size_t parentRow = static_cast<std::size_t>(y / 2) * (columns / 2);
        next += 2 * finest.parentRoots.CountZeros(parentRow, columns / 2);
        if (columns % 2 != 0)
            next += finest.parentRoots.CountZeros(parentRow + columns / 2, 1);
    }
    finest.rowStarts.back() = next;
}

const std::int8_t* CodecComponent::FinestBandRow(Band band, int k)
{
    const FinestBand& finest = finestBands_[static_cast<std::size_t>(band)];
    const auto columns = static_cast<std::size_t>(width_ / 2);
    std::size_t next = finest.rowStarts[static_cast<std::size_t>(k)];
    const std::uint8_t* parentRow = nullptr;
    if (!finest.parentRoots.Empty()) {
        finest.parentRoots.Unpack(static_cast<std::size_t>(k / 2) * (columns / 2), finestParentRow_.size(),
                                  finestParentRow_.data());
        parentRow = finestParentRow_.data();
    }
    const int zerotreeRoot = q_[static_cast<std::size_t>(Entry(levels_, band))] + 1;
    PlaceRow(finestRow_.data(), columns, parentRow, nullptr, std::span(finest.symbols).first(finest.count),
             zerotreeRoot, next);
    return finestRow_.data();
}

namespace {

// Each symbol s times its step, truncated: positive symbols take the step of
// the band's max, negative ones that of its min, and 0 stays 0. Returns the
// count of non-zero results.
template <typename Symbol>
[[gnu::always_inline]] inline std::uint32_t DequantiseInto(const Symbol* symbols, std::int16_t* row, int count,
                                                           float positiveStep, float negativeStep)
{
    std::uint32_t nonZero = 0;
    for (int x = 0; x < count; ++x) {
        // 0 times either step is 0, so no case of its own is needed.
        const auto s = static_cast<float>(symbols[x]);
        const float step = s > 0.0f ? positiveStep : negativeStep;
        const int value = static_cast<int>(step * s);
        nonZero += static_cast<std::uint32_t>(value != 0);
        row[x] = static_cast<std::int16_t>(value);
    }
    return nonZero;
}

TAMR_VECTOR_CLONES std::uint32_t DequantiseRow(std::int16_t* row, int count, float positiveStep, float negativeStep)
{
    return DequantiseInto(row, row, count, positiveStep, negativeStep);
}

TAMR_VECTOR_CLONES std::uint32_t DequantiseRow(const std::int8_t* symbols, std::int16_t* row, int count,
                                               float positiveStep, float negativeStep)
{
    return DequantiseInto(symbols, row, count, positiveStep, negativeStep);
}

} // namespace

CodecComponent::Scales CodecComponent::DequantiseSteps(int entry) const
{
    const int q = q_[static_cast<std::size_t>(entry)];
    if (q == 0)
        return {0.0f, 0.0f};
    return {static_cast<float>(max_[static_cast<std::size_t>(entry)]) / static_cast<float>(q),
            static_cast<float>(min_[static_cast<std::size_t>(entry)]) / static_cast<float>(-q)};
}

void CodecComponent::Dequantise(const SubbandRect& rect, int entry)
{
    const Scales steps = DequantiseSteps(entry);
    for (int y = rect.row; y < rect.row + rect.rows; ++y)
        nonZeroAfter_ += DequantiseRow(&At(y, rect.column), rect.columns, steps.positive, steps.negative);
}

void CodecComponent::FinestQuadrantRow(bool bottom, int k, std::span<std::int16_t> line)
{
    const int half = width_ / 2;
    const auto dequantise = [&](Band band, std::int16_t* out) {
        const Scales steps = DequantiseSteps(Entry(levels_, band));
        nonZeroAfter_ += DequantiseRow(FinestBandRow(band, k), out, half, steps.positive, steps.negative);
    };
    if (bottom) {
        dequantise(Band::V, line.data());
        dequantise(Band::D, line.data() + half);
    } else {
        const auto low = std::span(plane_).subspan(static_cast<std::size_t>(k) * planeStride_, planeStride_);
        std::copy(low.begin(), low.end(), line.begin());
        dequantise(Band::H, line.data() + half);
    }
    if (RowsWorthGivingBack(k + 1 - finestRowsGivenBack_[bottom ? 1 : 0]))
        GiveBackFinestRows(bottom, k + 1);
}

void CodecComponent::DiscardedFinestRow(int y, std::span<std::int16_t> out)
{
    if (discardedLevels_.empty()) {
        // From the coarsest level that was not coded up, each level's rows
        // made from those of the level below, the first from the plane's.
        const int discarded = levels_ - FinestCodedLevel();
        discardedLevels_.reserve(static_cast<std::size_t>(discarded));
        for (int j = 1; j <= discarded; ++j) {
            InterpolatedLevelRows::LowRow lowRow;
            if (j == 1)
                lowRow = [this](int k) { return PlaneRowAsked(k); };
            else
                lowRow = [this, j](int k) { return discardedLevels_[static_cast<std::size_t>(j - 2)].Row(k); };
            discardedLevels_.emplace_back(height_ >> (discarded - j), width_ >> (discarded - j), std::move(lowRow));
        }
    }
    discardedLevels_.back().MakeRow(y, out);
}

// Rows of the plane are asked for in order, each with the one before it at
// most: those before that are of no more use.
const std::int16_t* CodecComponent::PlaneRowAsked(int k)
{
    const int needed = std::max(0, k - 1);
    if (RowsWorthGivingBack(needed - finestRowsGivenBack_[0]))
        GiveBackFinestRows(false, needed);
    return plane_.data() + static_cast<std::size_t>(k) * planeStride_;
}

// Rows are given back a megabyte of the low band at a time.
bool CodecComponent::RowsWorthGivingBack(int rows) const
{
    return static_cast<std::size_t>(std::max(rows, 0)) * planeStride_ * sizeof(std::int16_t) >= (std::size_t{1} << 20);
}

void CodecComponent::GiveBackFinestRows(bool bottom, int end)
{
    int& givenBack = finestRowsGivenBack_[bottom ? 1 : 0];
    const auto giveBackBand = [&](Band band) {
        FinestBand& finest = finestBands_[static_cast<std::size_t>(band)];
        if (finest.rowStarts.empty())
            return;
        const auto symbols = std::span(finest.symbols).first(finest.count);
        DiscardConsumedPagesOf(symbols, finest.rowStarts[static_cast<std::size_t>(givenBack)],
                               finest.rowStarts[static_cast<std::size_t>(end)]);
        // Row k reads the roots of row k / 2 of the level before.
        const auto parentColumns = static_cast<std::size_t>(width_ / 2) / 2;
        finest.parentRoots.GiveBack(static_cast<std::size_t>(givenBack / 2) * parentColumns,
                                    static_cast<std::size_t>(end / 2) * parentColumns);
    };
    if (bottom) {
        giveBackBand(Band::V);
        giveBackBand(Band::D);
    } else {
        DiscardConsumedPagesOf(std::span(plane_), static_cast<std::size_t>(givenBack) * planeStride_,
                               static_cast<std::size_t>(end) * planeStride_);
        giveBackBand(Band::H);
    }
    givenBack = end;
}

std::optional<std::size_t> CodecComponent::DecodeLevel(std::span<const std::uint8_t> in, std::size_t position, int n)
{
    const auto next = ReadLevel(in, position, n);
    if (!next || !ReconstructLevel(n))
        return std::nullopt;
    return next;
}

std::optional<std::size_t> CodecComponent::ReadLevel(std::span<const std::uint8_t> in, std::size_t position, int n)
{
    if (n < 0 || n > levels_)
        return position;
    const int finest = FinestCodedLevel();
    const int bandCount = n == 0 ? 1 : (n <= finest ? 3 : 0);
    const int alphabetExtra = n >= 1 && n < finest ? 2 : 1;
    if (bandCount == 0)
        return position;
    // The finest level waiting in its quadrants keeps each band's symbols as
    // read (only the pages they fill are touched); its rows are placed as
    // they are asked for.
    const bool intoQuadrants = finestInRows_ && n == levels_;
    // The roots this level leaves such a finest level wait with it, packed.
    const bool keepsRootsPacked = finestInRows_ && n >= 1 && n + 1 == levels_ && levels_ <= finest;
    // One buffer serves every other level: it only grows, level after level.
    LargeVector<std::int8_t>& symbols = symbolBuffer_;
    const SubbandRect largest = n == 0 ? LowPassBand() : Subband(n, Band::V);
    const std::size_t needed = static_cast<std::size_t>(largest.rows) * static_cast<std::size_t>(largest.columns);
    if (!intoQuadrants && symbols.size() < needed && !TryResizeUninitialised(symbols, needed))
        return std::nullopt;

    // Only reading the header, the stream and the end marker counts as entropy decoding.
    for (int b = 0; b < bandCount; ++b) {
        const SubbandRect rect = n == 0 ? LowPassBand() : Subband(n, kBands[b]);
        const int entry = n == 0 ? 3 * levels_ : Entry(n, kBands[b]);
        FinestBand* finest = intoQuadrants ? &finestBands_[static_cast<std::size_t>(kBands[b])] : nullptr;
        if (finest != nullptr && !TryResizeUninitialised(finest->symbols, needed))
            return std::nullopt;
        std::size_t symbolCount = 0;
        const TimeStamp entropyStart = Now();
        position =
            ReadBand(in, position, entry, alphabetExtra, finest != nullptr ? finest->symbols : symbols, symbolCount);
        entropySeconds_ += ElapsedSeconds(entropyStart, Now());
        if (finest != nullptr) {
            finest->count = symbolCount;
            KeepFinestBand(rect, n, kBands[b]);
        } else {
            PlaceBand(&At(rect.row, rect.column), planeStride_, rect, entry, n, kBands[b],
                      std::span(symbols).first(symbolCount));
            if (keepsRootsPacked && !KeepRootsPacked(kBands[b]))
                return std::nullopt;
        }
    }
    // The buffer is of no more use once no level after this one reads into
    // it: after the finest coded one, or before a finest one kept in its
    // quadrants.
    if (n >= finest || (finestInRows_ && n + 1 == levels_))
        Release(symbolBuffer_);
    return position;
}

bool CodecComponent::ReconstructLevel(int n)
{
    if (n < 0 || n > levels_)
        return true;
    const int finest = FinestCodedLevel();
    const TimeStamp transformStart = Now();
    if (n == 0) {
        Dequantise(LowPassBand(), 3 * levels_);
    } else if (finestInRows_ && (n == levels_ || n > finest)) {
        // Its rows are made as they are asked for.
        if (n == levels_) {
            Release(inverseTemporary_);
            Release(symbolBuffer_);
            for (auto& flags : treeFlags_)
                Release(flags);
        }
    } else {
        if (n <= finest)
            for (const Band band : kBands)
                Dequantise(Subband(n, band), Entry(n, band));
        const int rows = height_ >> (levels_ - n);
        const int columns = width_ >> (levels_ - n);
        // One temporary of the finest level's size serves every level, so
        // no level pays for fresh memory; it is freed after the last one.
        try {
            inverseTemporary_.reserve(plane_.size());
        } catch (const std::bad_alloc&) {
            return false;
        }
        const bool inverted = n > finest ? InverseLevelDiscarded(plane_, planeStride_, rows, columns, inverseTemporary_)
                                         : InverseLevel(plane_, planeStride_, rows, columns, inverseTemporary_);
        if (!inverted) {
            Release(inverseTemporary_);
            return false;
        }
        if (n == levels_) { // the last level is done
            Release(inverseTemporary_);
            Release(symbolBuffer_);
            for (auto& flags : treeFlags_)
                Release(flags);
        }
    }
    transformSeconds_ += ElapsedSeconds(transformStart, Now());
    return true;
}

} // namespace tamr
