// The COD file: a fixed header, a per-level table, one section per component
// and the coded data block.

#include <algorithm>

#include "codec/WaveletCodec.h"
#include "platform/ByteBlock.h"
#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"

namespace tamr {

namespace {

constexpr int kLosslessHeaderSize = 25;

int SectionsEnd(int levels, bool colour)
{
    return 36 + 4 * levels + (colour ? 4 : 0);
}

} // namespace

int WaveletCodec::HeaderSize() const
{
    // A lossless file's header ends at byte 25; counting the wavelet sections
    // for it would overstate the compressed size.
    if (codingMethod_ == CodingMethod::Lossless)
        return kLosslessHeaderSize + extraLength_;
    return SectionsEnd(totalLevels_, colour_) + extraLength_;
}

FileParts WaveletCodec::CodFile() const
{
    FileParts file;
    ByteWriter writer(file.head);
    for (int i = 0; i < 8; ++i)
        writer.U8(static_cast<std::uint8_t>(fileMagic_[static_cast<std::size_t>(i)]));
    writer.U16(0); // header size, filled in below
    const auto coded = CodedData();
    writer.U32(static_cast<std::uint32_t>(coded.size()));
    writer.U16(0); // extra length
    writer.U16(static_cast<std::uint16_t>(width_));
    writer.U16(static_cast<std::uint16_t>(height_));
    writer.I8(static_cast<std::int8_t>(bitsPerPixel_));
    writer.I8(colour_ ? 1 : 0);
    writer.U16(0);
    writer.U8(static_cast<std::uint8_t>(codingMethod_));

    if (codingMethod_ == CodingMethod::Lossless) {
        writer.PatchU16(8, kLosslessHeaderSize);
        file.body = coded;
        return file;
    }
    for (const std::uint8_t flag : formatFlags_)
        writer.U8(flag);
    writer.I8(static_cast<std::int8_t>(totalLevels_));
    for (int n = 0; n <= totalLevels_; ++n)
        writer.U32(levelTable_[static_cast<std::size_t>(n)]);
    for (int c = 0; c < ComponentCount(); ++c) {
        writer.I8(static_cast<std::int8_t>(components_[static_cast<std::size_t>(c)].DiscardLevels()));
        writer.I8(static_cast<std::int8_t>(components_[static_cast<std::size_t>(c)].SampleLevels()));
    }
    writer.PatchU16(8, static_cast<std::uint16_t>(writer.Size()));
    file.body = coded;
    return file;
}

std::vector<std::uint8_t> WaveletCodec::WriteHeader() const
{
    return CodFile().Joined();
}

bool WaveletCodec::ReadHeader(std::span<const std::uint8_t> file)
{
    ByteReader reader(file);
    std::array<char, 9> magic{};
    for (int i = 0; i < 8; ++i)
        magic[static_cast<std::size_t>(i)] = static_cast<char>(reader.U8());
    const int headerSize = reader.U16();
    const std::uint32_t dataSize = reader.U32();
    const int extraLength = reader.U16();
    const int width = reader.U16();
    const int height = reader.U16();
    const int bits = reader.I8();
    const int colourFlag = reader.I8();
    reader.Skip(2);
    const int method = reader.U8();
    if (reader.Overran() || magic[3] != '3' || magic[5] != '0')
        return false;
    // What the writer never produces is refused before anything is trusted.
    const bool colour = colourFlag == 1;
    if (!((bits == 24 && colour) || (bits == 8 && !colour)) || width < 1 || height < 1)
        return false;
    if (method != static_cast<int>(CodingMethod::Wavelet) && method != static_cast<int>(CodingMethod::Lossless))
        return false;

    int levels = 1;
    std::array<int, 3> discard{};
    std::array<int, 3> sample{};
    std::size_t dataStart = kLosslessHeaderSize;
    std::array<std::uint8_t, 4> flags = {1, 1, 1, 1};
    std::array<std::uint32_t, CodecComponent::kLevelSlots> levelTable{};
    if (method == static_cast<int>(CodingMethod::Wavelet)) {
        for (auto& flag : flags)
            flag = reader.U8();
        if (flags[0] != 1 || flags[1] != 1 || flags[2] != 1)
            return false;
        levels = reader.I8();
        if (levels < 1 || levels > kMaxTotalLevels)
            return false;
        // The level table is not needed to decode; it is kept so that saving
        // the file again writes it unchanged.
        levelTable.fill(0);
        for (int n = 0; n <= levels; ++n)
            levelTable[static_cast<std::size_t>(n)] = reader.U32();
        const int components = colour ? 3 : 1;
        for (int c = 0; c < components; ++c) {
            discard[static_cast<std::size_t>(c)] = reader.I8();
            sample[static_cast<std::size_t>(c)] = reader.I8();
        }
        if (reader.Overran())
            return false;
        for (int c = 0; c < components; ++c)
            if (discard[static_cast<std::size_t>(c)] < 0 || discard[static_cast<std::size_t>(c)] > levels)
                return false;
        if (sample[0] != 0 || (colour && (sample[1] < 0 || sample[1] > 1 || sample[2] != sample[1])))
            return false;
        if (width <= (1 << levels) || height <= (1 << levels))
            return false; // too small for the coarsest level's four samples
        if (headerSize < SectionsEnd(levels, colour))
            return false;
        dataStart = static_cast<std::size_t>(headerSize);
    }
    const std::uint64_t paddedSamples =
        static_cast<std::uint64_t>(Padded(width, levels)) * static_cast<std::uint64_t>(Padded(height, levels));
    if (paddedSamples > kMaxPlaneSamples)
        return false;
    if (dataStart > file.size() || dataSize > file.size() - dataStart)
        return false;

    auto data = AllocateBlock(dataSize);
    if (!data)
        return false;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(dataStart), dataSize, data->begin());

    std::copy(magic.begin(), magic.end(), fileMagic_.begin());
    codingMethod_ = static_cast<CodingMethod>(method);
    formatFlags_ = flags;
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bits;
    colour_ = colour;
    totalLevels_ = levels;
    headerSize_ = headerSize;
    extraLength_ = extraLength;
    dataSize_ = dataSize;
    data_ = std::move(*data);
    levelTable_ = levelTable;
    for (std::size_t c = 0; c < components_.size(); ++c)
        components_[c].SetCodedLevels(discard[c], sample[c]);
    ComputePaddedSize();
    return true;
}

} // namespace tamr
