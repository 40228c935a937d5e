// tamr-cli commands that work through the document: stats, convert, batch,
// the Save As rules and the quality search.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

std::vector<std::uint8_t> Picture(int width, int height, std::uint16_t reserved, std::uint32_t seed)
{
    test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.reserved1 = reserved;
    const auto noise = test::RandomBytes(static_cast<std::size_t>(width * height * 3), seed);
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x)
            layout.rows.push_back(
                x < width * 3 ? static_cast<std::uint8_t>((x + y) % 180 + noise[y * width * 3 + x] % 16) : 0);
    return test::BuildBmp(layout);
}

TEST(CliDocumentTest, StatsBeforeAndAfterCompression)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "p.bmp", Picture(40, 30, 0, 1));
    const std::string in = Quoted((scratch / "p.bmp").string());
    auto run = test::RunCli("stats " + in, scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("PSNR : 0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("MSE : 0.00 \n"), std::string::npos);
    run = test::RunCli("stats " + in + " -q 60 --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto figures = nlohmann::json::parse(run.out);
    EXPECT_GT(figures["psnr"].get<double>(), 20.0);
    EXPECT_GT(figures["non_zero_before"].get<int>(), 0);
}

TEST(CliDocumentTest, BitDepthWarningIsRefusedUnlessAnsweredYes)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "deep.bmp", Picture(16, 16, 4, 2));
    const std::string in = Quoted((scratch / "deep.bmp").string());
    const auto out = scratch / "out.bmp";
    auto run = test::RunCli("convert " + in + " " + Quoted(out.string()), scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Warning!: File will be saved as 24 bit!"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    run = test::RunCli("convert " + in + " " + Quoted(out.string()) + " --yes", scratch);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(out));
    // A bitmap is saved as BMP only.
    run = test::RunCli("convert " + in + " " + Quoted((scratch / "x.cod").string()) + " --yes", scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("The file is not this type!!"), std::string::npos);
}

TEST(CliDocumentTest, TargetSizeChoosesTheHighestQualityThatFits)
{
    test::ScratchDir scratch;
    const std::string in = Quoted(TAMR_SAMPLE_IMAGE);
    const auto cod = scratch / "fit.cod";
    auto run = test::RunCli("compress " + in + " " + Quoted(cod.string()) + " --target-size 20000 --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto figures = nlohmann::json::parse(run.out);
    const int quality = figures["quality"].get<int>();
    EXPECT_LE(test::ReadBytes(cod).size(), 20000u);
    EXPECT_NE(run.err.find("chose quality factor " + std::to_string(quality)), std::string::npos);
    // One step up no longer fits.
    run = test::RunCli("compress " + in + " " + Quoted((scratch / "up.cod").string()) + " -q " +
                           std::to_string(quality + 1) + " --json",
                       scratch);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_GT(nlohmann::json::parse(run.out)["compressed_size"].get<int>(), 20000);

    run = test::RunCli("compress " + in + " " + Quoted((scratch / "p.cod").string()) + " --target-psnr 30 --json",
                       scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_GE(nlohmann::json::parse(run.out)["psnr"].get<double>(), 30.0);
    run = test::RunCli("compress " + in + " " + Quoted((scratch / "none.cod").string()) + " --target-size 10", scratch);
    EXPECT_EQ(run.exitCode, 1);
}

TEST(CliDocumentTest, BatchWritesWhatSingleRunsWrite)
{
    test::ScratchDir scratch;
    std::string files;
    for (int i = 0; i < 5; ++i) {
        const auto path = scratch / ("p" + std::to_string(i) + ".bmp");
        test::WriteBytes(path, Picture(30 + i * 7, 20 + i * 5, 0, static_cast<std::uint32_t>(i)));
        files += " " + Quoted(path.string());
    }
    test::WriteBytes(scratch / "broken.bmp", {'B', 'M', 1, 2});
    files += " " + Quoted((scratch / "broken.bmp").string());
    const auto batch =
        test::RunCli("batch --out " + Quoted((scratch / "out").string()) + " -q 40 --threads 3" + files, scratch);
    EXPECT_EQ(batch.exitCode, 1); // one file failed
    EXPECT_NE(batch.out.find("5 compressed, 1 failed"), std::string::npos) << batch.out;
    for (int i = 0; i < 5; ++i) {
        const auto single = scratch / ("single" + std::to_string(i) + ".cod");
        const auto run = test::RunCli("compress " + Quoted((scratch / ("p" + std::to_string(i) + ".bmp")).string()) +
                                          " " + Quoted(single.string()) + " -q 40",
                                      scratch);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(test::ReadBytes(scratch / "out" / ("p" + std::to_string(i) + ".cod")), test::ReadBytes(single));
    }
}

} // namespace
} // namespace tamr
