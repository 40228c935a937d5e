// The thumbnails of a report: a PNG no side of which is over kThumbnailSide.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evaluate/Thumbnail.h"
#include "support/BmpTestFiles.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

std::vector<std::uint8_t> FromBase64(const std::string& text)
{
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const auto value = digits.find(c);
        if (value == std::string::npos)
            break;
        bits = bits << 6 | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    return bytes;
}

std::uint32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
           bytes[at + 3];
}

TEST(Thumbnail, IsThePictureReducedToAPngOfAtMostTheSide)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 300;
    layout.height = 200;
    layout.rows = test::RandomBytes(300 * 200 * 3, 5);
    test::WriteBytes(scratch / "large.bmp", test::BuildBmp(layout));
    const std::string uri = ThumbnailDataUri(scratch / "large.bmp", {}, {});
    const std::string prefix = "data:image/png;base64,";
    ASSERT_EQ(uri.rfind(prefix, 0), 0u);
    const auto png = FromBase64(uri.substr(prefix.size()));
    ASSERT_GT(png.size(), 24u);
    // IHDR: a reduction by 3, the last block of rows a partial one.
    EXPECT_EQ(BigEndian(png, 16), 100u);
    EXPECT_EQ(BigEndian(png, 20), 67u);
    EXPECT_TRUE(ThumbnailDataUri(scratch / "missing.bmp", {}, {}).empty());
}

} // namespace
} // namespace tamr
