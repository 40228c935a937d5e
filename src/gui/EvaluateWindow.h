#pragma once
// The evaluation of a folder of pictures, as tamr-cli evaluate makes it, run
// on a job runner's thread with progress and Cancel; each point is kept in
// the results folder, so that a second run takes them from there. Once done
// (or stopped) it shows each codec's BD-rate against the anchor, per
// picture and on average, and the mean curves, for a figure and an anchor
// chosen below.
// A double click on a picture's row asks for that picture to be opened.

#include <QString>
#include <QWidget>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "evaluate/Evaluation.h"
#include "evaluate/EvaluationReport.h"
#include "gui/JobRunner.h"

class QChartView;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace tamr::qt {

class EvaluateWindow : public QWidget {
    Q_OBJECT

public:
    // Starts the evaluation at once. The anchor must be among the request's codecs.
    EvaluateWindow(EvaluationRequest request, std::string anchor, QWidget* parent = nullptr);
    ~EvaluateWindow() override;
    EvaluateWindow(const EvaluateWindow&) = delete;
    EvaluateWindow& operator=(const EvaluateWindow&) = delete;

    // As tamr-cli evaluate does by default: tamr, JPEG, JPEG 2000 and WebP
    // (those of this build) at 5, 15, ... 95 with the default figures, the
    // pictures of `folder` kept in `results`. No pictures when the folder has none.
    static EvaluationRequest DefaultRequest(const std::filesystem::path& folder, const std::filesystem::path& results);
    static constexpr std::string_view kDefaultAnchor = "jpeg";

    bool Running() const { return running_; }
    // Asks the evaluation to stop: the points in hand end, the others are
    // left out, and what was measured is shown.
    void Cancel();
    // Empty until the evaluation has ended.
    const std::optional<EvaluationRun>& Result() const { return result_; }
    const std::optional<EvaluationReport>& Report() const { return report_; }
    QTableWidget* Table() const { return table_; }
    QChartView* ChartView() const { return chartView_; }
    QString StatusText() const;
    // The figure of the table and the chart, by its key ("psnr"); false for one not measured.
    bool ChooseMetric(std::string_view key);
    // The codec the BD-rates are against, by its name ("jpeg"); false for
    // one the evaluation has not measured.
    bool ChooseAnchor(std::string_view name);
    const std::string& Anchor() const { return anchor_; }

signals:
    // The evaluation has ended (done or stopped) and its result is shown.
    void Finished();
    // A picture's row was double-clicked: its file.
    void PictureChosen(const QString& path);
    // Another anchor was chosen in the window: its name.
    void AnchorChosen(const QString& name);

private:
    struct Run;

    void ShowProgress(std::size_t done, std::size_t total);
    void Finish(EvaluationRun run);
    void ShowMetric();

    std::shared_ptr<Run> run_;
    std::string anchor_;
    std::string metricKey_;
    // Outlives the window while the points in hand end (see the destructor).
    JobRunner* runner_;
    bool running_ = true;
    std::optional<EvaluationRun> result_;
    std::optional<EvaluationReport> report_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* cancel_;
    QComboBox* metricChoice_;
    QComboBox* anchorChoice_;
    QTableWidget* table_;
    QChartView* chartView_;
};

} // namespace tamr::qt
