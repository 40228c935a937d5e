#pragma once
// The rate-distortion window: the document's picture coded by tamr at a row
// of qualities and by the peer codecs beside it, PSNR against bits
// per pixel, computed on a job runner's thread with progress and Cancel.
// Hovering a point shows its figures; clicking a tamr point asks for a
// compress of the document at that quality, clicking another codec's point
// shows its picture beside tamr's in a compare window (decoded from the file the sweep
// kept: a few megabytes for all points, where their pictures would take
// hundreds). The points export as CSV, SVG or PNG. Under the chart, the
// Bjøntegaard deltas of each codec against a chosen anchor codec for the
// figure the chart shows.

#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "document/RateDistortionSweep.h"
#include "document/SweepMetrics.h"
#include "gui/CompareSides.h"
#include "gui/JobRunner.h"

class QChart;
class QComboBox;
class QChartView;
class QLabel;
class QProgressBar;
class QPushButton;
class QScatterSeries;

namespace tamr {
class CTamrDoc;
}

namespace tamr::qt {

class RateDistortionWindow : public QWidget {
    Q_OBJECT

public:
    // Starts the sweep of the document's picture file at once.
    RateDistortionWindow(CTamrDoc& document, SweepRequest request, QWidget* parent = nullptr);
    ~RateDistortionWindow() override;
    RateDistortionWindow(const RateDistortionWindow&) = delete;
    RateDistortionWindow& operator=(const RateDistortionWindow&) = delete;

    // The sweep's default: tamr at 0, 5, ... 95 against every peer of this build.
    static SweepRequest DefaultRequest();

    // Null once the document has gone.
    CTamrDoc* Document() const { return document_; }
    void Detach() { document_ = nullptr; }

    // Measuring, neither done nor stopped.
    bool Running() const { return !ended_; }
    // Stops the sweep: points not begun are left out and the chart shows those
    // done at once; the points in hand end on the runner's thread, unseen.
    void Cancel();
    // Empty while running, and when the picture could not be opened.
    const std::optional<SweepResult>& Result() const { return result_; }
    QChart* Chart() const;
    // How the sweep went, or why a click on a point showed nothing.
    QString StatusText() const;

    // The hover text of a point of the result.
    QString PointText(std::size_t index) const;
    // What the hover line shows now (one line).
    QString HoverLine() const;
    // The figure plotted against bits per pixel, PSNR at first; chosen below the chart.
    const SweepMetric& Metric() const { return *metric_; }
    void ChooseMetric(const SweepMetric& metric);
    // The codec the deltas under the chart are against: JPEG at first when swept.
    const PeerCodec* Anchor() const { return anchor_; }
    // False, nothing changed, for a codec the window has not swept.
    bool ChooseAnchor(std::string_view name);
    // What the line of deltas under the chart says.
    QString DeltaText() const;
    // As a click on a point: a tamr point asks for a compress at its quality;
    // another codec's point opens its picture beside the document's result.
    void ChoosePoint(std::size_t index);
    // The point's picture, decoded from its file, against the original in a
    // compare window (the chart's context menu on a point).
    void ComparePoint(std::size_t index);
    // The coded file of another codec's point of the result; empty for tamr's and failed points.
    std::span<const std::uint8_t> CodedFile(std::size_t index) const;
    // Writes the result as CSV, SVG or PNG, by the path's extension; false with the reason shown.
    bool Export(const QString& path);

signals:
    void QualityChosen(int quality);
    // The sweep has ended (done, stopped or failed) and what it measured is shown.
    void Finished();
    // Another codec's point was chosen: it and the tamr point of the closest
    // size, to be shown in a compare window of the document.
    void PointsChosen(tamr::qt::SidePoint tamr, tamr::qt::SidePoint peer);
    // A point to be shown against the document's original in a compare window.
    void PointToCompare(tamr::qt::SidePoint point);
    // The user chose the anchor of the deltas (its name, "jpeg").
    void AnchorChosen(const QString& name);

private:
    struct Run;

    void ShowProgress(std::size_t done, std::size_t total);
    // The sweep's result on the user-interface thread; none when the picture could not be opened.
    void Finish(std::optional<SweepResult> result);
    void ShowResult();
    void ShowDeltas();
    // A window's first size: the one it is made for, within the screen.
    void FitToScreen();
    void Hover(QScatterSeries* series, QPointF at, bool entered);
    std::optional<std::size_t> PointAt(QScatterSeries* series, QPointF at) const;
    void AskExport();
    // The context menu of the point nearest to `at` (chart view pixels), if one is close.
    void PointMenu(QPoint at);
    // The document still holds the picture the sweep measured; the status says so when not.
    bool DocumentIsMeasured();
    void ShowPeerPoint(const SweepPoint& point);
    // The points measured so far, the others failed as stopped; takes their coded files.
    SweepResult MeasuredSoFar();

    CTamrDoc* document_;
    std::string pictureName_;
    std::filesystem::path picturePath_;
    std::shared_ptr<Run> run_;
    // Outlives the window while the points in hand end (see the destructor).
    JobRunner* runner_;
    bool ended_ = false; // the result, or why there is none, is shown
    std::optional<SweepResult> result_;
    const SweepMetric* metric_ = &SweepMetrics().front();
    // The peers' coded files by codec and quality.
    std::map<std::pair<const PeerCodec*, int>, std::vector<std::uint8_t>> coded_;
    // Each scatter series' points, as indices into the result's points.
    std::vector<std::pair<QScatterSeries*, std::vector<std::size_t>>> series_;
    QChartView* chartView_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    QPushButton* export_;
    QLabel* status_;
    QLabel* hover_;
    QComboBox* metricChoice_;
    QComboBox* anchorChoice_;
    QLabel* deltas_;
    const PeerCodec* anchor_ = nullptr;
};

} // namespace tamr::qt
