#include "support/PlainArithmeticCoder.h"

#include <algorithm>

namespace tamr::test {
namespace {

constexpr int kTop = 0xFFFF;
constexpr int kQuarter = 0x4000;
constexpr int kHalf = 0x8000;
constexpr int kThreeQuarters = 0xC000;
constexpr int kMaxFrequency = 8192;

struct Model {
    explicit Model(int alphabetSize)
        : n(alphabetSize), end(alphabetSize + 1), increment(alphabetSize == 1 ? 1000 : 10),
          charToIndex(static_cast<std::size_t>(n)), indexToChar(static_cast<std::size_t>(n) + 2),
          freq(static_cast<std::size_t>(n) + 2, 1), cum(static_cast<std::size_t>(n) + 2)
    {
        for (int c = 0; c < n; ++c) {
            charToIndex[static_cast<std::size_t>(c)] = c + 1;
            indexToChar[static_cast<std::size_t>(c) + 1] = c;
        }
        for (int i = 0; i <= n + 1; ++i)
            cum[static_cast<std::size_t>(i)] = n + 1 - i;
        freq[0] = 0;
    }

    void Update(int index)
    {
        if (cum[0] >= kMaxFrequency) {
            int total = 0;
            for (int i = n + 1; i >= 0; --i) {
                freq[static_cast<std::size_t>(i)] = (freq[static_cast<std::size_t>(i)] + 1) / 2;
                cum[static_cast<std::size_t>(i)] = total;
                total += freq[static_cast<std::size_t>(i)];
            }
        }
        int i = index;
        while (freq[static_cast<std::size_t>(i)] == freq[static_cast<std::size_t>(i) - 1])
            --i;
        if (i < index) {
            const int a = indexToChar[static_cast<std::size_t>(i)];
            const int b = indexToChar[static_cast<std::size_t>(index)];
            indexToChar[static_cast<std::size_t>(i)] = b;
            indexToChar[static_cast<std::size_t>(index)] = a;
            charToIndex[static_cast<std::size_t>(a)] = index;
            charToIndex[static_cast<std::size_t>(b)] = i;
        }
        freq[static_cast<std::size_t>(i)] += increment;
        for (int j = 0; j < i; ++j)
            cum[static_cast<std::size_t>(j)] += increment;
    }

    int n;
    int end;
    int increment;
    std::vector<int> charToIndex;
    std::vector<int> indexToChar;
    std::vector<int> freq;
    std::vector<int> cum;
};

struct Coder {
    int low = 0;
    int high = kTop;

    void Narrow(const Model& model, int index)
    {
        const int range = high - low + 1;
        high = low + (range * model.cum[static_cast<std::size_t>(index) - 1]) / model.cum[0] - 1;
        low = low + (range * model.cum[static_cast<std::size_t>(index)]) / model.cum[0];
    }
};

struct Bits {
    std::vector<std::uint8_t> bytes;
    int buffer = 0;
    int count = 0;
    long emitted = 0;

    void Put(int bit)
    {
        buffer |= bit << count;
        ++emitted;
        if (++count == 8) {
            bytes.push_back(static_cast<std::uint8_t>(buffer));
            buffer = 0;
            count = 0;
        }
    }
    void PutWithFollow(int bit, long& follow)
    {
        Put(bit);
        for (; follow > 0; --follow)
            Put(1 - bit);
    }
};

} // namespace

PlainEncoded PlainEncode(std::span<const std::int8_t> symbols, int alphabetSize)
{
    Model model(alphabetSize);
    const int offset = alphabetSize % 2 == 1 ? alphabetSize / 2 : alphabetSize / 2 - 1;
    Coder coder;
    Bits bits;
    long follow = 0;
    const auto encode = [&](int index) {
        coder.Narrow(model, index);
        for (;;) {
            if (coder.high < kHalf) {
                bits.PutWithFollow(0, follow);
            } else if (coder.low >= kHalf) {
                bits.PutWithFollow(1, follow);
                coder.low -= kHalf;
                coder.high -= kHalf;
            } else if (coder.low >= kQuarter && coder.high < kThreeQuarters) {
                ++follow;
                coder.low -= kQuarter;
                coder.high -= kQuarter;
            } else {
                break;
            }
            coder.low = 2 * coder.low;
            coder.high = 2 * coder.high + 1;
        }
    };
    for (const std::int8_t symbol : symbols) {
        const int index = model.charToIndex[static_cast<std::size_t>(symbol + offset)];
        encode(index);
        model.Update(index);
    }
    PlainEncoded result;
    result.endMark = follow + bits.emitted;
    encode(model.end);
    result.termination = result.endMark + 15 - bits.emitted;
    follow = result.termination;
    if (follow > 0)
        bits.PutWithFollow(coder.low >= kQuarter ? 1 : 0, follow);
    result.bits = bits.emitted;
    if (bits.count > 0)
        bits.bytes.push_back(static_cast<std::uint8_t>(bits.buffer));
    result.bytes = std::move(bits.bytes);
    return result;
}

PlainDecoded PlainDecode(std::span<const std::uint8_t> in, std::size_t limit, int alphabetSize)
{
    Model model(alphabetSize);
    const int offset = alphabetSize % 2 == 1 ? alphabetSize / 2 : alphabetSize / 2 - 1;
    long read = 0;
    const auto next = [&] {
        const auto byte = static_cast<std::size_t>(read / 8);
        const int bit = byte < in.size() ? (in[byte] >> (read % 8)) & 1 : 0;
        ++read;
        return bit;
    };
    int value = 0;
    for (int i = 0; i < 16; ++i)
        value = 2 * value + next();
    Coder coder;
    long emitted = 0;
    long pending = 0;
    const auto renormalise = [&](bool track) {
        for (;;) {
            int subtract = 0;
            if (coder.high < kHalf) {
                emitted += 1 + pending;
                pending = 0;
            } else if (coder.low >= kHalf) {
                emitted += 1 + pending;
                pending = 0;
                subtract = kHalf;
            } else if (coder.low >= kQuarter && coder.high < kThreeQuarters) {
                ++pending;
                subtract = kQuarter;
            } else {
                break;
            }
            coder.low = 2 * (coder.low - subtract);
            coder.high = 2 * (coder.high - subtract) + 1;
            if (track)
                value = 2 * (value - subtract) + next();
        }
    };
    PlainDecoded result;
    for (;;) {
        const int range = coder.high - coder.low + 1;
        const int target = ((value - coder.low + 1) * model.cum[0] - 1) / range;
        int index = 1;
        while (index < model.end && model.cum[static_cast<std::size_t>(index)] > target)
            ++index;
        if (index == model.end) {
            const long endMark = emitted + pending;
            coder.Narrow(model, index);
            renormalise(false);
            const long termination = endMark + 15 - emitted;
            const long bits = termination > 0 ? endMark + 16 : emitted;
            result.inputUsed = std::min(in.size(), static_cast<std::size_t>((bits + 7) / 8));
            result.endSeen = true;
            return result;
        }
        if (result.symbols.size() == limit)
            break;
        coder.Narrow(model, index);
        renormalise(true);
        result.symbols.push_back(static_cast<std::int8_t>(
            static_cast<std::uint8_t>(model.indexToChar[static_cast<std::size_t>(index)] - offset)));
        model.Update(index);
    }
    result.inputUsed = std::min(in.size(), static_cast<std::size_t>((read + 7) / 8));
    return result;
}

} // namespace tamr::test
