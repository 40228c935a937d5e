// "Image Statistics": every group, label and value field, for a document
// without a codec, a BMP document, and the same document compressed.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "gui/FigureDialogTestSupport.h"
#include "gui/dialogs/CImageStatsDlg.h"
#include "gui/dialogs/ViewDialogs.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::qt::test::CheckEmptyFields;
using tamr::qt::test::CheckGroupTitles;
using tamr::qt::test::Find;
using tamr::qt::test::FindNamed;
using tamr::qt::test::ModalDialogDriver;
using tamr::qt::test::TestDocument;
using tamr::qt::test::ValueField;

namespace {

using Field = ValueField<ImageStatisticsTexts>;

const Field kFields[] = {
    {1005, "Compression Time :", "groupCompression", &ImageStatisticsTexts::compressionTime},
    {1010, "Decompression Time :", "groupDecompression", &ImageStatisticsTexts::decompressionTime},
    {113, "Entropy Decode :", "groupDecompression", &ImageStatisticsTexts::entropyDecode},
    {112, "Color Transformation :", "groupDecompression", &ImageStatisticsTexts::colourTransformation},
    {111, "Wavelet Trans. :", "groupDecompression", &ImageStatisticsTexts::waveletTransform},
    {110, "Color Quantization :", "groupDecompression", &ImageStatisticsTexts::colourQuantisation},
    {1004, "Original Dimensions :", "groupGeneral", &ImageStatisticsTexts::originalDimensions},
    {1021, "Compression Ratios :", "groupGeneral", &ImageStatisticsTexts::compressionRatio},
    {1007, "Compressed Image Size :", "groupGeneral", &ImageStatisticsTexts::compressedSize},
    {1006, "Original Image Size :", "groupGeneral", &ImageStatisticsTexts::originalSize},
    {1017, "MSE :", "groupImageQuality", &ImageStatisticsTexts::meanSquaredError},
    {1015, "PSNR :", "groupImageQuality", &ImageStatisticsTexts::psnr},
    {1016, "Max Pixel Difference :", "groupImageQuality", &ImageStatisticsTexts::largestDifference},
    {1008, "Non zero elements :", "groupDataDistribution", &ImageStatisticsTexts::nonZeroBefore},
    {1009, "Non zeros after quant. :", "groupDataDistribution", &ImageStatisticsTexts::nonZeroAfter},
};

std::map<int, QString> ShownValues(const CTamrDoc& document)
{
    return tamr::qt::test::ShownValues(kFields, QStringLiteral("Image Statistics"),
                                       [&] { RunImageStatistics(nullptr, document); });
}

} // namespace

class ImageStatsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void EveryGroupLabelAndButton()
    {
        CImageStatsDlg dialog(ImageStatisticsTexts{});
        CheckGroupTitles(dialog, {
                                     {"groupCompression", "Compression"},
                                     {"groupDecompression", "Decompression"},
                                     {"groupGeneral", "General"},
                                     {"groupImageQuality", "Image Quarity "},
                                     {"groupDataDistribution", "Data Distriution"},
                                 });
        CheckEmptyFields(dialog, kFields);
        QCOMPARE(Find<QPushButton>(dialog, 1)->text(), QStringLiteral("OK"));
    }

    void EmptyDocumentShowsEmptyFields()
    {
        TestDocument test;
        QVERIFY(test.OpenEmpty());
        tamr::qt::test::ExpectTexts(ShownValues(*test.document), kFields, ImageStatisticsTexts{});
    }

    void BmpDocumentBeforeAndAfterCompress()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("Photo.bmp"), tamr::qt::test::ColourBmp(40, 30)));
        std::map<int, QString> shown = ShownValues(*test.document);
        tamr::qt::test::ExpectTexts(shown, kFields, StatisticsTexts(*test.document));
        // Nothing decoded yet: no loss, and no PSNR for a title that is not ".cod".
        QCOMPARE(shown[1015], QStringLiteral("0"));
        QCOMPARE(shown[1017], QStringLiteral("0.00 "));
        QCOMPARE(shown[1016], QStringLiteral("0"));
        QCOMPARE(shown[1004], QStringLiteral("40 x 30"));
        QCOMPARE(shown[1007], QStringLiteral("%1 Bytes").arg(test.document->Codec()->HeaderSize() + 40 * 30 * 3));

        QVERIFY(test.document->Compress());
        shown = ShownValues(*test.document);
        tamr::qt::test::ExpectTexts(shown, kFields, StatisticsTexts(*test.document));
        QVERIFY2(shown[1015].endsWith(QStringLiteral(" dB.")), qPrintable(shown[1015]));
        QVERIFY(shown[1017] != QStringLiteral("0.00 "));
        QVERIFY(shown[1016] != QStringLiteral("0"));
        QVERIFY(shown[1008].endsWith(QLatin1Char(' ')));
    }
};

QTEST_MAIN(ImageStatsDialogTest)
#include "image_stats_dialog_test.moc"
