// "Image Information": every group, label and value field, for a document
// without a codec, a BMP document, and the same document compressed.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include "gui/FigureDialogTestSupport.h"
#include "gui/dialogs/CImageInfoDlg.h"
#include "gui/dialogs/HelpPageDialog.h"
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

using Field = ValueField<ImageInformationTexts>;

const Field kFields[] = {
    {101, "File  Name :", "groupImageProperties", &ImageInformationTexts::fileName},
    {1004, "Original Dimensions :", "groupImageProperties", &ImageInformationTexts::originalDimensions},
    {103, "Display Dimensions :", "groupImageProperties", &ImageInformationTexts::displayDimensions},
    {1021, "Compression Ratios :", "groupCompressionRatios", &ImageInformationTexts::compressionRatio},
    {1007, "Compressed Image Size :", "groupCompressionRatios", &ImageInformationTexts::compressedSize},
    {1006, "Original Image Size :", "groupCompressionRatios", &ImageInformationTexts::originalSize},
    {106, "Overall :", "groupTimeStatistics", &ImageInformationTexts::overallTime},
    {1019, "Compression Time :", "groupTimeStatistics", &ImageInformationTexts::compressionTime},
    {1020, "Decompression Time :", "groupTimeStatistics", &ImageInformationTexts::decompressionTime},
    {1015, "PSNR :", "groupImageQuality", &ImageInformationTexts::psnr},
    {1016, "Max Pixel Difference :", "groupImageQuality", &ImageInformationTexts::largestDifference},
};

std::map<int, QString> ShownValues(const CTamrDoc& document)
{
    return tamr::qt::test::ShownValues(kFields, QStringLiteral("Image Information"),
                                       [&] { RunImageInformation(nullptr, document); });
}

} // namespace

class ImageInfoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void EveryGroupLabelAndButton()
    {
        CImageInfoDlg dialog(ImageInformationTexts{});
        CheckGroupTitles(dialog, {
                                     {"groupImageProperties", "Image Properties "},
                                     {"groupCompressionRatios", "Compression Ratios "},
                                     {"groupTimeStatistics", "Time Statistics"},
                                     {"groupImageQuality", "Image Quarity "},
                                 });
        CheckEmptyFields(dialog, kFields);
        QCOMPARE(Find<QPushButton>(dialog, 1)->text(), QStringLiteral("OK"));
        QCOMPARE(Find<QPushButton>(dialog, 1018)->text(), QStringLiteral("HELP"));

        dialog.show();
        QString shownPage;
        ModalDialogDriver readHelp([&](QDialog& help) {
            if (auto* page = qobject_cast<HelpPageDialog*>(&help))
                shownPage = page->Browser()->source().fileName();
        });
        Find<QPushButton>(dialog, 1018)->click();
        QCOMPARE(shownPage, QStringLiteral("statistics.html"));
        QVERIFY(dialog.isVisible());
        Find<QPushButton>(dialog, 1)->click();
        QVERIFY(!dialog.isVisible());
    }

    void EmptyDocumentShowsEmptyFields()
    {
        TestDocument test;
        QVERIFY(test.OpenEmpty());
        const std::map<int, QString> shown = ShownValues(*test.document);
        QCOMPARE(shown.size(), std::size(kFields));
        for (const auto& [id, text] : shown) {
            QVERIFY2(text.isEmpty(), qPrintable(text));
        }
    }

    void BmpDocumentBeforeAndAfterCompress()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("Photo.bmp"), tamr::qt::test::ColourBmp(40, 30)));
        std::map<int, QString> shown = ShownValues(*test.document);
        tamr::qt::test::ExpectTexts(shown, kFields, InformationTexts(*test.document));
        QCOMPARE(shown[101], QStringLiteral("Photo.bmp"));
        QCOMPARE(shown[1004], QStringLiteral("40 x 30"));
        QCOMPARE(shown[103], QStringLiteral("40 x 30"));
        QCOMPARE(shown[1015], QStringLiteral("N/A"));
        QCOMPARE(shown[1016], QStringLiteral("N/A"));
        QCOMPARE(shown[1019], QStringLiteral("0.00 Sec."));
        QVERIFY(shown[1007].endsWith(QStringLiteral(" Bytes")));

        QVERIFY(test.document->Compress());
        shown = ShownValues(*test.document);
        tamr::qt::test::ExpectTexts(shown, kFields, InformationTexts(*test.document));
        QCOMPARE(shown[101], QStringLiteral("Photo.cod"));
        QVERIFY(shown[1020].endsWith(QStringLiteral(" Sec.")));
        QVERIFY(shown[106].endsWith(QStringLiteral(" Sec")));
    }
};

QTEST_MAIN(ImageInfoDialogTest)
#include "image_info_dialog_test.moc"
