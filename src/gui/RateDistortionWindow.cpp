#include "gui/RateDistortionWindow.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

#include "document/SweepCsv.h"
#include "document/SweepPlot.h"
#include "document/TamrDoc.h"
#include "gui/CodecLabel.h"
#include "gui/JobTexts.h"
#include "gui/QuietPrompter.h"
#include "gui/RateDistortionDeltas.h"
#include "gui/RoundAxis.h"

namespace tamr::qt {

// What the sweep shares with the window: the request, and the points
// measured so far, for a Cancel that does not wait for the points in hand;
// they come from several threads.
struct RateDistortionWindow::Run {
    SweepRequest request;
    std::mutex pointsMutex;
    std::map<std::pair<const PeerCodec*, int>, SweepPoint> measured;
    std::map<std::pair<const PeerCodec*, int>, std::vector<std::uint8_t>> coded;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
};

RateDistortionWindow::RateDistortionWindow(CTamrDoc& document, SweepRequest request, QWidget* parent)
    : QWidget(parent, Qt::Window), document_(&document), pictureName_(document.PathName().filename().string()),
      picturePath_(document.PathName()), run_(std::make_shared<Run>()), runner_(new JobRunner(this)),
      chartView_(new QChartView(this)), progress_(new QProgressBar(this)), cancel_(new QPushButton(tr("Cancel"), this)),
      export_(new QPushButton(tr("Export..."), this)), status_(new QLabel(this)), hover_(new QLabel(this)),
      metricChoice_(new QComboBox(this)), anchorChoice_(new QComboBox(this)), deltas_(new QLabel(this))
{
    setObjectName(QStringLiteral("rateDistortionWindow"));
    setWindowTitle(tr("Rate-Distortion - %1").arg(QString::fromStdString(pictureName_)));
    cancel_->setObjectName(QStringLiteral("cancelSweep"));
    export_->setObjectName(QStringLiteral("exportSweep"));
    export_->setEnabled(false);
    hover_->setObjectName(QStringLiteral("hoverLine"));
    hover_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line that never asks for more room: a long point text is cut at the window's edge.
    hover_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    hover_->setFixedHeight(hover_->fontMetrics().lineSpacing() + 2 * hover_->margin());
    status_->setWordWrap(true);
    metricChoice_->setObjectName(QStringLiteral("sweepMetric"));
    metricChoice_->setToolTip(tr("The figure plotted against bits per pixel"));
    for (const SweepMetric& metric : SweepMetrics())
        metricChoice_->addItem(QString::fromUtf8(metric.name.data(), static_cast<qsizetype>(metric.name.size())));
    anchorChoice_->setObjectName(QStringLiteral("deltaAnchor"));
    anchorChoice_->setToolTip(tr("The codec the BD-rates are against"));
    for (const PeerCodec* codec : SweepCodecs(request)) {
        anchorChoice_->addItem(CodecLabel(*codec),
                               QString::fromUtf8(codec->name.data(), static_cast<qsizetype>(codec->name.size())));
        if (anchor_ == nullptr || codec->name == "jpeg")
            anchor_ = codec;
    }
    if (anchor_ != nullptr)
        anchorChoice_->setCurrentIndex(anchorChoice_->findData(
            QString::fromUtf8(anchor_->name.data(), static_cast<qsizetype>(anchor_->name.size()))));
    deltas_->setObjectName(QStringLiteral("deltaLine"));
    deltas_->setWordWrap(true);
    deltas_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chartView_->setRenderHint(QPainter::Antialiasing);
    chartView_->chart()->setTitle(
        tr("%1 against bits per pixel: %2")
            .arg(QString::fromUtf8(metric_->name.data(), static_cast<qsizetype>(metric_->name.size())),
                 QString::fromStdString(pictureName_)));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress_, 1);
    bottom->addWidget(status_, 1);
    bottom->addWidget(metricChoice_);
    bottom->addWidget(cancel_);
    bottom->addWidget(export_);
    auto* deltaRow = new QHBoxLayout;
    deltaRow->addWidget(new QLabel(tr("BD-rate against"), this));
    deltaRow->addWidget(anchorChoice_);
    deltaRow->addWidget(deltas_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chartView_, 1);
    layout->addLayout(deltaRow);
    layout->addWidget(hover_);
    layout->addLayout(bottom);
    FitToScreen();

    connect(metricChoice_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && static_cast<std::size_t>(index) < SweepMetrics().size())
            ChooseMetric(SweepMetrics()[static_cast<std::size_t>(index)]);
    });
    connect(anchorChoice_, &QComboBox::activated, this, [this](int index) {
        const QString name = anchorChoice_->itemData(index).toString();
        if (ChooseAnchor(name.toStdString()))
            emit AnchorChosen(name);
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });
    chartView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chartView_, &QWidget::customContextMenuRequested, this, [this](QPoint at) { PointMenu(at); });
    connect(export_, &QPushButton::clicked, this, [this] { AskExport(); });
    // The picture's sizes until a point brings those of the file.
    if (const CDibImage* image = document.Image()) {
        run_->width = image->Width();
        run_->height = image->Height();
        run_->bytesPerPixel = image->BytesPerPixel();
    }
    run_->request = std::move(request);
    status_->setText(tr("Measuring..."));
    // Progress comes back through the application object, which outlives the
    // window: the runner may still end the points in hand after it has gone.
    const QPointer<RateDistortionWindow> self(this);
    runner_->Start(
        [run = run_, self, picture = document.PathName()](const AbortFlag& abort) {
            QuietPrompter prompter;
            const auto progress = [self](std::size_t done, std::size_t total) {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self, done, total] {
                        if (!self.isNull())
                            self->ShowProgress(done, total);
                    },
                    Qt::QueuedConnection);
            };
            const auto keep = [&run](const SweepPoint& point, std::span<const std::uint8_t> coded,
                                     ConstPixelView decoded, int bytesPerPixel) {
                const std::lock_guard lock(run->pointsMutex);
                run->measured[{point.codec, point.quality}] = point;
                run->width = decoded.width;
                run->height = decoded.height;
                run->bytesPerPixel = bytesPerPixel;
                run->coded[{point.codec, point.quality}].assign(coded.begin(), coded.end());
            };
            SweepRequest request = run->request;
            request.stop = &abort;
            return RunSweep(picture, request, prompter, progress, keep);
        },
        [this](std::optional<SweepResult> result) { Finish(std::move(result)); });
}

RateDistortionWindow::~RateDistortionWindow()
{
    // The points in hand may take a while (the application joins them when it ends itself).
    runner_->CancelAndOutliveOwner(QStringLiteral("endingSweep"));
}

SweepRequest RateDistortionWindow::DefaultRequest()
{
    SweepRequest request;
    for (int quality = 0; quality < 100; quality += 5)
        request.qualities.push_back(quality);
    request.peers = ChartedPeers();
    return request;
}

QChart* RateDistortionWindow::Chart() const
{
    return chartView_->chart();
}

QString RateDistortionWindow::StatusText() const
{
    return status_->text();
}

void RateDistortionWindow::Cancel()
{
    if (!Running())
        return;
    cancel_->setEnabled(false);
    // The points in hand may take a second or more on a large picture: the
    // window shows those measured so far at once and lets the others end
    // unseen on the runner's thread.
    runner_->Cancel();
    ended_ = true;
    result_ = MeasuredSoFar();
    status_->setText(JobStoppedText());
    export_->setEnabled(true);
    ShowResult();
    emit Finished();
}

SweepResult RateDistortionWindow::MeasuredSoFar()
{
    SweepResult result;
    const std::lock_guard lock(run_->pointsMutex);
    result.width = run_->width;
    result.height = run_->height;
    result.bytesPerPixel = run_->bytesPerPixel;
    // Ordered as the sweep orders its points: tamr, then the peers as asked; then quality.
    for (const PeerCodec* codec : SweepCodecs(run_->request))
        for (const int quality : run_->request.qualities) {
            const auto measured = run_->measured.find({codec, quality});
            if (measured != run_->measured.end()) {
                result.points.push_back(measured->second);
            } else {
                SweepPoint point;
                point.codec = codec;
                point.quality = quality;
                point.failure = kSweepStopped;
                result.points.push_back(point);
            }
        }
    coded_ = std::move(run_->coded);
    run_->coded.clear();
    return result;
}

void RateDistortionWindow::ShowProgress(std::size_t done, std::size_t total)
{
    if (total == 0 || ended_)
        return;
    progress_->setMaximum(static_cast<int>(total));
    progress_->setValue(static_cast<int>(done));
}

void RateDistortionWindow::Finish(std::optional<SweepResult> result)
{
    // After a Cancel the window already shows what was measured before it.
    if (ended_)
        return;
    ended_ = true;
    result_ = std::move(result);
    cancel_->setEnabled(false);
    if (!result_) {
        status_->setText(tr("%1 cannot be measured: tamr cannot open it as a picture.")
                             .arg(QString::fromStdString(picturePath_.string())));
        emit Finished();
        return;
    }
    {
        const std::lock_guard lock(run_->pointsMutex);
        coded_ = std::move(run_->coded);
    }
    progress_->setValue(progress_->maximum());
    status_->setText(JobDoneText());
    export_->setEnabled(true);
    ShowResult();
    emit Finished();
}

void RateDistortionWindow::FitToScreen()
{
    const QSize wanted(820, 560);
    const QScreen* shown = screen();
    if (shown == nullptr) {
        resize(wanted);
        return;
    }
    // Room for the window's frame and the desktop's panels.
    const QSize room = shown->availableGeometry().size() * 0.9;
    resize(wanted.boundedTo(room).expandedTo(minimumSizeHint()));
}

void RateDistortionWindow::ChooseMetric(const SweepMetric& metric)
{
    metric_ = &metric;
    const QString name = QString::fromUtf8(metric.name.data(), static_cast<qsizetype>(metric.name.size()));
    chartView_->chart()->setTitle(tr("%1 against bits per pixel: %2").arg(name, QString::fromStdString(pictureName_)));
    const auto row = static_cast<int>(&metric - SweepMetrics().data());
    if (metricChoice_->currentIndex() != row)
        metricChoice_->setCurrentIndex(row);
    if (ended_ && result_)
        ShowResult();
}

bool RateDistortionWindow::ChooseAnchor(std::string_view name)
{
    for (const PeerCodec* codec : SweepCodecs(run_->request))
        if (codec->name == name) {
            anchor_ = codec;
            anchorChoice_->setCurrentIndex(
                anchorChoice_->findData(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
            ShowDeltas();
            return true;
        }
    return false;
}

QString RateDistortionWindow::DeltaText() const
{
    return deltas_->text();
}

void RateDistortionWindow::ShowDeltas()
{
    if (!ended_ || !result_ || anchor_ == nullptr) {
        deltas_->clear();
        return;
    }
    QStringList lines;
    for (const CodecDelta& delta : RateDistortionDeltas(*result_, *metric_, *anchor_))
        lines.push_back(CodecDeltaText(delta, *metric_));
    deltas_->setText(lines.join(QStringLiteral("; ")));
}

void RateDistortionWindow::ShowResult()
{
    ShowDeltas();
    QChart* chart = chartView_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    series_.clear();
    auto* xAxis = new QValueAxis;
    xAxis->setTitleText(RateAxisTitle());
    auto* yAxis = new QValueAxis;
    yAxis->setTitleText(QString::fromUtf8(metric_->title.data(), static_cast<qsizetype>(metric_->title.size())));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    double widest = 0;
    for (const PeerCodec* codec : SweepCodecs(run_->request)) {
        auto* line = new QLineSeries;
        auto* dots = new QScatterSeries;
        line->setName(CodecLabel(*codec));
        dots->setMarkerSize(8);
        std::vector<std::size_t> indices;
        for (std::size_t i = 0; i < result_->points.size(); ++i) {
            const SweepPoint& point = result_->points[i];
            const double value = metric_->value(point);
            if (point.codec != codec || !std::isfinite(value))
                continue;
            line->append(point.bitsPerPixel, value);
            dots->append(point.bitsPerPixel, value);
            indices.push_back(i);
            low = std::min(low, value);
            high = std::max(high, value);
            widest = std::max(widest, point.bitsPerPixel);
        }
        if (indices.empty()) {
            delete line;
            delete dots;
            continue;
        }
        for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(line), static_cast<QAbstractSeries*>(dots)}) {
            chart->addSeries(series);
            series->attachAxis(xAxis);
            series->attachAxis(yAxis);
        }
        // The registry's colour, as the SVG export draws it (set once added: adding applies the theme).
        line->setColor(CodecColour(*codec));
        dots->setColor(CodecColour(*codec));
        chart->legend()->markers(dots).front()->setVisible(false);
        connect(dots, &QScatterSeries::hovered, this,
                [this, dots](const QPointF& at, bool entered) { Hover(dots, at, entered); });
        connect(dots, &QScatterSeries::clicked, this, [this, dots](const QPointF& at) {
            if (const auto index = PointAt(dots, at))
                ChoosePoint(*index);
        });
        series_.emplace_back(dots, std::move(indices));
    }
    if (series_.empty())
        return;
    SetRoundTicks(*xAxis, 0, widest);
    SetRoundTicks(*yAxis, low, high);
}

std::optional<std::size_t> RateDistortionWindow::PointAt(QScatterSeries* series, QPointF at) const
{
    for (const auto& [dots, indices] : series_) {
        if (dots != series)
            continue;
        std::optional<std::size_t> nearest;
        double best = std::numeric_limits<double>::max();
        for (const std::size_t index : indices) {
            const SweepPoint& point = result_->points[index];
            const double distance = std::hypot(point.bitsPerPixel - at.x(), metric_->value(point) - at.y());
            if (distance < best) {
                best = distance;
                nearest = index;
            }
        }
        return nearest;
    }
    return std::nullopt;
}

void RateDistortionWindow::Hover(QScatterSeries* series, QPointF at, bool entered)
{
    const auto index = entered ? PointAt(series, at) : std::nullopt;
    const QString text = index ? PointText(*index) : QString();
    hover_->setText(QString(text).replace('\n', QStringLiteral("; ")));
    if (index)
        QToolTip::showText(QCursor::pos(), text, chartView_);
    else
        QToolTip::hideText();
}

QString RateDistortionWindow::HoverLine() const
{
    return hover_->text();
}

QString RateDistortionWindow::PointText(std::size_t index) const
{
    if (!result_ || index >= result_->points.size())
        return {};
    const SweepPoint& point = result_->points[index];
    const QString head = tr("%1 at quality %2").arg(CodecLabel(*point.codec)).arg(point.quality);
    if (point.Failed())
        return head + QStringLiteral("\n") + QString::fromStdString(point.failure);
    const PictureMetrics& metrics = point.metrics;
    return head + QStringLiteral("\n") +
           tr("%1 bytes, %2 bits per pixel").arg(point.bytes).arg(point.bitsPerPixel, 0, 'f', 3) +
           QStringLiteral("\n") +
           tr("PSNR %1 dB, PSNR-Y %2 dB, SSIM %3")
               .arg(metrics.psnr, 0, 'f', 2)
               .arg(metrics.psnrY, 0, 'f', 2)
               .arg(metrics.ssim ? QString::number(*metrics.ssim, 'f', 4) : tr("n/a")) +
           QStringLiteral("\n") +
           tr("encoded in %1 s, decoded in %2 s")
               .arg(point.encodeSeconds, 0, 'f', 3)
               .arg(point.decodeSeconds, 0, 'f', 3);
}

void RateDistortionWindow::ChoosePoint(std::size_t index)
{
    if (!result_ || index >= result_->points.size() || document_ == nullptr)
        return;
    const SweepPoint& point = result_->points[index];
    if (point.Failed())
        return;
    if (point.codec == &TamrCodec())
        emit QualityChosen(point.quality);
    else
        ShowPeerPoint(point);
}

void RateDistortionWindow::ShowPeerPoint(const SweepPoint& point)
{
    const auto coded = coded_.find({point.codec, point.quality});
    if (coded == coded_.end())
        return;
    // Beside it, the tamr point whose file comes closest in size.
    const SweepPoint* tamr = nullptr;
    const auto distance = [&point](std::size_t bytes) {
        return bytes > point.bytes ? bytes - point.bytes : point.bytes - bytes;
    };
    for (const SweepPoint& candidate : result_->points)
        if (candidate.codec == &TamrCodec() && !candidate.Failed() &&
            coded_.contains({&TamrCodec(), candidate.quality}) &&
            (tamr == nullptr || distance(candidate.bytes) < distance(tamr->bytes)))
            tamr = &candidate;
    if (tamr == nullptr)
        return;
    if (!DocumentIsMeasured())
        return;
    // The compare window decodes both files: the document is not touched.
    emit PointsChosen({&TamrCodec(), tamr->quality, coded_.at({&TamrCodec(), tamr->quality})},
                      {point.codec, point.quality, coded->second});
}

bool RateDistortionWindow::DocumentIsMeasured()
{
    const CDibImage* image = document_ != nullptr ? document_->Image() : nullptr;
    if (image == nullptr || !result_ || image->ReferencePixels().empty() || image->Width() != result_->width ||
        image->Height() != result_->height || image->BytesPerPixel() != result_->bytesPerPixel) {
        status_->setText(tr("The document's picture is no longer the one measured."));
        return false;
    }
    return true;
}

void RateDistortionWindow::ComparePoint(std::size_t index)
{
    if (!result_ || index >= result_->points.size() || !DocumentIsMeasured())
        return;
    const SweepPoint& point = result_->points[index];
    const auto coded = coded_.find({point.codec, point.quality});
    if (point.Failed() || coded == coded_.end())
        return;
    emit PointToCompare({point.codec, point.quality, coded->second});
}

void RateDistortionWindow::PointMenu(QPoint at)
{
    if (!result_)
        return;
    // The nearest point on screen, within a marker's reach.
    constexpr double kReach = 12;
    std::optional<std::size_t> nearest;
    double best = kReach;
    QChart* chart = chartView_->chart();
    const QPointF scene = chartView_->mapToScene(at);
    for (const auto& [dots, indices] : series_)
        for (const std::size_t index : indices) {
            const SweepPoint& point = result_->points[index];
            const QPointF shown =
                chart->mapToScene(chart->mapToPosition(QPointF(point.bitsPerPixel, metric_->value(point)), dots));
            const double distance = QLineF(shown, scene).length();
            if (distance <= best) {
                best = distance;
                nearest = index;
            }
        }
    if (!nearest)
        return;
    const SweepPoint& point = result_->points[*nearest];
    QMenu menu(this);
    const QAction* compare =
        menu.addAction(tr("Compare %1 q %2 with the Original").arg(CodecLabel(*point.codec)).arg(point.quality));
    if (menu.exec(chartView_->mapToGlobal(at)) == compare)
        ComparePoint(*nearest);
}

std::span<const std::uint8_t> RateDistortionWindow::CodedFile(std::size_t index) const
{
    if (!result_ || index >= result_->points.size())
        return {};
    const SweepPoint& point = result_->points[index];
    const auto coded = coded_.find({point.codec, point.quality});
    return coded != coded_.end() ? std::span<const std::uint8_t>(coded->second) : std::span<const std::uint8_t>();
}

bool RateDistortionWindow::Export(const QString& path)
{
    if (!result_)
        return false;
    const QString kind = QFileInfo(path).suffix().toLower();
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        if (kind == QStringLiteral("png")) {
            written = chartView_->grab().save(&file, "PNG");
        } else {
            const std::string text =
                kind == QStringLiteral("svg") ? SweepSvg(*result_, pictureName_) : SweepCsv(*result_);
            written = file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
        }
    }
    // A failed write leaves nothing behind: the save file is only committed whole.
    if (written)
        written = file.commit();
    else
        file.cancelWriting();
    if (!written)
        QMessageBox::warning(this, tr("Export"), tr("%1 could not be written: %2").arg(path, file.errorString()));
    return written;
}

void RateDistortionWindow::AskExport()
{
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export"), QString::fromStdString(std::filesystem::path(pictureName_).stem().string()),
        tr("CSV table (*.csv);;SVG picture (*.svg);;PNG picture (*.png)"), &chosen);
    if (path.isEmpty())
        return;
    // No extension typed: the chosen kind's.
    QString target = path;
    if (QFileInfo(path).suffix().isEmpty())
        target += chosen.contains(QStringLiteral("svg"))   ? QStringLiteral(".svg")
                  : chosen.contains(QStringLiteral("png")) ? QStringLiteral(".png")
                                                           : QStringLiteral(".csv");
    Export(target);
}

} // namespace tamr::qt
