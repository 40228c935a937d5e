// "Image Setup": the controls, the edit's rule, scrolling, Reset, Test, and
// what OK and Cancel leave in the settings.

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "codec/QualityFactor.h"
#include "gui/DialogTestSupport.h"
#include "gui/dialogs/CImageSetupDlg.h"
#include "gui/dialogs/ViewDialogs.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::qt::test::Find;
using tamr::qt::test::ModalDialogDriver;

namespace {

CodecSettings SettingsAtQuality(int quality)
{
    CodecSettings settings;
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    return settings;
}

} // namespace

class ImageSetupDialogTest : public QObject {
    Q_OBJECT

private slots:
    void ShowsTheSettingsQualityInEveryControl()
    {
        CodecSettings settings = SettingsAtQuality(73);
        CImageSetupDlg dialog(settings, {});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Image Setup"));
        auto* bar = Find<QScrollBar>(dialog, 1000);
        QVERIFY(bar);
        QCOMPARE(bar->orientation(), Qt::Horizontal);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 73);
        QVERIFY(bar->isEnabled());
        QCOMPARE(Find<QLineEdit>(dialog, 1001)->text(), QStringLiteral("73"));
        const std::pair<int, const char*> buttons[] = {{1002, "Reset"}, {1003, "Test"}, {1, "OK"}, {2, "Cancel"}};
        for (const auto& [id, text] : buttons) {
            auto* button = Find<QPushButton>(dialog, id);
            QVERIFY2(button, text);
            QCOMPARE(button->text(), QString::fromUtf8(text));
        }
    }

    void RefusedEditTextIsReplacedByThePreviousQuality()
    {
        CodecSettings settings = SettingsAtQuality(73);
        CImageSetupDlg dialog(settings, {});
        dialog.show();
        auto* edit = Find<QLineEdit>(dialog, 1001);
        auto* bar = Find<QScrollBar>(dialog, 1000);

        edit->setText(QStringLiteral("101"));
        QCOMPARE(edit->text(), QStringLiteral("73"));
        edit->setText(QStringLiteral("5a"));
        QCOMPARE(edit->text(), QStringLiteral("73"));
        QCOMPARE(bar->value(), 73);

        edit->setText(QStringLiteral("007"));
        QCOMPARE(edit->text(), QStringLiteral("007"));
        QCOMPARE(bar->value(), 7);
        QCOMPARE(dialog.Session().Quality(), 7);

        // Typed one key at a time: every accepted prefix moves the bar.
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("42"));
        QCOMPARE(bar->value(), 42);
        QTest::keyClicks(edit, QStringLiteral("x"));
        QCOMPARE(edit->text(), QStringLiteral("42"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(bar->value(), 0); // an empty edit counts as 0
        QCOMPARE(dialog.Session().Quality(), 0);
    }

    void ScrollingWritesTheEdit()
    {
        CodecSettings settings;
        CImageSetupDlg dialog(settings, {});
        dialog.show();
        auto* edit = Find<QLineEdit>(dialog, 1001);
        auto* bar = Find<QScrollBar>(dialog, 1000);

        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(edit->text(), QStringLiteral("51"));
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(edit->text(), QStringLiteral("46"));
        QCOMPARE(bar->value(), 46);

        bar->setSliderPosition(98); // the thumb dragged
        QCOMPARE(edit->text(), QStringLiteral("98"));
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(bar->value(), 100);
        QCOMPARE(edit->text(), QStringLiteral("100"));
        QCOMPARE(dialog.Session().Quality(), 100);

        // Home and End are not scroll events the dialog acts on.
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(bar->value(), 100);
        QCOMPARE(edit->text(), QStringLiteral("100"));

        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(edit->text(), QStringLiteral("99"));
        QCOMPARE(settings, CodecSettings{}); // nothing reaches the settings while scrolling
    }

    void ResetAndTest()
    {
        CodecSettings settings = SettingsAtQuality(20);
        int compressions = 0;
        CImageSetupDlg* shown = nullptr;
        CImageSetupDlg dialog(settings, [&] {
            ++compressions;
            // The settings are in place before compressing, and the dialog stays.
            QCOMPARE(settings, SettingsAtQuality(50));
            QVERIFY(shown->isVisible());
        });
        shown = &dialog;
        dialog.show();
        Find<QLineEdit>(dialog, 1001)->setText(QStringLiteral("12"));
        Find<QPushButton>(dialog, 1002)->click();
        QCOMPARE(Find<QLineEdit>(dialog, 1001)->text(), QStringLiteral("50"));
        QCOMPARE(Find<QScrollBar>(dialog, 1000)->value(), 50);
        QCOMPARE(settings, SettingsAtQuality(20)); // Reset copies nothing

        Find<QPushButton>(dialog, 1003)->click();
        QCOMPARE(compressions, 1);
        QVERIFY(dialog.isVisible());
    }

    void OkCopiesTheQualityAndCancelDoesNot()
    {
        CodecSettings settings;
        ModalDialogDriver ok([](QDialog& dialog) {
            Find<QLineEdit>(dialog, 1001)->setText(QStringLiteral("85"));
            Find<QPushButton>(dialog, 1)->click();
        });
        RunEasySetup(nullptr, settings, {});
        QVERIFY(ok.Ran());
        QCOMPARE(settings, SettingsAtQuality(85));

        ModalDialogDriver cancel([](QDialog& dialog) {
            Find<QLineEdit>(dialog, 1001)->setText(QStringLiteral("10"));
            Find<QPushButton>(dialog, 2)->click();
        });
        RunEasySetup(nullptr, settings, {});
        QVERIFY(cancel.Ran());
        QCOMPARE(settings, SettingsAtQuality(85));
    }

    void CancelKeepsWhatTestApplied()
    {
        CodecSettings settings;
        int compressions = 0;
        ModalDialogDriver driver([](QDialog& dialog) {
            Find<QScrollBar>(dialog, 1000)->setSliderPosition(30);
            Find<QPushButton>(dialog, 1003)->click();
            Find<QPushButton>(dialog, 2)->click();
        });
        RunEasySetup(nullptr, settings, [&] { ++compressions; });
        QVERIFY(driver.Ran());
        QCOMPARE(compressions, 1);
        QCOMPARE(settings, SettingsAtQuality(30));
    }
};

QTEST_MAIN(ImageSetupDialogTest)
#include "image_setup_dialog_test.moc"
