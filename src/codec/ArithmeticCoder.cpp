#include "codec/ArithmeticCoder.h"

#include <algorithm>

namespace tamr {

namespace {

constexpr int kTopValue = 0xFFFF;
constexpr int kFirstQuarter = 0x4000;
constexpr int kHalf = 0x8000;
constexpr int kThirdQuarter = 0xC000;
constexpr int kMaxFrequency = 8192;

// Collects bits least significant bit first into a caller's buffer and refuses
// to write past its end.
class BitSink {
public:
    explicit BitSink(std::span<std::uint8_t> out) : out_(out) {}

    void Put(int bit)
    {
        buffer_ >>= 1;
        if (bit)
            buffer_ |= 0x80;
        ++emitted_;
        if (--bitsToGo_ == 0) {
            WriteByte(buffer_);
            bitsToGo_ = 8;
        }
    }

    void PutWithFollow(int bit, int& bitsToFollow)
    {
        Put(bit);
        for (; bitsToFollow > 0; --bitsToFollow)
            Put(!bit);
    }

    void Flush()
    {
        if (bitsToGo_ < 8)
            WriteByte(buffer_ >> bitsToGo_);
    }

    long Emitted() const { return emitted_; }
    bool Overflowed() const { return overflowed_; }
    std::size_t Written() const { return written_; }

private:
    void WriteByte(int value)
    {
        if (written_ >= out_.size()) {
            overflowed_ = true;
            return;
        }
        out_[written_++] = static_cast<std::uint8_t>(value);
    }

    std::span<std::uint8_t> out_;
    std::size_t written_ = 0;
    int buffer_ = 0;
    int bitsToGo_ = 8;
    long emitted_ = 0;
    bool overflowed_ = false;
};

// Takes bits least significant bit first; past the input's end every bit is 0.
class BitSource {
public:
    explicit BitSource(std::span<const std::uint8_t> in) : in_(in) {}

    int Next()
    {
        if (bitsToGo_ == 0) {
            buffer_ = position_ < in_.size() ? in_[position_] : 0;
            ++position_;
            bitsToGo_ = 8;
        }
        const int bit = buffer_ & 1;
        buffer_ >>= 1;
        --bitsToGo_;
        return bit;
    }

private:
    std::span<const std::uint8_t> in_;
    std::size_t position_ = 0;
    int buffer_ = 0;
    int bitsToGo_ = 0;
};

// The interval arithmetic shared by encoder and decoder.
struct Interval {
    int low = 0;
    int high = kTopValue;

    void Narrow(int cumBelow, int cumAt, int total)
    {
        const int range = high - low + 1;
        high = low + (range * cumBelow) / total - 1;
        low = low + (range * cumAt) / total;
    }
};

// Counts the bits the encoder emits (or holds pending) while it renormalises,
// so that the decoder can tell exactly how long the encoder's stream was.
struct EncoderBitCount {
    long emitted = 0;
    long pending = 0;

    void Emit()
    {
        emitted += 1 + pending;
        pending = 0;
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
    for (int c = 0; c < symbolCount_; ++c) {
        charToIndex_[c] = c + 1;
        indexToChar_[c + 1] = c;
    }
    for (int i = 0; i <= symbolCount_ + 1; ++i) {
        freq_[i] = 1;
        cumFreq_[i] = symbolCount_ + 1 - i;
    }
    freq_[0] = 0;
}

void ArithmeticCoder::UpdateModel(int index)
{
    if (cumFreq_[0] >= kMaxFrequency) {
        int cum = 0;
        for (int i = symbolCount_ + 1; i >= 0; --i) {
            freq_[i] = (freq_[i] + 1) / 2;
            cumFreq_[i] = cum;
            cum += freq_[i];
        }
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
    for (int j = 0; j < i; ++j)
        cumFreq_[j] += increment_;
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
    int bitsToFollow = 0;

    auto encode = [&](int index) {
        interval.Narrow(cumFreq_[index - 1], cumFreq_[index], cumFreq_[0]);
        for (;;) {
            if (interval.high < kHalf) {
                sink.PutWithFollow(0, bitsToFollow);
            } else if (interval.low >= kHalf) {
                sink.PutWithFollow(1, bitsToFollow);
                interval.low -= kHalf;
                interval.high -= kHalf;
            } else if (interval.low >= kFirstQuarter && interval.high < kThirdQuarter) {
                ++bitsToFollow;
                interval.low -= kFirstQuarter;
                interval.high -= kFirstQuarter;
            } else {
                break;
            }
            interval.low = 2 * interval.low;
            interval.high = 2 * interval.high + 1;
        }
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
    bitsToFollow = static_cast<int>(termination);
    if (bitsToFollow > 0)
        sink.PutWithFollow(interval.low >= kFirstQuarter ? 1 : 0, bitsToFollow);
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
    int value = 0;
    for (int i = 0; i < 16; ++i)
        value = 2 * value + source.Next();
    long bitsRead = 16;
    Interval interval;
    EncoderBitCount encoder;

    // Renormalises as the encoder did; `track` shifts the code window too.
    auto renormalise = [&](bool track) {
        for (;;) {
            int subtract = 0;
            if (interval.high < kHalf) {
                encoder.Emit();
            } else if (interval.low >= kHalf) {
                encoder.Emit();
                subtract = kHalf;
            } else if (interval.low >= kFirstQuarter && interval.high < kThirdQuarter) {
                ++encoder.pending;
                subtract = kFirstQuarter;
            } else {
                break;
            }
            interval.low = 2 * (interval.low - subtract);
            interval.high = 2 * (interval.high - subtract) + 1;
            if (track) {
                value = 2 * (value - subtract) + source.Next();
                ++bitsRead;
            }
        }
    };

    for (;;) {
        const int range = interval.high - interval.low + 1;
        const int target = ((value - interval.low + 1) * cumFreq_[0] - 1) / range;
        int index = 1;
        while (index < endSymbol_ && cumFreq_[index] > target)
            ++index;

        if (index == endSymbol_) {
            const long endMark = encoder.emitted + encoder.pending;
            interval.Narrow(cumFreq_[index - 1], cumFreq_[index], cumFreq_[0]);
            renormalise(false);
            const long bits = StreamBits(endMark, encoder.emitted);
            result.inputUsed = std::min(in.size(), static_cast<std::size_t>((bits + 7) / 8));
            result.endSeen = true;
            return result;
        }
        if (result.symbolCount == out.size())
            break; // more symbols than the caller expects: corrupt data

        interval.Narrow(cumFreq_[index - 1], cumFreq_[index], cumFreq_[0]);
        renormalise(true);
        out[result.symbolCount++] = static_cast<std::int8_t>(static_cast<std::uint8_t>(indexToChar_[index] - offset));
        UpdateModel(index);
    }
    result.inputUsed = std::min(in.size(), static_cast<std::size_t>((bitsRead + 7) / 8));
    return result;
}

} // namespace tamr
