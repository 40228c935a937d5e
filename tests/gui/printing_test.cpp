// Printing: one image pixel per 0.01 inch from the top-left of the printable
// area, upright, the working image whatever the screen shows.

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTransform>
#include <QtTest>
#include <algorithm>
#include <optional>
#include <vector>

#include "gui/CTamrView.h"
#include "gui/GuiTestSupport.h"
#include "gui/ImagePrinting.h"

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

// The streams of a PDF file, inflated where they are compressed.
struct PdfStream {
    QByteArray dictionary;
    QByteArray data;
};

std::vector<PdfStream> PdfStreams(const QByteArray& pdf)
{
    std::vector<PdfStream> streams;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream\n", at)) >= 0) {
        const qsizetype dataStart = at + 7;
        if (at >= 3 && pdf.mid(at - 3, 3) == "end") {
            at = dataStart;
            continue;
        }
        const qsizetype objectStart = pdf.lastIndexOf(" obj", at);
        const qsizetype end = pdf.indexOf("endstream", dataStart);
        if (objectStart < 0 || end < 0)
            break;
        PdfStream stream{pdf.mid(objectStart, at - objectStart), pdf.mid(dataStart, end - dataStart)};
        while (stream.data.endsWith('\n') || stream.data.endsWith('\r'))
            stream.data.chop(1);
        if (stream.dictionary.contains("/FlateDecode")) {
            // qUncompress wants the expected size in front; it grows the buffer when that is short.
            QByteArray sized(4, '\0');
            const auto guess = static_cast<quint32>(stream.data.size() * 8);
            for (int i = 0; i < 4; ++i)
                sized[i] = static_cast<char>(guess >> (24 - 8 * i));
            stream.data = qUncompress(sized + stream.data);
        }
        streams.push_back(std::move(stream));
        at = end + 9;
    }
    return streams;
}

// The transformation in force where a page's content draws its first image:
// image space (the unit square, first row at the top) to points on the page.
std::optional<QTransform> ImageTransform(const QByteArray& content)
{
    QTransform current;
    std::vector<QTransform> saved;
    std::vector<double> operands;
    for (const QByteArray& token : content.simplified().split(' ')) {
        bool number = false;
        const double value = token.toDouble(&number);
        if (number) {
            operands.push_back(value);
            continue;
        }
        if (token == "q") {
            saved.push_back(current);
        } else if (token == "Q" && !saved.empty()) {
            current = saved.back();
            saved.pop_back();
        } else if (token == "cm" && operands.size() >= 6) {
            const double* m = &operands[operands.size() - 6];
            current = QTransform(m[0], m[1], m[2], m[3], m[4], m[5]) * current;
        } else if (token == "Do") {
            return current;
        }
        operands.clear();
    }
    return std::nullopt;
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
        // The picture goes in whole, as an image of its own size, its pixels unchanged.
        const std::vector<PdfStream> streams = PdfStreams(bytes);
        const auto picture = std::find_if(streams.begin(), streams.end(), [](const PdfStream& stream) {
            return stream.dictionary.contains("/Subtype /Image");
        });
        QVERIFY(picture != streams.end());
        QVERIFY(picture->dictionary.contains("/Width 250"));
        QVERIFY(picture->dictionary.contains("/Height 120"));
        QVERIFY(picture->dictionary.contains("/ColorSpace /DeviceRGB"));
        QCOMPARE(picture->data.size(), qsizetype{250 * 120 * 3});
        const auto sample = [&picture](int x, int y) {
            const auto* rgb = reinterpret_cast<const unsigned char*>(picture->data.constData()) + (y * 250 + x) * 3;
            return qRgb(rgb[0], rgb[1], rgb[2]);
        };
        // The image's rows run from the top of the picture down ...
        QCOMPARE(sample(0, 0), Expected(0, 0));
        QCOMPARE(sample(17, 5), Expected(17, 5));
        QCOMPARE(sample(249, 119), Expected(249, 119));

        // ... and its first row is drawn at the top: upright, 0.72 points a
        // pixel, from the top-left corner inside the half-inch margins.
        const auto content = std::find_if(streams.begin(), streams.end(),
                                          [](const PdfStream& stream) { return stream.data.contains(" Do"); });
        QVERIFY(content != streams.end());
        const std::optional<QTransform> placed = ImageTransform(content->data);
        QVERIFY(placed.has_value());
        const QPointF topLeft = placed->map(QPointF(0, 1));
        const QPointF bottomRight = placed->map(QPointF(1, 0));
        QVERIFY2(qAbs(topLeft.x() - 36) < 0.01, qPrintable(QString::number(topLeft.x())));
        QVERIFY2(qAbs(topLeft.y() - (792 - 36)) < 0.01, qPrintable(QString::number(topLeft.y())));
        QVERIFY2(qAbs(bottomRight.x() - (36 + 250 * 0.72)) < 0.01, qPrintable(QString::number(bottomRight.x())));
        QVERIFY2(qAbs(bottomRight.y() - (792 - 36 - 120 * 0.72)) < 0.01, qPrintable(QString::number(bottomRight.y())));
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
