// tamr-cli evaluate, run as the built program: the sweep's very points, a
// report to reproduce it by, a run resumed from its folder and shards merged.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>

#include "platform/Sha256.h"
#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/JpegTestFiles.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

// A 64 x 48 colour picture: gradients with a little noise, different for each seed.
void WritePicture(const std::filesystem::path& path, std::uint32_t seed)
{
    test::BmpLayout layout;
    layout.width = 64;
    layout.height = 48;
    const auto noise = test::RandomBytes(64 * 48 * 3, seed);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c) {
                const std::size_t at = (static_cast<std::size_t>(y) * 64 + x) * 3 + c;
                layout.rows.push_back(static_cast<std::uint8_t>((x * (c + 1) * 3 + y * 2 + noise[at] % 24) & 0xff));
            }
    test::WriteBytes(path, test::BuildBmp(layout));
}

// The figures of every point without its times, which differ from run to run.
nlohmann::json Untimed(nlohmann::json report)
{
    for (auto& picture : report["pictures"])
        for (auto& point : picture["points"]) {
            point.erase("encode_seconds");
            point.erase("decode_seconds");
        }
    return report;
}

std::size_t PointFiles(const std::filesystem::path& folder)
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / "points"))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

class CliEvaluateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(scratch_ / "pictures");
        for (std::uint32_t i = 0; i < 3; ++i)
            WritePicture(scratch_ / "pictures" / ("p" + std::to_string(i) + ".bmp"), i + 1);
    }

    test::CliRun Evaluate(const std::string& options)
    {
        return test::RunCli("evaluate " + Quoted((scratch_ / "pictures").string()) +
                                " --codecs tamr,jpeg,jp2 --qualities 20,40,60,80 --threads 2 " + options,
                            scratch_);
    }

    std::string Folder(const std::string& name) const { return Quoted((scratch_ / name).string()); }

    test::ScratchDir scratch_;
};

TEST_F(CliEvaluateTest, CodesAndMeasuresEveryPointAsSweepDoes)
{
    const auto evaluated = Evaluate("--json");
    ASSERT_EQ(evaluated.exitCode, 0) << evaluated.err;
    const auto report = nlohmann::json::parse(evaluated.out);
    const auto picture = scratch_ / "pictures" / "p1.bmp";
    const auto swept = test::RunCli(
        "sweep " + Quoted(picture.string()) + " --peers jpeg,jp2 --qualities 20,40,60,80 --json", scratch_);
    ASSERT_EQ(swept.exitCode, 0) << swept.err;
    const auto sweep = nlohmann::json::parse(swept.out);
    const auto& points = report["pictures"][1]["points"];
    ASSERT_EQ(points.size(), sweep["points"].size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i]["codec"], sweep["points"][i]["codec"]);
        EXPECT_EQ(points[i]["bytes"], sweep["points"][i]["bytes"]) << i;
        EXPECT_EQ(points[i]["psnr_y"], sweep["points"][i]["psnr_y"]) << i;
        EXPECT_EQ(points[i]["ssim"], sweep["points"][i]["ssim"]) << i;
    }
}

TEST_F(CliEvaluateTest, ReportSaysWhatItWasMadeWith)
{
    const auto evaluated = Evaluate("--json --metrics psnr_y,ssim --anchor jpeg");
    ASSERT_EQ(evaluated.exitCode, 0) << evaluated.err;
    const auto report = nlohmann::json::parse(evaluated.out);
    EXPECT_FALSE(report["tamr"].get<std::string>().empty());
    for (const auto& codec : report["codecs"]) {
        if (codec["name"] != "tamr") {
            EXPECT_FALSE(codec["library"].get<std::string>().empty()) << codec;
        }
    }
    EXPECT_EQ(report["metrics"][0]["key"], "psnr_y");
    EXPECT_NE(report["metrics"][0]["definition"].get<std::string>().find("0.299"), std::string::npos);
    const auto bytes = test::ReadBytes(scratch_ / "pictures" / "p2.bmp");
    EXPECT_EQ(report["pictures"][2]["sha256"], Sha256Hex(bytes));
    // jp2's points say the size they aimed at.
    EXPECT_NE(report["pictures"][0]["points"][8]["settings"].get<std::string>().find("aimed at"), std::string::npos);
    // Two codecs against the anchor for each of the two figures; each mean is of the pictures it names as averaged.
    ASSERT_EQ(report["bd"].size(), 4u);
    for (const auto& row : report["bd"]) {
        double sum = 0;
        std::size_t count = 0;
        for (const auto& picture : row["per_picture"])
            if (picture["bd_rate"].is_number() && picture["bd_rate_overlap"].get<double>() >= 0.75) {
                sum += picture["bd_rate"].get<double>();
                ++count;
            }
        EXPECT_EQ(row["bd_rate"]["pictures_averaged"], count);
        EXPECT_EQ(row["bd_rate"]["too_little_overlap"].size() + row["bd_rate"]["without_value"].size() + count, 3u);
        if (count > 0) {
            EXPECT_NEAR(row["bd_rate"]["mean"].get<double>(), sum / static_cast<double>(count), 1e-9);
        }
    }
}

TEST_F(CliEvaluateTest, WritesTheCompressAiSchema)
{
    const auto evaluated = Evaluate("--json-schema compressai");
    ASSERT_EQ(evaluated.exitCode, 0) << evaluated.err;
    const auto results = nlohmann::json::parse(evaluated.out);
    ASSERT_EQ(results.size(), 3u);
    for (const auto& codec : results) {
        EXPECT_TRUE(codec["name"].is_string());
        EXPECT_TRUE(codec["description"].is_string());
        for (const char* key : {"psnr-rgb", "ms-ssim-rgb", "bpp", "encoding_time", "decoding_time"})
            EXPECT_EQ(codec["results"][key].size(), 4u) << key;
        EXPECT_GT(codec["results"]["bpp"][3].get<double>(), codec["results"]["bpp"][0].get<double>());
    }
}

TEST_F(CliEvaluateTest, WritesOneSelfContainedPage)
{
    const auto page = scratch_ / "report.html";
    const auto evaluated = Evaluate("--metrics psnr,ssim --report " + Quoted(page.string()));
    ASSERT_EQ(evaluated.exitCode, 0) << evaluated.err;
    const auto bytes = test::ReadBytes(page);
    const std::string html(bytes.begin(), bytes.end());
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    // The mean curves and each picture's own, each picture in the table and with its hash.
    std::size_t plots = 0;
    for (auto at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1))
        ++plots;
    EXPECT_EQ(plots, 4u);
    for (int i = 0; i < 3; ++i) {
        const auto picture = scratch_ / "pictures" / ("p" + std::to_string(i) + ".bmp");
        // Its thumbnail and name link to its own curves.
        EXPECT_NE(html.find("<a href=\"#picture-" + std::to_string(i) + "\"><img src=\"data:image/png;base64,"),
                  std::string::npos);
        EXPECT_NE(html.find(picture.string() + "</a>"), std::string::npos);
        EXPECT_NE(html.find("<h3 id=\"picture-" + std::to_string(i) + "\">"), std::string::npos);
        EXPECT_NE(html.find(Sha256Hex(test::ReadBytes(picture))), std::string::npos);
    }
    // Nothing is fetched from elsewhere.
    EXPECT_EQ(html.find("src=\"http"), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
}

TEST_F(CliEvaluateTest, AnInterruptedRunResumesToTheSameReport)
{
    const auto whole = Evaluate("--json --out " + Folder("whole"));
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    const std::size_t points = PointFiles(scratch_ / "whole");
    EXPECT_EQ(points, 3u * 3 * 4);
    // What a run stopped part-way leaves: some of the points, no evaluation.
    std::size_t kept = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch_ / "whole" / "points")) {
        if (!entry.is_regular_file() || kept++ % 3 != 0)
            continue;
        const auto target = scratch_ / "part" / std::filesystem::relative(entry.path(), scratch_ / "whole");
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(entry.path(), target);
    }
    const std::size_t copied = PointFiles(scratch_ / "part");
    ASSERT_GT(copied, 0u);
    const auto resumed = Evaluate("--json --out " + Folder("part"));
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_NE(resumed.err.find(std::to_string(copied) + " points taken from"), std::string::npos) << resumed.err;
    EXPECT_EQ(PointFiles(scratch_ / "part"), points);
    EXPECT_EQ(Untimed(nlohmann::json::parse(resumed.out)), Untimed(nlohmann::json::parse(whole.out)));
    // Nothing left to do: every point is taken.
    const auto again = Evaluate("--csv --out " + Folder("part"));
    EXPECT_NE(again.err.find(std::to_string(points) + " points taken from"), std::string::npos) << again.err;
}

TEST_F(CliEvaluateTest, TwoShardsMergedEqualOneRun)
{
    const auto whole = Evaluate("--json");
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    ASSERT_EQ(Evaluate("--shard 2/2 --out " + Folder("second")).exitCode, 0);
    ASSERT_EQ(Evaluate("--shard 1/2 --out " + Folder("first")).exitCode, 0);
    const auto merged = test::RunCli("evaluate --json --merge " + Folder("second") + " " + Folder("first"), scratch_);
    ASSERT_EQ(merged.exitCode, 0) << merged.err;
    const auto report = nlohmann::json::parse(merged.out);
    EXPECT_EQ(report["pictures"].size(), 3u);
    EXPECT_EQ(Untimed(report), Untimed(nlohmann::json::parse(whole.out)));
    // A shard alone says how many pictures it lacks.
    const auto alone = test::RunCli("evaluate --merge " + Folder("second"), scratch_);
    EXPECT_NE(alone.err.find("1 of the 3 pictures"), std::string::npos) << alone.err;
}

TEST(CliEvaluateReaderTest, PicturesOpenWithAnyVariant)
{
    test::ScratchDir scratch;
    test::JpegLayout layout;
    layout.kind = test::JpegKind::Progressive;
    const auto picture = scratch / "progressive.jpg";
    test::WriteBytes(picture, test::MakeJpeg(layout));
    const std::string evaluate =
        "evaluate " + Quoted(picture.string()) + " --codecs tamr,jpeg --qualities 30,60,90 --json";
    const auto refused = test::RunCli(evaluate, scratch);
    EXPECT_TRUE(refused.exitCode != 0 || nlohmann::json::parse(refused.out)["pictures"][0].contains("error"));
    const auto opened = test::RunCli("--any-variant " + evaluate, scratch);
    ASSERT_EQ(opened.exitCode, 0) << opened.err;
    const auto record = nlohmann::json::parse(opened.out)["pictures"][0];
    EXPECT_FALSE(record.contains("error")) << record;
    EXPECT_EQ(record["points"].size(), 6u) << record;
}

} // namespace
} // namespace tamr
