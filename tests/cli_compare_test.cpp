// tamr-cli compare, and the SSIM and PSNR-Y of stats and compress, run as the built program.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>

#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

// A gray BMP 13 pixels wide (rows padded by 3 bytes), 12 high.
std::vector<std::uint8_t> GrayBmp(std::uint32_t seed)
{
    test::BmpLayout layout;
    layout.width = 13;
    layout.height = 12;
    layout.bits = 8;
    for (int i = 0; i < 256; ++i)
        layout.table.push_back(
            RgbQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
    layout.rows = test::RandomBytes(16 * 12, seed);
    for (std::size_t row = 0; row < 12; ++row)
        std::fill_n(layout.rows.begin() + static_cast<std::ptrdiff_t>(row * 16 + 13), 3, 0);
    return test::BuildBmp(layout);
}

TEST(CliCompareTest, FiguresEqualCompressAndTheDifferencePictureIsAmplified)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "q40.cod";
    const auto shown = scratch / "shown.bmp";
    const auto diff = scratch / "diff.bmp";
    const auto compress = test::RunCli("compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) +
                                           " -q 40 --json --decoded " + Quoted(shown.string()),
                                       scratch);
    ASSERT_EQ(compress.exitCode, 0) << compress.err;
    const auto expected = nlohmann::json::parse(compress.out);
    EXPECT_GT(expected["ssim"].get<double>(), 0.5);
    EXPECT_LT(expected["ssim"].get<double>(), 1.0);

    // The COD file is compared as decoded; the figures are those compress measured.
    const auto run = test::RunCli("compare " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) +
                                      " --json --amplify 5 --diff " + Quoted(diff.string()),
                                  scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto figures = nlohmann::json::parse(run.out);
    for (const char* key : {"psnr", "psnr_y", "mse", "largest_difference", "ssim", "width", "height"})
        EXPECT_EQ(figures[key], expected[key]) << key;

    const auto a = test::ReadBytes(TAMR_SAMPLE_IMAGE);
    const auto b = test::ReadBytes(shown);
    const auto d = test::ReadBytes(diff);
    ASSERT_EQ(d.size(), a.size());
    bool saturated = false;
    for (std::size_t i = 54; i < d.size(); ++i) {
        const int expectedByte = std::min(255, 5 * std::abs(a[i] - b[i]));
        ASSERT_EQ(d[i], expectedByte) << i;
        saturated = saturated || expectedByte == 255;
    }
    EXPECT_TRUE(saturated);

    const auto text = test::RunCli("compare " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(shown.string()), scratch);
    EXPECT_NE(text.out.find("SSIM : 0."), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("PSNR-Y : "), std::string::npos);
}

TEST(CliCompareTest, GrayPicturesAndPicturesThatCannotBeCompared)
{
    test::ScratchDir scratch;
    const auto a = scratch / "a.bmp";
    const auto b = scratch / "b.bmp";
    const auto diff = scratch / "diff.bmp";
    test::WriteBytes(a, GrayBmp(1));
    test::WriteBytes(b, GrayBmp(2));
    auto run = test::RunCli("compare " + Quoted(a.string()) + " " + Quoted(b.string()) + " --json --amplify 1 --diff " +
                                Quoted(diff.string()),
                            scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(nlohmann::json::parse(run.out)["ssim"].is_null());
    const auto bytesA = test::ReadBytes(a);
    const auto bytesB = test::ReadBytes(b);
    const auto bytesD = test::ReadBytes(diff);
    ASSERT_EQ(bytesD.size(), 1078u + 16 * 12);
    EXPECT_EQ(bytesD[54 + 4 * 200], 200); // the gray ramp
    for (std::size_t row = 0; row < 12; ++row)
        for (std::size_t x = 0; x < 16; ++x) {
            const std::size_t i = row * 16 + x;
            EXPECT_EQ(bytesD[1078 + i], x < 13 ? std::abs(bytesA[1078 + i] - bytesB[1078 + i]) : 0) << i;
        }

    // Gray against colour, and pictures of different sizes.
    run = test::RunCli("compare " + Quoted(a.string()) + " " + Quoted(TAMR_SAMPLE_IMAGE), scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("same size and depth"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
    run = test::RunCli("compare " + Quoted(a.string()) + " " + Quoted(b.string()) + " --amplify 65", scratch);
    EXPECT_NE(run.exitCode, 0);
}

TEST(CliCompareTest, ASecondPictureOfAnotherSizeIsRefusedBeforeItIsDecoded)
{
    if (test::kAddressSanitizer)
        return;
    test::ScratchDir scratch;
    const auto small = scratch / "small.bmp";
    test::WriteBytes(small, GrayBmp(3));
    // 9000 x 9000 colour pixels in a sparse file: 243 MB once read, more
    // than the 64 MiB of data the command is given.
    test::BmpLayout layout;
    layout.width = 9000;
    layout.height = 9000;
    const auto huge = scratch / "huge.bmp";
    test::WriteBytes(huge, test::BuildBmp(layout));
    std::filesystem::resize_file(huge, 54 + std::uint64_t{9000} * 27000);
    const auto run =
        test::RunCli("compare " + Quoted(small.string()) + " " + Quoted(huge.string()), scratch, "ulimit -d 65536; ");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("(9000 x 9000 colour): the pictures must have the same size and depth"), std::string::npos)
        << run.err;
}

TEST(CliCompareTest, StatsJsonHasSsimOnlyWithThePictureAsLoaded)
{
    test::ScratchDir scratch;
    auto run = test::RunCli("stats " + Quoted(TAMR_SAMPLE_IMAGE) + " --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto figures = nlohmann::json::parse(run.out);
    EXPECT_EQ(figures["ssim"].get<double>(), 1.0);
    EXPECT_TRUE(figures["psnr_y"].is_null()); // unchanged: infinite

    const auto cod = scratch / "q60.cod";
    ASSERT_EQ(
        test::RunCli("compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " -q 60", scratch).exitCode,
        0);
    run = test::RunCli("stats " + Quoted(TAMR_SAMPLE_IMAGE) + " -q 60 --json", scratch);
    figures = nlohmann::json::parse(run.out);
    EXPECT_GT(figures["psnr_y"].get<double>(), 25.0);
    EXPECT_LT(figures["ssim"].get<double>(), 1.0);
    // A COD file on its own has nothing to compare with.
    run = test::RunCli("stats " + Quoted(cod.string()) + " --json", scratch);
    figures = nlohmann::json::parse(run.out);
    EXPECT_TRUE(figures["ssim"].is_null());
    EXPECT_TRUE(figures["psnr_y"].is_null());
}

TEST(CliCompareTest, MapsAreWrittenWithTheirScale)
{
    // Green moved by 64 in a 4 x 4 block of a 20 x 16 picture (rows of 60 bytes, no padding).
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 20;
    layout.height = 16;
    layout.rows = test::RandomBytes(60 * 16, 31);
    const auto a = scratch / "a.bmp";
    const auto b = scratch / "b.bmp";
    test::WriteBytes(a, test::BuildBmp(layout));
    const auto inBlock = [](std::size_t x, std::size_t y) { return x >= 2 && x < 6 && y >= 3 && y < 7; };
    for (std::size_t y = 3; y < 7; ++y)
        for (std::size_t x = 2; x < 6; ++x)
            layout.rows[y * 60 + 3 * x + 1] ^= 64;
    test::WriteBytes(b, test::BuildBmp(layout));

    const auto map = scratch / "map.bmp";
    auto run = test::RunCli("compare " + Quoted(a.string()) + " " + Quoted(b.string()) + " --map absolute --map-out " +
                                Quoted(map.string()),
                            scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Map : largest channel difference |A - B|, black 0 to white 64\n"), std::string::npos)
        << run.out;
    auto bytes = test::ReadBytes(map);
    ASSERT_EQ(bytes.size(), 54u + 60 * 16);
    for (std::size_t y = 0; y < 16; ++y)
        for (std::size_t x = 0; x < 20; ++x)
            for (std::size_t c = 0; c < 3; ++c)
                ASSERT_EQ(bytes[54 + y * 60 + 3 * x + c], inBlock(x, y) ? 255 : 0) << x << ' ' << y;

    run = test::RunCli("compare " + Quoted(a.string()) + " " + Quoted(b.string()) + " --map ssim --map-out " +
                           Quoted(map.string()) + " --json",
                       scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto figures = nlohmann::json::parse(run.out);
    EXPECT_EQ(figures["map"]["quantity"], "1 - SSIM");
    EXPECT_EQ(figures["map"]["white"], 1.0);
    bytes = test::ReadBytes(map);
    ASSERT_EQ(bytes.size(), 54u + 60 * 16);
    EXPECT_NE(bytes[54 + 4 * 60 + 3 * 3] + bytes[54 + 4 * 60 + 3 * 3 + 1] + bytes[54 + 4 * 60 + 3 * 3 + 2], 0);
    EXPECT_EQ(bytes[54 + 15 * 60 + 3 * 19] + bytes[54 + 15 * 60 + 3 * 19 + 1] + bytes[54 + 15 * 60 + 3 * 19 + 2], 0);

    // A map needs a file to go to.
    run = test::RunCli("compare " + Quoted(a.string()) + " " + Quoted(b.string()) + " --map ssim", scratch);
    EXPECT_EQ(run.exitCode, 2);
}

} // namespace
} // namespace tamr
