// The float samples of one component, converted a band of rows at a time,
// against the whole-plane 16-bit conversions they stand in for.

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <span>
#include <vector>

#include "image/ComponentValues.h"

namespace tamr {
namespace {

struct Picture {
    std::vector<std::uint8_t> bytes;
    ConstPixelView view;
};

Picture RandomPicture(int width, int height, int bytesPerPixel, int rowPad, std::mt19937& random)
{
    Picture picture;
    picture.bytes.resize(static_cast<std::size_t>(width * bytesPerPixel + rowPad) * static_cast<std::size_t>(height));
    for (auto& byte : picture.bytes)
        byte = static_cast<std::uint8_t>(random());
    picture.view = {picture.bytes, width, height, rowPad};
    return picture;
}

// A whole plane row by row, as the encoder asks for it; false, writing
// nothing, when the pixels or the plane are too small.
bool ComponentToValues(ConstPixelView pixels, std::int16_t offset, std::optional<YiqComponent> component,
                       bool subsampledChroma, std::span<float> values, std::size_t stride, std::size_t rows)
{
    ComponentRows source(pixels, offset, component, subsampledChroma, stride, rows);
    if (!source.Valid() || (rows != 0 && stride > values.size() / rows))
        return false;
    for (std::size_t y = 0; y < rows; ++y)
        if (!source.Row(y, values.subspan(y * stride, stride)))
            return false;
    return true;
}

TEST(ComponentValuesTest, BandsGiveTheSamplesOfTheWholePlaneConversions)
{
    std::mt19937 random(7);
    constexpr std::int16_t kOffset = 128;
    for (const auto& [width, height] : {std::pair{37, 45}, {64, 33}, {5, 3}, {130, 70}}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        const auto stride = static_cast<std::size_t>(width + 11);
        const auto rows = static_cast<std::size_t>(height + 9);
        // Gray: the padding stays as the zeroed plane has it.
        const Picture gray = RandomPicture(width, height, 1, 3, random);
        std::vector<std::int16_t> samples(stride * rows, 0);
        ASSERT_TRUE(GrayToPlane(gray.view, kOffset, {samples, stride, rows}));
        std::vector<float> values(stride * rows, -1.0f);
        ASSERT_TRUE(ComponentToValues(gray.view, kOffset, std::nullopt, false, values, stride, rows));
        EXPECT_EQ(values, std::vector<float>(samples.begin(), samples.end()));

        const Picture colour = RandomPicture(width, height, 3, 1, random);
        for (const bool subsampled : {false, true})
            for (const YiqComponent component : {YiqComponent::Y, YiqComponent::I, YiqComponent::Q}) {
                const bool halved = subsampled && component != YiqComponent::Y;
                const std::size_t planeRows = halved ? rows / 2 : rows;
                const std::size_t planeStride = halved ? stride / 2 : stride;
                std::vector<std::int16_t> plane(planeStride * planeRows, 0);
                ASSERT_TRUE(
                    RgbToYiqComponent(colour.view, kOffset, component, subsampled, {plane, planeStride, planeRows}));
                std::vector<float> floats(planeStride * planeRows, -1.0f);
                ASSERT_TRUE(
                    ComponentToValues(colour.view, kOffset, component, subsampled, floats, planeStride, planeRows));
                EXPECT_EQ(floats, std::vector<float>(plane.begin(), plane.end()))
                    << "component " << static_cast<int>(component) << (subsampled ? " subsampled" : "");
            }
        // A plane too small for the picture is refused untouched.
        std::vector<float> small(static_cast<std::size_t>(width) * 2, -1.0f);
        EXPECT_FALSE(
            ComponentToValues(colour.view, kOffset, YiqComponent::Y, false, small, static_cast<std::size_t>(width), 2));
        EXPECT_EQ(small, std::vector<float>(small.size(), -1.0f));
    }
}

} // namespace
} // namespace tamr
