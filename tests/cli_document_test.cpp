// tamr-cli commands that work through the document: stats, convert, batch,
// the Save As rules and the quality search.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/DocumentTestFixture.h"
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

TEST(CliDocumentTest, JsonFiguresNotMeasuredAreNullAndShareTheSweepsNames)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "p.bmp", Picture(40, 30, 0, 1));
    const std::string in = Quoted((scratch / "p.bmp").string());
    const std::string cod = Quoted((scratch / "p.cod").string());
    const auto compress = test::RunCli("compress " + in + " " + cod + " --json", scratch);
    ASSERT_EQ(compress.exitCode, 0) << compress.err;
    const auto compressed = nlohmann::json::parse(compress.out);
    EXPECT_EQ(compressed["bytes"], compressed["compressed_size"]);
    EXPECT_DOUBLE_EQ(compressed["bpp"].get<double>(), 8.0 * compressed["bytes"].get<double>() / (40 * 30));
    EXPECT_EQ(compressed["encode_seconds"], compressed["compress_seconds"]);
    EXPECT_EQ(compressed["decode_seconds"], compressed["decompress_seconds"]);
    EXPECT_TRUE(compressed["psnr"].is_number());
    // A COD file on its own and a picture not compressed have no differences measured.
    for (const std::string& unmeasured : {cod, in}) {
        const auto run = test::RunCli("stats " + unmeasured + " --json", scratch);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto figures = nlohmann::json::parse(run.out);
        for (const char* key : {"psnr", "mse", "largest_difference"})
            EXPECT_TRUE(figures[key].is_null()) << unmeasured << " " << key << " " << figures[key];
    }
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

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(CliDocumentTest, CompressToABitmapStillReportsThePsnr)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "p.bmp", Picture(40, 30, 0, 3));
    const auto run = test::RunCli(
        "compress " + Quoted((scratch / "p.bmp").string()) + " " + Quoted((scratch / "shown.bmp").string()), scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(" dB.\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("PSNR : 0\n"), std::string::npos) << run.out;
    EXPECT_EQ(test::ReadBytes(scratch / "shown.bmp").size(), test::ReadBytes(scratch / "p.bmp").size());
}

TEST(CliDocumentTest, JpegWarningGoesToStandardErrorOnce)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "shot.jpg", test::ColourJpeg(64, 48));
    const std::string warning = "Warning: Orginal Image is compressed by JPEG!!";
    const auto in = Quoted((scratch / "shot.jpg").string());
    auto run = test::RunCli("compress " + in + " " + Quoted((scratch / "a.cod").string()) + " --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Occurrences(run.err, warning), 1u) << run.err;
    EXPECT_TRUE(nlohmann::json::accept(run.out)) << run.out; // nothing but the figures on standard output
    // A quality search compresses many times and still warns once.
    run = test::RunCli("compress " + in + " " + Quoted((scratch / "b.cod").string()) + " --target-psnr 30 --json",
                       scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Occurrences(run.err, warning), 1u) << run.err;
    EXPECT_TRUE(nlohmann::json::accept(run.out)) << run.out;
    // Before compression nothing warns.
    run = test::RunCli("stats " + in, scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Occurrences(run.err, warning), 0u);
    // --quiet keeps the notice and the chosen quality to itself.
    run = test::RunCli("--quiet compress " + in + " " + Quoted((scratch / "c.cod").string()) + " --target-psnr 30",
                       scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

TEST(CliDocumentTest, ConvertFollowsTheSaveAsRulesForEveryKind)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "x.gif", test::ColourGif(10, 6));
    const auto in = Quoted((scratch / "x.gif").string());
    // Nothing has been coded: a COD file cannot be written.
    auto run = test::RunCli("convert " + in + " " + Quoted((scratch / "x.cod").string()), scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Error: The file is not this type!!"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "x.cod"));
    run = test::RunCli("convert " + in + " " + Quoted((scratch / "x.bmp").string()), scratch);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::ReadBytes(scratch / "x.bmp").size(), 54u + 32u * 6u);
    // A compressed picture may go anywhere but a name of neither kind.
    run = test::RunCli("roundtrip " + Quoted((scratch / "x.bmp").string()) + " " + Quoted((scratch / "x.txt").string()),
                       scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Error: Cannot Save to the file!!"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "x.txt"));
}

TEST(CliDocumentTest, BatchOnEveryCoreWritesWhatSingleRunsWrite)
{
    test::ScratchDir scratch;
    std::vector<std::filesystem::path> inputs;
    for (int i = 0; i < 6; ++i) {
        inputs.push_back(scratch / ("p" + std::to_string(i) + ".bmp"));
        test::WriteBytes(inputs.back(), Picture(50 + i * 3, 40 + i, 0, static_cast<std::uint32_t>(10 + i)));
    }
    inputs.push_back(scratch / "shot.jpg");
    test::WriteBytes(inputs.back(), test::ColourJpeg(48, 32));
    std::string files;
    for (const auto& input : inputs)
        files += " " + Quoted(input.string());
    const auto batch = test::RunCli("batch --out " + Quoted((scratch / "out").string()) + " -q 60" + files, scratch);
    ASSERT_EQ(batch.exitCode, 0) << batch.err << batch.out;
    EXPECT_NE(batch.out.find("7 compressed, 0 failed"), std::string::npos) << batch.out;
    // Notices reach standard error, named after their file.
    EXPECT_NE(batch.err.find("shot.jpg: Warning: Orginal Image is compressed by JPEG!!"), std::string::npos)
        << batch.err;
    for (const auto& input : inputs) {
        const auto single = scratch / ("single-" + input.stem().string() + ".cod");
        const auto run =
            test::RunCli("compress " + Quoted(input.string()) + " " + Quoted(single.string()) + " -q 60", scratch);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(test::ReadBytes(scratch / "out" / (input.stem().string() + ".cod")), test::ReadBytes(single))
            << input;
    }
}

} // namespace
} // namespace tamr
