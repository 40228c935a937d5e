#include "image/PnmReader.h"

#include <cctype>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image/PackedPictureRows.h"
#include "image/PictureSamples.h"
#include "platform/DiscardPages.h"

namespace tamr {
namespace {

constexpr std::uint32_t kLargestValue = 65535;
// The file's pages go back in steps of this many bytes.
constexpr std::size_t kReleaseStep = std::size_t{1} << 20;

// Walks the header: numbers separated by white space and comments.
class HeaderReader {
public:
    explicit HeaderReader(std::span<const std::uint8_t> file) : file_(file), position_(2) {}

    // The next decimal number after white space and comments; nothing when
    // there is none or it exceeds 65535.
    std::optional<std::uint32_t> Number()
    {
        SkipSpaceAndComments();
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (position_ < file_.size() && std::isdigit(file_[position_]) != 0) {
            value = value * 10 + static_cast<std::uint32_t>(file_[position_] - '0');
            if (value > kLargestValue)
                return std::nullopt;
            ++position_;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return value;
    }

    // The one white-space byte between the header and the picture, or a
    // comment right after the last number, which ends with its line; the
    // offset of the picture, or nothing.
    std::optional<std::size_t> PictureStart()
    {
        if (position_ < file_.size() && file_[position_] == '#') {
            while (position_ < file_.size() && file_[position_] != '\n' && file_[position_] != '\r')
                ++position_;
        }
        if (position_ >= file_.size() || std::isspace(file_[position_]) == 0)
            return std::nullopt;
        return position_ + 1;
    }

private:
    void SkipSpaceAndComments()
    {
        while (position_ < file_.size()) {
            if (file_[position_] == '#') {
                while (position_ < file_.size() && file_[position_] != '\n' && file_[position_] != '\r')
                    ++position_;
            } else if (std::isspace(file_[position_]) != 0) {
                ++position_;
            } else {
                return;
            }
        }
    }

    std::span<const std::uint8_t> file_;
    std::size_t position_;
};

// One row of samples into a row of the block, through the table of scaled
// values; false at a sample above the file's maximum value. P6 holds red,
// green, blue; the block blue, green, red.
bool ConvertRow(std::span<const std::uint8_t> source, std::uint32_t sampleBytes, std::uint32_t channels,
                std::span<const std::uint8_t> scaled, std::span<std::uint8_t> target)
{
    // The common file, bytes up to 255: the samples as they are, reordered.
    if (sampleBytes == 1 && scaled.size() == 256) {
        if (channels == 1) {
            std::copy_n(source.begin(), target.size(), target.begin());
            return true;
        }
        const std::uint8_t* in = source.data();
        std::uint8_t* out = target.data();
        for (std::size_t i = 0; i + 2 < target.size(); i += 3) {
            out[i] = in[i + 2];
            out[i + 1] = in[i + 1];
            out[i + 2] = in[i];
        }
        return true;
    }
    const auto sample = [&](std::size_t i) -> std::uint32_t {
        return sampleBytes == 1 ? source[i] : (std::uint32_t{source[2 * i]} << 8) | source[2 * i + 1];
    };
    for (std::size_t i = 0; i < target.size(); i += channels) {
        for (std::uint32_t c = 0; c < channels; ++c) {
            const std::uint32_t value = sample(i + c);
            if (value >= scaled.size())
                return false;
            target[i + channels - 1 - c] = scaled[value];
        }
    }
    return true;
}

// `owned`, when given, is the block `file` views; its pages are handed back
// as the picture is read.
PictureReadResult ReadPnmBlock(std::span<const std::uint8_t> file, const Limits& limits, bool withPixels,
                               ByteBlock* owned = nullptr)
{
    if (file.size() < 2 || file[0] != 'P')
        return PictureReadResult::Refused("PNM: the file does not start with P5 or P6");
    const std::uint8_t kind = file[1];
    if (kind >= '1' && kind <= '3')
        return PictureReadResult::Refused(
            "PNM: plain (ASCII) P1, P2 and P3 files are not read; write the picture as binary P5 or P6");
    if (kind == '4')
        return PictureReadResult::Refused("PNM: 1-bit P4 files are not read; write the picture as binary P5 or P6");
    if (kind == '7')
        return PictureReadResult::Refused("PNM: PAM (P7) files are not read; write the picture as binary P5 or P6");
    if (kind == 'F' || kind == 'f')
        return PictureReadResult::Refused(
            "PNM: floating-point PF and Pf files are not read; write the picture as binary P5 or P6");
    if (kind != '5' && kind != '6')
        return PictureReadResult::Refused("PNM: the file does not start with P5 or P6");
    const bool colour = kind == '6';

    HeaderReader header(file);
    const auto width = header.Number();
    const auto height = header.Number();
    const auto maxValue = header.Number();
    const auto start = header.PictureStart();
    if (!width || !height || !maxValue || !start)
        return PictureReadResult::Refused("PNM: the header is incomplete or holds a number above 65535");
    if (*width == 0 || *height == 0)
        return PictureReadResult::Refused("PNM: the width and height of the picture must be 1 to 65535 pixels");
    if (*maxValue == 0)
        return PictureReadResult::Refused("PNM: the maximum sample value must be 1 to 65535");
    const std::uint64_t pixels = std::uint64_t{*width} * *height;
    if (pixels > limits.maxPixels)
        return PictureReadResult::Refused("PNM: the picture has " + std::to_string(*width) + " x " +
                                          std::to_string(*height) + " pixels, more than the " +
                                          std::to_string(limits.maxPixels) + " pixels the reader decodes");
    const std::uint32_t channels = colour ? 3 : 1;
    if (!limits.DecodeAllowed(*width, *height, channels))
        return PictureReadResult::OverDecodeLimit();
    const std::uint32_t sampleBytes = *maxValue > 255 ? 2 : 1;
    const std::uint64_t rowBytes = std::uint64_t{*width} * channels * sampleBytes;
    if (file.size() - *start < rowBytes * *height)
        return PictureReadResult::Refused("PNM: the file ends before its picture does");

    if (!withPixels) {
        PictureReadResult head;
        head.block = PackedPictureRows::MakeHead(*width, *height, colour);
        if (!head.block)
            return PictureReadResult::Refused("PNM: the picture is too large to be held in memory");
        return head;
    }
    // Read from the last row up, as the block is laid out, so that neither
    // is touched out of order and a file this reader owns can hand back its
    // pages as they are read: the file and the picture are never held whole
    // together.
    auto out = PackedPictureRows::MakeBottomUp(*width, *height, colour);
    if (!out)
        return PictureReadResult::Refused("PNM: the picture is too large to be held in memory");
    // Every value a sample may take, scaled once: no division per sample.
    std::vector<std::uint8_t> scaled(std::size_t{*maxValue} + 1);
    for (std::uint32_t value = 0; value <= *maxValue; ++value)
        scaled[value] = ScaleToByte(value, *maxValue);
    std::size_t keptEnd = file.size();
    for (std::uint32_t y = *height; y-- > 0;) {
        const std::size_t rowStart = *start + y * static_cast<std::size_t>(rowBytes);
        const auto source = file.subspan(rowStart, static_cast<std::size_t>(rowBytes));
        if (!ConvertRow(source, sampleBytes, channels, scaled, out->AddRowAbove()))
            return PictureReadResult::Refused("PNM: a sample is larger than the file's maximum value");
        if (owned != nullptr && keptEnd - rowStart >= kReleaseStep) {
            DiscardPagesOf(std::span(*owned).subspan(rowStart, keptEnd - rowStart));
            keptEnd = rowStart;
        }
    }
    PictureReadResult result;
    result.block = out->Take();
    return result;
}

} // namespace

PictureReadResult ReadPnm(std::span<const std::uint8_t> file, const Limits& limits)
{
    return ReadPnmBlock(file, limits, true);
}

PictureReadResult ReadPnmConsuming(ByteBlock& file, const Limits& limits)
{
    ByteBlock owned = std::exchange(file, ByteBlock());
    return ReadPnmBlock(owned, limits, true, &owned);
}

PictureReadResult ReadPnmHead(std::span<const std::uint8_t> file, const Limits& limits)
{
    return ReadPnmBlock(file, limits, false);
}

} // namespace tamr
