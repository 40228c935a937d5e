#include "gui/EvaluateWindow.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <atomic>

#include "document/SweepMetrics.h"
#include "evaluate/MeanCurves.h"
#include "gui/CodecLabel.h"
#include "gui/DeltaTable.h"
#include "gui/JobTexts.h"
#include "gui/MeanCurveChart.h"
#include "gui/QuietPrompter.h"

namespace tamr::qt {

// What the evaluation shares with the window: the stop flag it reads
// between points (Cancel wants what was measured, so the runner's abort,
// which drops the result, is kept for the window's end).
struct EvaluateWindow::Run {
    std::atomic<bool> stop{false};
};

EvaluationRequest EvaluateWindow::DefaultRequest(const std::filesystem::path& folder,
                                                 const std::filesystem::path& results)
{
    EvaluationRequest request;
    std::string missing;
    request.pictures = ListPictures({folder.string()}, missing);
    for (const std::string_view name : {"tamr", "jpeg", "jp2", "webp"})
        if (const PeerCodec* codec = FindCodec(name); codec != nullptr && codec->available)
            request.codecs.push_back(codec);
    for (int quality = 5; quality <= 95; quality += 10)
        request.qualities.push_back(quality);
    request.metrics = DefaultMetrics();
    request.programVersion = QCoreApplication::applicationVersion().toStdString();
    request.folder = results;
    return request;
}

EvaluateWindow::EvaluateWindow(EvaluationRequest request, std::string anchor, QWidget* parent)
    : QWidget(parent, Qt::Window), run_(std::make_shared<Run>()), anchor_(std::move(anchor)),
      runner_(new JobRunner(this)), progress_(new QProgressBar(this)), status_(new QLabel(this)),
      cancel_(new QPushButton(tr("Cancel"), this)), metricChoice_(new QComboBox(this)),
      anchorChoice_(new QComboBox(this)), table_(new QTableWidget(this)), chartView_(new QChartView(this))
{
    setObjectName(QStringLiteral("evaluateWindow"));
    const QString folder =
        request.pictures.empty() ? QString() : QString::fromStdString(request.pictures.front().parent_path().string());
    setWindowTitle(tr("Evaluate - %1").arg(folder));
    cancel_->setObjectName(QStringLiteral("cancelEvaluation"));
    metricChoice_->setObjectName(QStringLiteral("evaluateMetric"));
    metricChoice_->setToolTip(tr("The figure the BD-rates and the curves are of"));
    metricChoice_->setEnabled(false);
    anchorChoice_->setObjectName(QStringLiteral("evaluateAnchor"));
    anchorChoice_->setToolTip(tr("The codec the BD-rates are against"));
    anchorChoice_->setEnabled(false);
    status_->setWordWrap(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    chartView_->setRenderHint(QPainter::Antialiasing);

    auto* results = new QSplitter(Qt::Horizontal, this);
    results->addWidget(table_);
    results->addWidget(chartView_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress_, 1);
    bottom->addWidget(status_, 1);
    bottom->addWidget(metricChoice_);
    bottom->addWidget(anchorChoice_);
    bottom->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(results, 1);
    layout->addLayout(bottom);
    resize(960, 540);

    connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });
    connect(metricChoice_, &QComboBox::activated, this,
            [this](int index) { ChooseMetric(metricChoice_->itemData(index).toString().toStdString()); });
    connect(anchorChoice_, &QComboBox::activated, this, [this](int index) {
        const QString name = anchorChoice_->itemData(index).toString();
        if (ChooseAnchor(name.toStdString()))
            emit AnchorChosen(name);
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        const QTableWidgetItem* name = table_->item(row, 0);
        const QString path = name != nullptr ? name->data(Qt::UserRole).toString() : QString();
        if (!path.isEmpty())
            emit PictureChosen(path);
    });

    status_->setText(tr("Evaluating %n pictures...", nullptr, static_cast<int>(request.pictures.size())));
    request.stop = &run_->stop;
    // Progress comes back through the application object, which outlives the
    // window: the runner may still end the points in hand after it has gone.
    const QPointer<EvaluateWindow> self(this);
    runner_->Start(
        [run = run_, self, request = std::move(request)] {
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
            if (!request.folder.empty()) {
                // A folder that cannot be made leaves each point saying why it was not kept.
                std::error_code ignored;
                std::filesystem::create_directories(request.folder, ignored);
            }
            return RunEvaluation(request, prompter, progress);
        },
        [this](EvaluationRun result) { Finish(std::move(result)); });
}

EvaluateWindow::~EvaluateWindow()
{
    run_->stop = true;
    runner_->CancelAndOutliveOwner(QStringLiteral("endingEvaluation"));
}

void EvaluateWindow::Cancel()
{
    if (!running_)
        return;
    run_->stop = true;
    cancel_->setEnabled(false);
    status_->setText(tr("Stopping..."));
}

QString EvaluateWindow::StatusText() const
{
    return status_->text();
}

void EvaluateWindow::ShowProgress(std::size_t done, std::size_t total)
{
    if (total == 0 || !running_)
        return;
    progress_->setMaximum(static_cast<int>(total));
    progress_->setValue(static_cast<int>(done));
}

void EvaluateWindow::Finish(EvaluationRun run)
{
    running_ = false;
    cancel_->setEnabled(false);
    QString status = run_->stop ? JobStoppedText() : JobDoneText();
    if (!run_->stop)
        progress_->setValue(progress_->maximum());
    if (run.pointsFound > 0)
        status += QStringLiteral(" ") +
                  tr("%n points taken from the results folder.", nullptr, static_cast<int>(run.pointsFound));
    std::size_t unread = 0;
    for (const EvaluatedPicture& picture : run.evaluation.pictures)
        unread += picture.failure.empty() ? 0 : 1;
    if (unread > 0)
        status += QStringLiteral(" ") + tr("%n pictures could not be evaluated.", nullptr, static_cast<int>(unread));
    if (!run.failures.empty())
        status +=
            QStringLiteral(" ") + tr("%n points could not be kept: %1", nullptr, static_cast<int>(run.failures.size()))
                                      .arg(QString::fromStdString(run.failures.front()));
    status_->setText(status);
    report_ = MakeReport(run.evaluation, anchor_, CurveFit::Akima);
    result_ = std::move(run);
    for (const EvaluatedCodec& codec : result_->evaluation.codecs)
        if (const PeerCodec* peer = FindCodec(codec.name))
            anchorChoice_->addItem(CodecLabel(*peer), QString::fromStdString(codec.name));
    anchorChoice_->setCurrentIndex(anchorChoice_->findData(QString::fromStdString(anchor_)));
    anchorChoice_->setEnabled(anchorChoice_->count() > 1);
    for (const std::string& key : result_->evaluation.metrics)
        if (const SweepMetric* metric = FindSweepMetric(key))
            metricChoice_->addItem(QString::fromUtf8(metric->name.data(), static_cast<qsizetype>(metric->name.size())),
                                   QString::fromStdString(key));
    metricChoice_->setEnabled(metricChoice_->count() > 1);
    if (metricChoice_->count() > 0)
        ChooseMetric(metricChoice_->itemData(0).toString().toStdString());
    emit Finished();
}

bool EvaluateWindow::ChooseMetric(std::string_view key)
{
    const int row = metricChoice_->findData(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
    if (row < 0)
        return false;
    metricChoice_->setCurrentIndex(row);
    metricKey_ = key;
    ShowMetric();
    return true;
}

bool EvaluateWindow::ChooseAnchor(std::string_view name)
{
    const int row = anchorChoice_->findData(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    if (row < 0 || !result_)
        return false;
    anchorChoice_->setCurrentIndex(row);
    anchor_ = name;
    report_ = MakeReport(result_->evaluation, anchor_, CurveFit::Akima);
    ShowMetric();
    return true;
}

void EvaluateWindow::ShowMetric()
{
    const SweepMetric* metric = FindSweepMetric(metricKey_);
    if (!result_ || !report_ || metric == nullptr)
        return;
    FillDeltaTable(*table_, result_->evaluation, *report_, metricKey_);
    DrawMeanCurves(*chartView_->chart(), MeanCurves(result_->evaluation, *metric), *metric);
}

} // namespace tamr::qt
