#pragma once
// The figures panel: a dock beside the pictures with the active document's
// sizes, ratio, quality figures (the Statistics dialog's, PSNR of luma and
// SSIM), times and counts, kept up to date after every Compress, a "Copy as
// Text" button, and a quality slider that compresses in the background. The
// figures that take seconds (Butteraugli) are measured when asked for.

#include <QDockWidget>
#include <QImage>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "document/DocumentStatistics.h"
#include "document/TamrDoc.h"
#include "gui/JobRunner.h"
#include "image/PictureMetrics.h"

class QLabel;
class QPushButton;
class QSlider;

namespace tamr::qt {

// A coded picture against its original, as the panel shows it; none for a
// picture the panel does not measure (no original, or a depth other than 8 or 24 bits).
// Run where the picture was coded, so that nothing copies it for measuring.
std::optional<PictureMetrics> MeasureCodedPicture(const CDibImage& image);

class CFiguresPanel : public QDockWidget {
    Q_OBJECT

public:
    // The slider's result changes `settings` as Easy Setup's Test does.
    explicit CFiguresPanel(CodecSettings& settings, QWidget* parent = nullptr);

    // Shows the figures of `document` (null: none), measuring again only
    // when its pictures or figures changed.
    void ShowDocument(CTamrDoc* document);
    // The document is going away: nothing of it is touched any more.
    void Forget(const CTamrDoc& document);

    // One line per figure, "Name: value".
    QString FiguresText() const;
    QString Value(const QString& name) const;
    QSlider* QualitySlider() const { return slider_; }
    // As the slider moved to `quality` and released.
    void CompressAt(int quality);
    // An edit session of a document ended: a result that waited for it is
    // taken now, or dropped when the picture changed meanwhile.
    void TakeWaitingResult();
    // Figures of the document's current picture against its original,
    // measured where the picture was coded: shown without measuring again.
    void TakeMeasured(const CTamrDoc& document, const PictureMetrics& metrics);
    // Measures Butteraugli and its largest distance of the picture shown, in
    // the background, as the "Measure" button does; they stand until the picture changes.
    void MeasureCostly();
    QPushButton* MeasureButton() const { return measure_; }
    // The background work: the slider's compress and the measuring.
    const JobRunner& CompressRunner() const { return compressRunner_; }
    const JobRunner& MetricsRunner() const { return metricsRunner_; }
    const JobRunner& CostlyRunner() const { return costlyRunner_; }
    // How a result is taken: `adopt` makes the document take it, and
    // `picture` is the coded picture as a view shows it, made off this
    // thread, for the document's views to show instead of making it again.
    // By default the result is just adopted.
    using Adopter = std::function<bool(CTamrDoc& document, QImage picture, const std::function<bool()>& adopt)>;
    void SetAdopter(Adopter adopter) { adopter_ = std::move(adopter); }

signals:
    // A compress the slider asked for took effect.
    void Compressed();
    // The slider's result was dropped: the picture changed while it was made.
    void CompressDropped();
    // PSNR of luma Y and SSIM were measured and shown.
    void Measured();
    // Butteraugli was measured on request and shown.
    void CostlyMeasured();

private:
    // A compress job and its result's figures, measured on the runner's thread.
    struct Coded {
        CTamrDoc::CompressJob job;
        std::optional<PictureMetrics> metrics;
        QImage picture;
    };
    using Job = std::shared_ptr<Coded>;
    struct Key {
        const CTamrDoc* document = nullptr;
        std::uint64_t pictures = 0;
        std::string title;
        float compressSeconds = 0;
        float decompressSeconds = 0;
        bool operator==(const Key&) const = default;
    };

    void Refresh();
    // The figures but those measured on request; whether the picture can be measured.
    bool ShowFigures();
    // The rows measured on request and their button, for the picture shown.
    void ShowCostly();
    void SetValue(const QString& name, const QString& text);
    void RequestCompress();
    void TakeCompressed(Job job);
    void Adopt(Job job);
    void ShowMetrics(const PictureMetrics& metrics, bool measured);
    // The figures that take a pass over the pictures, measured.
    void ShowMeasured(const DocumentFigures& figures, const PictureMetrics& metrics);

    CodecSettings& settings_;
    CTamrDoc* document_ = nullptr;
    // The document the slider's compress in hand was asked for.
    const CTamrDoc* compressing_ = nullptr;
    // A result that came while an edit session held the document.
    Job waiting_;
    Key shownFor_;
    // Figures measured where a result was coded, for the document's generation then.
    struct Known {
        const CTamrDoc* document = nullptr;
        std::uint64_t generation = 0;
        PictureMetrics metrics;
    };
    std::optional<Known> known_;
    // The picture the figures measured on request are of.
    struct CostlyKey {
        const CTamrDoc* document = nullptr;
        std::uint64_t generation = 0;
        std::uint64_t pictures = 0;
        bool operator==(const CostlyKey&) const = default;
    };
    CostlyKey CurrentCostlyKey() const;
    bool measurable_ = false;
    std::optional<CostlyKey> costlyAsked_;
    std::optional<std::pair<CostlyKey, PictureMetrics>> costly_;
    std::map<QString, QLabel*> values_;
    QStringList names_;
    QSlider* slider_;
    QLabel* sliderValue_;
    QPushButton* measure_;
    QTimer idle_;
    Adopter adopter_;
    JobRunner compressRunner_;
    JobRunner metricsRunner_;
    JobRunner costlyRunner_;
};

} // namespace tamr::qt
