#include "gui/DeltaTable.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTableWidget>

#include "evaluate/ReportCell.h"
#include "gui/CodecLabel.h"
#include "gui/RateDistortionDeltas.h"

namespace tamr::qt {

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("DeltaTable", text);
}

QTableWidgetItem* Cell(const QString& text, const QString& tip = {})
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(tip);
    return item;
}

QTableWidgetItem* RateCell(const BjontegaardDelta& delta)
{
    const QString problem = DeltaProblem(delta);
    if (!problem.isEmpty())
        return Cell(NotAvailableText(), problem);
    return Cell(QString::fromStdString(ReportCell("%+.2f", delta.value)));
}

QTableWidgetItem* MeanCell(const DeltaMean& mean, std::size_t pictures)
{
    QString tip = Tr("%1 of %2 pictures").arg(mean.averaged).arg(pictures);
    for (const std::string& name : mean.tooLittleOverlap)
        tip += QStringLiteral("\n") + QString::fromStdString(name) + QStringLiteral(": ") + TooLittleOverlapText();
    for (const std::string& reason : mean.withoutValue)
        tip += QStringLiteral("\n") + QString::fromStdString(reason);
    return Cell(QString::fromStdString(ReportCell("%+.2f", mean.mean)), tip);
}

} // namespace

void FillDeltaTable(QTableWidget& table, const Evaluation& evaluation, const EvaluationReport& report,
                    std::string_view metricKey)
{
    std::vector<const CodecDeltas*> columns;
    for (const CodecDeltas& row : report.rows)
        if (row.metric == metricKey)
            columns.push_back(&row);
    table.clear();
    table.setColumnCount(static_cast<int>(columns.size()) + 1);
    table.setRowCount(static_cast<int>(evaluation.pictures.size()) + 1);
    QStringList headers{Tr("Picture")};
    for (const CodecDeltas* column : columns) {
        const PeerCodec* codec = FindCodec(column->codec);
        headers.push_back(
            Tr("%1 BD-rate %").arg(codec != nullptr ? CodecLabel(*codec) : QString::fromStdString(column->codec)));
    }
    table.setHorizontalHeaderLabels(headers);
    table.setItem(0, 0, Cell(Tr("Mean")));
    for (std::size_t i = 0; i < evaluation.pictures.size(); ++i) {
        const EvaluatedPicture& picture = evaluation.pictures[i];
        QTableWidgetItem* name = Cell(QString::fromStdString(std::filesystem::path(picture.name).filename().string()),
                                      QString::fromStdString(picture.failure));
        name->setData(Qt::UserRole, QString::fromStdString(picture.name));
        table.setItem(static_cast<int>(i) + 1, 0, name);
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const auto column = static_cast<int>(c) + 1;
        table.setItem(0, column, MeanCell(columns[c]->rate, evaluation.pictures.size()));
        // The report's pictures are the evaluation's that could be read, in its order.
        for (const PictureDeltas& deltas : columns[c]->pictures)
            for (std::size_t i = 0; i < evaluation.pictures.size(); ++i)
                if (evaluation.pictures[i].name == deltas.picture)
                    table.setItem(static_cast<int>(i) + 1, column, RateCell(deltas.rate));
    }
    table.horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

} // namespace tamr::qt
