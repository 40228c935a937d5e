// The COD file: a fixed header, a per-level table, one section per component
// and the coded data block. Integers are little-endian; offsets count from
// the start of the file.
//
//   offset     size      field
//   0          8         magic "CIS3.0" 0x1A 0x04 (readers look at bytes 3 and 5 only)
//   8          2         header size: where the data block starts
//   10         4         data size: bytes in the data block
//   14         2         extra length (written 0, counted into HeaderSize)
//   16         2         width in pixels, not padded
//   18         2         height in pixels, not padded
//   20         1         bits per pixel, 8 or 24 (signed)
//   21         1         colour flag: 1 = components A, B, C; otherwise A only (signed)
//   22         2         zero
//   24         1         coding method: 1 wavelet, 2 lossless
//
// Lossless (method 2): the data block follows at offset 25, arithmetic-coded
// byte planes (alphabet 257) back to back: one plane of width × height bytes
// for gray, three (blue, green, red bytes of each pixel) for colour.
//
// Wavelet (method 1) goes on:
//   25         3         format flags, each 1
//   28         1         format flag, written 1, any value read
//   29         1         L = total levels (signed)
//   30         4·(L+1)   level table: coded bytes of level n = 0 .. L over all components
//   34 + 4L    2         component A: discard levels, sample levels (signed bytes)
//   36 + 4L    2         component B (colour only)
//   38 + 4L    2         component C (colour only)
//   header size  data size  data block: for n = 0 .. L, for A (then B, C):
//                        n = 0 the LL band, n ≥ 1 the V, H and D bands, each as
//                        max, min, Q (signed 16-bit), the coded stream and "cod";
//                        nothing for a discarded level or one beyond the
//                        component's own level count.
//
// The header size is 36 + 4L for gray and 40 + 4L for colour. Nothing lists
// band sizes: a reader finds every boundary by decoding.

#include <algorithm>

#include "codec/WaveletCodec.h"
#include "platform/ByteBlock.h"
#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/CheckedSize.h"

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

Status WaveletCodec::ReadHeader(std::span<const std::uint8_t> file, const Limits& limits)
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
    if (reader.Overran())
        return FailureKind::Truncated;
    if (magic[3] != '3' || magic[5] != '0')
        return FailureKind::Unsupported;
    // What the writer never produces is refused before anything is trusted.
    const bool colour = colourFlag == 1;
    if (!((bits == 24 && colour) || (bits == 8 && !colour)) || width < 1 || height < 1)
        return FailureKind::Corrupt;
    if (method != static_cast<int>(CodingMethod::Wavelet) && method != static_cast<int>(CodingMethod::Lossless))
        return FailureKind::Corrupt;

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
            return FailureKind::Corrupt;
        levels = reader.I8();
        if (levels < 1 || levels > kMaxTotalLevels)
            return FailureKind::Corrupt;
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
            return FailureKind::Truncated;
        for (int c = 0; c < components; ++c)
            if (discard[static_cast<std::size_t>(c)] < 0 || discard[static_cast<std::size_t>(c)] > levels)
                return FailureKind::Corrupt;
        if (sample[0] != 0 || (colour && (sample[1] < 0 || sample[1] > 1 || sample[2] != sample[1])))
            return FailureKind::Corrupt;
        if (width <= (1 << levels) || height <= (1 << levels))
            return FailureKind::Corrupt; // too small for the coarsest level's four samples
        if (headerSize < SectionsEnd(levels, colour))
            return FailureKind::Corrupt;
        dataStart = static_cast<std::size_t>(headerSize);
    }
    if ((CheckedSize(Padded(width, levels)) * Padded(height, levels)).Exceeds(limits.maxPlaneSamples))
        return FailureKind::TooLarge;
    if (!limits.DecodeAllowed(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                              static_cast<std::uint64_t>(bits / 8)))
        return Status::OverDecodeLimit();
    if (dataStart > file.size() || dataSize > file.size() - dataStart)
        return FailureKind::Truncated;

    LargeVector<std::uint8_t> data;
    if (!TryResizeUninitialised(data, dataSize))
        return FailureKind::OutOfMemory;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(dataStart), dataSize, data.begin());

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
    data_ = std::move(data);
    levelTable_ = levelTable;
    for (std::size_t c = 0; c < components_.size(); ++c)
        components_[c].SetCodedLevels(discard[c], sample[c]);
    ComputePaddedSize();
    return {};
}

} // namespace tamr
