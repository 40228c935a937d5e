// "Image Information": every group, label and value field, for a document
// without a codec, a BMP document, and the same document compressed.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include "gui/DialogTestSupport.h"
#include "view/qt/CImageInfoDlg.h"
#include "view/qt/HelpPageDialog.h"
#include "view/qt/ViewDialogs.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::qt::test::Find;
using tamr::qt::test::FindNamed;
using tamr::qt::test::ModalDialogDriver;
using tamr::qt::test::TestDocument;

namespace {

struct Field {
    int id;
    const char* label;
    const char* group;
    std::string ImageInformationTexts::*text;
};

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

QString Value(const QWidget& dialog, int id)
{
    auto* value = Find<QLabel>(dialog, id);
    return value ? value->text() : QStringLiteral("<missing>");
}

// The value fields of the dialog RunImageInformation shows for the document.
std::map<int, QString> ShownValues(const CTamrDoc& document)
{
    std::map<int, QString> values;
    ModalDialogDriver driver([&](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Image Information"));
        for (const Field& field : kFields) {
            values[field.id] = Value(dialog, field.id);
        }
        Find<QPushButton>(dialog, 1)->click();
        QVERIFY(!dialog.isVisible());
    });
    RunImageInformation(nullptr, document);
    if (!driver.Ran()) {
        values.clear();
    }
    return values;
}

} // namespace

class ImageInfoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void EveryGroupLabelAndButton()
    {
        CImageInfoDlg dialog(ImageInformationTexts{});
        const std::pair<const char*, const char*> groups[] = {
            {"groupImageProperties", "Image Properties "},
            {"groupCompressionRatios", "Compression Ratios "},
            {"groupTimeStatistics", "Time Statistics"},
            {"groupImageQuality", "Image Quarity "},
        };
        for (const auto& [name, title] : groups) {
            auto* group = FindNamed<QGroupBox>(dialog, QString::fromUtf8(name));
            QVERIFY2(group, name);
            QCOMPARE(group->title(), QString::fromUtf8(title));
        }
        for (const Field& field : kFields) {
            auto* label = FindNamed<QLabel>(dialog, LabelName(field.id));
            QVERIFY2(label, field.label);
            QCOMPARE(label->text(), QString::fromUtf8(field.label));
            auto* group = FindNamed<QGroupBox>(dialog, QString::fromUtf8(field.group));
            QVERIFY(group->isAncestorOf(label));
            QVERIFY(group->isAncestorOf(Find<QLabel>(dialog, field.id)));
            // A document without a codec shows empty fields.
            QCOMPARE(Value(dialog, field.id), QString());
        }
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
        ImageInformationTexts expected = InformationTexts(*test.document);
        QCOMPARE(shown.size(), std::size(kFields));
        for (const Field& field : kFields) {
            QCOMPARE(shown[field.id], QString::fromStdString(expected.*field.text));
        }
        QCOMPARE(shown[101], QStringLiteral("Photo.bmp"));
        QCOMPARE(shown[1004], QStringLiteral("40 x 30"));
        QCOMPARE(shown[103], QStringLiteral("40 x 30"));
        QCOMPARE(shown[1015], QStringLiteral("N/A"));
        QCOMPARE(shown[1016], QStringLiteral("N/A"));
        QCOMPARE(shown[1019], QStringLiteral("0.00 Sec."));
        QVERIFY(shown[1007].endsWith(QStringLiteral(" Bytes")));

        QVERIFY(test.document->Compress());
        shown = ShownValues(*test.document);
        expected = InformationTexts(*test.document);
        for (const Field& field : kFields) {
            QCOMPARE(shown[field.id], QString::fromStdString(expected.*field.text));
        }
        QCOMPARE(shown[101], QStringLiteral("Photo.cod"));
        QVERIFY(shown[1020].endsWith(QStringLiteral(" Sec.")));
        QVERIFY(shown[106].endsWith(QStringLiteral(" Sec")));
    }
};

QTEST_MAIN(ImageInfoDialogTest)
#include "image_info_dialog_test.moc"
