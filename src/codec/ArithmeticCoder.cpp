#include "codec/ArithmeticCoder.h"

#include <algorithm>
#include <bit>

namespace tamr {

namespace {

constexpr int kTopValue = 0xFFFF;
constexpr int kFirstQuarter = 0x4000;
constexpr int kHalf = 0x8000;
constexpr int kMaxFrequency = 8192;

// Bytes hold their bits least significant first; the coder makes and takes
// them most significant first, so every byte is mirrored on its way.
constexpr std::array<std::uint8_t, 256> kMirrored = [] {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        int mirrored = 0;
        for (int i = 0; i < 8; ++i)
            mirrored |= ((b >> i) & 1) << (7 - i);
        table[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(mirrored);
    }
    return table;
}();

// floor(n / d) as (n * kReciprocal[d]) >> kReciprocalShift, exact for every
// d below the table's size and every n up to 65536 * d: with m = ceil(2^44 / d)
// the error n * (m * d - 2^44) / (d * 2^44) stays below 1 / d because
// n * d < 2^44, and the product stays below 2^61. The model's total never
// exceeds kMaxFrequency plus the largest increment.
constexpr int kReciprocalShift = 44;
constexpr std::size_t kReciprocals = kMaxFrequency + 1024;
constexpr std::array<std::uint64_t, kReciprocals> kReciprocal = [] {
    std::array<std::uint64_t, kReciprocals> table{};
    for (std::uint64_t d = 1; d < kReciprocals; ++d)
        table[d] = ((std::uint64_t{1} << kReciprocalShift) + d - 1) / d;
    return table;
}();

// floor(range * cum / total) for range <= 65536 and cum <= total.
int ScaledBound(int range, int cum, int total)
{
    const auto product = static_cast<std::uint64_t>(range) * static_cast<std::uint64_t>(cum);
    if (static_cast<std::size_t>(total) < kReciprocals)
        return static_cast<int>((product * kReciprocal[static_cast<std::size_t>(total)]) >> kReciprocalShift);
    return static_cast<int>(product / static_cast<std::uint64_t>(total));
}

// Collects bits most significant first and writes them as bytes into a
// caller's buffer, refusing to write past its end.
class BitSink {
public:
    explicit BitSink(std::span<std::uint8_t> out) : out_(out) {}

    // The low `count` bits of `bits` (at most 32), the highest first.
    void Put(std::uint32_t bits, int count)
    {
        emitted_ += count;
        pending_ = (pending_ << count) | bits;
        pendingBits_ += count;
        while (pendingBits_ >= 8) {
            pendingBits_ -= 8;
            WriteByte(static_cast<std::uint8_t>(pending_ >> pendingBits_));
        }
    }

    // A bit followed by `follow` copies of its opposite.
    void PutWithFollow(int bit, long follow)
    {
        Put(static_cast<std::uint32_t>(bit), 1);
        const std::uint32_t opposite = bit != 0 ? 0 : 0xFFFFFFFFU;
        for (; follow >= 32; follow -= 32)
            Put(opposite, 32);
        if (follow > 0)
            Put(opposite & ((1U << follow) - 1), static_cast<int>(follow));
    }

    void Flush()
    {
        if (pendingBits_ > 0)
            WriteByte(static_cast<std::uint8_t>(pending_ << (8 - pendingBits_)));
    }

    long Emitted() const { return emitted_; }
    bool Overflowed() const { return overflowed_; }
    std::size_t Written() const { return written_; }

private:
    void WriteByte(std::uint8_t value)
    {
        if (written_ >= out_.size()) {
            overflowed_ = true;
            return;
        }
        out_[written_++] = kMirrored[value];
    }

    std::span<std::uint8_t> out_;
    std::size_t written_ = 0;
    std::uint64_t pending_ = 0; // only the low pendingBits_ bits are still to be written
    int pendingBits_ = 0;
    long emitted_ = 0;
    bool overflowed_ = false;
};

// Takes bits most significant first; past the input's end every bit is 0.
class BitSource {
public:
    explicit BitSource(std::span<const std::uint8_t> in) : in_(in) {}

    // The next `count` bits (1..16), the first of them highest.
    int Take(int count)
    {
        if (available_ < count)
            Refill();
        const auto bits = static_cast<int>(buffer_ >> (64 - count));
        buffer_ <<= count;
        available_ -= count;
        return bits;
    }

private:
    void Refill()
    {
        while (available_ <= 56) {
            const std::uint64_t byte = position_ < in_.size() ? kMirrored[in_[position_]] : 0;
            ++position_;
            buffer_ |= byte << (56 - available_);
            available_ += 8;
        }
    }

    std::span<const std::uint8_t> in_;
    std::size_t position_ = 0;
    std::uint64_t buffer_ = 0; // the next bits, from the top
    int available_ = 0;
};

// How the interval renormalises after narrowing, as one jump: `shifted` bits
// on which low and high agree leave it first (each a bit out), then `follow`
// bits where low is 01... and high 10... (each a pending bit). That is what
// doubling one bit at a time does: after the agreeing bits low and high differ
// in their top bit, so only pending bits can follow.
struct Renormalisation {
    int shifted = 0;
    int follow = 0;
};

struct Interval {
    int low = 0;
    int high = kTopValue;

    void Narrow(int cumBelow, int cumAt, int total)
    {
        const int range = high - low + 1;
        high = low + ScaledBound(range, cumBelow, total) - 1;
        low = low + ScaledBound(range, cumAt, total);
    }

    Renormalisation Renormalise()
    {
        Renormalisation step;
        auto l = static_cast<std::uint32_t>(low);
        auto h = static_cast<std::uint32_t>(high);
        step.shifted = std::countl_zero(((l ^ h) << 16) | 0x8000U);
        l = (l << step.shifted) & 0xFFFFU;
        h = ((h << step.shifted) | ((1U << step.shifted) - 1)) & 0xFFFFU;
        const std::uint32_t straddling = ~(l & ~h) & 0x7FFFU;
        step.follow = std::countl_zero((straddling << 17) | 0x10000U);
        l = (l << step.follow) & 0x7FFFU;
        h = (((h << step.follow) | ((1U << step.follow) - 1)) & 0x7FFFU) | 0x8000U;
        low = static_cast<int>(l);
        high = static_cast<int>(h);
        return step;
    }
};

// The bits the encoder had emitted (or held pending) at this point of the
// stream, so that the decoder can tell exactly how long the encoder's stream was.
struct EncoderBitCount {
    long emitted = 0;
    long pending = 0;

    void Add(const Renormalisation& step)
    {
        if (step.shifted > 0) {
            emitted += step.shifted + pending;
            pending = 0;
        }
        pending += step.follow;
    }
};

// The number of bits in a stream: a positive termination count pads it to
// end mark + 16; otherwise nothing more was emitted (with a count of 0 the
// stream is one bit shorter than the bits the decoder takes).
long StreamBits(long endMark, long emittedAfterEnd)
{
    const long termination = endMark + 15 - emittedAfterEnd;
    return termination > 0 ? endMark + 16 : emittedAfterEnd;
}

} // namespace

void ArithmeticCoder::SetUpModel(int alphabetSize)
{
    symbolCount_ = alphabetSize;
    endSymbol_ = alphabetSize + 1;
    increment_ = alphabetSize == 1 ? 1000 : 10;
    useTable_ = alphabetSize >= kTableAlphabet;
    for (int c = 0; c < symbolCount_; ++c) {
        charToIndex_[c] = c + 1;
        indexToChar_[c + 1] = c;
    }
    for (int i = 0; i <= symbolCount_ + 1; ++i) {
        freq_[i] = 1;
        cumFreq_[i] = symbolCount_ + 1 - i;
    }
    freq_[0] = 0;
    // The search reads whole groups past the end symbol: they count as 0.
    std::fill(cumFreq_.begin() + endSymbol_ + 1, cumFreq_.begin() + endSymbol_ + 1 + kSearchGroup, 0);
    if (useTable_)
        BuildTable();
}

void ArithmeticCoder::BuildTable()
{
    const int lastBlock = endSymbol_ / kBlock;
    blockAbove_.fill(0);
    within_.fill(0);
    int above = 0;
    for (int b = lastBlock; b >= 0; --b) {
        blockAbove_[b] = above;
        int inBlock = 0;
        for (int i = std::min(endSymbol_, b * kBlock + kBlock - 1); i >= b * kBlock; --i) {
            within_[i] = inBlock;
            inBlock += freq_[i];
        }
        above += inBlock;
    }
    total_ = above;
    blockSpan_ = (lastBlock + kBlockGroup) / kBlockGroup * kBlockGroup;
}

int ArithmeticCoder::CumulativeAt(int index) const
{
    if (!useTable_)
        return cumFreq_[index];
    return blockAbove_[index / kBlock] + within_[index];
}

void ArithmeticCoder::UpdateModel(int index)
{
    if (Total() >= kMaxFrequency) {
        int cum = 0;
        for (int i = symbolCount_ + 1; i >= 0; --i) {
            freq_[i] = (freq_[i] + 1) / 2;
            cumFreq_[i] = cum;
            cum += freq_[i];
        }
        if (useTable_)
            BuildTable();
    }
    int i = index;
    while (freq_[i] == freq_[i - 1])
        --i;
    if (i < index) {
        const int charAtI = indexToChar_[i];
        const int charAtIndex = indexToChar_[index];
        indexToChar_[i] = charAtIndex;
        indexToChar_[index] = charAtI;
        charToIndex_[charAtI] = index;
        charToIndex_[charAtIndex] = i;
    }
    freq_[i] += increment_;
    const int increment = increment_;
    if (useTable_) {
        // Every index before i gains the increment: those of i's block one by
        // one, the earlier blocks through their block sums.
        total_ += increment;
        const int block = i / kBlock;
        int* within = within_.data() + block * kBlock;
        const int before = i - block * kBlock;
        for (int j = 0; j < kBlock; ++j)
            within[j] += j < before ? increment : 0;
        int* blockAbove = blockAbove_.data();
        for (int j = 0; j < block; ++j)
            blockAbove[j] += increment;
        return;
    }
    int* cum = cumFreq_.data();
    for (int j = 0; j < i; ++j)
        cum[j] += increment;
}

// The first index from 1 on whose cumulative frequency is at most `target`.
// The cumulative frequencies fall with the index, so that is one more than
// the count of those above the target; groups are counted until one holds
// an index at or below it. In the two-level table the block sums fall too:
// the index lies in the block numbered by the count of blocks whose later
// blocks sum to more than the target, at the count of its indices whose
// cumulative frequency is still above the target.
int ArithmeticCoder::FindIndex(int target, int& cumAt) const
{
    if (useTable_) {
        int block = 0;
        for (int start = 0; start < blockSpan_; start += kBlockGroup)
            for (int j = 0; j < kBlockGroup; ++j)
                block += static_cast<int>(blockAbove_[start + j] > target);
        const int base = blockAbove_[block];
        const int rest = target - base;
        const int* within = within_.data() + block * kBlock;
        int above = 0;
        for (int j = 0; j < kBlock; ++j)
            above += static_cast<int>(within[j] > rest);
        const int index = block * kBlock + above;
        cumAt = base + within_[index];
        return index;
    }
    const int* cum = cumFreq_.data();
    for (int start = 1;; start += kSearchGroup) {
        int above = 0;
        for (int j = 0; j < kSearchGroup; ++j)
            above += static_cast<int>(cum[start + j] > target);
        if (above < kSearchGroup) {
            cumAt = cum[start + above];
            return start + above;
        }
    }
}

std::optional<std::size_t> ArithmeticCoder::EncodeBlock(std::span<std::uint8_t> out,
                                                        std::span<const std::int8_t> symbols, int alphabetSize)
{
    if (alphabetSize < 1 || alphabetSize > kMaxAlphabet)
        return std::nullopt;
    SetUpModel(alphabetSize);
    const int offset = ByteOffset(alphabetSize);
    BitSink sink(out);
    Interval interval;
    long bitsToFollow = 0;

    auto encode = [&](int index) {
        const int cumAt = CumulativeAt(index);
        interval.Narrow(cumAt + freq_[index], cumAt, Total());
        const int top = interval.low; // the agreeing bits are the top of the new low
        const Renormalisation step = interval.Renormalise();
        if (step.shifted > 0) {
            const int shift = 16 - step.shifted;
            const auto bits = static_cast<std::uint32_t>(top >> shift);
            sink.PutWithFollow(static_cast<int>(bits >> (step.shifted - 1)), bitsToFollow);
            bitsToFollow = 0;
            if (step.shifted > 1)
                sink.Put(bits & ((1U << (step.shifted - 1)) - 1), step.shifted - 1);
        }
        bitsToFollow += step.follow;
    };

    for (const std::int8_t symbol : symbols) {
        const int value = symbol + offset;
        if (value < 0 || value >= symbolCount_)
            return std::nullopt; // not a symbol of this alphabet
        const int index = charToIndex_[value];
        encode(index);
        UpdateModel(index);
        if (sink.Overflowed())
            return std::nullopt;
    }

    const long endMark = bitsToFollow + sink.Emitted();
    encode(endSymbol_);
    const long termination = endMark + 15 - sink.Emitted();
    if (termination > 0)
        sink.PutWithFollow(interval.low >= kFirstQuarter ? 1 : 0, termination);
    sink.Flush();
    lastStreamEnd_ = StreamEnd{endMark, sink.Emitted(), termination};
    if (sink.Overflowed())
        return std::nullopt;
    return sink.Written();
}

ArithmeticCoder::Decoded ArithmeticCoder::DecodeBlock(std::span<const std::uint8_t> in, std::span<std::int8_t> out,
                                                      int alphabetSize)
{
    Decoded result;
    if (alphabetSize < 1 || alphabetSize > kMaxAlphabet)
        return result;
    SetUpModel(alphabetSize);
    const int offset = ByteOffset(alphabetSize);
    BitSource source(in);
    int value = source.Take(16);
    long bitsRead = 16;
    Interval interval;
    EncoderBitCount encoder;

    for (;;) {
        const int range = interval.high - interval.low + 1;
        const int total = Total();
        const int target = ((value - interval.low + 1) * total - 1) / range;
        int cumAt = 0;
        const int index = FindIndex(target, cumAt);

        if (index == endSymbol_) {
            const long endMark = encoder.emitted + encoder.pending;
            interval.Narrow(cumAt + freq_[index], cumAt, total);
            encoder.Add(interval.Renormalise());
            const long bits = StreamBits(endMark, encoder.emitted);
            result.inputUsed = std::min(in.size(), static_cast<std::size_t>((bits + 7) / 8));
            result.endSeen = true;
            return result;
        }
        if (result.symbolCount == out.size())
            break; // more symbols than the caller expects: corrupt data

        interval.Narrow(cumAt + freq_[index], cumAt, total);
        const Renormalisation step = interval.Renormalise();
        encoder.Add(step);
        // The value stays inside the interval, so it shares the agreeing bits
        // and, in the pending steps, loses its second bit as low and high do.
        if (step.shifted > 0)
            value =
                static_cast<int>((static_cast<unsigned>(value) << step.shifted) & 0xFFFFU) | source.Take(step.shifted);
        if (step.follow > 0)
            value = (value & kHalf) | static_cast<int>((static_cast<unsigned>(value) << step.follow) & 0x7FFFU) |
                    source.Take(step.follow);
        bitsRead += step.shifted + step.follow;
        out[result.symbolCount++] = static_cast<std::int8_t>(static_cast<std::uint8_t>(indexToChar_[index] - offset));
        UpdateModel(index);
    }
    result.inputUsed = std::min(in.size(), static_cast<std::size_t>((bitsRead + 7) / 8));
    return result;
}

} // namespace tamr
