#include "image/GifLzwDecoder.h"

namespace tamr {

bool GifCodeReader::NextByte(std::uint8_t& byte)
{
    while (blockLeft_ == 0) {
        if (ended_ || reader_.Remaining() == 0) {
            ended_ = true;
            return false;
        }
        blockLeft_ = reader_.U8();
        if (blockLeft_ == 0) {
            ended_ = true;
            return false;
        }
    }
    if (reader_.Remaining() == 0) { // the sub-block runs past the input
        ended_ = true;
        blockLeft_ = 0;
        return false;
    }
    byte = reader_.U8();
    --blockLeft_;
    return true;
}

int GifCodeReader::Read(int codeSize)
{
    while (bitCount_ < codeSize) {
        std::uint8_t byte = 0;
        if (!NextByte(byte))
            return -1;
        bits_ |= std::uint32_t{byte} << bitCount_;
        bitCount_ += 8;
    }
    const int code = static_cast<int>(bits_ & ((1u << codeSize) - 1));
    bits_ >>= codeSize;
    bitCount_ -= codeSize;
    return code;
}

GifLzwDecoder::GifLzwDecoder(ByteReader& reader, int minimumCodeSize)
    : codes_(reader), minimumCodeSize_(minimumCodeSize)
{
    clearCode_ = 1 << minimumCodeSize_;
    endCode_ = clearCode_ + 1;
    ResetTable();
}

void GifLzwDecoder::ResetTable()
{
    prefix_.fill(0);
    suffix_.fill(0);
    for (int i = 0; i < clearCode_; ++i)
        suffix_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    codeSize_ = minimumCodeSize_ + 1;
    sizeLimit_ = 2 * clearCode_;
    nextFreeCode_ = clearCode_ + 2;
    stackSize_ = 0;
    atFirstCode_ = true;
}

int GifLzwDecoder::ReadFirstCode()
{
    // Clear codes in a row clear nothing more.
    int code = codes_.Read(codeSize_);
    while (code == clearCode_)
        code = codes_.Read(codeSize_);
    if (code < 0)
        return kDataEnded;
    if (code == endCode_)
        return kEndCode;
    // With an empty table only the literal codes mean anything.
    if (code > endCode_)
        return kCorruptCodes;
    firstCode_ = code;
    previousCode_ = code;
    atFirstCode_ = false;
    return code;
}

bool GifLzwDecoder::Push(std::uint8_t value)
{
    if (stackSize_ >= static_cast<int>(stack_.size()))
        return false;
    stack_[static_cast<std::size_t>(stackSize_++)] = value;
    return true;
}

int GifLzwDecoder::Next()
{
    if (finished_ != 0)
        return finished_;
    auto finish = [this](int endValue) {
        finished_ = endValue;
        return endValue;
    };

    if (stackSize_ > 0)
        return stack_[static_cast<std::size_t>(--stackSize_)];
    if (atFirstCode_) {
        const int first = ReadFirstCode();
        return first < 0 ? finish(first) : first;
    }

    const int code = codes_.Read(codeSize_);
    if (code < 0)
        return finish(kDataEnded);
    if (code == clearCode_) {
        ResetTable();
        const int first = ReadFirstCode();
        return first < 0 ? finish(first) : first;
    }
    if (code == endCode_)
        return finish(kEndCode);

    // Unwind the code's string onto the stack, last value first. A code not
    // yet in the table (the next free one) is the previous string plus its own
    // first value.
    int walk = code;
    if (walk >= nextFreeCode_) {
        if (!Push(static_cast<std::uint8_t>(firstCode_)))
            return finish(kCorruptCodes);
        walk = previousCode_;
    }
    while (walk >= clearCode_) {
        // A corrupt table can chain in a circle; no true string is longer than the stack.
        if (!Push(suffix_[static_cast<std::size_t>(walk)]))
            return finish(kCorruptCodes);
        walk = prefix_[static_cast<std::size_t>(walk)];
    }
    firstCode_ = suffix_[static_cast<std::size_t>(walk)];
    if (!Push(static_cast<std::uint8_t>(firstCode_)))
        return finish(kCorruptCodes);

    if (nextFreeCode_ < kMaxCodes) {
        prefix_[static_cast<std::size_t>(nextFreeCode_)] = static_cast<std::uint16_t>(previousCode_);
        suffix_[static_cast<std::size_t>(nextFreeCode_)] = static_cast<std::uint8_t>(firstCode_);
        ++nextFreeCode_;
        if (nextFreeCode_ >= sizeLimit_ && sizeLimit_ < kMaxCodes) {
            sizeLimit_ *= 2;
            ++codeSize_;
        }
    }
    previousCode_ = code;
    return stack_[static_cast<std::size_t>(--stackSize_)];
}

} // namespace tamr
