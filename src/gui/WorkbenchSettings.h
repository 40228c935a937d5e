#pragma once
// What the workbench remembers between starts, in the program's INI file
// beside the recent-file list (section "Workbench"): the main window's place
// and layout (tool bar, figures panel), how compare windows show the
// pictures (mode, amplification, zoom, what the heat map shows), and whether
// pictures of variants tamr's own readers refuse open through the general
// readers (OpenAnyVariant=1), and the codec the rate-distortion window's
// deltas are against (RateDistortionAnchor=jpeg), and the folder an
// evaluation keeps its points in (EvaluationResults). The recent-file list's section is left as it is.

#include <QByteArray>
#include <QString>

#include "gui/CompareView.h"

namespace tamr::qt {

class WorkbenchSettings {
public:
    explicit WorkbenchSettings(QString iniPath) : iniPath_(std::move(iniPath)) {}

    CompareView::Habits CompareHabits() const;
    void SetCompareHabits(const CompareView::Habits& habits) const;

    // QMainWindow::saveGeometry and saveState; empty when none was kept.
    QByteArray WindowGeometry() const;
    QByteArray WindowLayout() const;
    void SetWindow(const QByteArray& geometry, const QByteArray& layout) const;

    // Off unless the file says "1" or "true".
    bool OpenAnyVariant() const;
    void SetOpenAnyVariant(bool on) const;

    // The codec's name; empty when none was kept.
    QString RateDistortionAnchor() const;
    void SetRateDistortionAnchor(const QString& name) const;

    // Empty when none was kept.
    QString EvaluationResults() const;
    void SetEvaluationResults(const QString& folder) const;

private:
    QString iniPath_;
};

} // namespace tamr::qt
