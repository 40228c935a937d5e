// tamr-cli in scripts and pipes: standard input and output, devices, the
// kind of every output, system reasons, suggestions and JSON.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

std::string Q(const std::filesystem::path& path)
{
    return Quoted(path.string());
}

std::string Text(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

const std::string kSample = Quoted(TAMR_SAMPLE_IMAGE);

TEST(CliScriptingTest, StandardOutputTakesTheKindFromFormat)
{
    test::ScratchDir scratch;
    ASSERT_EQ(test::RunCli("convert " + kSample + " " + Q(scratch / "file.png"), scratch).exitCode, 0);
    auto run = test::RunCli("convert " + kSample + " - --format png", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, Text(test::ReadBytes(scratch / "file.png")));
    // The kind is required, and must not contradict the name.
    run = test::RunCli("convert " + kSample + " -", scratch);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--format"), std::string::npos) << run.err;
    EXPECT_EQ(test::RunCli("convert " + kSample + " " + Q(scratch / "x.bmp") + " --format png", scratch).exitCode, 2);
    // compress writes the COD file there and its figures on standard error.
    run = test::RunCli("compress " + kSample + " - --format cod --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 3), "CIS");
    EXPECT_NE(run.err.find("\"bytes\""), std::string::npos) << run.err;
}

TEST(CliScriptingTest, DevicesAreWrittenInPlace)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "p.cod";
    ASSERT_EQ(test::RunCli("compress " + kSample + " " + Q(cod), scratch).exitCode, 0);
    ASSERT_EQ(test::RunCli("decompress " + Q(cod) + " " + Q(scratch / "p.bmp"), scratch).exitCode, 0);
    // No extension: the picture's own kind, nothing appended to the device's name.
    auto run = test::RunCli("decompress " + Q(cod) + " /dev/stdout", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, Text(test::ReadBytes(cod)));
    run = test::RunCli("decompress " + Q(cod) + " /dev/stdout --format bmp", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, Text(test::ReadBytes(scratch / "p.bmp")));
    EXPECT_FALSE(std::filesystem::exists("/dev/stdout.cod"));
    EXPECT_EQ(test::RunCli("convert " + kSample + " /dev/null", scratch).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(CliScriptingTest, StandardInputIsReadWithinItsCap)
{
    test::ScratchDir scratch;
    ASSERT_EQ(test::RunCli("compress " + kSample + " " + Q(scratch / "named.cod"), scratch).exitCode, 0);
    auto run = test::RunCli("compress - " + Q(scratch / "piped.cod"), scratch, "cat " + kSample + " | ");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::ReadBytes(scratch / "piped.cod"), test::ReadBytes(scratch / "named.cod"));
    // A COD file from standard input keeps its kind for the Save As rules.
    run = test::RunCli("decompress - - --format bmp", scratch, "cat " + Q(scratch / "named.cod") + " | ");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 2), "BM");
    // 1 million pixels allow 2 x 3 MB and 1 MiB: 8 MiB of zeros is more.
    run = test::RunCli("--max-megapixels 1 info -", scratch, "head -c 8388608 /dev/zero | ");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("standard input holds more than"), std::string::npos) << run.err;
    // Standard output that is the input file.
    const auto picture = scratch / "p.bmp";
    std::filesystem::copy_file(TAMR_SAMPLE_IMAGE, picture);
    run = test::RunCli("convert " + Q(picture) + " - --format bmp >>" + Q(picture), scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is the input picture"), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadBytes(picture), test::ReadBytes(TAMR_SAMPLE_IMAGE));
}

TEST(CliScriptingTest, DifferencePictureTakesItsKindFromItsName)
{
    test::ScratchDir scratch;
    ASSERT_EQ(test::RunCli("compare " + kSample + " " + kSample + " --diff " + Q(scratch / "d.png"), scratch).exitCode,
              0);
    EXPECT_EQ(Text(test::ReadBytes(scratch / "d.png")).substr(1, 3), "PNG");
    const auto run = test::RunCli("compare " + kSample + " " + kSample + " --diff - --format ppm --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 2), "P6");
    EXPECT_NE(run.err.find("\"psnr_y\""), std::string::npos) << run.err;
}

TEST(CliScriptingTest, FailureGivesTheSystemsReasonOnTheNextLine)
{
    test::ScratchDir scratch;
    const auto run = test::RunCli("convert " + kSample + " /dev/full --format bmp", scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Error: Cannot Save to the file!!\ntamr-cli: /dev/full: No space left on device\n");
}

TEST(CliScriptingTest, MistypedNamesGetTheClosestOne)
{
    test::ScratchDir scratch;
    auto run = test::RunCli("compres " + kSample + " x.cod", scratch);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("did you mean compress?"), std::string::npos) << run.err;
    run = test::RunCli("compress " + kSample + " x.cod --jsn", scratch);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("did you mean --json?"), std::string::npos) << run.err;
    // Values out of range and options that exclude each other are usage errors too.
    for (const std::string& line :
         {"batch --out d --threads 0 " + kSample,
          "compress " + kSample + " " + Q(scratch / "x.cod") + " --target-size 9000 --levels 4"}) {
        EXPECT_EQ(test::RunCli(line, scratch).exitCode, 2) << line;
    }
    EXPECT_FALSE(std::filesystem::exists(scratch / "x.cod"));
}

TEST(CliScriptingTest, InfoAndBatchSpeakJson)
{
    test::ScratchDir scratch;
    auto run = test::RunCli("info --json " + kSample, scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto facts = nlohmann::json::parse(run.out);
    EXPECT_EQ(facts["kind"], "BMP");
    EXPECT_EQ(facts["width"], 512);
    EXPECT_EQ(facts["mode"], "colour");
    test::WriteBytes(scratch / "junk.bmp", {1, 2, 3});
    run = test::RunCli("--progress always batch --json --out " + Q(scratch / "out") + " " + kSample + " " +
                           Q(scratch / "junk.bmp"),
                       scratch);
    EXPECT_EQ(run.exitCode, 1);
    const auto batch = nlohmann::json::parse(run.out);
    ASSERT_EQ(batch["files"].size(), 2u);
    EXPECT_TRUE(batch["files"][0]["error"].is_null());
    EXPECT_GT(batch["files"][0]["psnr"].get<double>(), 20.0);
    EXPECT_EQ(batch["files"][0]["bytes"], std::filesystem::file_size(scratch / "out" / "tamr-sample.cod"));
    EXPECT_TRUE(batch["files"][1]["error"].is_string());
    EXPECT_EQ(batch["failed"], 1);
    EXPECT_NE(run.err.find("2/2"), std::string::npos) << run.err; // the progress bar, asked for
}

} // namespace
} // namespace tamr
