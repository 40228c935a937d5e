// Printing: one image pixel per 0.01 inch from the top-left of the printable
// area, upright, the working image whatever the screen shows.

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QtTest>

#include "gui/GuiTestSupport.h"
#include "view/qt/CTamrView.h"
#include "view/qt/ImagePrinting.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

constexpr int kDotsPerMeterAt100Dpi = 3937; // 100 dots per inch

QRgb Expected(int x, int y)
{
    const test::Rgb colour = test::Pattern(x, y);
    return qRgb(colour.red, colour.green, colour.blue);
}

// A page of the given resolution, white, the image printed on it.
QImage PrintedPage(const CDibImage& image, int dotsPerMeter)
{
    QImage page(120, 90, QImage::Format_RGB32);
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    page.fill(Qt::white);
    QPainter painter(&page);
    DrawPrintedImage(painter, image);
    return page;
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    void OnePixelPerHundredthOfAnInchUpright()
    {
        RunningApp running;
        const CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 40, 30));
        QVERIFY(document != nullptr);
        const QImage page = PrintedPage(*document->Image(), kDotsPerMeterAt100Dpi);
        for (const QPoint point : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 29), QPoint(13, 7), QPoint(39, 29)})
            QCOMPARE(page.pixel(point), Expected(point.x(), point.y()));
        QCOMPARE(page.pixel(40, 10), qRgb(255, 255, 255));
        QCOMPARE(page.pixel(10, 30), qRgb(255, 255, 255));

        // At 200 dots per inch every pixel covers 2 x 2 dots.
        const QImage fine = PrintedPage(*document->Image(), 2 * kDotsPerMeterAt100Dpi);
        QCOMPARE(fine.pixel(27, 15), Expected(13, 7));
        QCOMPARE(fine.pixel(79, 59), Expected(39, 29));
        QCOMPARE(fine.pixel(80, 60), qRgb(255, 255, 255));
    }

    void PaletteScreensPrintTheWorkingImage()
    {
        RunningApp running(8);
        const CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 20, 10));
        QVERIFY(document != nullptr);
        QVERIFY(running.app->ActiveView()->PaletteDevice());
        const QImage page = PrintedPage(*document->Image(), kDotsPerMeterAt100Dpi);
        QCOMPARE(page.pixel(7, 3), Expected(7, 3));
        QCOMPARE(page.pixel(19, 9), Expected(19, 9));
    }

    void PrintsToAPdfPageOfTheChosenSize()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 250, 120)));
        const QString pdf = running.folder.filePath("photo.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
        running.app->ActiveView()->Print(printer);

        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        // One page of US Letter, 612 x 792 points.
        QCOMPARE(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type /Page\\b(?!s)"))), 1);
        const QRegularExpression mediaBox(QStringLiteral("/MediaBox \\[\\s*0 0 ([0-9.]+) ([0-9.]+)\\s*\\]"));
        const QRegularExpressionMatch match = mediaBox.match(QString::fromLatin1(bytes));
        QVERIFY(match.hasMatch());
        QCOMPARE(match.captured(1).toDouble(), 612.0);
        QCOMPARE(match.captured(2).toDouble(), 792.0);
        // The picture goes in whole, as an image of its own size.
        QVERIFY(bytes.contains("/Width 250"));
        QVERIFY(bytes.contains("/Height 120"));
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
