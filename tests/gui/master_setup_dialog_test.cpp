// "Master Setup": every field with its label and group, the refusals in the
// order of the rules, Test Setting, and what OK and Cancel copy.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include "codec/QualityFactor.h"
#include "gui/DialogTestSupport.h"
#include "gui/dialogs/CMasterSetupDlg.h"
#include "gui/dialogs/HelpPageDialog.h"
#include "gui/dialogs/ViewDialogs.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::qt::test::Find;
using tamr::qt::test::FindNamed;
using tamr::qt::test::ModalDialogDriver;

namespace {

Message ErrorBox(const char* text)
{
    return Message{text, "Error", MessageIcon::Error, MessageButtons::Ok};
}

void SetText(const QDialog& dialog, int id, const char* text)
{
    Find<QLineEdit>(dialog, id)->setText(QString::fromUtf8(text));
}

} // namespace

class MasterSetupDialogTest : public QObject {
    Q_OBJECT

private slots:
    void ShowsEveryFieldWithItsLabelAndGroup()
    {
        CodecSettings settings;
        ScriptedPrompter prompter;
        CMasterSetupDlg dialog(settings, prompter, {});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Master Setup"));

        struct Field {
            int id;
            const char* label;
            const char* group; // object name of the group box, or none
            const char* text;
        };
        const Field fields[] = {
            {1003, "Total Levels", nullptr, "5"},
            {1009, "A Level", "groupQuantizeVectors",
             "  6,  6,  0, 12, 12,  6, 24, 24, 24, 30, 30, 30, 40, 40, 40, 50"},
            {1010, "B Level", "groupQuantizeVectors",
             "  4,  4,  0,  8,  8,  0,  8,  8,  8, 12, 12, 12, 16, 16, 16, 30"},
            {1011, "C Level", "groupQuantizeVectors",
             "  4,  4,  0,  8,  8,  0,  8,  8,  8, 12, 12,  8, 16, 16, 12, 24"},
            {1008, "Threshold Vector", nullptr, " 28, 23, 15, 10,  7,  5"},
            {1004, "A Level", "groupLevelsToDiscard", "0"},
            {1005, "B Level", "groupLevelsToDiscard", "2"},
            {1006, "C Level", "groupLevelsToDiscard", "2"},
            {1013, "A Sample", "groupLevelsToSample", "0"},
            {1014, "B Sample", "groupLevelsToSample", "0"},
            {1015, "C Sample", "groupLevelsToSample", "0"},
        };
        for (const Field& field : fields) {
            auto* edit = Find<QLineEdit>(dialog, field.id);
            QVERIFY2(edit, field.label);
            QCOMPARE(edit->text(), QString::fromUtf8(field.text));
            auto* label = FindNamed<QLabel>(dialog, LabelName(field.id));
            QVERIFY2(label, field.label);
            QCOMPARE(label->text(), QString::fromUtf8(field.label));
            if (field.group) {
                auto* group = FindNamed<QGroupBox>(dialog, QString::fromUtf8(field.group));
                QVERIFY2(group, field.group);
                QVERIFY(group->isAncestorOf(edit));
                QVERIFY(group->isAncestorOf(label));
            }
        }
        QCOMPARE(FindNamed<QGroupBox>(dialog, QStringLiteral("groupQuantizeVectors"))->title(),
                 QStringLiteral("Quantize Vectors"));
        QCOMPARE(FindNamed<QGroupBox>(dialog, QStringLiteral("groupLevelsToDiscard"))->title(),
                 QStringLiteral("Levels to Discard"));
        QCOMPARE(FindNamed<QGroupBox>(dialog, QStringLiteral("groupLevelsToSample"))->title(),
                 QStringLiteral("Levels to Sample"));
        for (const int id : {1009, 1010, 1011, 1008}) {
            QCOMPARE(Find<QLineEdit>(dialog, id)->maxLength(), 255);
        }
        const std::pair<int, const char*> buttons[] = {
            {1, "OK"}, {2, "Cancel"}, {1001, "Test Setting"}, {1000, "Reset Default"}, {1002, "Help"}};
        for (const auto& [id, text] : buttons) {
            auto* button = Find<QPushButton>(dialog, id);
            QVERIFY2(button, text);
            QCOMPARE(button->text(), QString::fromUtf8(text));
        }
    }

    void RefusalsComeInTheOrderOfTheRules()
    {
        CodecSettings settings;
        const CodecSettings before = settings;
        ScriptedPrompter prompter;
        CMasterSetupDlg dialog(settings, prompter, {});
        dialog.show();
        auto pressOk = [&] {
            Find<QPushButton>(dialog, 1)->click();
            QVERIFY(dialog.isVisible());
            QVERIFY(!dialog.AcceptedValues());
        };

        SetText(dialog, 1003, "7");
        SetText(dialog, 1004, "8");
        SetText(dialog, 1005, "8");
        SetText(dialog, 1006, "8");
        SetText(dialog, 1013, "1");
        SetText(dialog, 1014, "2");
        pressOk();
        SetText(dialog, 1003, "0");
        pressOk();
        SetText(dialog, 1003, "-1"); // compared as unsigned: too large
        pressOk();
        SetText(dialog, 1003, "6");
        pressOk();
        SetText(dialog, 1004, "6"); // as many as the total is fine
        pressOk();
        SetText(dialog, 1005, "0");
        pressOk();
        SetText(dialog, 1006, "-2");
        pressOk();
        SetText(dialog, 1006, "1");
        pressOk();
        SetText(dialog, 1013, "0");
        pressOk();
        SetText(dialog, 1014, "1"); // B 1 but C 0
        pressOk();

        const std::vector<Message> expected{
            ErrorBox("Total levels cannot larger than 6"),
            ErrorBox("Total levels should not be 0"),
            ErrorBox("Total levels cannot larger than 6"),
            ErrorBox("A discarded levels cannot larger than total levels"),
            ErrorBox("B discarded levels cannot larger than total levels"),
            ErrorBox("C discarded levels cannot larger than total levels"),
            ErrorBox("C discarded levels cannot larger than total levels"),
            ErrorBox("A subsample levels must be zero"),
            ErrorBox("B subsample levels must be 0 or 1 and equal to C subsample levels"),
            ErrorBox("B subsample levels must be 0 or 1 and equal to C subsample levels"),
        };
        QCOMPARE(prompter.Messages(), expected);

        SetText(dialog, 1015, "1");
        Find<QPushButton>(dialog, 1)->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.AcceptedValues());
        QCOMPARE(dialog.AcceptedValues()->totalLevels, 6);
        QCOMPARE(prompter.Messages().size(), expected.size());
        QCOMPARE(settings, before); // the dialog itself copies nothing on OK
    }

    void TextThatIsNotAnIntegerIsRefusedFirstAndTakesTheFocus()
    {
        CodecSettings settings;
        ScriptedPrompter prompter;
        int compressions = 0;
        CMasterSetupDlg dialog(settings, prompter, [&] { ++compressions; });
        dialog.show();
        SetText(dialog, 1003, "9"); // would break a rule
        SetText(dialog, 1005, "2x");
        Find<QPushButton>(dialog, 1001)->click();
        QCOMPARE(compressions, 0);
        QCOMPARE(prompter.Messages(),
                 (std::vector<Message>{{"Please enter an integer.", "", MessageIcon::Warning, MessageButtons::Ok}}));
        QCOMPARE(dialog.focusWidget(), Find<QLineEdit>(dialog, 1005));
        QCOMPARE(Find<QLineEdit>(dialog, 1005)->selectedText(), QStringLiteral("2x"));
        QCOMPARE(settings, CodecSettings{});
    }

    void TestSettingCopiesAndCompressesWhileTheDialogStays()
    {
        CodecSettings settings;
        const CodecSettings before = settings;
        ScriptedPrompter prompter;
        int compressions = 0;
        CMasterSetupDlg* shown = nullptr;
        CMasterSetupDlg dialog(settings, prompter, [&] {
            ++compressions;
            QVERIFY(shown->isVisible());
            QCOMPARE(settings.totalLevels, std::int16_t{3});
            const std::array<std::int16_t, 10> quantizeA{8, 12, 12, 12, 12, 12, 12, 12, 12, 12};
            QVERIFY(std::equal(quantizeA.begin(), quantizeA.end(), settings.components[0].quantizeVector.begin()));
            // The entries past 3·L+1 keep their values.
            QCOMPARE(settings.components[0].quantizeVector[10], before.components[0].quantizeVector[10]);
            const std::array<std::int16_t, 4> thresholds{1, 2, 3, 4};
            QVERIFY(std::equal(thresholds.begin(), thresholds.end(), settings.components[0].thresholdVector.begin()));
            // Thresholds go into component A only.
            QCOMPARE(settings.components[1].thresholdVector, before.components[1].thresholdVector);
            QCOMPARE(settings.components[2].thresholdVector, before.components[2].thresholdVector);
            QCOMPARE(settings.components[1].discardLevels, std::int16_t{3});
            QCOMPARE(settings.components[1].sampleLevels, std::int16_t{1});
            QCOMPARE(settings.components[2].sampleLevels, std::int16_t{1});
            QCOMPARE(settings.qualityFactor, before.qualityFactor);
        });
        shown = &dialog;
        dialog.show();
        SetText(dialog, 1003, "3");
        SetText(dialog, 1009, "8, 12");
        SetText(dialog, 1008, "1, 2, 3, 4, 5, 6");
        SetText(dialog, 1005, "3");
        SetText(dialog, 1014, "1");
        SetText(dialog, 1015, "1");
        Find<QPushButton>(dialog, 1001)->click();
        QCOMPARE(compressions, 1);
        QVERIFY(prompter.Messages().empty());
        QVERIFY(dialog.isVisible());
    }

    void ResetDefaultFillsTheDefaultsAndHelpShowsItsPage()
    {
        CodecSettings settings;
        settings.qualityFactor = 80;
        ApplyQualityFactor(settings);
        const CodecSettings before = settings;
        ScriptedPrompter prompter;
        int compressions = 0;
        CMasterSetupDlg dialog(settings, prompter, [&] { ++compressions; });
        dialog.show();
        SetText(dialog, 1003, "4");
        Find<QPushButton>(dialog, 1000)->click();
        // The edits show the defaults; the settings wait for OK or Test Setting.
        QCOMPARE(dialog.Form().texts, ToForm(FromSettings(CodecSettings{})).texts);
        QCOMPARE(settings, before);

        QString shownPage;
        ModalDialogDriver readHelp([&](QDialog& help) {
            if (auto* page = qobject_cast<HelpPageDialog*>(&help))
                shownPage = page->Browser()->source().fileName();
        });
        Find<QPushButton>(dialog, 1002)->click();
        QVERIFY(readHelp.Ran());
        QCOMPARE(shownPage, QStringLiteral("quality.html"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(compressions, 0);
        QVERIFY(prompter.Messages().empty());
    }

    void OkCopiesAndCancelDoesNot()
    {
        CodecSettings settings;
        ScriptedPrompter prompter;
        ModalDialogDriver cancel([](QDialog& dialog) {
            SetText(dialog, 1003, "2");
            Find<QPushButton>(dialog, 2)->click();
        });
        RunMasterSetup(nullptr, settings, prompter, {});
        QVERIFY(cancel.Ran());
        QCOMPARE(settings, CodecSettings{});

        ModalDialogDriver ok([](QDialog& dialog) {
            SetText(dialog, 1003, "2");
            SetText(dialog, 1004, "1");
            Find<QPushButton>(dialog, 1)->click();
        });
        RunMasterSetup(nullptr, settings, prompter, {});
        QVERIFY(ok.Ran());
        CodecSettings expected;
        MasterSetupValues values = FromSettings(expected);
        values.totalLevels = 2;
        values.discardLevels[0] = 1;
        ApplyMasterSetup(values, expected);
        QCOMPARE(settings, expected);
        QCOMPARE(settings.totalLevels, std::int16_t{2});
        QVERIFY(prompter.Messages().empty());
    }
};

QTEST_MAIN(MasterSetupDialogTest)
#include "master_setup_dialog_test.moc"
