#include "gui/CFiguresPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "codec/QualityFactor.h"
#include "document/DocumentStatistics.h"
#include "gui/CompareView.h"
#include "gui/PictureImage.h"
#include "image/Butteraugli.h"

namespace tamr::qt {

namespace {

// The slider starts compressing this long after its last movement.
constexpr std::chrono::milliseconds kSliderIdle(150);

const QString kCompressedSize = QStringLiteral("Compressed size");
const QString kOriginalSize = QStringLiteral("Original size");
const QString kRatio = QStringLiteral("Ratio");
const QString kBitsPerPixel = QStringLiteral("Bits per pixel");
const QString kPsnr = QStringLiteral("PSNR");
const QString kPsnrY = QStringLiteral("PSNR of luma Y");
const QString kPsnrRgb = QStringLiteral("PSNR-RGB");
const QString kSsim = QStringLiteral("SSIM");
const QString kMsSsim = QStringLiteral("MS-SSIM");
const QString kButteraugli = QStringLiteral("Butteraugli");
const QString kButteraugliMax = QStringLiteral("Butteraugli max");
const QString kMse = QStringLiteral("MSE");
const QString kLargest = QStringLiteral("Largest difference");
const QString kCompressTime = QStringLiteral("Compression time");
const QString kDecompressTime = QStringLiteral("Decompression time");
const QString kNonZero = QStringLiteral("Non zero elements");
const QString kNonZeroAfter = QStringLiteral("Non zeros after quant.");

// What a figure shows when nothing was measured: never a number.
QString NotMeasured()
{
    return QCoreApplication::translate("CFiguresPanel", "not measured");
}

QString FromStd(const std::string& text)
{
    return QString::fromStdString(text).trimmed();
}

// The document's picture for measuring on another thread: its pixels shared, not copied.
std::shared_ptr<const CDibImage> SharedPicture(CTamrDoc& document)
{
    document.SharePicture();
    return std::make_shared<const CDibImage>(*document.Image());
}

} // namespace

std::optional<PictureMetrics> MeasureCodedPicture(const CDibImage& image)
{
    const int bytesPerPixel = image.BitsPerPixel() / 8;
    if (image.ReferencePixels().empty() || image.ReferencePixels().size() != image.Pixels().size() ||
        (bytesPerPixel != 1 && bytesPerPixel != 3))
        return std::nullopt;
    return MeasurePictures(image.ReferenceView(), image.WorkingView(), bytesPerPixel);
}

void CFiguresPanel::TakeMeasured(const CTamrDoc& document, const PictureMetrics& metrics)
{
    known_ = Known{&document, document.Generation(), metrics};
    if (&document == document_) {
        // Shown again with them.
        shownFor_ = {};
        Refresh();
    }
}

CFiguresPanel::CFiguresPanel(CodecSettings& settings, QWidget* parent)
    : QDockWidget(tr("Figures"), parent), settings_(settings), slider_(new QSlider(Qt::Horizontal)),
      sliderValue_(new QLabel), measure_(new QPushButton(tr("Measure")))
{
    setObjectName(QStringLiteral("figuresPanel"));
    auto* body = new QWidget(this);
    auto* form = new QFormLayout;
    names_ = {kCompressedSize, kOriginalSize, kRatio,          kBitsPerPixel, kPsnr,           kPsnrRgb,
              kPsnrY,          kSsim,         kMsSsim,         kButteraugli,  kButteraugliMax, kMse,
              kLargest,        kCompressTime, kDecompressTime, kNonZero,      kNonZeroAfter};
    for (const QString& name : names_) {
        auto* value = new QLabel(body);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(name + QStringLiteral(":"), value);
        values_.emplace(name, value);
        if (name == kButteraugliMax)
            form->addRow(QString(), measure_);
    }
    measure_->setObjectName(QStringLiteral("measureCostly"));
    measure_->setToolTip(ButteraugliAvailable()
                             ? tr("Measure Butteraugli of this picture (seconds per megapixel)")
                             : tr("Butteraugli is %1").arg(QString::fromUtf8(kButteraugliUnavailable)));
    slider_->setRange(0, 100);
    slider_->setObjectName(QStringLiteral("qualitySlider"));
    slider_->setValue(settings_.qualityFactor);
    sliderValue_->setNum(settings_.qualityFactor);
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(new QLabel(tr("Quality:")));
    sliderRow->addWidget(slider_, 1);
    sliderRow->addWidget(sliderValue_);
    auto* copy = new QPushButton(tr("Copy as Text"), body);
    copy->setObjectName(QStringLiteral("copyFigures"));

    auto* layout = new QVBoxLayout(body);
    layout->addLayout(form);
    layout->addLayout(sliderRow);
    layout->addWidget(copy);
    layout->addStretch(1);
    // The rows scroll rather than make the main window taller than the screen allows.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(body);
    setWidget(scroll);

    // No re-encode storm while dragging: compress on release or once the slider rests.
    idle_.setSingleShot(true);
    idle_.setInterval(kSliderIdle);
    connect(&idle_, &QTimer::timeout, this, [this] { RequestCompress(); });
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        sliderValue_->setNum(value);
        idle_.start();
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] {
        idle_.stop();
        RequestCompress();
    });
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(FiguresText()); });
    connect(measure_, &QPushButton::clicked, this, [this] { MeasureCostly(); });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            Refresh();
    });
}

void CFiguresPanel::ShowDocument(CTamrDoc* document)
{
    document_ = document;
    if (isVisible())
        Refresh();
}

void CFiguresPanel::Forget(const CTamrDoc& document)
{
    if (compressing_ == &document) {
        compressing_ = nullptr;
        waiting_.reset();
    }
    if (document_ == &document) {
        document_ = nullptr;
        shownFor_ = {};
    }
    if (known_ && known_->document == &document)
        known_.reset();
    if (costlyAsked_ && costlyAsked_->document == &document) {
        costlyRunner_.Cancel();
        costlyAsked_.reset();
    }
    if (costly_ && costly_->first.document == &document)
        costly_.reset();
}

void CFiguresPanel::Refresh()
{
    Key key;
    if (document_ != nullptr)
        key = {document_, PictureFingerprint(*document_), document_->Title(), document_->CompressSeconds(),
               document_->DecompressSeconds()};
    if (key == shownFor_)
        return;
    shownFor_ = key;
    measurable_ = ShowFigures();
    ShowCostly();
}

bool CFiguresPanel::ShowFigures()
{
    const QSignalBlocker quiet(slider_);
    slider_->setValue(settings_.qualityFactor);
    sliderValue_->setNum(settings_.qualityFactor);
    if (document_ == nullptr || document_->Codec() == nullptr) {
        for (const QString& name : names_)
            SetValue(name, {});
        return false;
    }
    // The figures the Statistics dialog shows, in its own words. With the
    // original at hand, those that take a pass over the pictures (PSNR, MSE,
    // largest difference, PSNR of luma and SSIM) are measured on another thread.
    const CDibImage* image = document_->Image();
    const int bytesPerPixel = image != nullptr ? image->BitsPerPixel() / 8 : 0;
    const bool measuredElsewhere = image != nullptr && !image->ReferencePixels().empty() &&
                                   image->ReferencePixels().size() == image->Pixels().size() &&
                                   (bytesPerPixel == 1 || bytesPerPixel == 3);
    const DocumentFigures figures = measuredElsewhere ? FiguresUnmeasured(*document_) : Figures(*document_);
    const ImageStatisticsTexts texts = StatisticsTexts(figures);
    SetValue(kCompressedSize, FromStd(texts.compressedSize));
    SetValue(kOriginalSize, FromStd(texts.originalSize));
    SetValue(kRatio, FromStd(texts.compressionRatio));
    const double pixels = static_cast<double>(figures.width) * figures.height;
    SetValue(kBitsPerPixel, pixels > 0 ? QString::number(figures.compressedSize * 8.0 / pixels, 'f', 3) : QString());
    SetValue(kPsnr, FromStd(texts.psnr));
    SetValue(kMse, FromStd(texts.meanSquaredError));
    SetValue(kLargest, FromStd(texts.largestDifference));
    SetValue(kCompressTime, FromStd(texts.compressionTime));
    SetValue(kDecompressTime, FromStd(texts.decompressionTime));
    SetValue(kNonZero, FromStd(texts.nonZeroBefore));
    SetValue(kNonZeroAfter, FromStd(texts.nonZeroAfter));
    if (!figures.psnrShown) {
        // Not compressed yet: the picture has not been measured against anything.
        for (const QString& name : {kPsnr, kMse, kLargest, kPsnrRgb, kPsnrY, kSsim, kMsSsim})
            SetValue(name, NotMeasured());
        return false;
    }
    if (!measuredElsewhere) {
        ShowMetrics({}, false);
        return false;
    }
    // Measured where the picture was coded: nothing to copy or measure.
    if (known_ && known_->document == document_ && known_->generation == document_->Generation()) {
        metricsRunner_.Cancel();
        ShowMeasured(figures, known_->metrics);
        return true;
    }
    for (const QString& name : {kPsnr, kMse, kLargest, kPsnrRgb, kPsnrY, kSsim, kMsSsim})
        SetValue(name, QStringLiteral("…"));
    metricsRunner_.Start(
        [picture = SharedPicture(*document_), bytesPerPixel] {
            return MeasurePictures(picture->ReferenceView(), picture->WorkingView(), bytesPerPixel);
        },
        [this, figures](const PictureMetrics& metrics) { ShowMeasured(figures, metrics); });
    return true;
}

CFiguresPanel::CostlyKey CFiguresPanel::CurrentCostlyKey() const
{
    if (document_ == nullptr)
        return {};
    return {document_, document_->Generation(), PictureFingerprint(*document_)};
}

void CFiguresPanel::ShowCostly()
{
    const CostlyKey key = CurrentCostlyKey();
    // Work for a picture no longer shown is of no use.
    if (costlyAsked_ && *costlyAsked_ != key) {
        costlyRunner_.Cancel();
        costlyAsked_.reset();
    }
    const bool measured = costly_ && costly_->first == key;
    const bool measuring = costlyAsked_.has_value() && costlyRunner_.Busy();
    measure_->setEnabled(measurable_ && ButteraugliAvailable() && !measured && !measuring);
    if (document_ == nullptr || document_->Codec() == nullptr) {
        for (const QString& name : {kButteraugli, kButteraugliMax})
            SetValue(name, {});
        return;
    }
    if (!ButteraugliAvailable()) {
        for (const QString& name : {kButteraugli, kButteraugliMax})
            SetValue(name, QString::fromUtf8(kButteraugliUnavailable));
        return;
    }
    if (const CDibImage* image = document_->Image();
        image != nullptr && !ButteraugliSizeAllowed(image->Width(), image->Height())) {
        measure_->setEnabled(false);
        for (const QString& name : {kButteraugli, kButteraugliMax})
            SetValue(name, QString::fromUtf8(kButteraugliTooLarge));
        return;
    }
    if (measured) {
        const auto text = [](const std::optional<double>& value) {
            return value ? QString::number(*value, 'f', 4) : tr("n/a");
        };
        SetValue(kButteraugli, text(costly_->second.butteraugli));
        SetValue(kButteraugliMax, text(costly_->second.butteraugliMax));
        return;
    }
    for (const QString& name : {kButteraugli, kButteraugliMax})
        SetValue(name, measuring ? QStringLiteral("…") : NotMeasured());
}

void CFiguresPanel::MeasureCostly()
{
    if (document_ == nullptr || !measurable_ || !ButteraugliAvailable())
        return;
    const CostlyKey key = CurrentCostlyKey();
    if (costly_ && costly_->first == key)
        return;
    costlyAsked_ = key;
    costlyRunner_.Start(
        [picture = SharedPicture(*document_), bytesPerPixel = document_->Image()->BitsPerPixel() / 8] {
            return MeasurePictures(picture->ReferenceView(), picture->WorkingView(), bytesPerPixel, 0,
                                   MetricChoice{.ssim = false, .msSsim = false, .butteraugli = true});
        },
        [this, key](const PictureMetrics& metrics) {
            costlyAsked_.reset();
            costly_.emplace(key, metrics);
            ShowCostly();
            emit CostlyMeasured();
        });
    ShowCostly();
}

void CFiguresPanel::ShowMeasured(const DocumentFigures& figures, const PictureMetrics& metrics)
{
    // In the Statistics dialog's words, as measured there.
    DocumentFigures measured = figures;
    measured.psnr = metrics.psnr;
    measured.meanSquaredError = metrics.meanSquaredError;
    measured.largestDifference = metrics.largestDifference;
    const ImageStatisticsTexts measuredTexts = StatisticsTexts(measured);
    SetValue(kPsnr, FromStd(measuredTexts.psnr));
    SetValue(kMse, FromStd(measuredTexts.meanSquaredError));
    SetValue(kLargest, FromStd(measuredTexts.largestDifference));
    ShowMetrics(metrics, true);
    emit Measured();
}

void CFiguresPanel::ShowMetrics(const PictureMetrics& metrics, bool measured)
{
    if (!measured) {
        for (const QString& name : {kPsnrRgb, kPsnrY, kSsim, kMsSsim})
            SetValue(name, NotMeasured());
        return;
    }
    const auto decibels = [](double psnr) {
        return std::isinf(psnr) ? QStringLiteral("inf dB") : QStringLiteral("%1 dB").arg(psnr, 0, 'f', 2);
    };
    SetValue(kPsnrRgb, decibels(metrics.psnrRgb));
    SetValue(kPsnrY, decibels(metrics.psnrY));
    SetValue(kSsim, metrics.ssim ? QString::number(*metrics.ssim, 'f', 4) : NotMeasured());
    SetValue(kMsSsim, metrics.msSsim ? QString::number(*metrics.msSsim, 'f', 4) : NotMeasured());
}

void CFiguresPanel::SetValue(const QString& name, const QString& text)
{
    values_.at(name)->setText(text);
}

QString CFiguresPanel::Value(const QString& name) const
{
    const auto found = values_.find(name);
    return found == values_.end() ? QString() : found->second->text();
}

QString CFiguresPanel::FiguresText() const
{
    QStringList lines;
    for (const QString& name : names_)
        lines << QStringLiteral("%1: %2").arg(name, Value(name));
    lines << QStringLiteral("Quality: %1").arg(slider_->value());
    return lines.join('\n') + '\n';
}

void CFiguresPanel::RequestCompress()
{
    if (document_ == nullptr)
        return;
    // The settings Easy Setup's Test would code with at this quality.
    CodecSettings settings = settings_;
    settings.qualityFactor = static_cast<std::int16_t>(slider_->value());
    ApplyQualityFactor(settings);
    document_->SharePicture();
    auto made = document_->MakeCompressJob(settings);
    if (!made)
        return;
    auto job = std::make_shared<Coded>(Coded{std::move(*made), std::nullopt, QImage()});
    compressing_ = document_;
    waiting_.reset();
    compressRunner_.Start(
        [job] {
            CTamrDoc::RunCompressJob(job->job);
            if (job->job.times && job->job.image) {
                job->metrics = MeasureCodedPicture(*job->job.image);
                if (job->job.image->HasPixels())
                    job->picture = WorkingPicture(*job->job.image);
            }
            return job;
        },
        [this](Job done) { TakeCompressed(std::move(done)); });
}

void CFiguresPanel::CompressAt(int quality)
{
    {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(quality);
        sliderValue_->setNum(quality);
    }
    idle_.stop();
    RequestCompress();
}

void CFiguresPanel::TakeCompressed(Job job)
{
    // A result for a document no longer shown (or gone) is dropped.
    if (document_ == nullptr || document_ != compressing_ || !job)
        return;
    // A dialog edits the picture in place: the result waits until it closes.
    if (document_->InEditSession()) {
        waiting_ = std::move(job);
        return;
    }
    Adopt(std::move(job));
}

void CFiguresPanel::TakeWaitingResult()
{
    if (!waiting_ || document_ == nullptr || document_ != compressing_ || document_->InEditSession())
        return;
    Job job = std::move(waiting_);
    waiting_.reset();
    Adopt(std::move(job));
}

void CFiguresPanel::Adopt(Job job)
{
    if (job->job.generation != document_->Generation()) {
        // Made from a picture the document no longer holds: the slider goes back.
        const QSignalBlocker quiet(slider_);
        slider_->setValue(settings_.qualityFactor);
        sliderValue_->setNum(settings_.qualityFactor);
        emit CompressDropped();
        return;
    }
    // As Easy Setup's Test: the quality goes into the settings, then the document takes the result.
    settings_.qualityFactor = job->job.settings.qualityFactor;
    ApplyQualityFactor(settings_);
    const std::optional<PictureMetrics> metrics = job->metrics;
    const auto adopt = [this, &job] { return document_->AdoptCompressed(std::move(job->job)); };
    if (!(adopter_ ? adopter_(*document_, std::move(job->picture), adopt) : adopt()))
        return;
    if (metrics)
        TakeMeasured(*document_, *metrics);
    emit Compressed();
}

} // namespace tamr::qt
