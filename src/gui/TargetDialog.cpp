#include "gui/TargetDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <limits>

#include "document/OptimisedTarget.h"
#include "document/TamrDoc.h"
#include "gui/JobTexts.h"
#include "gui/QuietPrompter.h"

namespace tamr::qt {

TargetDialog::TargetDialog(std::filesystem::path picture, const CodecSettings& settings, QWidget* parent,
                           PictureOpening opening)
    : QDialog(parent), picture_(std::move(picture)), settings_(settings), opening_(opening),
      bySize_(new QRadioButton(tr("Target &size (bytes):"), this)),
      byPsnr_(new QRadioButton(tr("Target &PSNR (dB):"), this)), size_(new QSpinBox(this)),
      psnr_(new QDoubleSpinBox(this)), bestSettings_(new QCheckBox(tr("Search the best settings"), this)),
      search_(new QPushButton(tr("Search"), this)), cancel_(new QPushButton(tr("Cancel"), this)),
      progress_(new QProgressBar(this)), status_(new QLabel(this))
{
    setObjectName(QStringLiteral("targetDialog"));
    setWindowTitle(tr("Target"));
    size_->setRange(1, std::numeric_limits<int>::max());
    size_->setValue(20000);
    psnr_->setRange(0, 200);
    psnr_->setDecimals(2);
    psnr_->setValue(32);
    bySize_->setChecked(true);
    bestSettings_->setObjectName(QStringLiteral("searchBestSettings"));
    search_->setObjectName(QStringLiteral("searchTarget"));
    cancel_->setObjectName(QStringLiteral("cancelTargetSearch"));
    cancel_->setEnabled(false);
    progress_->setObjectName(QStringLiteral("targetSearchProgress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(search_, QDialogButtonBox::ActionRole);
    buttons->addButton(cancel_, QDialogButtonBox::ActionRole);

    auto* layout = new QGridLayout(this);
    layout->addWidget(bySize_, 0, 0);
    layout->addWidget(size_, 0, 1);
    layout->addWidget(byPsnr_, 1, 0);
    layout->addWidget(psnr_, 1, 1);
    layout->addWidget(bestSettings_, 2, 0, 1, 2);
    layout->addWidget(progress_, 3, 0, 1, 2);
    layout->addWidget(status_, 4, 0, 1, 2);
    layout->addWidget(buttons, 5, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(search_, &QPushButton::clicked, this, [this] { Search(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });
}

QualityTarget TargetDialog::Target() const
{
    QualityTarget target;
    if (bySize_->isChecked())
        target.size = static_cast<std::uint32_t>(size_->value());
    else
        target.psnr = psnr_->value();
    return target;
}

void TargetDialog::SetTarget(const QualityTarget& target)
{
    bySize_->setChecked(target.size.has_value());
    byPsnr_->setChecked(!target.size.has_value());
    if (target.size)
        size_->setValue(static_cast<int>(*target.size));
    if (target.psnr)
        psnr_->setValue(*target.psnr);
}

QString TargetDialog::StatusText() const
{
    return status_->text();
}

void TargetDialog::Search()
{
    search_->setEnabled(false);
    cancel_->setEnabled(true);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->setText(tr("Searching..."));
    // Progress comes back through the application object, which outlives the
    // dialog: the runner may still end a trial after the dialog has gone.
    const QPointer<TargetDialog> self(this);
    runner_.Start(
        [picture = picture_, settings = settings_, opening = opening_, target = Target(),
         best = bestSettings_->isChecked(), self](const AbortFlag& abort) mutable {
            // A document of its own: the user's document is compressed only at the quality found.
            DisplaySettings display;
            QuietPrompter prompter;
            DocumentEnvironment environment{settings, display, prompter};
            environment.limits = opening.limits;
            environment.readPolicy = opening.policy;
            CTamrDoc document(environment);
            Outcome outcome;
            outcome.opened = document.OnOpenDocument(picture) && document.SourceType() != FileType::Cod;
            if (outcome.opened && best) {
                SearchGoal goal{.bytes = std::nullopt, .figure = target.psnr, .measure = SearchFigure::Psnr};
                if (target.size)
                    goal.bytes = *target.size;
                SearchControl control;
                control.stopRequested = [&abort] { return abort.load(); };
                control.progress = [self](int done, int most) {
                    QMetaObject::invokeMethod(
                        QCoreApplication::instance(),
                        [self, done, most] {
                            if (!self.isNull())
                                self->ShowProgress(done, most);
                        },
                        Qt::QueuedConnection);
                };
                outcome.searched = CompressOptimised(document, settings, goal, control);
            } else if (outcome.opened) {
                outcome.quality = SearchQuality(document, settings, target);
            }
            return outcome;
        },
        [this](const Outcome& outcome) { Found(outcome); });
}

void TargetDialog::Cancel()
{
    if (!runner_.Busy())
        return;
    // The search stops at its next trial; its result, if any, is dropped.
    runner_.Cancel();
    search_->setEnabled(true);
    cancel_->setEnabled(false);
    progress_->setValue(0);
    status_->setText(JobStoppedText());
}

void TargetDialog::ShowProgress(int done, int most)
{
    if (!runner_.Busy() || most <= 0)
        return;
    progress_->setRange(0, most);
    progress_->setValue(done);
}

void TargetDialog::Found(Outcome outcome)
{
    search_->setEnabled(true);
    cancel_->setEnabled(false);
    progress_->setValue(progress_->maximum());
    if (!outcome.opened) {
        status_->setText(tr("%1 cannot be opened as a picture.").arg(QString::fromStdString(picture_.string())));
    } else if (outcome.searched) {
        const SearchOutcome& searched = *outcome.searched;
        if (searched.failure == SearchFailure::Unreachable) {
            status_->setText(
                QString::fromUtf8(kOptimiseUnreachable.data(), static_cast<qsizetype>(kOptimiseUnreachable.size())));
        } else if (searched.Failed()) {
            status_->setText(
                QString::fromUtf8(kOptimiseCodingFailed.data(), static_cast<qsizetype>(kOptimiseCodingFailed.size())));
        } else {
            status_->setText(tr("Settings found: %1 bytes, PSNR %2 dB (quality factor %3: %4 bytes, PSNR %5 dB); "
                                "Master Setup shows them.")
                                 .arg(searched.chosen.figures.bytes)
                                 .arg(searched.chosen.figures.figure, 0, 'f', 2)
                                 .arg(searched.qualityFactor.quality)
                                 .arg(searched.qualityFactor.figures.bytes)
                                 .arg(searched.qualityFactor.figures.figure, 0, 'f', 2));
            emit SettingsChosen(searched.settings);
        }
    } else if (!outcome.quality) {
        status_->setText(
            QString::fromUtf8(kNoQualityMeetsTarget.data(), static_cast<qsizetype>(kNoQualityMeetsTarget.size())));
    } else {
        status_->setText(tr("Quality factor %1 chosen.").arg(*outcome.quality));
        emit QualityChosen(*outcome.quality);
    }
    emit Searched();
}

} // namespace tamr::qt
