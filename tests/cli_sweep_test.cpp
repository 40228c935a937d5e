// tamr-cli sweep, run as the built program: its points against single
// compress runs, cjpeg and compare; its plot; a peer that fails.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "image/PictureMetrics.h"
#include "peers/PeerCodecs.h"
#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/JpegTestFiles.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

nlohmann::json Point(const nlohmann::json& sweep, const std::string& codec, int quality)
{
    for (const auto& point : sweep["points"])
        if (point["codec"] == codec && point["quality"] == quality)
            return point;
    ADD_FAILURE() << "no point " << codec << " " << quality;
    return {};
}

bool HasTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// The sample picture (512 x 384, 24 bits, rows unpadded) as a binary PPM: top-down red-green-blue.
std::vector<std::uint8_t> SamplePpm()
{
    const auto bmp = test::ReadBytes(TAMR_SAMPLE_IMAGE);
    const std::string header = "P6\n512 384\n255\n";
    std::vector<std::uint8_t> ppm(header.begin(), header.end());
    for (int y = 383; y >= 0; --y)
        for (int x = 0; x < 512; ++x) {
            const std::size_t at = 54 + static_cast<std::size_t>(y) * 1536 + static_cast<std::size_t>(x) * 3;
            ppm.insert(ppm.end(), {bmp[at + 2], bmp[at + 1], bmp[at]});
        }
    return ppm;
}

class CliSweepTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        scratch_ = new test::ScratchDir;
        const auto run = test::RunCli(
            "sweep " + Quoted(TAMR_SAMPLE_IMAGE) + " --qualities 20:80:60 --json --threads 2 --out " +
                Quoted((*scratch_ / "points").string()) + " --svg " + Quoted((*scratch_ / "plot.svg").string()),
            *scratch_);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        sweep_ = new nlohmann::json(nlohmann::json::parse(run.out));
    }
    static void TearDownTestSuite()
    {
        delete sweep_;
        delete scratch_;
    }
    static inline test::ScratchDir* scratch_ = nullptr;
    static inline nlohmann::json* sweep_ = nullptr;
};

TEST_F(CliSweepTest, TamrPointsAreSingleCompressRunsByteForByte)
{
    ASSERT_EQ((*sweep_)["points"].size(), 8u);
    for (const int quality : {20, 80}) {
        const auto cod = *scratch_ / ("single-" + std::to_string(quality) + ".cod");
        const auto run = test::RunCli("compress " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(cod.string()) + " -q " +
                                          std::to_string(quality) + " --json",
                                      *scratch_);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto single = nlohmann::json::parse(run.out);
        const auto point = Point(*sweep_, "tamr", quality);
        char name[32];
        std::snprintf(name, sizeof name, "tamr-q%03d.cod", quality);
        EXPECT_EQ(test::ReadBytes(*scratch_ / "points" / name), test::ReadBytes(cod));
        EXPECT_EQ(point["bytes"], single["compressed_size"]);
        for (const char* key : {"psnr", "psnr_y", "ssim", "mse", "largest_difference"})
            EXPECT_EQ(point[key], single[key]) << key;
    }
}

TEST_F(CliSweepTest, PeerPointsMeasureAsCompareMeasuresTheirDecodedPictures)
{
    for (const std::string codec : {"jpeg", "jp2", "webp"}) {
        const auto point = Point(*sweep_, codec, 80);
        ASSERT_TRUE(point["error"].is_null()) << point["error"];
        const auto decoded = *scratch_ / "points" / (codec + "-q080.bmp");
        const auto run = test::RunCli(
            "compare " + Quoted(TAMR_SAMPLE_IMAGE) + " " + Quoted(decoded.string()) + " --json", *scratch_);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto figures = nlohmann::json::parse(run.out);
        for (const char* key : {"psnr", "psnr_y", "ssim", "mse", "largest_difference"})
            EXPECT_EQ(point[key], figures[key]) << codec << " " << key;
        EXPECT_GT(point["psnr"].get<double>(), 28.0) << codec;
    }
    // JPEG 2000 aims at tamr's size at the same quality.
    const double tamrBytes = Point(*sweep_, "tamr", 20)["bytes"].get<double>();
    EXPECT_NEAR(Point(*sweep_, "jp2", 20)["bytes"].get<double>(), tamrBytes, tamrBytes * 0.05);
}

TEST_F(CliSweepTest, JpegFilesAreThoseOfCjpeg)
{
    if (!HasTool("cjpeg"))
        GTEST_SKIP() << "cjpeg is not installed";
    const auto ppm = *scratch_ / "sample.ppm";
    test::WriteBytes(ppm, SamplePpm());
    for (const int quality : {20, 80}) {
        const auto jpeg = *scratch_ / ("cjpeg-" + std::to_string(quality) + ".jpg");
        ASSERT_EQ(std::system(("cjpeg -quality " + std::to_string(quality) + " " + Quoted(ppm.string()) + " > " +
                               Quoted(jpeg.string()))
                                  .c_str()),
                  0);
        char name[32];
        std::snprintf(name, sizeof name, "jpeg-q%03d.jpg", quality);
        const auto ours = test::ReadBytes(*scratch_ / "points" / name);
        EXPECT_EQ(ours.size(), test::ReadBytes(jpeg).size()) << quality;
        EXPECT_EQ(ours, test::ReadBytes(jpeg)) << quality;
        EXPECT_EQ(Point(*sweep_, "jpeg", quality)["bytes"].get<std::size_t>(), ours.size());
    }
}

TEST_F(CliSweepTest, ThePlotIsSvgWithOneLinePerCodecInEachPanel)
{
    const auto bytes = test::ReadBytes(*scratch_ / "plot.svg");
    const std::string svg(bytes.begin(), bytes.end());
    if (HasTool("xmllint")) {
        EXPECT_EQ(std::system(("xmllint --noout " + Quoted((*scratch_ / "plot.svg").string())).c_str()), 0);
    }
    // Well formed at least in its elements: every opened element is closed.
    std::size_t opened = 0;
    std::size_t closed = 0;
    for (std::size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
        const std::size_t end = svg.find('>', at);
        ASSERT_NE(end, std::string::npos);
        if (svg[at + 1] == '?')
            continue;
        if (svg[at + 1] == '/')
            ++closed;
        else if (svg[end - 1] != '/')
            ++opened;
    }
    EXPECT_EQ(opened, closed);
    EXPECT_NE(svg.find("tamr-sample.bmp (512 \u00d7 384)"), std::string::npos);
    for (const std::string panel : {"psnr-panel", "ssim-panel"}) {
        const std::size_t start = svg.find("<g id=\"" + panel + "\">");
        ASSERT_NE(start, std::string::npos);
        const std::string body = svg.substr(start, svg.find("</g>", start) - start);
        for (const std::string codec : {"tamr", "jpeg", "jp2", "webp"}) {
            const std::string path = "<path class=\"series\" data-codec=\"" + codec + "\" d=\"M";
            const std::size_t first = body.find(path);
            EXPECT_NE(first, std::string::npos) << panel << " " << codec;
            EXPECT_EQ(body.find(path, first + 1), std::string::npos) << panel << " " << codec;
        }
    }
}

// Each newer peer of the build: listed with its library's version, its kept
// file decoded by its own library to the picture measured.
TEST(CliSweepNewerPeersTest, EachIsListedAndItsKeptFileDecodesToThePictureMeasured)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 40;
    layout.height = 32;
    layout.rows = test::RandomBytes(40 * 32 * 3, 9);
    for (std::size_t i = 0; i < layout.rows.size(); ++i) // smooth enough to code, noisy enough to differ
        layout.rows[i] = static_cast<std::uint8_t>((i / 3 % 40) * 5 + layout.rows[i] % 16);
    const auto picture = scratch / "small.bmp";
    test::WriteBytes(picture, test::BuildBmp(layout));
    const ConstPixelView original{layout.rows, 40, 32, 0};
    int tried = 0;
    for (const std::string name : {"avif", "avif420", "jxl"}) {
        const PeerCodec* codec = FindCodec(name);
        ASSERT_NE(codec, nullptr);
        if (!codec->available)
            continue;
        ++tried;
        const auto out = scratch / name;
        const auto run = test::RunCli("sweep " + Quoted(picture.string()) + " --qualities 50 --peers " + name +
                                          " --json --out " + Quoted(out.string()),
                                      scratch);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto sweep = nlohmann::json::parse(run.out);
        const auto point = Point(sweep, name, 50);
        ASSERT_TRUE(point["error"].is_null()) << point["error"];
        ASSERT_EQ(sweep["codecs"].size(), 2u);
        EXPECT_EQ(sweep["codecs"][1]["name"], name);
        const std::string library = name == "jxl" ? "libjxl " : "libavif ";
        EXPECT_EQ(sweep["codecs"][1]["library"].get<std::string>().rfind(library, 0), 0u) << sweep["codecs"];
        const auto kept = test::ReadBytes(out / (name + "-q050" + std::string(codec->extension)));
        EXPECT_EQ(point["bytes"].get<std::size_t>(), kept.size());
        const PeerPicture decoded = codec->decode(kept, original, 3);
        ASSERT_FALSE(decoded.Failed()) << decoded.failure;
        const auto bmp = test::ReadBytes(out / (name + "-q050.bmp"));
        ASSERT_GT(bmp.size(), decoded.decoded.size());
        EXPECT_TRUE(std::equal(decoded.decoded.begin(), decoded.decoded.end(),
                               bmp.end() - static_cast<std::ptrdiff_t>(decoded.decoded.size())));
        const double psnr = MeasurePictures(original, {decoded.decoded, 40, 32, 0}, 3).psnr;
        EXPECT_NEAR(point["psnr"].get<double>(), psnr, 1e-9);
    }
    if (tried == 0)
        GTEST_SKIP() << "libavif and libjxl were missing when tamr was built";
}

TEST(CliSweepFailureTest, AFailingPeerPointIsReportedAndTheSweepGoesOn)
{
    // WebP takes no picture wider than 16383 pixels.
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 16400;
    layout.height = 12;
    layout.rows = test::RandomBytes(16400 * 3 * 12, 4);
    const auto wide = scratch / "wide.bmp";
    test::WriteBytes(wide, test::BuildBmp(layout));
    auto run = test::RunCli("sweep " + Quoted(wide.string()) + " --qualities 50 --peers webp,jpeg --csv", scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("webp,50,,,,,,,,,,,,,,\"WebP: the picture is larger than 16383 pixels\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\njpeg,50,"), std::string::npos);
    EXPECT_EQ(run.out.find("\njpeg,50,,"), std::string::npos);

    // Values out of range are not understood: usage errors.
    run = test::RunCli("sweep " + Quoted(wide.string()) + " --qualities 50:10:5", scratch);
    EXPECT_EQ(run.exitCode, 2);
    run = test::RunCli("sweep " + Quoted(wide.string()) + " --qualities a:b", scratch);
    EXPECT_EQ(run.exitCode, 2);
    // A peer no row of the registry names is a command line not understood; the message lists the peers.
    run = test::RunCli("sweep " + Quoted(wide.string()) + " --peers jpeg,gif", scratch);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("\"gif\" is no peer; the peers are " + PeerNames()), std::string::npos) << run.err;
    run = test::RunCli("sweep " + Quoted(wide.string()) + " --peers tamr", scratch);
    EXPECT_EQ(run.exitCode, 2);
}

// The picture a sweep codes opens as every command's picture does: a variant
// tamr's own reader refuses only with --any-variant.
TEST(CliSweepReaderTest, TheSweptPictureOpensWithAnyVariant)
{
    test::ScratchDir scratch;
    test::JpegLayout layout;
    layout.kind = test::JpegKind::Progressive;
    const auto picture = scratch / "progressive.jpg";
    test::WriteBytes(picture, test::MakeJpeg(layout));
    const std::string sweep = "sweep " + Quoted(picture.string()) + " --qualities 50 --peers none --csv";
    EXPECT_EQ(test::RunCli(sweep, scratch).exitCode, 1);
    const auto run = test::RunCli("--any-variant " + sweep, scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\ntamr,50,"), std::string::npos) << run.out;
}

} // namespace
} // namespace tamr
