// tamr-cli compress --optimise, run as the built program.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

#include "codec/SettingsSearch.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

TEST(CliOptimiseTest, FileHasTheFiguresPrintedAndBeatsTheQualityFactor)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "opt.cod";
    const auto run = test::RunCli(
        "compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " --optimise --bpp 1.5 --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto figures = nlohmann::json::parse(run.out);
    const auto& optimised = figures["optimised"];
    EXPECT_EQ(optimised["bytes"].get<std::size_t>(), test::ReadBytes(cod).size());
    EXPECT_EQ(figures["compressed_size"].get<std::size_t>(), test::ReadBytes(cod).size());
    EXPECT_DOUBLE_EQ(optimised["value"].get<double>(), figures["psnr"].get<double>());
    EXPECT_GE(optimised["value"].get<double>(), optimised["quality_factor_value"].get<double>());
    EXPECT_EQ(optimised["threshold_vector"].get<std::string>().empty(), false);
}

TEST(CliOptimiseTest, UnreachableTargetFailsAndWritesNothing)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "tiny.cod";
    const auto run = test::RunCli(
        "compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " --optimise --target-size 40", scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(std::string(kOptimiseUnreachable)), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(cod));
}

TEST(CliOptimiseTest, NonsenseTargetsAreUsageErrors)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "x.cod";
    for (const char* target : {"--target-ssim 1.5", "--bpp -1", "--target-psnr 0", "--target-size 0", ""}) {
        const auto run = test::RunCli(
            "compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " --optimise " + target, scratch);
        EXPECT_EQ(run.exitCode, 2) << target << ": " << run.err;
    }
    const auto withoutOptimise =
        test::RunCli("compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " --bpp 1", scratch);
    EXPECT_EQ(withoutOptimise.exitCode, 2) << withoutOptimise.err;
}

} // namespace
} // namespace tamr
