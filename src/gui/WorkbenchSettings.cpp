#include "gui/WorkbenchSettings.h"

#include <QSettings>
#include <algorithm>

#include "gui/ProfileFormat.h"

namespace tamr::qt {

namespace {

const QString kSection = QStringLiteral("Workbench");
const QString kCompareMode = QStringLiteral("CompareMode");
const QString kAmplification = QStringLiteral("CompareAmplification");
// "fit", or the scale as a number.
const QString kCompareZoom = QStringLiteral("CompareZoom");
const QString kFit = QStringLiteral("fit");
// What the heat map shows, by its name on the command line ("ssim").
const QString kCompareHeatMap = QStringLiteral("CompareHeatMap");
const QString kGeometry = QStringLiteral("WindowGeometry");
const QString kLayout = QStringLiteral("WindowLayout");
const QString kAnyVariant = QStringLiteral("OpenAnyVariant");
const QString kRateDistortionAnchor = QStringLiteral("RateDistortionAnchor");
const QString kEvaluationResults = QStringLiteral("EvaluationResults");
constexpr int kModeCount = 4;

} // namespace

CompareView::Habits WorkbenchSettings::CompareHabits() const
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.beginGroup(kSection);
    CompareView::Habits habits;
    bool valid = false;
    const int mode = settings.value(kCompareMode).toString().toInt(&valid);
    if (valid && mode >= 0 && mode < kModeCount)
        habits.mode = static_cast<CompareMode>(mode);
    const int amplification = settings.value(kAmplification).toString().toInt(&valid);
    if (valid)
        habits.amplification = std::clamp(amplification, 1, kLargestAmplification);
    const double scale = settings.value(kCompareZoom, kFit).toString().toDouble(&valid);
    // Anything not a number in range opens fitted.
    if (valid && scale > 0 && scale <= 1024)
        habits.scale = scale;
    if (const auto kind = FindMapKind(settings.value(kCompareHeatMap).toString().trimmed().toStdString()))
        habits.heatMap = *kind;
    return habits;
}

void WorkbenchSettings::SetCompareHabits(const CompareView::Habits& habits) const
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.beginGroup(kSection);
    settings.setValue(kCompareMode, QString::number(static_cast<int>(habits.mode)));
    settings.setValue(kAmplification, QString::number(habits.amplification));
    settings.setValue(kCompareZoom, habits.scale ? QString::number(*habits.scale) : kFit);
    for (const MapKindName& entry : MapKindNames())
        if (entry.kind == habits.heatMap)
            settings.setValue(kCompareHeatMap, QString::fromUtf8(entry.name));
    settings.endGroup();
    settings.sync();
}

bool WorkbenchSettings::OpenAnyVariant() const
{
    QSettings settings(iniPath_, ProfileFormat());
    const QString value = settings.value(kSection + '/' + kAnyVariant).toString().trimmed().toLower();
    return value == QStringLiteral("1") || value == QStringLiteral("true");
}

void WorkbenchSettings::SetOpenAnyVariant(bool on) const
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.setValue(kSection + '/' + kAnyVariant, on ? QStringLiteral("1") : QStringLiteral("0"));
    settings.sync();
}

QString WorkbenchSettings::RateDistortionAnchor() const
{
    QSettings settings(iniPath_, ProfileFormat());
    return settings.value(kSection + '/' + kRateDistortionAnchor).toString().trimmed();
}

void WorkbenchSettings::SetRateDistortionAnchor(const QString& name) const
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.setValue(kSection + '/' + kRateDistortionAnchor, name);
    settings.sync();
}

QString WorkbenchSettings::EvaluationResults() const
{
    QSettings settings(iniPath_, ProfileFormat());
    return settings.value(kSection + '/' + kEvaluationResults).toString();
}

void WorkbenchSettings::SetEvaluationResults(const QString& folder) const
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.setValue(kSection + '/' + kEvaluationResults, folder);
    settings.sync();
}

QByteArray WorkbenchSettings::WindowGeometry() const
{
    QSettings settings(iniPath_, ProfileFormat());
    return QByteArray::fromBase64(settings.value(kSection + '/' + kGeometry).toString().toLatin1());
}

QByteArray WorkbenchSettings::WindowLayout() const
{
    QSettings settings(iniPath_, ProfileFormat());
    return QByteArray::fromBase64(settings.value(kSection + '/' + kLayout).toString().toLatin1());
}

void WorkbenchSettings::SetWindow(const QByteArray& geometry, const QByteArray& layout) const
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.beginGroup(kSection);
    settings.setValue(kGeometry, QString::fromLatin1(geometry.toBase64()));
    settings.setValue(kLayout, QString::fromLatin1(layout.toBase64()));
    settings.endGroup();
    settings.sync();
}

} // namespace tamr::qt
