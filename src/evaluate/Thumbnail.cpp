#include "evaluate/Thumbnail.h"

#include <algorithm>

#include "document/TamrDoc.h"
#include "image/PictureWriters.h"
#include "image/TopDownPicture.h"
#include "platform/SilentPrompter.h"

namespace tamr {
namespace {

// Each pixel the mean of a block of `factor` x `factor` (fewer at the right and bottom edges).
TopDownPicture Reduced(const TopDownPicture& picture, std::uint32_t factor)
{
    TopDownPicture small;
    small.kind = picture.kind;
    small.width = (picture.width + factor - 1) / factor;
    small.height = (picture.height + factor - 1) / factor;
    const std::size_t channels = picture.BytesPerPixel();
    small.samples.resize(std::size_t{small.width} * small.height * channels);
    for (std::uint32_t y = 0; y < small.height; ++y)
        for (std::uint32_t x = 0; x < small.width; ++x)
            for (std::size_t c = 0; c < channels; ++c) {
                std::uint64_t sum = 0;
                std::uint64_t count = 0;
                for (std::uint32_t sy = y * factor; sy < std::min(picture.height, (y + 1) * factor); ++sy)
                    for (std::uint32_t sx = x * factor; sx < std::min(picture.width, (x + 1) * factor); ++sx) {
                        sum += picture.samples[(std::size_t{sy} * picture.width + sx) * channels + c];
                        ++count;
                    }
                small.samples[(std::size_t{y} * small.width + x) * channels + c] =
                    static_cast<std::uint8_t>((sum + count / 2) / count);
            }
    return small;
}

std::string Base64(const std::vector<std::uint8_t>& bytes)
{
    constexpr std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16 |
                                    (i + 1 < bytes.size() ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                    (i + 2 < bytes.size() ? std::uint32_t{bytes[i + 2]} : 0);
        text += kDigits[(group >> 18) & 63];
        text += kDigits[(group >> 12) & 63];
        text += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
        text += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return text;
}

} // namespace

std::vector<std::uint8_t> ThumbnailPng(const std::filesystem::path& picture, const Limits& limits, ReadPolicy policy,
                                       std::uint32_t side)
{
    CodecSettings settings;
    DisplaySettings display;
    SilentPrompter prompter;
    DocumentEnvironment environment{settings, display, prompter};
    environment.limits = limits;
    environment.readPolicy = policy;
    CTamrDoc document(environment);
    if (side == 0 || !document.OnOpenDocument(picture) || !document.Image())
        return {};
    const auto shown = ShownPicture(*document.Image());
    if (!shown || shown->kind == TopDownPicture::Kind::Indexed || shown->width == 0 || shown->height == 0)
        return {};
    const std::uint32_t longer = std::max(shown->width, shown->height);
    const std::uint32_t factor = (longer + side - 1) / side;
    return EncodePng(factor > 1 ? Reduced(*shown, factor) : *shown);
}

std::string ThumbnailDataUri(const std::filesystem::path& picture, const Limits& limits, ReadPolicy policy)
{
    const auto png = ThumbnailPng(picture, limits, policy, kThumbnailSide);
    return png.empty() ? std::string() : "data:image/png;base64," + Base64(png);
}

} // namespace tamr
