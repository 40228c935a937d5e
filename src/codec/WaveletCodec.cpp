#include "codec/WaveletCodec.h"

#include <algorithm>

#include "platform/ByteBlock.h"

namespace tamr {

WaveletCodec::WaveletCodec(const CodecSettings& settings) : fileMagic_(settings.fileMagic)
{
    Configure(settings);
}

WaveletCodec::WaveletCodec(const CodecSettings& settings, int width, int height, int bitsPerPixel, bool colour)
    : bitsPerPixel_(bitsPerPixel), width_(width), height_(height), colour_(colour), fileMagic_(settings.fileMagic)
{
    dataSize_ =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(bitsPerPixel / 8);
    Configure(settings);
}

int WaveletCodec::Padded(int size, int levels)
{
    const int block = 1 << levels;
    return size + ((block - size % block) % block);
}

int WaveletCodec::LevelsForSize(int width, int height, int requested)
{
    int levels = std::clamp(requested, 1, kMaxTotalLevels);
    // A padded side of at least 2^(L+1) is the same as a side longer than 2^L.
    while (levels > 1 && (width <= (1 << levels) || height <= (1 << levels)))
        --levels;
    return levels;
}

void WaveletCodec::Configure(const CodecSettings& settings)
{
    totalLevels_ = LevelsForSize(width_, height_, settings.totalLevels);
    for (std::size_t c = 0; c < components_.size(); ++c) {
        ComponentSettings component = settings.component(c);
        // Discarding more levels than the image has means coding the low-pass band only.
        component.discardLevels = static_cast<std::int16_t>(std::clamp<int>(component.discardLevels, 0, totalLevels_));
        components_[c].ConfigureForEncoding(component, totalLevels_);
    }
}

void WaveletCodec::ComputePaddedSize()
{
    paddedWidth_ = Padded(width_, totalLevels_);
    paddedHeight_ = Padded(height_, totalLevels_);
}

bool WaveletCodec::PrepareEncode(const CodecSettings& settings)
{
    Configure(settings);
    ComputePaddedSize();
    if (static_cast<std::uint64_t>(paddedWidth_) * static_cast<std::uint64_t>(paddedHeight_) > kMaxPlaneSamples)
        return false;
    for (int c = 0; c < ComponentCount(); ++c) {
        const auto index = static_cast<std::size_t>(c);
        const int sample = std::clamp<int>(settings.component(index).sampleLevels, 0, 1);
        if (!components_[index].SizeForEncoding(paddedWidth_, paddedHeight_, totalLevels_, sample))
            return false;
    }
    data_.clear();
    // The uncompressed size, plus room for the fixed cost of every subband
    // (header, the shortest stream, end marker), which would otherwise make
    // tiny images fail. The buffer's size never changes a coded byte.
    constexpr std::size_t kSubbandOverhead = 6 + 2 + 3;
    const std::size_t subbands = static_cast<std::size_t>(ComponentCount()) * (3 * totalLevels_ + 1);
    const std::size_t bytes = static_cast<std::size_t>(bitsPerPixel_ / 8) * static_cast<std::size_t>(paddedWidth_) *
                                  static_cast<std::size_t>(paddedHeight_) +
                              subbands * kSubbandOverhead;
    return TryResize(data_, bytes);
}

bool WaveletCodec::EncodeAll()
{
    codingMethod_ = CodingMethod::Wavelet;
    for (int c = 0; c < ComponentCount(); ++c)
        if (!components_[static_cast<std::size_t>(c)].ForwardTransform())
            return false;
    std::size_t position = 0;
    for (int n = 0; n <= totalLevels_; ++n) {
        for (int c = 0; c < ComponentCount(); ++c) {
            const auto next = components_[static_cast<std::size_t>(c)].EncodeLevel(data_, position, n);
            if (!next)
                return false;
            position = *next;
        }
    }
    dataSize_ = position;
    levelTable_.fill(0);
    for (int n = 0; n <= totalLevels_; ++n)
        for (int c = 0; c < ComponentCount(); ++c)
            levelTable_[static_cast<std::size_t>(n)] += components_[static_cast<std::size_t>(c)].LevelBytes(n);
    ReleasePlanes();
    return true;
}

bool WaveletCodec::PrepareDecode()
{
    ComputePaddedSize();
    for (int c = 0; c < ComponentCount(); ++c) {
        auto& component = components_[static_cast<std::size_t>(c)];
        if (!component.SizeForDecoding(paddedWidth_, paddedHeight_, totalLevels_))
            return false;
    }
    return true;
}

bool WaveletCodec::DecodeAll(const LevelCallback& onLevel)
{
    if (!PrepareDecode())
        return false;
    const auto coded = CodedData();
    std::size_t position = 0;
    for (int n = 0; n <= totalLevels_; ++n) {
        for (int c = 0; c < ComponentCount(); ++c) {
            const auto next = components_[static_cast<std::size_t>(c)].DecodeLevel(coded, position, n);
            if (!next)
                return false;
            position = *next;
        }
        if (onLevel && n < totalLevels_)
            onLevel(n, *this);
    }
    return true;
}

void WaveletCodec::ReleasePlanes()
{
    for (auto& component : components_)
        component.ReleasePlane();
}

} // namespace tamr
