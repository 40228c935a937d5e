// "Sharpen image": the rows of colour and gray images, scrolling, and the
// command's Apply, OK and Cancel on a document.

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "gui/DialogTestSupport.h"
#include "gui/dialogs/CSharpenDlg.h"
#include "gui/dialogs/ViewDialogs.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::qt::test::Find;
using tamr::qt::test::ModalDialogDriver;
using tamr::qt::test::TestDocument;

namespace {

struct RowIds {
    int label;
    int bar;
    int percent;
};
constexpr RowIds kRows[] = {{1020, 1013, 1014}, {1021, 1012, 1015}, {1022, 1011, 1016}};

QString PercentText(const QWidget& dialog, int row)
{
    return Find<QLabel>(dialog, kRows[row].percent)->text();
}

QScrollBar* Bar(const QWidget& dialog, int row)
{
    return Find<QScrollBar>(dialog, kRows[row].bar);
}

// Runs the command with the top bar set to each percentage in turn and Apply
// pressed after each, then ends it with `button`; returns the working image.
std::vector<std::uint8_t> SharpenDocument(TestDocument& test, std::initializer_list<int> percents, int button,
                                          int* changes = nullptr)
{
    ModalDialogDriver driver([&](QDialog& dialog) {
        for (const int percent : percents) {
            Bar(dialog, 0)->setSliderPosition(percent);
            QCOMPARE(PercentText(dialog, 0), QStringLiteral("%1%").arg(percent));
            Find<QPushButton>(dialog, 1024)->click();
        }
        Find<QPushButton>(dialog, button)->click();
    });
    RunSharpen(nullptr, *test.document, test.prompter, [&] {
        if (changes) {
            ++*changes;
        }
    });
    if (!driver.Ran()) {
        return {};
    }
    return test.WorkingPixels();
}

} // namespace

class SharpenDialogTest : public QObject {
    Q_OBJECT

private slots:
    void ColourImageHasThreeLiveRows()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("c.bmp"), tamr::qt::test::ColourBmp(8, 8)));
        auto session = SharpenSession::Open(*test.document->Image(), test.prompter, {});
        QVERIFY(session);
        CSharpenDlg dialog(*session);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sharpen image"));
        const char* labels[] = {"Red", "Green", "Blue"};
        for (int row = 0; row < 3; ++row) {
            auto* label = Find<QLabel>(dialog, kRows[row].label);
            QVERIFY(label);
            QCOMPARE(label->text(), QString::fromUtf8(labels[row]));
            QScrollBar* bar = Bar(dialog, row);
            QVERIFY(bar);
            QCOMPARE(bar->orientation(), Qt::Horizontal);
            QCOMPARE(bar->minimum(), 0);
            QCOMPARE(bar->maximum(), 100);
            QCOMPARE(bar->value(), 50);
            QVERIFY(bar->isEnabled());
            QCOMPARE(PercentText(dialog, row), QStringLiteral("50%"));
        }
        const std::pair<int, const char*> buttons[] = {{1, "OK"}, {2, "Cancel"}, {1024, "Apply"}};
        for (const auto& [id, text] : buttons) {
            auto* button = Find<QPushButton>(dialog, id);
            QVERIFY2(button, text);
            QCOMPARE(button->text(), QString::fromUtf8(text));
        }
    }

    void GrayImageGreysTheLowerRows()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("g.bmp"), tamr::qt::test::GrayBmp(8, 8)));
        auto session = SharpenSession::Open(*test.document->Image(), test.prompter, {});
        QVERIFY(session);
        CSharpenDlg dialog(*session);
        dialog.show();
        QCOMPARE(Find<QLabel>(dialog, 1020)->text(), QStringLiteral("Gray scale"));
        QVERIFY(Bar(dialog, 0)->isEnabled());
        QCOMPARE(Bar(dialog, 0)->value(), 50);
        for (int row = 1; row < 3; ++row) {
            for (const int id : {kRows[row].label, kRows[row].bar, kRows[row].percent}) {
                auto* control = Find<QWidget>(dialog, id);
                QVERIFY(control);
                QVERIFY(!control->isEnabled());
                QVERIFY(control->isVisible()); // greyed, not hidden
            }
        }
        QCOMPARE(Find<QLabel>(dialog, 1021)->text(), QStringLiteral("Green"));
        QCOMPARE(Find<QLabel>(dialog, 1022)->text(), QStringLiteral("Blue"));

        // Only the top bar moves, and it drives the gray amount.
        Bar(dialog, 0)->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(session->GrayPercent(), 45);
        QCOMPARE(session->RedPercent(), 45);
    }

    void ScrollingFollowsTheSteps()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("c.bmp"), tamr::qt::test::ColourBmp(8, 8)));
        const std::vector<std::uint8_t> original = test.WorkingPixels();
        auto session = SharpenSession::Open(*test.document->Image(), test.prompter, {});
        QVERIFY(session);
        CSharpenDlg dialog(*session);
        dialog.show();
        QScrollBar* middle = Bar(dialog, 1);

        middle->setSliderPosition(98);
        middle->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(middle->value(), 100);
        QCOMPARE(PercentText(dialog, 1), QStringLiteral("100%"));
        QCOMPARE(session->GreenPercent(), 100);
        middle->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(middle->value(), 100);
        middle->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(PercentText(dialog, 1), QStringLiteral("99%"));
        middle->triggerAction(QAbstractSlider::SliderToMinimum); // not acted on
        QCOMPARE(middle->value(), 99);
        QCOMPARE(session->GreenPercent(), 99);

        QScrollBar* bottom = Bar(dialog, 2);
        bottom->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(session->BluePercent(), 45);
        QCOMPARE(bottom->value(), 45);
        QCOMPARE(PercentText(dialog, 0), QStringLiteral("50%"));
        QVERIFY(test.WorkingPixels() == original); // scrolling applies nothing
    }

    void AppliesDoNotAccumulate()
    {
        TestDocument twice;
        QVERIFY(twice.Open(QStringLiteral("c.bmp"), tamr::qt::test::ColourBmp(16, 12)));
        const std::vector<std::uint8_t> original = twice.WorkingPixels();
        int changes = 0;
        const std::vector<std::uint8_t> after80And20 = SharpenDocument(twice, {80, 20}, 1, &changes);
        QCOMPARE(changes, 3); // two Applies and the close
        QVERIFY(twice.document->ImageEdited());

        TestDocument once;
        QVERIFY(once.Open(QStringLiteral("c.bmp"), tamr::qt::test::ColourBmp(16, 12)));
        const std::vector<std::uint8_t> after20 = SharpenDocument(once, {20}, 1);
        QVERIFY(!after20.empty());
        QVERIFY(after20 != original);
        QVERIFY(after80And20 == after20);
    }

    void CancelRestoresTheImage()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("g.bmp"), tamr::qt::test::GrayBmp(12, 12)));
        const std::vector<std::uint8_t> original = test.WorkingPixels();
        std::vector<std::uint8_t> applied;
        int changes = 0;
        ModalDialogDriver driver([&](QDialog& dialog) {
            Bar(dialog, 0)->setSliderPosition(100);
            Find<QPushButton>(dialog, 1024)->click();
            applied = test.WorkingPixels();
            Find<QPushButton>(dialog, 2)->click();
        });
        RunSharpen(nullptr, *test.document, test.prompter, [&] {
            ++changes;
            // The view hears of the close after the document was marked edited.
            if (changes == 2) {
                QVERIFY(test.document->ImageEdited());
            }
        });
        QVERIFY(driver.Ran());
        QVERIFY(applied != original);
        QVERIFY(test.WorkingPixels() == original);
        QVERIFY(test.document->ImageEdited());
        QCOMPARE(changes, 2);
    }
};

QTEST_MAIN(SharpenDialogTest)
#include "sharpen_dialog_test.moc"
