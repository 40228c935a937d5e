// The deltas of an evaluation: pictures whose curves overlap too little are
// named and left out of the means; the geometric mean of the rate ratios.

#include <gtest/gtest.h>

#include <cmath>

#include "evaluate/EvaluationReport.h"
#include "evaluate/PointFolder.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

// A picture whose codec `test` spends `factor` times the anchor's bits for
// each PSNR-Y, its curve at PSNR-Y 30 to 36 dB moved up by `shift` dB.
EvaluatedPicture Picture(const std::string& name, double factor, double shift)
{
    EvaluatedPicture picture;
    picture.name = name;
    for (int i = 0; i < 4; ++i) {
        SweepPoint anchor;
        anchor.codec = FindCodec("jpeg");
        anchor.quality = 20 * (i + 1);
        anchor.bitsPerPixel = 0.25 * std::pow(2.0, i);
        anchor.metrics.psnrY = 30 + 2 * i;
        SweepPoint test = anchor;
        test.codec = &TamrCodec();
        test.bitsPerPixel = anchor.bitsPerPixel * factor * std::pow(2.0, shift / 2);
        test.metrics.psnrY = anchor.metrics.psnrY + shift;
        picture.points.push_back(anchor);
        picture.points.push_back(test);
    }
    return picture;
}

TEST(EvaluationReport, PicturesOverlappingTooLittleAreNamedNotAveraged)
{
    Evaluation evaluation;
    evaluation.codecs = {{"jpeg", "JPEG", ""}, {"tamr", "tamr", ""}};
    evaluation.metrics = {"psnr_y"};
    evaluation.pictures = {Picture("a", 0.8, 0), Picture("b", 0.5, 0), Picture("apart", 0.9, 4)};
    evaluation.pictureCount = 3;
    const EvaluationReport report = MakeReport(evaluation, "jpeg", CurveFit::Pchip);
    ASSERT_EQ(report.rows.size(), 1u);
    const CodecDeltas& row = report.rows[0];
    EXPECT_EQ(row.codec, "tamr");
    ASSERT_EQ(row.pictures.size(), 3u);
    EXPECT_NEAR(row.pictures[0].rate.value, -20, 1e-9);
    EXPECT_NEAR(row.pictures[1].rate.value, -50, 1e-9);
    // 34 to 40 dB against the anchor's 30 to 36 dB: 2 of its 6 dB.
    EXPECT_NEAR(row.pictures[2].rate.overlap, 2.0 / 6.0, 1e-12);
    EXPECT_EQ(row.rate.tooLittleOverlap, std::vector<std::string>{"apart"});
    EXPECT_EQ(row.rate.averaged, 2u);
    EXPECT_NEAR(row.rate.mean, -35, 1e-9);
    EXPECT_NEAR(row.geometricRate, (std::sqrt(0.8 * 0.5) - 1) * 100, 1e-9);
}

TEST(EvaluationReport, APictureWithoutPointsHasNoValue)
{
    Evaluation evaluation;
    evaluation.codecs = {{"jpeg", "JPEG", ""}, {"tamr", "tamr", ""}};
    evaluation.metrics = {"psnr_y"};
    EvaluatedPicture broken;
    broken.name = "broken";
    broken.failure = "cannot be read";
    evaluation.pictures = {Picture("a", 1.25, 0), broken};
    const CodecDeltas row = MakeReport(evaluation, "jpeg", CurveFit::Akima).rows.at(0);
    EXPECT_EQ(row.rate.averaged, 1u);
    EXPECT_NEAR(row.rate.mean, 25, 1e-9);
    EXPECT_EQ(row.rate.withoutValue, std::vector<std::string>{"broken: cannot be read"});
}

TEST(PointFolder, FindsAPointOnlyUnderTheSettingsItWasKeptWith)
{
    test::ScratchDir scratch;
    SweepPoint point = Picture("a", 1, 0).points[0];
    point.bytes = 1234;
    point.metrics.ssim = 0.875;
    point.metrics.psnr = std::numeric_limits<double>::infinity();
    const MetricChoice choice{true, true, false};
    PointFolder folder(scratch.Path(), "2.6", "ab12", choice);
    folder.Keep(point, "libjpeg 1; quality 20");
    ASSERT_TRUE(folder.Failures().empty());
    const auto found = folder.Find(point, "libjpeg 1; quality 20");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->bytes, 1234u);
    EXPECT_EQ(found->bitsPerPixel, point.bitsPerPixel);
    EXPECT_EQ(found->metrics.ssim, 0.875);
    EXPECT_TRUE(std::isinf(found->metrics.psnr));
    // Another library, another program version or a figure not measured then: coded again.
    EXPECT_FALSE(folder.Find(point, "libjpeg 2; quality 20").has_value());
    EXPECT_FALSE(PointFolder(scratch.Path(), "2.7", "ab12", choice).Find(point, "libjpeg 1; quality 20"));
    EXPECT_FALSE(PointFolder(scratch.Path(), "2.6", "ab12", {true, true, true}).Find(point, "libjpeg 1; quality 20"));
    EXPECT_EQ(folder.Found(), 1u);
}

} // namespace
} // namespace tamr
