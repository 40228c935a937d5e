// The evaluate window: its table holds the core's BD-rates of the folder's
// pictures against JPEG, every point is kept in the results folder, Cancel
// stops the evaluation and shows what was measured, another anchor can be
// chosen, a missing delta says why, and a double click on a picture's row
// opens it with its rate-distortion window.

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <algorithm>

#include "evaluate/EvaluationReport.h"
#include "evaluate/ReportCell.h"
#include "gui/CMainFrame.h"
#include "gui/DeltaTable.h"
#include "gui/EvaluateWindow.h"
#include "gui/GuiTestSupport.h"
#include "gui/RateDistortionDeltas.h"
#include "gui/RateDistortionWindow.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

class SilentPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message&) override { return MessageAnswer::Ok; }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest&) override { return std::nullopt; }
};

// Two small pictures in a folder of their own, to be kept in "results".
EvaluationRequest TwoPictures(const RunningApp& running, std::vector<int> qualities)
{
    QDir(running.folder.path()).mkdir(QStringLiteral("pictures"));
    running.WriteBmp(QStringLiteral("pictures/a.bmp"), 48, 40);
    running.WriteBmp(QStringLiteral("pictures/b.bmp"), 40, 48);
    EvaluationRequest request = EvaluateWindow::DefaultRequest(running.folder.filePath("pictures").toStdString(),
                                                               running.folder.filePath("results").toStdString());
    request.codecs = {&TamrCodec(), FindCodec("jpeg"), FindCodec("jp2")};
    request.qualities = std::move(qualities);
    return request;
}

bool Ends(EvaluateWindow& window)
{
    QSignalSpy finished(&window, &EvaluateWindow::Finished);
    return !window.Running() || finished.wait(120000);
}

} // namespace

class EvaluateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void TableHoldsTheCoresDeltas()
    {
        RunningApp running;
        const EvaluationRequest request = TwoPictures(running, {10, 30, 50, 70, 90});
        QCOMPARE(request.pictures.size(), std::size_t{2});
        EvaluateWindow* window = running.app->OpenEvaluateWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(Ends(*window));
        QVERIFY2(window->StatusText().startsWith(QStringLiteral("Done.")), qPrintable(window->StatusText()));

        // The core again on the same folder: every point comes from the results folder.
        SilentPrompter prompter;
        const EvaluationRun core = RunEvaluation(request, prompter);
        QCOMPARE(core.pointsFound, std::size_t{2 * 5 * 3});
        const EvaluationReport report = MakeReport(core.evaluation, "jpeg", CurveFit::Akima);

        QVERIFY(window->ChooseMetric("psnr"));
        const QTableWidget& table = *window->Table();
        QCOMPARE(table.rowCount(), 3);
        QCOMPARE(table.columnCount(), 3);
        int numbers = 0;
        int column = 0;
        for (const CodecDeltas& row : report.rows) {
            if (row.metric != "psnr")
                continue;
            ++column;
            QVERIFY(table.horizontalHeaderItem(column)->text().startsWith(row.codec == "tamr" ? "tamr" : "JPEG 2000"));
            QCOMPARE(table.item(0, column)->text(), QString::fromStdString(ReportCell("%+.2f", row.rate.mean)));
            for (std::size_t i = 0; i < row.pictures.size(); ++i) {
                const BjontegaardDelta& rate = row.pictures[i].rate;
                const bool shown = rate.Measured() && !rate.TooLittleOverlap();
                const QString expected =
                    shown ? QString::fromStdString(ReportCell("%+.2f", rate.value)) : QStringLiteral("n/a");
                QCOMPARE(table.item(static_cast<int>(i) + 1, column)->text(), expected);
                numbers += shown ? 1 : 0;
            }
        }
        QCOMPARE(column, 2);
        QVERIFY(numbers > 0);
        QVERIFY(!window->ChartView()->chart()->series().isEmpty());

        // Another anchor: the table holds the deltas against it, and the next window starts with it.
        auto* anchorChoice = window->findChild<QComboBox*>(QStringLiteral("evaluateAnchor"));
        QVERIFY(anchorChoice != nullptr && anchorChoice->isEnabled());
        emit anchorChoice->activated(anchorChoice->findData(QStringLiteral("jp2")));
        QCOMPARE(window->Anchor(), std::string("jp2"));
        const EvaluationReport againstJp2 = MakeReport(core.evaluation, "jp2", CurveFit::Akima);
        const auto jpegRow = std::ranges::find_if(
            againstJp2.rows, [](const CodecDeltas& row) { return row.metric == "psnr" && row.codec == "jpeg"; });
        QVERIFY(jpegRow != againstJp2.rows.end());
        QVERIFY(table.horizontalHeaderItem(2)->text().startsWith(QStringLiteral("JPEG BD-rate")));
        QCOMPARE(table.item(0, 2)->text(), QString::fromStdString(ReportCell("%+.2f", jpegRow->rate.mean)));

        // A second window takes every point from the results folder.
        EvaluateWindow* again = running.app->OpenEvaluateWindow(request);
        QVERIFY(again != nullptr);
        QVERIFY(Ends(*again));
        QCOMPARE(again->Result()->pointsFound, std::size_t{2 * 5 * 3});
        QCOMPARE(again->Anchor(), std::string("jp2"));

        emit window->Table()->cellDoubleClicked(2, 1);
        QVERIFY(running.app->ActiveDocument() != nullptr);
        QCOMPARE(running.app->ActiveDocument()->PathName().filename().string(), std::string("b.bmp"));
        QVERIFY(running.app->MainFrame().findChild<RateDistortionWindow*>() != nullptr);
    }

    // A delta that cannot be given shows n/a with its reason; the mean says
    // which pictures it left out and why.
    void MissingDeltasSayWhy()
    {
        Evaluation evaluation;
        evaluation.pictures.resize(2);
        evaluation.pictures[0].name = "a.png";
        evaluation.pictures[1].name = "b.png";
        CodecDeltas row;
        row.codec = "tamr";
        row.metric = "psnr";
        BjontegaardDelta narrow;
        narrow.value = -12.5;
        narrow.overlap = 0.4;
        BjontegaardDelta unmeasured;
        unmeasured.problem = "b.png has one point";
        row.pictures = {{"a.png", narrow, {}}, {"b.png", unmeasured, {}}};
        row.rate.tooLittleOverlap = {"a.png"};
        row.rate.withoutValue = {"b.png: one point"};
        EvaluationReport report;
        report.anchor = "jpeg";
        report.rows = {row};

        QTableWidget table;
        FillDeltaTable(table, evaluation, report, "psnr");
        QCOMPARE(table.item(1, 1)->text(), NotAvailableText());
        QVERIFY2(table.item(1, 1)->toolTip().contains(TooLittleOverlapText()) &&
                     table.item(1, 1)->toolTip().contains(QStringLiteral("40 %")),
                 qPrintable(table.item(1, 1)->toolTip()));
        QCOMPARE(table.item(2, 1)->text(), NotAvailableText());
        QCOMPARE(table.item(2, 1)->toolTip(), QStringLiteral("b.png has one point"));
        const QString meanTip = table.item(0, 1)->toolTip();
        QVERIFY2(meanTip.startsWith(QStringLiteral("0 of 2 pictures")) &&
                     meanTip.contains(QStringLiteral("a.png: ") + TooLittleOverlapText()) &&
                     meanTip.contains(QStringLiteral("b.png: one point")),
                 qPrintable(meanTip));
    }

    void CancelStopsAndShowsWhatWasMeasured()
    {
        RunningApp running;
        std::vector<int> qualities(101);
        std::ranges::generate(qualities, [quality = 0]() mutable { return quality++; });
        EvaluationRequest request = TwoPictures(running, qualities);
        request.threads = 1;
        EvaluateWindow* window = running.app->OpenEvaluateWindow(request);
        QVERIFY(window != nullptr);
        QVERIFY(window->Running());
        window->findChild<QPushButton*>(QStringLiteral("cancelEvaluation"))->click();
        QVERIFY(Ends(*window));
        QVERIFY2(window->StatusText().startsWith(QStringLiteral("Stopped.")), qPrintable(window->StatusText()));
        std::size_t stopped = 0;
        std::size_t points = 0;
        for (const EvaluatedPicture& picture : window->Result()->evaluation.pictures)
            for (const SweepPoint& point : picture.points) {
                ++points;
                stopped += point.failure == kSweepStopped ? 1 : 0;
            }
        // Cancel came long before the 606 points could be done.
        QVERIFY2(stopped > points / 2, qPrintable(QString::number(stopped)));
        QCOMPARE(window->Table()->rowCount(), 3);
        delete window;
    }
};

QTEST_MAIN(EvaluateWindowTest)
#include "evaluate_window_test.moc"
