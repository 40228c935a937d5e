// The figures panel: its figures are the Statistics dialog's, PSNR of luma and
// SSIM are measured, "Copy as Text" copies them, and the quality slider's
// background compress gives what a Compress at that quality gives.

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "codec/EasySetup.h"
#include "document/DocumentStatistics.h"
#include "gui/CFiguresPanel.h"
#include "gui/CommandTable.h"
#include "gui/GuiTestSupport.h"
#include "image/PictureMetrics.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

CFiguresPanel& ShownPanel(RunningApp& running)
{
    running.app->OnCommand(ID_VIEW_FIGURES);
    CFiguresPanel& panel = *running.Frame().FiguresPanel();
    if (!panel.isVisible())
        qFatal("the figures panel did not show");
    return panel;
}

QString Trimmed(const std::string& text)
{
    return QString::fromStdString(text).trimmed();
}

} // namespace

class FiguresPanelTest : public QObject {
    Q_OBJECT

private slots:
    void FiguresEqualTheStatisticsDialogs()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(document != nullptr);
        CFiguresPanel& panel = ShownPanel(running);
        QVERIFY(running.Frame().Action(ID_VIEW_FIGURES)->isChecked());
        running.app->OnCommand(ID_FILE_COMPRESS);
        QCoreApplication::processEvents();
        panel.FinishWork();

        const ImageStatisticsTexts texts = StatisticsTexts(*document);
        QCOMPARE(panel.Value("Compressed size"), Trimmed(texts.compressedSize));
        QCOMPARE(panel.Value("Original size"), Trimmed(texts.originalSize));
        QCOMPARE(panel.Value("Ratio"), Trimmed(texts.compressionRatio));
        QCOMPARE(panel.Value("PSNR"), Trimmed(texts.psnr));
        QVERIFY(panel.Value("PSNR").endsWith("dB."));
        QCOMPARE(panel.Value("MSE"), Trimmed(texts.meanSquaredError));
        QCOMPARE(panel.Value("Largest difference"), Trimmed(texts.largestDifference));
        QCOMPARE(panel.Value("Non zero elements"), Trimmed(texts.nonZeroBefore));
        QCOMPARE(panel.Value("Non zeros after quant."), Trimmed(texts.nonZeroAfter));
        const DocumentFigures figures = Figures(*document);
        QCOMPARE(panel.Value("Bits per pixel"), QString::number(figures.compressedSize * 8.0 / (48 * 40), 'f', 3));

        CDibImage& image = *document->Image();
        const PictureMetrics metrics = MeasurePictures(image.ReferenceView(), image.WorkingView(), 3);
        QVERIFY(metrics.ssim.has_value());
        QCOMPARE(panel.Value("SSIM"), QString::number(*metrics.ssim, 'f', 4));
        QCOMPARE(panel.Value("PSNR of luma Y"), QStringLiteral("%1 dB").arg(metrics.psnrY, 0, 'f', 2));

        panel.findChild<QPushButton*>("copyFigures")->click();
        const QString copied = QApplication::clipboard()->text();
        QVERIFY(copied.contains("SSIM: " + panel.Value("SSIM") + "\n"));
        QVERIFY(copied.contains("Compressed size: " + panel.Value("Compressed size") + "\n"));
    }

    void SliderResultEqualsACompressAtThatQuality()
    {
        RunningApp sliding;
        CTamrDoc* slid = sliding.app->OpenDocumentFile(sliding.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(slid != nullptr);
        CFiguresPanel& panel = ShownPanel(sliding);
        QSlider& slider = *panel.QualitySlider();
        // Dragging through values does not compress; the resting value does.
        for (const int value : {70, 60, 35})
            slider.setValue(value);
        QVERIFY(!slid->IsModified());
        QTRY_VERIFY_WITH_TIMEOUT(slid->IsModified(), 5000);
        panel.FinishWork();
        QCOMPARE(sliding.app->Settings().qualityFactor, 35);
        QCOMPARE(slid->Title(), std::string("photo.cod"));

        RunningApp pressing;
        CTamrDoc* pressed = pressing.app->OpenDocumentFile(pressing.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(pressed != nullptr);
        EasySetupSession session(pressing.app->Settings());
        session.OnEditUpdate("35");
        QCOMPARE(session.Quality(), 35);
        session.CopyTo(pressing.app->Settings());
        pressing.app->OnCommand(ID_FILE_COMPRESS);

        QVERIFY(std::ranges::equal(slid->Codec()->WriteHeader(), pressed->Codec()->WriteHeader()));
        QVERIFY(std::ranges::equal(slid->Codec()->CodedData(), pressed->Codec()->CodedData()));
        QVERIFY(std::ranges::equal(slid->Image()->Pixels(), pressed->Image()->Pixels()));
        QCOMPARE(slid->IsModified(), pressed->IsModified());
        QCOMPARE(slid->Title(), pressed->Title());
    }
};

QTEST_MAIN(FiguresPanelTest)
#include "figures_panel_test.moc"
