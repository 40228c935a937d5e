#include "peers/PeerPicture.h"

#include <cmath>

namespace tamr {

std::vector<std::uint8_t> TopDownRgb(ConstPixelView picture, int bytesPerPixel)
{
    const auto width = static_cast<std::size_t>(picture.width);
    const auto height = static_cast<std::size_t>(picture.height);
    const auto step = static_cast<std::size_t>(bytesPerPixel);
    const std::size_t rowBytes = RowBytes(picture, bytesPerPixel);
    std::vector<std::uint8_t> rows(width * height * step);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* from = picture.bytes.data() + (height - 1 - y) * rowBytes;
        std::uint8_t* to = rows.data() + y * width * step;
        for (std::size_t x = 0; x < width * step; x += step) {
            if (step == 3) {
                to[x] = from[x + 2];
                to[x + 1] = from[x + 1];
                to[x + 2] = from[x];
            } else {
                to[x] = from[x];
            }
        }
    }
    return rows;
}

std::vector<std::uint8_t> TopDownColourRgb(ConstPixelView picture, int bytesPerPixel)
{
    std::vector<std::uint8_t> rows = TopDownRgb(picture, bytesPerPixel);
    if (bytesPerPixel != 1)
        return rows;
    std::vector<std::uint8_t> colour(rows.size() * 3);
    for (std::size_t i = 0; i < rows.size(); ++i)
        colour[3 * i] = colour[3 * i + 1] = colour[3 * i + 2] = rows[i];
    return colour;
}

std::vector<std::uint8_t> FromTopDown(const std::uint8_t* rows, int channels, ConstPixelView like, int bytesPerPixel)
{
    const auto width = static_cast<std::size_t>(like.width);
    const auto height = static_cast<std::size_t>(like.height);
    const auto in = static_cast<std::size_t>(channels);
    const std::size_t rowBytes = RowBytes(like, bytesPerPixel);
    std::vector<std::uint8_t> picture(rowBytes * height, 0);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* from = rows + y * width * in;
        std::uint8_t* to = picture.data() + (height - 1 - y) * rowBytes;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* p = from + x * in;
            if (bytesPerPixel == 3) {
                to[3 * x] = in == 3 ? p[2] : p[0];
                to[3 * x + 1] = in == 3 ? p[1] : p[0];
                to[3 * x + 2] = p[0];
            } else {
                to[x] =
                    in == 3 ? static_cast<std::uint8_t>(std::lround(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2])) : p[0];
            }
        }
    }
    return picture;
}

} // namespace tamr
