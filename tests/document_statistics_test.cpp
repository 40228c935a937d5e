#include <gtest/gtest.h>

#include <cmath>

#include "document/DocumentEdits.h"
#include "document/DocumentStatistics.h"
#include "document/TamrDoc.h"
#include "support/BmpTestFiles.h"
#include "support/DocumentTestFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

class DocumentStatisticsTest : public testing::Test {
protected:
    DocumentStatisticsTest() : environment_{settings_, display_, prompter_, scratch_.Path()} {}

    std::unique_ptr<CTamrDoc> OpenPicture(int width, int height)
    {
        test::BmpLayout layout;
        layout.width = width;
        layout.height = height;
        const int rowBytes = (width * 3 + 3) / 4 * 4;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < rowBytes; ++x)
                layout.rows.push_back(x < width * 3 ? static_cast<std::uint8_t>((x * 3 + y * 11) % 200) : 0);
        test::WriteBytes(scratch_ / "photo.bmp", test::BuildBmp(layout));
        auto document = std::make_unique<CTamrDoc>(environment_);
        EXPECT_TRUE(document->OnOpenDocument(scratch_ / "photo.bmp"));
        return document;
    }

    test::ScratchDir scratch_;
    CodecSettings settings_;
    DisplaySettings display_;
    ScriptedPrompter prompter_;
    DocumentEnvironment environment_;
};

TEST_F(DocumentStatisticsTest, BitmapBeforeCompression)
{
    auto document = OpenPicture(50, 40);
    const auto stats = StatisticsTexts(*document);
    EXPECT_EQ(stats.meanSquaredError, "0.00 ");
    EXPECT_EQ(stats.largestDifference, "0");
    EXPECT_EQ(stats.psnr, "0"); // the title ends in .bmp
    // Header (36 + 4 L + 4 for colour, L = 5) plus the raw pixels.
    EXPECT_EQ(stats.compressedSize, std::to_string(60 + 50 * 40 * 3) + " Bytes");
    EXPECT_EQ(stats.originalDimensions, "50 x 40");
    const auto info = InformationTexts(*document);
    EXPECT_EQ(info.psnr, "N/A");
    EXPECT_EQ(info.largestDifference, "N/A");
    EXPECT_EQ(info.displayDimensions, info.originalDimensions);
    EXPECT_EQ(info.fileName, "photo.bmp");
    EXPECT_EQ(info.compressionTime, "0.00 Sec.");
    EXPECT_EQ(info.overallTime, "0.00 Sec");
}

TEST_F(DocumentStatisticsTest, AfterCompression)
{
    auto document = OpenPicture(64, 48);
    ASSERT_TRUE(document->Compress());
    const auto figures = Figures(*document);
    const auto stats = StatisticsTexts(*document);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%3.2f dB.", figures.psnr);
    EXPECT_EQ(stats.psnr, expected);
    EXPECT_GT(figures.psnr, 20.0);
    std::snprintf(expected, sizeof expected, "%4.1f to 1",
                  static_cast<double>(figures.originalSize) / static_cast<double>(figures.compressedSize));
    EXPECT_EQ(stats.compressionRatio, expected);
    EXPECT_EQ(figures.compressedSize, document->Codec()->WriteHeader().size());
    EXPECT_EQ(figures.originalSize, 54u + (64 * 3) * 48);
    EXPECT_GT(figures.nonZeroBefore, 0u);
    EXPECT_GT(figures.nonZeroAfter, 0u);
    EXPECT_EQ(stats.nonZeroAfter, std::to_string(figures.nonZeroAfter) + " ");
}

TEST_F(DocumentStatisticsTest, LosslessAndCodSources)
{
    auto document = OpenPicture(30, 30);
    settings_.qualityFactor = 100;
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(StatisticsTexts(*document).psnr, "inf dB.");
    // The compressed size is the lossless file's size.
    EXPECT_EQ(Figures(*document).compressedSize, document->Codec()->WriteHeader().size());

    test::WriteBytes(scratch_ / "x.cod", document->Codec()->WriteHeader());
    CTamrDoc cod(environment_);
    ASSERT_TRUE(cod.OnOpenDocument(scratch_ / "x.cod"));
    const auto stats = StatisticsTexts(cod);
    EXPECT_EQ(stats.psnr, "0.00 dB.");
    EXPECT_EQ(stats.meanSquaredError, "0.00 ");
    EXPECT_EQ(stats.largestDifference, "0");
}

TEST_F(DocumentStatisticsTest, EmptyDocumentShowsEmptyFields)
{
    CTamrDoc document(environment_);
    ASSERT_TRUE(document.OnNewDocument());
    EXPECT_TRUE(StatisticsTexts(document).psnr.empty());
    EXPECT_TRUE(InformationTexts(document).fileName.empty());
}

TEST_F(DocumentStatisticsTest, AfterFiltersBeforeCompression)
{
    auto document = OpenPicture(20, 10);
    FilterRequest negative;
    negative.index = 15; // every interior byte v becomes 255 - v
    ASSERT_TRUE(FilterDocument(*document, prompter_, negative));
    // Interior bytes are (x * 3 + y * 11) % 200 with x the byte column; the
    // largest change |255 - 2v| comes from the smallest interior byte.
    int largest = 0;
    double squares[3] = {0, 0, 0}; // per byte position of a pixel
    const int rowBytes = 20 * 3;
    for (int y = 1; y < 9; ++y)
        for (int x = 3; x < rowBytes - 3; ++x) {
            const int v = (x * 3 + y * 11) % 200;
            largest = std::max(largest, std::abs(255 - 2 * v));
            squares[x % 3] += (255.0 - 2 * v) * (255.0 - 2 * v);
        }
    const auto stats = StatisticsTexts(*document);
    EXPECT_EQ(stats.largestDifference, std::to_string(largest));
    const double n = 20 * 10;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%3.2f ",
                  ((squares[1] / n + squares[2] / n) + squares[0] / n) * 0.3333333333333333);
    EXPECT_EQ(stats.meanSquaredError, expected);
    EXPECT_EQ(stats.psnr, "0"); // still a bitmap title
}

TEST_F(DocumentStatisticsTest, SourcesOtherThanBitmapsCountTheirFileLength)
{
    const auto gif = test::ColourGif(12, 8);
    const auto jpeg = test::ColourJpeg(16, 8);
    for (const auto& [name, bytes] : {std::pair{"x.gif", gif}, std::pair{"x.jpg", jpeg}}) {
        test::WriteBytes(scratch_ / name, bytes);
        CTamrDoc document(environment_);
        ASSERT_TRUE(document.OnOpenDocument(scratch_ / name)) << name;
        const auto figures = Figures(document);
        EXPECT_EQ(figures.compressedSize, document.Codec()->HeaderSize() + bytes.size()) << name;
        EXPECT_EQ(figures.originalSize, document.Image()->FileHeader().bfSize);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%4.1f to 1",
                      static_cast<double>(figures.originalSize) / static_cast<double>(figures.compressedSize));
        EXPECT_EQ(StatisticsTexts(document).compressionRatio, expected);
        EXPECT_EQ(StatisticsTexts(document).psnr, "0");
    }
}

TEST_F(DocumentStatisticsTest, JpegDecodingTimeIsTheDecompressionTime)
{
    test::WriteBytes(scratch_ / "x.jpg", test::ColourJpeg(64, 64));
    CTamrDoc document(environment_);
    ASSERT_TRUE(document.OnOpenDocument(scratch_ / "x.jpg"));
    const auto info = InformationTexts(document);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%2.2f Sec.", static_cast<double>(document.DecompressSeconds()));
    EXPECT_EQ(info.decompressionTime, expected);
    EXPECT_EQ(info.compressionTime, "0.00 Sec.");
    std::snprintf(expected, sizeof expected, "%2.2f Sec", static_cast<double>(document.DecompressSeconds()));
    EXPECT_EQ(info.overallTime, expected);
}

TEST_F(DocumentStatisticsTest, PropertiesNeverShowTheQuality)
{
    auto document = OpenPicture(64, 48);
    ASSERT_TRUE(document->Compress());
    const auto info = InformationTexts(*document);
    EXPECT_EQ(info.psnr, "N/A");
    EXPECT_EQ(info.largestDifference, "N/A");
    EXPECT_EQ(info.fileName, "photo.cod");
    EXPECT_EQ(info.originalDimensions, "64 x 48");
    EXPECT_EQ(info.displayDimensions, "64 x 48");
    const auto stats = StatisticsTexts(*document);
    EXPECT_EQ(info.compressedSize, stats.compressedSize);
    EXPECT_EQ(info.compressionRatio, stats.compressionRatio);
}

TEST_F(DocumentStatisticsTest, PsnrTexts)
{
    EXPECT_EQ(PsnrText(31.256), "31.26 dB.");
    EXPECT_EQ(PsnrText(5.0), "5.00 dB.");
    EXPECT_EQ(PsnrText(HUGE_VAL), "inf dB.");
    // Figures taken earlier give the texts the document had then.
    DocumentFigures figures;
    figures.psnr = 40.0;
    figures.psnrShown = true;
    EXPECT_EQ(StatisticsTexts(figures).psnr, "40.00 dB.");
    figures.psnrShown = false;
    EXPECT_EQ(StatisticsTexts(figures).psnr, "0");
}

} // namespace
} // namespace tamr
