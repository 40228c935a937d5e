#pragma once
// The variable-code-size LZW decoding of a GIF image's pixel codes: codes of 3
// to 12 bits, least significant bit first, carried in data sub-blocks.

#include <array>
#include <cstdint>

#include "platform/ByteReader.h"

namespace tamr {

// Reads the code stream's bits from the data sub-blocks that follow the LZW
// minimum code size byte. A sub-block that claims more bytes than the input
// holds ends with the input.
class GifCodeReader {
public:
    explicit GifCodeReader(ByteReader& reader) : reader_(reader) {}

    // The next code of the given size, or -1 once the data has run out.
    int Read(int codeSize);

private:
    bool NextByte(std::uint8_t& byte);

    ByteReader& reader_;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    std::size_t blockLeft_ = 0;
    bool ended_ = false; // the empty sub-block (or the input's end) was reached
};

class GifLzwDecoder {
public:
    static constexpr int kDataEnded = -1;    // the code stream ran out of bits
    static constexpr int kEndCode = -2;      // the stream's end code was read
    static constexpr int kCorruptCodes = -3; // an undefined code or a looping chain
    static constexpr int kMaxCodes = 4096;

    // Minimum code sizes that can describe pixels of at most 8 bits.
    static bool ValidCodeSize(int minimumCodeSize) { return minimumCodeSize >= 2 && minimumCodeSize <= 8; }

    // reader stands at the first data sub-block; minimumCodeSize must be valid.
    GifLzwDecoder(ByteReader& reader, int minimumCodeSize);

    // The next pixel value (below 2^minimumCodeSize), or one of the negative
    // end values above. Once an end value is returned, every later call returns
    // it again without reading further.
    int Next();

private:
    void ResetTable();
    // Reads the first code after the start or a clear code.
    int ReadFirstCode();
    bool Push(std::uint8_t value);

    GifCodeReader codes_;
    int minimumCodeSize_;
    int codeSize_ = 0;
    int clearCode_ = 0;
    int endCode_ = 0;
    int nextFreeCode_ = 0;
    int sizeLimit_ = 0;
    int firstCode_ = 0;
    int previousCode_ = 0;
    bool atFirstCode_ = true;
    int finished_ = 0; // the end value once decoding has stopped, else 0
    std::array<std::uint16_t, kMaxCodes> prefix_{};
    std::array<std::uint8_t, kMaxCodes> suffix_{};
    // A code's string is at most kMaxCodes long; the code equal to the next
    // free code pushes one value more.
    std::array<std::uint8_t, kMaxCodes + 1> stack_{};
    int stackSize_ = 0;
};

} // namespace tamr
