#include "codec/CodecComponent.h"

#include <algorithm>
#include <cstdlib>

#include "codec/WaveletTransform.h"
#include "platform/ByteBlock.h"
#include "platform/ByteReader.h"
#include "platform/Clock.h"

namespace tamr {

namespace {

constexpr std::uint8_t kEndMarker[3] = {'c', 'o', 'd'};
constexpr std::size_t kSubbandHeaderBytes = 6;
constexpr Band kBands[3] = {Band::V, Band::H, Band::D};

// A coefficient truncated towards zero to a 16-bit integer.
std::int16_t Truncate16(float value)
{
    return static_cast<std::int16_t>(static_cast<int>(value));
}

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

bool CodecComponent::Size(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels)
{
    sampleLevels_ = sampleLevels;
    width_ = paddedWidth >> sampleLevels;
    height_ = paddedHeight >> sampleLevels;
    levels_ = totalLevels - sampleLevels;
    levelBytes_.fill(0);
    return TryResize(plane_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
}

bool CodecComponent::SizeForEncoding(int paddedWidth, int paddedHeight, int totalLevels, int sampleLevels)
{
    nonZeroBefore_ = 0;
    nonZeroAfter_ = 0;
    return Size(paddedWidth, paddedHeight, totalLevels, sampleLevels);
}

void CodecComponent::SetCodedLevels(int discardLevels, int sampleLevels)
{
    discardLevels_ = discardLevels;
    sampleLevels_ = sampleLevels;
}

bool CodecComponent::SizeForDecoding(int paddedWidth, int paddedHeight, int totalLevels)
{
    transformSeconds_ = 0;
    entropySeconds_ = 0;
    return Size(paddedWidth, paddedHeight, totalLevels, sampleLevels_);
}

void CodecComponent::ReleasePlane()
{
    plane_ = {};
    inverseTemporary_ = {};
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
    std::vector<float> values;
    std::vector<float> lineBuffer;
    if (!TryResize(values, plane_.size()))
        return false;
    std::copy(plane_.begin(), plane_.end(), values.begin());

    for (int k = 0; k < levels_; ++k) {
        if (!ForwardLevel(values, static_cast<std::size_t>(width_), height_ >> k, width_ >> k, lineBuffer))
            return false;
        ThresholdLevel(values, k);
    }
    for (int k = 0; k < levels_; ++k) {
        const int n = levels_ - k;
        for (const Band band : kBands)
            QuantiseBand(values, Subband(n, band), Entry(n, band));
    }
    QuantiseBand(values, LowPassBand(), 3 * levels_);
    MarkZerotrees();
    return true;
}

void CodecComponent::ThresholdLevel(std::span<float> values, int k)
{
    const int rows = height_ >> k;
    const int columns = width_ >> k;
    const int lowRows = height_ >> (k + 1);
    const int lowColumns = width_ >> (k + 1);
    const int threshold = threshold_[static_cast<std::size_t>(k)];
    for (int y = 0; y < rows; ++y) {
        float* row = values.data() + static_cast<std::size_t>(y) * width_;
        for (int x = (y < lowRows ? lowColumns : 0); x < columns; ++x) {
            const int t = Truncate16(row[x]);
            if (t == 0)
                continue;
            ++nonZeroBefore_;
            if (std::abs(t) < threshold)
                row[x] = 0.0f;
        }
    }
}

void CodecComponent::QuantiseBand(std::span<const float> values, const SubbandRect& rect, int entry)
{
    int max = -30000;
    int min = 30000;
    for (int y = rect.row; y < rect.row + rect.rows; ++y) {
        for (int x = rect.column; x < rect.column + rect.columns; ++x) {
            const int t = Truncate16(values[static_cast<std::size_t>(y) * width_ + x]);
            max = std::max(max, t);
            min = std::min(min, t);
        }
    }
    // Symmetrise the range around zero, shrinking Q when the band is narrower than Q.
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

    const float positiveScale = max == 0 ? 0.0f : static_cast<float>(q) / static_cast<float>(max);
    const float negativeScale = min == 0 ? 0.0f : static_cast<float>(-q) / static_cast<float>(min);
    for (int y = rect.row; y < rect.row + rect.rows; ++y) {
        for (int x = rect.column; x < rect.column + rect.columns; ++x) {
            const float v = values[static_cast<std::size_t>(y) * width_ + x];
            const int t = Truncate16(v);
            int symbol = 0;
            // Truncating (x + 0.5) is the quantiser's rounding, part of the coded format.
            if (t != 0 && v > 0)
                // NOLINTNEXTLINE(bugprone-incorrect-roundings)
                symbol = static_cast<int>(static_cast<double>(t) * static_cast<double>(positiveScale) + 0.5);
            else if (t != 0 && v < 0)
                symbol = static_cast<int>(static_cast<double>(t) * static_cast<double>(negativeScale) - 0.5);
            At(y, x) = static_cast<std::int16_t>(symbol);
        }
    }
}

bool CodecComponent::DescendantsAreZero(int n, int y, int x) const
{
    const int finest = FinestCodedLevel();
    for (int m = n + 1; m <= finest; ++m) {
        const int shift = m - n;
        const int size = 1 << shift;
        for (int dy = 0; dy < size; ++dy)
            for (int dx = 0; dx < size; ++dx)
                if (At((y << shift) + dy, (x << shift) + dx) != 0)
                    return false;
    }
    return true;
}

void CodecComponent::MarkDescendants(int n, int y, int x)
{
    const int finest = FinestCodedLevel();
    for (int m = n + 1; m <= finest; ++m) {
        const int shift = m - n;
        const int size = 1 << shift;
        for (int dy = 0; dy < size; ++dy)
            for (int dx = 0; dx < size; ++dx)
                At((y << shift) + dy, (x << shift) + dx) = kSkipMark;
    }
}

void CodecComponent::MarkZerotrees()
{
    const int finest = FinestCodedLevel();
    if (finest < 2)
        return;
    for (int n = 1; n < finest; ++n) {
        for (const Band band : kBands) {
            const auto root = static_cast<std::int16_t>(q_[static_cast<std::size_t>(Entry(n, band))] + 1);
            const SubbandRect rect = Subband(n, band);
            for (int y = rect.row; y < rect.row + rect.rows; ++y) {
                for (int x = rect.column; x < rect.column + rect.columns; ++x) {
                    if (At(y, x) == 0 && DescendantsAreZero(n, y, x)) {
                        At(y, x) = root;
                        MarkDescendants(n, y, x);
                    }
                }
            }
        }
    }
}

std::optional<std::size_t> CodecComponent::EncodeBand(std::span<std::uint8_t> out, std::size_t position,
                                                      const SubbandRect& rect, int entry, int alphabetExtra,
                                                      std::vector<std::int8_t>& symbols)
{
    const int q = q_[static_cast<std::size_t>(entry)];
    if (q < 0 || q > kMaxCodedQ)
        return std::nullopt; // such symbols cannot be told from the skip mark
    symbols.clear();
    for (int y = rect.row; y < rect.row + rect.rows; ++y)
        for (int x = rect.column; x < rect.column + rect.columns; ++x)
            if (At(y, x) != kSkipMark)
                symbols.push_back(static_cast<std::int8_t>(At(y, x)));

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
    std::vector<std::int8_t> symbols;
    try {
        const SubbandRect largest = n == 0 ? LowPassBand() : Subband(n, Band::V);
        symbols.reserve(static_cast<std::size_t>(largest.rows) * static_cast<std::size_t>(largest.columns));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const std::size_t start = position;
    if (n == 0) {
        const auto next = EncodeBand(out, position, LowPassBand(), 3 * levels_, 1, symbols);
        if (!next)
            return std::nullopt;
        position = *next;
    } else {
        for (const Band band : kBands) {
            const auto next = EncodeBand(out, position, Subband(n, band), Entry(n, band), n < finest ? 2 : 1, symbols);
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
                                     int alphabetExtra, std::vector<std::int8_t>& symbols, std::size_t& symbolCount)
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

// Puts the decoded symbols into the subband in row-major order: skip marks take
// no symbol and become 0, and a zerotree root marks its descendants.
void CodecComponent::PlaceBand(const SubbandRect& rect, int entry, int n, std::span<const std::int8_t> symbols)
{
    const int finest = FinestCodedLevel();
    const int zerotreeRoot = q_[static_cast<std::size_t>(entry)] + 1;
    std::size_t next = 0;
    for (int y = rect.row; y < rect.row + rect.rows; ++y) {
        for (int x = rect.column; x < rect.column + rect.columns; ++x) {
            if (At(y, x) == kSkipMark) {
                At(y, x) = 0;
                continue;
            }
            const int v = next < symbols.size() ? symbols[next] : 0;
            ++next;
            if (n >= 1 && v == zerotreeRoot) {
                At(y, x) = 0;
                if (n < finest)
                    MarkDescendants(n, y, x);
            } else {
                At(y, x) = static_cast<std::int16_t>(v);
            }
        }
    }
}

void CodecComponent::Dequantise(const SubbandRect& rect, int entry)
{
    const int q = q_[static_cast<std::size_t>(entry)];
    const float positiveStep =
        q == 0 ? 0.0f : static_cast<float>(max_[static_cast<std::size_t>(entry)]) / static_cast<float>(q);
    const float negativeStep =
        q == 0 ? 0.0f : static_cast<float>(min_[static_cast<std::size_t>(entry)]) / static_cast<float>(-q);
    for (int y = rect.row; y < rect.row + rect.rows; ++y) {
        for (int x = rect.column; x < rect.column + rect.columns; ++x) {
            const int s = At(y, x);
            int value = 0;
            if (s > 0)
                value = static_cast<int>(positiveStep * static_cast<float>(s));
            else if (s < 0)
                value = static_cast<int>(negativeStep * static_cast<float>(s));
            if (value != 0)
                ++nonZeroAfter_;
            At(y, x) = static_cast<std::int16_t>(value);
        }
    }
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
    std::vector<std::int8_t> symbols;
    try {
        const SubbandRect largest = n == 0 ? LowPassBand() : Subband(n, Band::V);
        symbols.resize(static_cast<std::size_t>(largest.rows) * static_cast<std::size_t>(largest.columns));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }

    // Only reading the header, the stream and the end marker counts as entropy decoding.
    for (int b = 0; b < bandCount; ++b) {
        const SubbandRect rect = n == 0 ? LowPassBand() : Subband(n, kBands[b]);
        const int entry = n == 0 ? 3 * levels_ : Entry(n, kBands[b]);
        std::size_t symbolCount = 0;
        const TimeStamp entropyStart = Now();
        position = ReadBand(in, position, entry, alphabetExtra, symbols, symbolCount);
        entropySeconds_ += ElapsedSeconds(entropyStart, Now());
        PlaceBand(rect, entry, n, std::span(symbols).first(symbolCount));
    }
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
    } else {
        if (n <= finest)
            for (const Band band : kBands)
                Dequantise(Subband(n, band), Entry(n, band));
        const int rows = height_ >> (levels_ - n);
        const int columns = width_ >> (levels_ - n);
        const bool inverted =
            n > finest
                ? InverseLevelDiscarded(plane_, static_cast<std::size_t>(width_), rows, columns, inverseTemporary_)
                : InverseLevel(plane_, static_cast<std::size_t>(width_), rows, columns, inverseTemporary_);
        if (!inverted)
            return false;
        if (n == levels_)
            inverseTemporary_ = {}; // the last level is done: give the memory back
    }
    transformSeconds_ += ElapsedSeconds(transformStart, Now());
    return true;
}

} // namespace tamr
