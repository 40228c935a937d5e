// The rate-distortion window: its points are the sweep engine's, Cancel
// stops the sweep, a click on a tamr point compresses the document at that
// quality, and the points export as CSV, SVG and PNG. Against JPEG at equal
// size picks the quality of the closest size; Target finds the quality the
// command line's target search finds and compresses at it.

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QValueAxis>
#include <QtTest>
#include <cmath>

#include "document/EqualSizePeer.h"
#include "document/OptimisedTarget.h"
#include "document/RateDistortionSweep.h"
#include "document/SweepMetrics.h"
#include "evaluate/BjontegaardDelta.h"
#include "gui/CCompareFrame.h"
#include "gui/CFiguresPanel.h"
#include "gui/CMainFrame.h"
#include "gui/CodecLabel.h"
#include "gui/CommandTable.h"
#include "gui/CompareView.h"
#include "gui/GuiTestSupport.h"
#include "gui/PictureImage.h"
#include "gui/RateDistortionWindow.h"
#include "gui/TargetDialog.h"
#include "peers/PeerJpeg.h"
#include "peers/PeerJpeg2000.h"
#include "peers/PeerWebp.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

class SilentPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message&) override { return MessageAnswer::Ok; }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest&) override { return std::nullopt; }
};

std::optional<std::size_t> FindPoint(const SweepResult& result, std::string_view codec, int quality)
{
    for (std::size_t i = 0; i < result.points.size(); ++i)
        if (result.points[i].codec->name == codec && result.points[i].quality == quality)
            return i;
    return std::nullopt;
}

// A sweep of every quality with all three peers on one thread: long enough to be stopped midway.
RateDistortionWindow* StartLongSweep(RunningApp& running)
{
    if (running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 256, 200)) == nullptr)
        return nullptr;
    SweepRequest request;
    for (int quality = 0; quality <= 100; ++quality)
        request.qualities.push_back(quality);
    request.peers = {FindCodec("jpeg"), FindCodec("jp2"), FindCodec("webp")};
    request.threads = 1;
    return running.app->OpenRateDistortionWindow(request);
}

// Waits for the window's signal that the sweep has ended and its result is shown.
bool SweepEnds(RateDistortionWindow& window)
{
    QSignalSpy finished(&window, &RateDistortionWindow::Finished);
    return !window.Running() || finished.wait(120000);
}

} // namespace

class RateDistortionTest : public QObject {
    Q_OBJECT

private slots:
    void ChartPointsAreTheEnginesAndExport()
    {
        RunningApp running;
        const QString picture = running.WriteBmp("photo.bmp", 48, 40);
        QVERIFY(running.app->OpenDocumentFile(picture) != nullptr);
        QVERIFY(running.app->QueryCommand(ID_COMPARE_RATE_DISTORTION).enabled);
        running.app->OnCommand(ID_COMPARE_RATE_DISTORTION);
        auto* window = running.Frame().findChild<RateDistortionWindow*>();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QVERIFY(SweepEnds(*window));
        QCOMPARE(window->StatusText(), QStringLiteral("Done."));
        QVERIFY(window->Result().has_value());
        const SweepResult& shown = *window->Result();

        SilentPrompter prompter;
        const auto expected = RunSweep(picture.toStdString(), RateDistortionWindow::DefaultRequest(), prompter);
        QVERIFY(expected.has_value());
        QCOMPARE(shown.points.size(), expected->points.size());
        // tamr and every peer of the build at 0, 5 ... 95, but the optimised
        // tamr, whose every point is a search.
        QCOMPARE(shown.points.size(), 20 * (1 + ChartedPeers().size()));
        const std::vector<const PeerCodec*> charted = RateDistortionWindow::DefaultRequest().peers;
        QVERIFY(std::ranges::find(charted, FindCodec("tamr-opt")) == charted.end());
        std::size_t plotted = 0;
        for (std::size_t i = 0; i < shown.points.size(); ++i) {
            const SweepPoint& a = shown.points[i];
            const SweepPoint& b = expected->points[i];
            QCOMPARE(a.codec, b.codec);
            QCOMPARE(a.quality, b.quality);
            QCOMPARE(a.bytes, b.bytes);
            QCOMPARE(a.failure, b.failure);
            QCOMPARE(a.metrics.psnr, b.metrics.psnr);
            plotted += !a.Failed() && std::isfinite(a.metrics.psnr) ? 1 : 0;
        }
        // One dot per measured point, at its bits per pixel and PSNR.
        std::size_t dots = 0;
        for (QAbstractSeries* series : window->Chart()->series())
            if (auto* scatter = qobject_cast<QScatterSeries*>(series)) {
                for (const QPointF& at : scatter->points()) {
                    const bool found = std::ranges::any_of(shown.points, [&](const SweepPoint& point) {
                        return point.bitsPerPixel == at.x() && point.metrics.psnr == at.y();
                    });
                    QVERIFY(found);
                }
                dots += static_cast<std::size_t>(scatter->count());
            }
        QCOMPARE(dots, plotted);
        QVERIFY(plotted > 60);
        const auto tamr50 = FindPoint(shown, "tamr", 50);
        QVERIFY(tamr50.has_value());
        QVERIFY(window->PointText(*tamr50).startsWith(
            QStringLiteral("tamr at quality 50\n%1 bytes").arg(shown.points[*tamr50].bytes)));

        const QString csv = running.folder.filePath("points.csv");
        QVERIFY(window->Export(csv));
        QFile table(csv);
        QVERIFY(table.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = table.readAll().trimmed().split('\n');
        QCOMPARE(static_cast<std::size_t>(lines.size()), shown.points.size() + 1);
        QVERIFY(lines[0].startsWith("codec,quality,bytes,bpp,psnr"));
        QVERIFY(lines[1 + *tamr50].startsWith("tamr,50," + QByteArray::number(qulonglong(shown.points[*tamr50].bytes)) +
                                              ","));
        const QString svg = running.folder.filePath("points.svg");
        QVERIFY(window->Export(svg));
        QFile plot(svg);
        QVERIFY(plot.open(QIODevice::ReadOnly));
        QVERIFY(plot.readAll().contains("<svg"));
        const QString png = running.folder.filePath("points.png");
        QVERIFY(window->Export(png));
        QVERIFY(!QImage(png).isNull());
    }

    // The chart's ticks are round (1, 2 or 5 times a power of ten) with the
    // axes' ends on them; SSIM can be chosen instead of PSNR; the SVG export
    // draws each codec in the chart's colour under the chart's name.
    void ChartTicksMetricsAndExportAgree()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40)) != nullptr);
        SweepRequest request;
        request.qualities = {10, 35, 60, 85};
        request.peers = ChartedPeers();
        RateDistortionWindow* window = running.app->OpenRateDistortionWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(SweepEnds(*window));
        QVERIFY(window->Result().has_value());
        const auto roundTicks = [](QAbstractAxis* axis) {
            auto* values = qobject_cast<QValueAxis*>(axis);
            if (values == nullptr || values->tickType() != QValueAxis::TicksDynamic)
                return false;
            const double step = values->tickInterval();
            const double power = std::pow(10.0, std::floor(std::log10(step)));
            const double mantissa = step / power;
            const auto onTick = [step](double value) {
                return std::abs(value / step - std::round(value / step)) < 1e-9;
            };
            return (std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 || std::abs(mantissa - 5) < 1e-9) &&
                   onTick(values->min()) && onTick(values->max()) && values->tickAnchor() == values->min();
        };
        QCOMPARE(window->Chart()->axes().size(), 2);
        for (QAbstractAxis* axis : window->Chart()->axes())
            QVERIFY2(roundTicks(axis), qPrintable(axis->titleText()));

        const SweepMetric& ssim = *FindSweepMetric("ssim");
        window->findChild<QComboBox*>("sweepMetric")->setCurrentIndex(static_cast<int>(&ssim - SweepMetrics().data()));
        QCOMPARE(&window->Metric(), &ssim);
        QCOMPARE(window->Chart()->axes(Qt::Vertical).front()->titleText(), QStringLiteral("SSIM"));
        std::size_t dots = 0;
        for (QAbstractSeries* series : window->Chart()->series())
            if (auto* scatter = qobject_cast<QScatterSeries*>(series))
                for (const QPointF& at : scatter->points()) {
                    QVERIFY(std::ranges::any_of(window->Result()->points, [&](const SweepPoint& point) {
                        return point.bitsPerPixel == at.x() && point.metrics.ssim == at.y();
                    }));
                    ++dots;
                }
        QVERIFY(dots >= 4 * (1 + ChartedPeers().size()) - 2);
        for (QAbstractAxis* axis : window->Chart()->axes())
            QVERIFY2(roundTicks(axis), qPrintable(axis->titleText()));

        const QString path = running.folder.filePath("chart.svg");
        QVERIFY(window->Export(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString svg = QString::fromUtf8(file.readAll());
        const QString legend = svg.mid(svg.indexOf(QStringLiteral("<g id=\"legend\">")));
        int lines = 0;
        for (QAbstractSeries* series : window->Chart()->series())
            if (auto* line = qobject_cast<QLineSeries*>(series);
                line != nullptr && !qobject_cast<QScatterSeries*>(series)) {
                // The legend line in the chart's colour, then the chart's name.
                const QString entry =
                    QStringLiteral("stroke=\"%1\" stroke-width=\"3\"/>\n<text x=\"").arg(line->color().name());
                const int at = legend.indexOf(entry);
                QVERIFY2(at >= 0, qPrintable(line->name()));
                const int text = legend.indexOf('>', at + entry.size()) + 1;
                QCOMPARE(legend.mid(text, legend.indexOf('<', text) - text), line->name());
                ++lines;
            }
        QCOMPARE(lines, static_cast<int>(1 + ChartedPeers().size()));
    }

    // The window fits the screen, and a long hover line does not widen it.
    void TheWindowKeepsItsSize()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40)) != nullptr);
        SweepRequest request;
        request.qualities = {50};
        request.peers = {FindCodec("jpeg")};
        RateDistortionWindow* window = running.app->OpenRateDistortionWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(SweepEnds(*window));
        QCoreApplication::processEvents();
        const QRect room = window->screen()->availableGeometry();
        QVERIFY2(window->frameGeometry().width() <= room.width() && window->frameGeometry().height() <= room.height(),
                 qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                .arg(window->frameGeometry().width())
                                .arg(window->frameGeometry().height())
                                .arg(room.width())
                                .arg(room.height())));
        const QSize before = window->size();
        QScatterSeries* dots = nullptr;
        for (QAbstractSeries* series : window->Chart()->series())
            if (auto* scatter = qobject_cast<QScatterSeries*>(series); scatter != nullptr && scatter->count() > 0)
                dots = scatter;
        QVERIFY(dots != nullptr);
        emit dots->hovered(dots->at(0), true);
        QCoreApplication::processEvents();
        QVERIFY(window->HoverLine().size() > 60);
        QCOMPARE(window->size(), before);
        emit dots->hovered(dots->at(0), false);
        QCoreApplication::processEvents();
        QCOMPARE(window->size(), before);
    }

    // Under the chart: each codec's BD-rate against the anchor (JPEG at
    // first) for the figure shown, the core's Akima delta of the window's
    // own points; the anchor chosen is the next window's.
    void DeltasAreTheCoresOnTheWindowsPoints()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40)) != nullptr);
        SweepRequest request;
        request.qualities = {5, 25, 45, 65, 85, 95};
        request.peers = {FindCodec("jpeg"), FindCodec("jp2")};
        RateDistortionWindow* window = running.app->OpenRateDistortionWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(SweepEnds(*window));
        QCOMPARE(window->Anchor(), FindCodec("jpeg"));
        const auto curve = [&](std::string_view codec, const SweepMetric& metric) {
            std::vector<RatePoint> points;
            for (const SweepPoint& point : window->Result()->points)
                if (point.codec->name == codec && !point.Failed())
                    points.push_back({point.bitsPerPixel, metric.value(point)});
            return points;
        };
        const auto expectRates = [&](std::string_view anchor, std::string_view codec, const SweepMetric& metric) {
            const BjontegaardDelta rate = BdRate(curve(anchor, metric), curve(codec, metric), CurveFit::Akima);
            const QString head = CodecLabel(*FindCodec(codec)) + QStringLiteral(": BD-rate ");
            const QString shown = window->DeltaText();
            if (!rate.Measured() || rate.TooLittleOverlap())
                return shown.contains(head + QStringLiteral("n/a ("));
            return shown.contains(head + (rate.value > 0 ? QStringLiteral("+") : QString()) +
                                  QString::number(rate.value, 'f', 2) + QStringLiteral(" %")) &&
                   shown.contains(QStringLiteral("BD-") + QString::fromUtf8(metric.name.data()));
        };
        const SweepMetric& psnr = *FindSweepMetric("psnr");
        QVERIFY2(expectRates("jpeg", "tamr", psnr), qPrintable(window->DeltaText()));
        QVERIFY2(expectRates("jpeg", "jp2", psnr), qPrintable(window->DeltaText()));
        QVERIFY(!window->DeltaText().contains(QStringLiteral("JPEG: ")));
        const BjontegaardDelta measured = BdRate(curve("jpeg", psnr), curve("tamr", psnr), CurveFit::Akima);
        QVERIFY2(measured.Measured() && !measured.TooLittleOverlap(), qPrintable(window->DeltaText()));

        auto* anchors = window->findChild<QComboBox*>(QStringLiteral("deltaAnchor"));
        QVERIFY(anchors != nullptr);
        const int tamrRow = anchors->findText(QStringLiteral("tamr"));
        anchors->setCurrentIndex(tamrRow);
        emit anchors->activated(tamrRow);
        QCOMPARE(window->Anchor(), &TamrCodec());
        const SweepMetric& ssim = *FindSweepMetric("ssim");
        window->ChooseMetric(ssim);
        QVERIFY2(expectRates("tamr", "jpeg", ssim), qPrintable(window->DeltaText()));
        QVERIFY2(expectRates("tamr", "jp2", ssim), qPrintable(window->DeltaText()));

        RateDistortionWindow* next = running.app->OpenRateDistortionWindow(request);
        QVERIFY(next != nullptr);
        QCOMPARE(next->Anchor(), &TamrCodec());
        QVERIFY(SweepEnds(*next));
    }

    void CancelStops()
    {
        RunningApp running;
        RateDistortionWindow* window = StartLongSweep(running);
        QVERIFY(window != nullptr);
        QVERIFY(window->Running());
        window->findChild<QPushButton*>("cancelSweep")->click();
        // Shown as stopped at once, without waiting for the point in hand.
        QCOMPARE(window->StatusText(), QStringLiteral("Stopped."));
        QVERIFY(!window->Running());
        QVERIFY(window->Result().has_value());
        QCOMPARE(window->Result()->width, 256);
        QVERIFY(SweepEnds(*window));
        QCOMPARE(window->StatusText(), QStringLiteral("Stopped."));
        QVERIFY(window->Result().has_value());
        const auto& points = window->Result()->points;
        const auto stopped =
            std::ranges::count_if(points, [](const SweepPoint& point) { return point.failure == kSweepStopped; });
        // Cancel came long before the 404 points could be done.
        QVERIFY(stopped > static_cast<std::ptrdiff_t>(points.size()) / 2);
    }

    void ClosingMidSweepLeavesThePointsInHandToEnd()
    {
        RunningApp running;
        RateDistortionWindow* window = StartLongSweep(running);
        QVERIFY(window != nullptr);
        QVERIFY(window->Running());
        delete window;
        // Whatever the thread still had in hand ends, and the thread is joined, without the window.
        QTRY_VERIFY(qApp->findChild<QObject*>(QStringLiteral("endingSweep"), Qt::FindDirectChildrenOnly) == nullptr);
    }

    void ClickingATamrPointCompressesAtItsQuality()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(document != nullptr);
        SweepRequest request;
        request.qualities = {30, 80};
        request.peers = {FindCodec("jpeg")};
        RateDistortionWindow* window = running.app->OpenRateDistortionWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(SweepEnds(*window));
        const auto jpeg = FindPoint(*window->Result(), "jpeg", 30);
        QVERIFY(jpeg.has_value());
        window->ChoosePoint(*jpeg);
        QVERIFY(!document->IsModified());

        const auto tamr = FindPoint(*window->Result(), "tamr", 30);
        QVERIFY(tamr.has_value());
        window->ChoosePoint(*tamr);
        QTRY_VERIFY_WITH_TIMEOUT(!running.Frame().FiguresPanel()->CompressRunner().Busy(), 20000);
        QVERIFY(document->IsModified());
        QCOMPARE(running.app->Settings().qualityFactor, 30);
        QCOMPARE(document->Title(), std::string("photo.cod"));
        // The same coding as the sweep's point: the same COD file size.
        QCOMPARE(document->Codec()->WriteHeader().size(), window->Result()->points[*tamr].bytes);
    }

    void ClickingAPeerPointShowsItsPictureBesideTamrs()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(document != nullptr);
        SweepRequest request;
        request.qualities = {40};
        request.peers = {FindCodec("jpeg"), FindCodec("jp2"), FindCodec("webp")};
        RateDistortionWindow* window = running.app->OpenRateDistortionWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(SweepEnds(*window));
        const SweepResult& result = *window->Result();
        const auto jpeg = FindPoint(result, "jpeg", 40);
        QVERIFY(jpeg.has_value());
        const SweepPoint& tamrPoint = result.points[*FindPoint(result, "tamr", 40)];
        const std::vector<std::uint8_t> originalPixels(document->Image()->Pixels().begin(),
                                                       document->Image()->Pixels().end());

        const ConstPixelView original = document->Image()->ReferenceView();
        QImage tamrShown;
        for (const std::string_view codec : {"jpeg", "jp2", "webp"}) {
            const std::size_t index = *FindPoint(result, codec, 40);
            const std::span<const std::uint8_t> coded = window->CodedFile(index);
            QCOMPARE(coded.size(), result.points[index].bytes);
            // The peers' own decoders, apart from the window.
            const PeerPicture expected = codec == "jpeg"  ? DecodeJpeg(coded, original, 3)
                                         : codec == "jp2" ? DecodeJpeg2000(coded, original, 3)
                                                          : DecodeWebp(coded, original, 3);
            QVERIFY2(!expected.Failed(), expected.failure.c_str());
            window->ChoosePoint(index);
            // A compare window of the document: tamr's point of the closest size against the peer's.
            CompareView* compare = running.app->ActiveCompareView();
            QVERIFY(compare != nullptr);
            QCOMPARE(compare->Document(), document);
            QTRY_VERIFY_WITH_TIMEOUT(!compare->Working(), 20000);
            const CompareSide& peer = compare->Side(1);
            QCOMPARE(peer.source, SideSource::ChartPoint);
            QCOMPARE(peer.codec, FindCodec(codec));
            QCOMPARE(peer.picture, PixelsPicture(expected.decoded, original.width, original.height, original.rowPad, 3)
                                       .convertToFormat(QImage::Format_RGB888));
            const double bits = 8.0 * static_cast<double>(coded.size()) / (original.width * original.height);
            QCOMPARE(SideLabel(peer), QStringLiteral("%1 - %2 bytes, %3 bpp")
                                          .arg(codec == "jp2"    ? QStringLiteral("JPEG 2000")
                                               : codec == "jpeg" ? QStringLiteral("JPEG q 40")
                                                                 : QStringLiteral("WebP q 40"))
                                          .arg(coded.size())
                                          .arg(bits, 0, 'f', 3));
            const CompareSide& tamr = compare->Side(0);
            QCOMPARE(tamr.codec, &TamrCodec());
            QCOMPARE(tamr.bytes, tamrPoint.bytes);
            QVERIFY(SideLabel(tamr).startsWith(QStringLiteral("tamr q 40 - %1 bytes").arg(tamrPoint.bytes)));
            tamrShown = tamr.picture;
            // Difference and figures of the pair.
            QVERIFY(!compare->Difference().heatMap.isNull());
            QVERIFY(compare->PairFigures().contains(QStringLiteral("PSNR")));
            delete running.Frame().ActiveCompareFrame();
        }
        // The document is only looked at.
        QVERIFY(!document->IsModified());
        QVERIFY(std::ranges::equal(document->Image()->Pixels(), originalPixels));
        // The JPEG point's file is what libjpeg-turbo makes at that quality
        // (`original` looks into the picture the document holds until the next compress).
        const PeerPicture jpeg40 = CodeJpeg(original, 3, 40);
        QVERIFY(std::ranges::equal(window->CodedFile(*jpeg), jpeg40.coded));
        // The tamr picture shown is the one Compress at that quality shows.
        window->ChoosePoint(*FindPoint(result, "tamr", 40));
        QTRY_VERIFY_WITH_TIMEOUT(!running.Frame().FiguresPanel()->CompressRunner().Busy(), 20000);
        QCOMPARE(WorkingPicture(*document->Image()).convertToFormat(QImage::Format_RGB888), tamrShown);
    }

    void ChartPointComparesWithTheOriginal()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 48, 40));
        QVERIFY(document != nullptr);
        SweepRequest request;
        request.qualities = {60};
        request.peers = {FindCodec("jpeg")};
        RateDistortionWindow* window = running.app->OpenRateDistortionWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(SweepEnds(*window));
        for (const std::string_view codec : {"tamr", "jpeg"}) {
            const std::size_t index = *FindPoint(*window->Result(), codec, 60);
            window->ComparePoint(index);
            CompareView* compare = running.app->ActiveCompareView();
            QVERIFY(compare != nullptr);
            QTRY_VERIFY_WITH_TIMEOUT(!compare->Working(), 20000);
            QCOMPARE(compare->Side(0).source, SideSource::Original);
            const CompareSide& point = compare->Side(1);
            QCOMPARE(point.codec, FindCodec(codec));
            QCOMPARE(point.quality, 60);
            QCOMPARE(point.bytes, window->Result()->points[index].bytes);
            // The point's own file decoded by its codec, as the sweep measured it.
            const ConstPixelView original = document->Image()->ReferenceView();
            const EqualSizeMatch decoded =
                DecodeSweepPoint(original, 3, *FindCodec(codec), 60, window->CodedFile(index));
            QCOMPARE(point.picture,
                     PixelsPicture(decoded.picture.decoded, original.width, original.height, original.rowPad, 3)
                         .convertToFormat(QImage::Format_RGB888));
            QCOMPARE(compare->Difference().largest, window->Result()->points[index].metrics.largestDifference);
            delete running.Frame().ActiveCompareFrame();
        }
        QVERIFY(!document->IsModified());
    }

    void EqualSizePicksTheClosestJpegQuality()
    {
        RunningApp running;
        CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 64, 48));
        QVERIFY(document != nullptr);
        QVERIFY(!running.app->QueryCommand(EqualSizeCommandId(*FindCodec("jpeg"))).enabled);
        running.app->OnCommand(ID_FILE_COMPRESS);
        QVERIFY(running.app->QueryCommand(EqualSizeCommandId(*FindCodec("jpeg"))).enabled);
        running.app->OnCommand(EqualSizeCommandId(*FindCodec("jpeg")));
        // The compare window, tamr's result against JPEG coded at its size.
        CompareView* compare = running.app->ActiveCompareView();
        QVERIFY(compare != nullptr);
        QVERIFY(running.Frame().findChildren<CCompareFrame*>().size() == 1);
        QTRY_VERIFY_WITH_TIMEOUT(!compare->Working(), 20000);
        const CompareSide& tamr = compare->Side(0);
        const CompareSide& jpeg = compare->Side(1);
        QCOMPARE(tamr.source, SideSource::Decoded);
        QCOMPARE(jpeg.source, SideSource::PeerAtEqualSize);
        QCOMPARE(jpeg.codec, FindCodec("jpeg"));
        QVERIFY2(jpeg.failure.isEmpty(), qPrintable(jpeg.failure));
        const std::size_t target = document->Codec()->WriteHeader().size();
        QCOMPARE(tamr.bytes, target);

        const CDibImage& image = *document->Image();
        const auto distance = [target](std::size_t bytes) { return bytes > target ? bytes - target : target - bytes; };
        const std::size_t chosen = distance(jpeg.bytes);
        // JPEG sizes grow with the quality: no neighbour comes closer.
        for (const int quality : {jpeg.quality - 1, jpeg.quality + 1})
            if (quality >= 0 && quality <= 100)
                QVERIFY(chosen <= distance(CodeJpeg(image.ReferenceView(), 3, quality).coded.size()));
        // The peer's side shows libjpeg-turbo's decoding at that quality, labelled.
        const PeerPicture coded = CodeJpeg(image.ReferenceView(), 3, jpeg.quality);
        QCOMPARE(jpeg.bytes, coded.coded.size());
        QCOMPARE(jpeg.picture, PixelsPicture(coded.decoded, image.Width(), image.Height(), image.RowPad(), 3)
                                   .convertToFormat(QImage::Format_RGB888));
        QVERIFY(compare->PaneLabels(1).front().startsWith(
            QStringLiteral("JPEG q %1 - %2 bytes").arg(jpeg.quality).arg(jpeg.bytes)));
        QVERIFY(compare->PairFigures().startsWith(QStringLiteral("JPEG against tamr: PSNR")));
    }

    void TargetSizeCompressesAtTheSearchedQuality()
    {
        RunningApp running;
        const QString picture = running.WriteBmp("photo.bmp", 64, 48);
        CTamrDoc* document = running.app->OpenDocumentFile(picture);
        QVERIFY(document != nullptr);
        const QualityTarget target{3000, std::nullopt};

        // The search as the command line runs it.
        CodecSettings settings;
        DisplaySettings display;
        SilentPrompter prompter;
        DocumentEnvironment environment{settings, display, prompter};
        CTamrDoc searched(environment);
        QVERIFY(searched.OnOpenDocument(picture.toStdString()));
        const auto expected = SearchQuality(searched, settings, target);
        QVERIFY(expected.has_value());
        QVERIFY(*expected > 0 && *expected < 100);

        TargetDialog* dialog = running.app->OpenTargetDialog();
        QVERIFY(dialog != nullptr);
        dialog->SetTarget(target);
        QVERIFY(dialog->Target().size == target.size);
        QSignalSpy searchEnded(dialog, &TargetDialog::Searched);
        dialog->findChild<QPushButton*>("searchTarget")->click();
        QVERIFY(searchEnded.wait(20000));
        QTRY_VERIFY_WITH_TIMEOUT(!running.Frame().FiguresPanel()->CompressRunner().Busy(), 20000);
        QCOMPARE(dialog->StatusText(), QStringLiteral("Quality factor %1 chosen.").arg(*expected));
        QCOMPARE(running.app->Settings().qualityFactor, *expected);
        QVERIFY(document->IsModified());
        QVERIFY(document->Codec()->WriteHeader().size() <= 3000);

        dialog->SetTarget({1, std::nullopt});
        dialog->Search();
        QVERIFY(searchEnded.wait(20000));
        QCOMPARE(dialog->StatusText(), QStringLiteral("no quality factor reaches the target"));
    }

    // "Search the best settings" finds what compress --optimise finds, takes
    // them into the settings record (so Master Setup shows them) and
    // compresses the document with them.
    void TargetSearchesTheBestSettings()
    {
        RunningApp running;
        const QString picture = running.WriteBmp("photo.bmp", 64, 48);
        CTamrDoc* document = running.app->OpenDocumentFile(picture);
        QVERIFY(document != nullptr);

        CodecSettings settings = running.app->Settings();
        DisplaySettings display;
        SilentPrompter prompter;
        DocumentEnvironment environment{settings, display, prompter};
        CTamrDoc searched(environment);
        QVERIFY(searched.OnOpenDocument(picture.toStdString()));
        const SearchGoal goal{.bytes = 3000, .figure = std::nullopt, .measure = SearchFigure::Psnr};
        const SearchOutcome expected = CompressOptimised(searched, settings, goal);
        QVERIFY(!expected.Failed());

        TargetDialog* dialog = running.app->OpenTargetDialog();
        QVERIFY(dialog != nullptr);
        dialog->SetTarget({3000, std::nullopt});
        dialog->findChild<QCheckBox*>("searchBestSettings")->setChecked(true);
        QSignalSpy searchEnded(dialog, &TargetDialog::Searched);
        dialog->Search();
        QVERIFY(searchEnded.wait(20000));
        QVERIFY(dialog->StatusText().startsWith(
            QStringLiteral("Settings found: %1 bytes").arg(expected.chosen.figures.bytes)));
        QVERIFY(running.app->Settings().components == expected.settings.components);
        QTRY_VERIFY_WITH_TIMEOUT(document->IsModified(), 20000);
        QCOMPARE(document->Codec()->WriteHeader().size(), expected.chosen.figures.bytes);
    }

    // Cancel stops the settings search: nothing is chosen, and the document
    // and the settings stay as they were.
    void CancelStopsTheSettingsSearch()
    {
        RunningApp running;
        const QString picture = running.WriteBmp("photo.bmp", 256, 192);
        CTamrDoc* document = running.app->OpenDocumentFile(picture);
        QVERIFY(document != nullptr);
        const CodecSettings before = running.app->Settings();

        TargetDialog* dialog = running.app->OpenTargetDialog();
        QVERIFY(dialog != nullptr);
        dialog->SetTarget({6000, std::nullopt});
        dialog->findChild<QCheckBox*>("searchBestSettings")->setChecked(true);
        QSignalSpy searchEnded(dialog, &TargetDialog::Searched);
        QSignalSpy chosen(dialog, &TargetDialog::SettingsChosen);
        dialog->Search();
        QVERIFY(dialog->Working());
        dialog->findChild<QPushButton*>("cancelTargetSearch")->click();
        QCOMPARE(dialog->StatusText(), QStringLiteral("Stopped."));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->Working(), 20000);
        QCoreApplication::processEvents();
        QCOMPARE(searchEnded.count(), 0);
        QCOMPARE(chosen.count(), 0);
        QVERIFY(!document->IsModified());
        QVERIFY(running.app->Settings() == before);
        QVERIFY(dialog->findChild<QPushButton*>("searchTarget")->isEnabled());
    }
};

QTEST_MAIN(RateDistortionTest)
#include "rate_distortion_test.moc"
