// The figures panel: its figures are the Statistics dialog's, PSNR of luma and
// SSIM are measured, "Copy as Text" copies them, and the quality slider's
// background compress gives what a Compress at that quality gives.

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "codec/EasySetup.h"
#include "codec/QualityFactor.h"
#include "document/DocumentStatistics.h"
#include "gui/CChildFrame.h"
#include "gui/CFiguresPanel.h"
#include "gui/CTamrView.h"
#include "gui/CommandTable.h"
#include "gui/DialogTestSupport.h"
#include "gui/GuiTestSupport.h"
#include "gui/JobRunner.h"
#include "gui/PictureImage.h"
#include "image/Butteraugli.h"
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
        QSignalSpy measured(&panel, &CFiguresPanel::Measured);
        running.app->OnCommand(ID_FILE_COMPRESS);
        QVERIFY(!measured.isEmpty() || measured.wait(10000));

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

    void ResultsAreMeasuredWhereTheyAreCodedNotCopiedForMeasuring()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(document != nullptr);
        CFiguresPanel& panel = ShownPanel(running);
        QSignalSpy measuredElsewhere(&panel.MetricsRunner(), &JobRunner::Delivered);
        const auto expectMeasured = [&] {
            const CDibImage& image = *document->Image();
            const PictureMetrics metrics = MeasurePictures(image.ReferenceView(), image.WorkingView(), 3);
            return panel.Value("SSIM") == QString::number(*metrics.ssim, 'f', 4) &&
                   panel.Value("PSNR of luma Y") == QStringLiteral("%1 dB").arg(metrics.psnrY, 0, 'f', 2);
        };
        // Compress: its figures come with its result.
        running.app->OnCommand(ID_FILE_COMPRESS);
        QCoreApplication::processEvents();
        QVERIFY(expectMeasured());
        // The slider: likewise.
        QSignalSpy compressed(&panel, &CFiguresPanel::Compressed);
        panel.CompressAt(20);
        QVERIFY(compressed.wait(20000));
        QVERIFY(expectMeasured());
        // Neither asked the panel's own runner to measure a copy of the pictures.
        QCOMPARE(measuredElsewhere.count(), 0);
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
        // The view draws the result in the picture made where it was coded.
        CTamrView& view = sliding.Frame().ActiveFrame()->View();
        const QImage drawn = view.viewport()->grab(QRect(0, 0, 48, 40)).toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(drawn, WorkingPicture(*slid->Image()).convertToFormat(QImage::Format_RGB32));
        QVERIFY(drawn != ReferencePicture(*slid->Image()).convertToFormat(QImage::Format_RGB32));
        QCOMPARE(slid->IsModified(), pressed->IsModified());
        QCOMPARE(slid->Title(), pressed->Title());
    }

    void SliderResultNeverLandsInAnOpenFiltersDialog()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(document != nullptr);
        CFiguresPanel& panel = ShownPanel(running);
        const std::vector<std::uint8_t> before(document->Image()->Pixels().begin(), document->Image()->Pixels().end());
        const CDibImage* image = document->Image();
        QSignalSpy dropped(&panel, &CFiguresPanel::CompressDropped);
        // The slider's compress ends while Filters holds the picture.
        panel.CompressAt(20);
        bool heldWhileOpen = false;
        qt::test::ModalDialogDriver driver([&](QDialog& dialog) {
            QTRY_VERIFY_WITH_TIMEOUT(!panel.CompressRunner().Busy(), 10000);
            heldWhileOpen = !document->IsModified() && document->Image() == image;
            qt::test::Find<QPushButton>(dialog, 1050)->click(); // Apply
            qt::test::Find<QPushButton>(dialog, 2)->click();    // Cancel
        });
        running.app->OnCommand(ID_OPTIONS_FILTERS);
        QVERIFY(driver.Ran());
        QVERIFY(heldWhileOpen);
        // The dialog edited the picture: the result made from the one before is
        // dropped, Cancel has put the pixels back, and the slider goes back.
        QCOMPARE(dropped.size(), 1);
        QVERIFY(!document->IsModified());
        QCOMPARE(document->Title(), std::string("photo.bmp"));
        QVERIFY(std::ranges::equal(document->Image()->Pixels(), before));
        QCOMPARE(panel.QualitySlider()->value(), static_cast<int>(running.app->Settings().qualityFactor));
    }

    void ButteraugliIsMeasuredOnRequestUntilThePictureChanges()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(document != nullptr);
        CFiguresPanel& panel = ShownPanel(running);
        running.app->OnCommand(ID_FILE_COMPRESS);
        QCoreApplication::processEvents();
        QPushButton& measure = *panel.MeasureButton();
        if (!ButteraugliAvailable()) {
            QVERIFY(!measure.isEnabled());
            QVERIFY(measure.toolTip().contains(QString::fromUtf8(kButteraugliUnavailable)));
            return;
        }
        // Compress alone does not measure it.
        QCOMPARE(panel.Value("Butteraugli"), QStringLiteral("not measured"));
        QCOMPARE(panel.Value("Butteraugli max"), QStringLiteral("not measured"));
        QVERIFY(measure.isEnabled());
        QSignalSpy measured(&panel, &CFiguresPanel::CostlyMeasured);
        measure.click();
        QVERIFY(panel.CostlyRunner().Busy());
        QVERIFY(measured.wait(20000));
        const CDibImage& image = *document->Image();
        const PictureMetrics metrics =
            MeasurePictures(image.ReferenceView(), image.WorkingView(), 3, 1,
                            MetricChoice{.ssim = false, .msSsim = false, .butteraugli = true});
        QVERIFY(metrics.butteraugli && metrics.butteraugliMax);
        QCOMPARE(panel.Value("Butteraugli"), QString::number(*metrics.butteraugli, 'f', 4));
        QCOMPARE(panel.Value("Butteraugli max"), QString::number(*metrics.butteraugliMax, 'f', 4));
        QVERIFY(!measure.isEnabled());

        // Another result: the rows wait for the next request.
        running.app->Settings().qualityFactor = 10;
        ApplyQualityFactor(running.app->Settings());
        running.app->OnCommand(ID_FILE_COMPRESS);
        QCoreApplication::processEvents();
        QCOMPARE(panel.Value("Butteraugli"), QStringLiteral("not measured"));
        QVERIFY(measure.isEnabled());
    }

    void NothingMeasuredShowsAsNotMeasured()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 16, 16)) != nullptr);
        CFiguresPanel& panel = ShownPanel(running);
        for (const char* name : {"PSNR", "PSNR of luma Y", "SSIM", "MSE", "Largest difference"})
            QCOMPARE(panel.Value(name), QStringLiteral("not measured"));
    }
};

QTEST_MAIN(FiguresPanelTest)
#include "figures_panel_test.moc"
