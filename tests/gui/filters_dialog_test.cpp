// "Filters": the list, the edits with "X" where a filter has no use for them,
// Default, Apply, and the command's end with OK or Cancel.

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "enhance/FiltersDialogTexts.h"
#include "gui/DialogTestSupport.h"
#include "gui/dialogs/CFiltersDlg.h"
#include "gui/dialogs/ViewDialogs.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::qt::test::Find;
using tamr::qt::test::FindNamed;
using tamr::qt::test::ModalDialogDriver;
using tamr::qt::test::TestDocument;

namespace {

constexpr int kEditIds[] = {1043, 1051, 1052, 1053, 1054, 1055, 1056, 1057, 1058, 1059, 1060};

QStringList EditTexts(const QWidget& dialog)
{
    QStringList texts;
    for (const int id : kEditIds) {
        auto* edit = Find<QLineEdit>(dialog, id);
        texts << (edit ? edit->text() : QStringLiteral("<missing>"));
    }
    return texts;
}

QStringList Texts(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts) {
        list << QString::fromUtf8(text);
    }
    return list;
}

void Select(const QWidget& dialog, const QString& name)
{
    auto* list = Find<QListWidget>(dialog, 1047);
    const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    list->setCurrentItem(items.front());
}

void Click(const QWidget& dialog, int id)
{
    Find<QPushButton>(dialog, id)->click();
}

// A document opened from a colour BMP, with a filters session on its image.
struct FiltersFixture {
    FiltersFixture()
    {
        opened = test.Open(QStringLiteral("x.bmp"), tamr::qt::test::ColourBmp(12, 9));
        if (opened) {
            session = FiltersSession::Open(test.document->Image()->WorkingView(), true, test.prompter);
        }
    }
    TestDocument test;
    bool opened = false;
    std::optional<FiltersSession> session;
};

} // namespace

class FiltersDialogTest : public QObject {
    Q_OBJECT

private slots:
    void ShowsTheListTheGroupsAndEdgeEnhance()
    {
        FiltersFixture fixture;
        QVERIFY(fixture.session);
        CFiltersDlg dialog(*fixture.session, {});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Filters"));

        auto* list = Find<QListWidget>(dialog, 1047);
        QVERIFY(list);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        const QStringList names = Texts({"Edge enhance", "Edge enhance+", "Edge detect", "Detail", "Smooth", "Sharpen",
                                         "Brighten", "Despeckle", "Anti-alias", "Alias", "Erode", "Dilate",
                                         "Fill across", "Fill down", "Fill angles", "Negative"});
        QCOMPARE(list->count(), names.size());
        for (int i = 0; i < list->count(); ++i) {
            QCOMPARE(list->item(i)->text(), names[i]);
        }
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(0)->isSelected());

        tamr::qt::test::CheckGroupTitles(dialog, {
                                                     {"groupFilterList", "Filter list"},
                                                     {"groupMultipliers", "Multipiers -255 to +255"},
                                                     {"groupDivisor", "Divisor -255 to +255"},
                                                     {"groupIntensity", "Intensity 1-9"},
                                                 });
        QVERIFY(FindNamed<QGroupBox>(dialog, QStringLiteral("groupFilterList"))->isAncestorOf(list));
        auto* multipliers = FindNamed<QGroupBox>(dialog, QStringLiteral("groupMultipliers"));
        for (int i = 0; i < 9; ++i) {
            QVERIFY(multipliers->isAncestorOf(Find<QLineEdit>(dialog, kEditIds[i])));
        }
        QVERIFY(
            FindNamed<QGroupBox>(dialog, QStringLiteral("groupDivisor"))->isAncestorOf(Find<QLineEdit>(dialog, 1059)));
        QVERIFY(FindNamed<QGroupBox>(dialog, QStringLiteral("groupIntensity"))
                    ->isAncestorOf(Find<QLineEdit>(dialog, 1060)));

        QCOMPARE(EditTexts(dialog), Texts({"-1", "-1", "-1", "-1", "10", "-1", "-1", "-1", "-1", "2", "X"}));
        const std::pair<int, const char*> buttons[] = {{1, "OK"}, {2, "Cancel"}, {1049, "Default"}, {1050, "Apply"}};
        for (const auto& [id, text] : buttons) {
            auto* button = Find<QPushButton>(dialog, id);
            QVERIFY2(button, text);
            QCOMPARE(button->text(), QString::fromUtf8(text));
        }
    }

    void UnusedFieldsShowX()
    {
        FiltersFixture fixture;
        QVERIFY(fixture.session);
        CFiltersDlg dialog(*fixture.session, {});
        dialog.show();
        Select(dialog, QStringLiteral("Despeckle"));
        QCOMPARE(EditTexts(dialog), Texts({"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "4"}));
        Select(dialog, QStringLiteral("Fill down"));
        QCOMPARE(EditTexts(dialog), Texts({"X", "0", "X", "X", "255", "X", "X", "0", "X", "X", "X"}));
        Select(dialog, QStringLiteral("Negative"));
        QCOMPARE(EditTexts(dialog), Texts({"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "X"}));
        Select(dialog, QStringLiteral("Smooth"));
        QCOMPARE(EditTexts(dialog), Texts({"1", "1", "1", "1", "5", "1", "1", "1", "1", "13", "X"}));
        QCOMPARE(fixture.session->Selection(), 4);

        // With nothing selected the edits hold the all-zero kernel.
        Find<QListWidget>(dialog, 1047)->clearSelection();
        QCOMPARE(fixture.session->Selection(), FiltersSession::kNoSelection);
        QCOMPARE(EditTexts(dialog), Texts({"0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "X"}));
    }

    void ApplyUsesTheEditedMultiplierAndDefaultPutsTheOldOneBack()
    {
        FiltersFixture fixture;
        QVERIFY(fixture.session);
        const std::vector<std::uint8_t> original = fixture.test.WorkingPixels();
        int changes = 0;
        CFiltersDlg dialog(*fixture.session, [&] {
            ++changes;
            // The view hears of the change once the cursor and the mouse are free again.
            QVERIFY(QApplication::overrideCursor() == nullptr);
            QVERIFY(QWidget::mouseGrabber() == nullptr);
        });
        dialog.show();
        auto* centre = Find<QLineEdit>(dialog, 1054);
        centre->selectAll();
        QTest::keyClicks(centre, QStringLiteral("12"));
        QCOMPARE(fixture.session->EditText(kEditK4), std::string("12"));
        Click(dialog, 1050);
        QCOMPARE(changes, 1);

        // The same filter run directly with the centre 12.
        std::vector<std::uint8_t> expected = original;
        PixelView view = fixture.test.document->Image()->WorkingView();
        view.bytes = expected;
        const std::array<std::string_view, kFilterEditCount> texts{"-1", "-1", "-1", "-1", "12", "-1",
                                                                   "-1", "-1", "-1", "2",  "X"};
        QVERIFY(RunFilter(FilterOperation::Convolve, view, true, ParseEditTexts(texts)));
        QVERIFY(expected != original);
        QVERIFY(fixture.test.WorkingPixels() == expected);

        Click(dialog, 1049);
        QCOMPARE(centre->text(), QStringLiteral("10"));
        QCOMPARE(fixture.session->EditText(kEditK4), std::string("10"));
        QVERIFY(dialog.isVisible());
    }

    void CancelAfterThreeSmoothsRestoresTheImage()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("x.bmp"), tamr::qt::test::ColourBmp(16, 12)));
        const std::vector<std::uint8_t> original = test.WorkingPixels();
        int changes = 0;
        std::vector<std::uint8_t> afterThree;
        ModalDialogDriver driver([&](QDialog& dialog) {
            Select(dialog, QStringLiteral("Smooth"));
            Click(dialog, 1050);
            Click(dialog, 1050);
            Click(dialog, 1050);
            afterThree = test.WorkingPixels();
            Click(dialog, 2);
        });
        RunFilters(nullptr, *test.document, test.prompter, [&] { ++changes; });
        QVERIFY(driver.Ran());
        QVERIFY(afterThree != original);
        QVERIFY(test.WorkingPixels() == original);
        QVERIFY(test.document->ImageEdited()); // marked edited after Cancel too
        QCOMPARE(changes, 4);                  // three Applies and the close
        QVERIFY(test.prompter.Messages().empty());
    }

    void OkKeepsTheLastApply()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("g.bmp"), tamr::qt::test::GrayBmp(10, 10)));
        QCOMPARE(test.document->Image()->IsColour(), std::int16_t{0});
        const std::vector<std::uint8_t> original = test.WorkingPixels();
        std::vector<std::uint8_t> applied;
        int changes = 0;
        ModalDialogDriver driver([&](QDialog& dialog) {
            Select(dialog, QStringLiteral("Negative"));
            Click(dialog, 1050);
            applied = test.WorkingPixels();
            Click(dialog, 1);
        });
        RunFilters(nullptr, *test.document, test.prompter, [&] { ++changes; });
        QVERIFY(driver.Ran());
        QCOMPARE(applied.size(), original.size());
        QCOMPARE(int(applied[0]), 255 - original[0]); // the gray negative reaches the border too
        QVERIFY(test.WorkingPixels() == applied);
        QVERIFY(test.document->ImageEdited());
        QCOMPARE(changes, 2);
    }

    void WithoutMemoryForTheCopiesNothingHappens()
    {
        TestDocument test;
        QVERIFY(test.Open(QStringLiteral("x.bmp"), tamr::qt::test::ColourBmp(8, 8)));
        const std::vector<std::uint8_t> original = test.WorkingPixels();
        int changes = 0;
        ModalDialogDriver driver([](QDialog&) {});
        RunFiltersCommand(
            nullptr, *test.document, test.prompter, [&] { ++changes; },
            [](std::size_t) -> std::optional<ByteBlock> { return std::nullopt; });
        QVERIFY(!driver.Ran());
        QCOMPARE(test.prompter.Messages(), (std::vector<Message>{{"Not enough memory to filter image", "Error",
                                                                  MessageIcon::Error, MessageButtons::Ok}}));
        QVERIFY(test.WorkingPixels() == original);
        QVERIFY(!test.document->ImageEdited());
        QCOMPARE(changes, 0);
    }
};

QTEST_MAIN(FiltersDialogTest)
#include "filters_dialog_test.moc"
