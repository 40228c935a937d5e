#pragma once
// Adaptive arithmetic coder: a 16-bit integer range coder with follow bits and
// an adaptive frequency model that keeps its symbols ordered by frequency.
// Renormalisation moves all its bits in one step, the interval bounds are
// divided through a table of reciprocals, the decoder's model search counts
// groups of entries and large alphabets keep their cumulative frequencies in
// a two-level table; the bytes and symbols are those of the plain bit-by-bit
// coder.
// Every stream starts from a fresh model, ends with an end symbol and is
// flushed to a whole byte; bits are packed least significant bit first.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tamr {

class ArithmeticCoder {
public:
    static constexpr int kMaxAlphabet = 1024;

    // Codes the signed bytes as one stream over `alphabetSize` symbols (1..1024)
    // into `out`. Returns the number of bytes written, or nothing when the stream
    // would not fit into `out` (nothing past out.end() is ever written).
    std::optional<std::size_t> EncodeBlock(std::span<std::uint8_t> out, std::span<const std::int8_t> symbols,
                                           int alphabetSize);

    struct Decoded {
        std::size_t inputUsed = 0;   // position just after the stream's last byte
        std::size_t symbolCount = 0; // data symbols written to the output
        bool endSeen = false;        // false: the output filled before the end symbol
    };

    // Decodes one stream over `alphabetSize` symbols from `in`, writing one byte
    // per data symbol, until the end symbol or until `out` is full. Reads past
    // the input's end yield zero bits, so corrupt data always terminates.
    Decoded DecodeBlock(std::span<const std::uint8_t> in, std::span<std::int8_t> out, int alphabetSize);

    // How the last EncodeBlock ended: its end mark, its length in bits and the
    // termination count (0 means the end symbol left exactly end mark + 15 bits).
    struct StreamEnd {
        long endMark = 0;
        long bits = 0;
        long termination = 0;
    };
    const StreamEnd& LastStreamEnd() const { return lastStreamEnd_; }

    // Offset between signed bytes and data values for an alphabet size.
    static int ByteOffset(int alphabetSize) { return alphabetSize % 2 == 1 ? alphabetSize / 2 : alphabetSize / 2 - 1; }

private:
    void SetUpModel(int alphabetSize);
    void UpdateModel(int index);
    // The model's cumulative frequency of `index` (of the indices above it)
    // and of all, and the first index whose cumulative frequency is at most
    // `target`, with that frequency in `cumAt`.
    int CumulativeAt(int index) const;
    int Total() const { return useTable_ ? total_ : cumFreq_[0]; }
    int FindIndex(int target, int& cumAt) const;
    void BuildTable();

    static constexpr int kSearchGroup = 8;
    // From this alphabet size on (the lossless one: raw bytes, whose ranks
    // spread wide) the cumulative frequencies are kept in two levels: blocks
    // of kBlock indices, the frequencies above each block, and within a block
    // those above each index. A cumulative frequency is one sum; an update
    // and a search touch one block and the list of blocks, in fixed-width
    // loops that run on vector registers.
    static constexpr int kTableAlphabet = 257;
    static constexpr int kBlock = 16;
    static constexpr int kBlockGroup = 8; // the list of blocks is walked in groups of this many
    static constexpr int kBlocks =
        ((kMaxAlphabet + 2 + kBlock - 1) / kBlock + kBlockGroup - 1) / kBlockGroup * kBlockGroup;

    StreamEnd lastStreamEnd_;
    int symbolCount_ = kMaxAlphabet; // n
    int endSymbol_ = kMaxAlphabet + 1;
    int increment_ = 10;
    std::array<int, kMaxAlphabet> charToIndex_{};
    std::array<int, kMaxAlphabet + 2> indexToChar_{};
    std::array<int, kMaxAlphabet + 2> freq_{};
    std::array<int, kMaxAlphabet + 2 + kSearchGroup> cumFreq_{}; // zeros past the end symbol
    // The cumulative frequency of index i is blockAbove_[i / kBlock] + within_[i]:
    // the frequencies of the indices in later blocks and of the later indices
    // in its own block. Both are 0 past the end symbol.
    alignas(32) std::array<int, kBlocks> blockAbove_{};
    alignas(32) std::array<int, kBlocks * kBlock> within_{};
    int total_ = 0;
    int blockSpan_ = 0; // the blocks in use, rounded up to whole groups
    bool useTable_ = false;
};

} // namespace tamr
