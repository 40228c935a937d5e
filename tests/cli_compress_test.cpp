// tamr-cli compress, decompress and roundtrip, run as the built program.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "cli/CliSession.h"
#include "cli/CompressCommands.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

TEST(CliCompressTest, CompressWritesTheFileAndDecompressShowsTheSameImage)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "sample.cod";
    const auto shown = scratch / "shown.bmp";
    const auto decoded = scratch / "decoded.bmp";
    const auto run = test::RunCli("compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " --decoded " +
                                      Quoted(shown.string()),
                                  scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Compression Ratios : "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" to 1"), std::string::npos);
    EXPECT_NE(run.out.find("PSNR : "), std::string::npos);
    const auto decompress =
        test::RunCli("decompress " + Quoted(cod.string()) + " " + Quoted(decoded.string()), scratch);
    ASSERT_EQ(decompress.exitCode, 0) << decompress.err;
    // The same pixels; the headers differ only in what a COD file does not keep (resolution).
    const auto fromFile = test::ReadBytes(decoded);
    const auto fromCompression = test::ReadBytes(shown);
    ASSERT_EQ(fromFile.size(), fromCompression.size());
    EXPECT_TRUE(std::equal(fromFile.begin() + 54, fromFile.end(), fromCompression.begin() + 54));
    EXPECT_LT(test::ReadBytes(cod).size(), test::ReadBytes(TAMR_SAMPLE_IMAGE).size() / 8);
}

TEST(CliCompressTest, QuietCompressIntoACodFileOnlyEncodes)
{
    test::ScratchDir scratch;
    CompressOptions options;
    options.input = TAMR_SAMPLE_IMAGE;
    options.output = (scratch / "quiet.cod").string();
    options.console.quiet = true;
    auto run = [](const CompressOptions& given) {
        std::ostringstream out;
        std::ostringstream err;
        CliSession session(err, given.limits, given.console);
        EXPECT_EQ(RunCompressCommand(given, session, out, err), 0) << err.str();
        return std::pair{session.picturesDecoded, out.str()};
    };
    const auto [quietDecoded, quietOut] = run(options);
    EXPECT_EQ(quietDecoded, 0);
    EXPECT_EQ(quietOut, "");
    // The figures, a decoded file or a bitmap as OUT need the decoded picture;
    // the COD file is the same either way.
    CompressOptions figures = options;
    figures.console.quiet = false;
    figures.output = (scratch / "figures.cod").string();
    const auto [figuresDecoded, figuresOut] = run(figures);
    EXPECT_EQ(figuresDecoded, 1);
    EXPECT_NE(figuresOut.find("PSNR : "), std::string::npos);
    EXPECT_EQ(test::ReadBytes(scratch / "quiet.cod"), test::ReadBytes(scratch / "figures.cod"));
    // Measured as its rows come, the decoded picture has the figures it has
    // when it is kept for a decoded file.
    CompressOptions kept = figures;
    kept.output = (scratch / "kept.cod").string();
    kept.decoded = (scratch / "kept.bmp").string();
    const auto figureLines = [](const std::string& out) {
        std::string lines;
        for (const char* name : {"PSNR : ", "MSE : ", "Max Pixel Difference : "})
            lines += out.substr(out.find(name), out.find('\n', out.find(name)) - out.find(name) + 1);
        return lines;
    };
    EXPECT_EQ(figureLines(figuresOut), figureLines(run(kept).second));
    EXPECT_EQ(figureLines(figuresOut).find("inf"), std::string::npos);
    CompressOptions bitmap = options;
    bitmap.output = (scratch / "shown.bmp").string();
    EXPECT_EQ(run(bitmap).first, 1);
    CompressOptions json = options;
    json.json = true;
    json.output = (scratch / "json.cod").string();
    EXPECT_EQ(run(json).first, 1);
}

TEST(CliCompressTest, SizeSearchDecodesOnlyThePictureItShows)
{
    test::ScratchDir scratch;
    CompressOptions options;
    options.input = TAMR_SAMPLE_IMAGE;
    options.targetSize = 20000;
    auto decodes = [&](bool quiet, const char* name) {
        options.console.quiet = quiet;
        options.output = (scratch / name).string();
        std::ostringstream out;
        std::ostringstream err;
        CliSession session(err, options.limits, options.console);
        EXPECT_EQ(RunCompressCommand(options, session, out, err), 0) << err.str();
        return session.picturesDecoded;
    };
    EXPECT_EQ(decodes(true, "quiet.cod"), 0);
    EXPECT_EQ(decodes(false, "figures.cod"), 1); // the picture of the quality chosen
    EXPECT_EQ(test::ReadBytes(scratch / "quiet.cod"), test::ReadBytes(scratch / "figures.cod"));
    EXPECT_LE(test::ReadBytes(scratch / "quiet.cod").size(), 20000u);
}

TEST(CliCompressTest, JsonFiguresAreConsistent)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "q80.cod";
    const auto run =
        test::RunCli("compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " -q 80 --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto figures = nlohmann::json::parse(run.out);
    EXPECT_EQ(figures["compressed_size"].get<std::size_t>(), test::ReadBytes(cod).size());
    EXPECT_EQ(figures["original_size"].get<std::size_t>(), test::ReadBytes(TAMR_SAMPLE_IMAGE).size());
    EXPECT_NEAR(figures["ratio"].get<double>(),
                figures["original_size"].get<double>() / figures["compressed_size"].get<double>(), 1e-9);
    EXPECT_GT(figures["psnr"].get<double>(), 25.0);
    EXPECT_GT(figures["largest_difference"].get<int>(), 0);
    EXPECT_EQ(figures["quality"].get<int>(), 80);
}

TEST(CliCompressTest, LosslessRoundtripIsExact)
{
    test::ScratchDir scratch;
    const auto out = scratch / "same.bmp";
    const auto run =
        test::RunCli("roundtrip " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(out.string()) + " -q 100 --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(nlohmann::json::parse(run.out)["psnr"].is_null());
    EXPECT_EQ(test::ReadBytes(out), test::ReadBytes(TAMR_SAMPLE_IMAGE));
}

TEST(CliCompressTest, RawSettingsAreValidatedByTheMasterSetupRules)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "raw.cod";
    const std::string in = Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string());
    auto run = test::RunCli("compress " + in + " --levels 7", scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Total levels cannot larger than 6"), std::string::npos) << run.err;
    run = test::RunCli("compress " + in + " --sample 0,1,0", scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("B subsample levels must be 0 or 1 and equal to C subsample levels"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(cod));

    run = test::RunCli("compress " + in + " --levels 4 --sample 0,1,1 --discard 0,1,1 --quant-a 8,12 --json", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto file = test::ReadBytes(cod);
    ASSERT_GT(file.size(), 60u);
    EXPECT_EQ(file[29], 4);          // levels
    EXPECT_EQ(file[34 + 16 + 3], 1); // B sample level
    EXPECT_EQ(file[34 + 16 + 2], 1); // B discard level
}

TEST(CliCompressTest, RawSettingsAreReadWithTheirSignAndNonNumbersAreRefused)
{
    test::ScratchDir scratch;
    const auto cod = scratch / "raw.cod";
    const std::string in = Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string());
    const struct {
        std::string options;
        std::string line;
    } refusals[] = {
        {"--discard=-1,0,0", "Error: A discarded levels cannot larger than total levels\n"},
        {"--sample=0,-1,-1", "Error: B subsample levels must be 0 or 1 and equal to C subsample levels\n"},
        {"--discard=x,0,0", "Error: --discard takes up to three whole numbers a,b,c, not \"x,0,0\"\n"},
        {"--levels abc", "Error: --levels takes a whole number, not \"abc\"\n"},
    };
    for (const auto& refusal : refusals) {
        const auto run = test::RunCli("compress " + in + " " + refusal.options, scratch);
        EXPECT_EQ(run.exitCode, 1) << refusal.options;
        EXPECT_EQ(run.err, refusal.line);
    }
    EXPECT_FALSE(std::filesystem::exists(cod));
    // One entry stands for all three, as in the vectors.
    const auto run = test::RunCli("compress " + in + " --discard=+1 --levels ' 3 '", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto file = test::ReadBytes(cod);
    ASSERT_GT(file.size(), 60u);
    EXPECT_EQ(file[29], 3);
    EXPECT_EQ(file[30 + 4 * 4], 1);     // A discard level, after the level table
    EXPECT_EQ(file[30 + 4 * 4 + 4], 1); // C discard level
}

TEST(CliCompressTest, OutputThatIsTheInputIsRefused)
{
    test::ScratchDir scratch;
    const auto picture = scratch / "a.bmp";
    std::filesystem::copy_file(TAMR_SAMPLE_IMAGE, picture);
    std::filesystem::create_symlink("a.bmp", scratch / "link.bmp");
    std::filesystem::create_hard_link(picture, scratch / "hard.bmp");
    const auto original = test::ReadBytes(picture);
    const std::string a = Quoted(picture.string());
    const std::string commands[] = {
        "compress " + a + " " + a,
        "compress " + a + " " + Quoted((scratch / "x.cod").string()) + " --decoded " + a,
        "roundtrip " + a + " " + Quoted((scratch / "link.bmp").string()),
        "convert " + a + " " + Quoted((scratch / "hard.bmp").string()),
        "palette " + a + " " + a,
        "filter " + a + " " + a + " --name Smooth",
        "sharpen " + a + " " + a + " --amount 50",
        // A name without an extension takes the input's: the same file again.
        "convert " + a + " " + Quoted((scratch / "a").string()),
        "filter " + a + " " + Quoted((scratch / "a").string()) + " --name Negative",
    };
    for (const std::string& command : commands) {
        const auto run = test::RunCli(command, scratch);
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_NE(run.err.find(" is the input picture; choose another name\n"), std::string::npos) << run.err;
    }
    const auto run = test::RunCli("compress " + a + " " + a, scratch);
    EXPECT_EQ(run.err, "tamr-cli: " + picture.string() + " is the input picture; choose another name\n");
    EXPECT_EQ(test::ReadBytes(picture), original);
    EXPECT_FALSE(std::filesystem::exists(scratch / "x.cod"));
}

TEST(CliCompressTest, UnreadableInputGivesTheSystemsMessage)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "junk.bin", {1, 2, 3, 4});
    const auto run = test::RunCli(
        "compress " + Quoted((scratch / "junk.bin").string()) + " " + Quoted((scratch / "x.cod").string()), scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("There was an error reading the file!!"), std::string::npos);
    test::WriteBytes(scratch / "bad.cod", {'C', 'I', 'S', '4', '.', '0'});
    const auto bad = test::RunCli(
        "decompress " + Quoted((scratch / "bad.cod").string()) + " " + Quoted((scratch / "x.bmp").string()), scratch);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("file can not be decompressed!!"), std::string::npos);
}

} // namespace
} // namespace tamr
