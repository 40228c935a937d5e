#include "platform/ByteReader.h"

#include <algorithm>

namespace tamr {

std::uint8_t ByteReader::U8()
{
    if (position_ >= bytes_.size()) {
        overran_ = true;
        return 0;
    }
    return bytes_[position_++];
}

std::uint16_t ByteReader::U16()
{
    const std::uint16_t low = U8();
    const std::uint16_t high = U8();
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint32_t ByteReader::U32()
{
    const std::uint32_t low = U16();
    const std::uint32_t high = U16();
    return low | (high << 16);
}

std::size_t ByteReader::ReadBytes(std::span<std::uint8_t> target)
{
    const auto source = Take(target.size());
    std::copy(source.begin(), source.end(), target.begin());
    return source.size();
}

std::span<const std::uint8_t> ByteReader::Take(std::size_t count)
{
    const std::size_t available = std::min(count, Remaining());
    if (available < count)
        overran_ = true;
    const auto result = bytes_.subspan(std::min(position_, bytes_.size()), available);
    position_ += available;
    return result;
}

void ByteReader::Skip(std::size_t count)
{
    Take(count);
}

void ByteReader::Seek(std::size_t position)
{
    if (position > bytes_.size()) {
        overran_ = true;
        position_ = bytes_.size();
        return;
    }
    position_ = position;
}

} // namespace tamr
