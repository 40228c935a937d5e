// The compare window: panes in step through zoom and scroll, the pixel
// inspector, the difference pictures, flip on Space, following the document;
// and the zoom additions of the image view.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QtTest>
#include <cmath>

#include "codec/QualityFactor.h"
#include "document/EqualSizePeer.h"
#include "gui/CChildFrame.h"
#include "gui/CCompareFrame.h"
#include "gui/CTamrView.h"
#include "gui/CommandTable.h"
#include "gui/CompareView.h"
#include "gui/CompareZoom.h"
#include "gui/DialogTestSupport.h"
#include "gui/GuiTestSupport.h"
#include "gui/PictureImage.h"
#include "image/Butteraugli.h"
#include "image/DifferenceMaps.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// A compressed picture and its compare window.
CompareView& OpenCompared(RunningApp& running)
{
    CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", kWidth, kHeight));
    if (document == nullptr)
        qFatal("the picture did not open");
    running.app->OnCommand(ID_FILE_COMPRESS);
    running.app->OnCommand(ID_COMPARE_WINDOW);
    CompareView* compare = running.app->ActiveCompareView();
    if (compare == nullptr)
        qFatal("no compare window");
    compare->window()->resize(800, 600);
    running.Frame().MdiArea()->currentSubWindow()->resize(600, 400);
    QCoreApplication::processEvents();
    // The document's pictures are made on another thread.
    if (!QTest::qWaitFor([compare] { return !compare->Working(); }, 20000))
        qFatal("the compare window's pictures were not made");
    return *compare;
}

QRgb At(const QImage& picture, int x, int y)
{
    return picture.pixel(x, y);
}

// The heat picture tamr-cli's --map-out writes for the document's pair, as RGB888 from the top.
QImage ExpectedHeatMap(MapKind kind, const CDibImage& image)
{
    const std::optional<DifferenceMap> map =
        ComputeDifferenceMap(kind, image.ReferenceView(), image.WorkingView(), 3, 1);
    if (!map)
        return {};
    const std::vector<std::uint8_t> heat = HeatPicture(*map);
    return QImage(heat.data(), map->width, map->height, 3 * map->width + HeatRowPad(map->width), QImage::Format_BGR888)
        .mirrored(false, true)
        .convertToFormat(QImage::Format_RGB888);
}

} // namespace

class CompareTest : public QObject {
    Q_OBJECT

private slots:
    // The compare window's pictures, made in one pass, equal the drawn
    // pictures converted, rows padded or not.
    void RgbPicturesEqualTheConvertedOnes()
    {
        RunningApp running;
        for (const int width : {45, 48}) {
            CTamrDoc* document =
                running.app->OpenDocumentFile(running.WriteBmp(QStringLiteral("w%1.bmp").arg(width), width, 37));
            QVERIFY(document != nullptr);
            const CDibImage& image = *document->Image();
            QCOMPARE(RgbWorkingPicture(image), WorkingPicture(image).convertToFormat(QImage::Format_RGB888));
            QCOMPARE(RgbReferencePicture(image), ReferencePicture(image).convertToFormat(QImage::Format_RGB888));
        }
    }

    // The window opens at once; the document's pictures come from another
    // thread, and are fitted to the panes when they come.
    void DocumentPicturesAreMadeElsewhereAndFittedWhenTheyCome()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", kWidth, kHeight)) != nullptr);
        running.app->OnCommand(ID_FILE_COMPRESS);
        running.app->OnCommand(ID_COMPARE_WINDOW);
        CompareView& compare = *running.app->ActiveCompareView();
        QVERIFY(compare.Working());
        QVERIFY(compare.Original().isNull());
        QCOMPARE(SideLabel(compare.Side(0)), QStringLiteral("Original..."));
        QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
        const CDibImage& image = *running.app->ActiveDocument()->Image();
        QCOMPARE(compare.Original(), RgbReferencePicture(image));
        QCOMPARE(compare.Decoded(), RgbWorkingPicture(image));
        QVERIFY(compare.Fitted());
        QCOMPARE(compare.Scale(),
                 FitScale(QSize(kWidth, kHeight), compare.Pane(0)->size() * compare.Pane(0)->devicePixelRatioF()));
        QCOMPARE(SideLabel(compare.Side(0)), QStringLiteral("Original"));
    }

    void PanesStayInStepThroughZoomAndScroll()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        QVERIFY(compare.Pane(1)->isVisible());
        compare.SetScale(8, QPointF(10, 10));
        compare.ScrollTo({37, 21});
        QCOMPARE(compare.VisiblePictureRect(0), compare.VisiblePictureRect(1));
        QCOMPARE(compare.VisiblePictureRect(0).topLeft(), QPointF(37 / 8.0, 21 / 8.0));
        // Ctrl+wheel zooms one step about the pointer: the picture point under it stays.
        const QPointF pointer(40, 30);
        const QPointF before = (QPointF(compare.ScrollPosition()) + pointer) / compare.Scale();
        QWheelEvent wheel(pointer, compare.Pane(1)->mapToGlobal(pointer), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(compare.Pane(1), &wheel);
        QCOMPARE(compare.Scale(), 12.0);
        const QPointF after = (QPointF(compare.ScrollPosition()) + pointer) / compare.Scale();
        QVERIFY(std::abs(after.x() - before.x()) < 0.5 && std::abs(after.y() - before.y()) < 0.5);
        QCOMPARE(compare.VisiblePictureRect(0), compare.VisiblePictureRect(1));
        // Below 100 %, fitted: the whole picture in both panes.
        compare.FitToWindow();
        QVERIFY(compare.Scale() * kHeight <= compare.Pane(0)->height());
        compare.SetScale(0.5);
        QCOMPARE(compare.VisiblePictureRect(0), QRectF(0, 0, kWidth, kHeight));
        QCOMPARE(compare.VisiblePictureRect(1), QRectF(0, 0, kWidth, kHeight));
        QVERIFY(!compare.Pane(0)->grab().isNull());
    }

    void InspectorShowsOriginalDecodedAndDifference()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        compare.SetScale(4);
        compare.ScrollTo({0, 0});
        QTest::mouseMove(compare.Pane(0), QPoint(4 * 5 + 1, 4 * 3 + 2));
        // The expected values from the file's pattern and the document's bottom-up BGR pixels.
        const CDibImage& image = *running.app->ActiveDocument()->Image();
        const std::size_t stride = kWidth * 3 + image.RowPad();
        const std::uint8_t* decoded = image.Pixels().data() + stride * (kHeight - 1 - 3) + 3 * 5;
        const tamr::test::Rgb original = tamr::test::Pattern(5, 3);
        const auto difference = [](int a, int b) { return std::abs(a - b); };
        const QString expected = QStringLiteral("x 5, y 3   original %1 %2 %3   decoded %4 %5 %6   difference %7 %8 %9")
                                     .arg(original.red)
                                     .arg(original.green)
                                     .arg(original.blue)
                                     .arg(decoded[2])
                                     .arg(decoded[1])
                                     .arg(decoded[0])
                                     .arg(difference(original.red, decoded[2]))
                                     .arg(difference(original.green, decoded[1]))
                                     .arg(difference(original.blue, decoded[0]));
        QCOMPARE(running.Frame().InspectorPane()->text(), expected);
        QVERIFY(running.Frame().InspectorPane()->isVisible());

        // An image window inspects the same way, unscaled here.
        CTamrView& view = running.Frame().Frames().front()->View();
        view.ScrollTo({0, 0});
        QTest::mouseMove(view.viewport(), QPoint(5, 3));
        QCOMPARE(running.Frame().InspectorPane()->text(), expected);
    }

    void DifferenceIsAmplifiedAndFlipShowsTheOriginal()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        running.app->OnCommand(ID_COMPARE_DIFFERENCE);
        QCOMPARE(compare.Mode(), CompareMode::Difference);
        QVERIFY(running.Frame().Action(ID_COMPARE_DIFFERENCE)->isChecked());
        QSignalSpy made(&compare, &CompareView::DifferenceMade);
        compare.SetAmplification(16);
        QVERIFY(made.wait(10000));
        const QImage& amplified = compare.Difference().amplified;
        QCOMPARE(amplified.size(), QSize(kWidth, kHeight));
        int largest = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const int difference = std::abs(qRed(At(compare.Original(), x, y)) - qRed(At(compare.Decoded(), x, y)));
                QCOMPARE(qRed(At(amplified, x, y)), std::min(255, 16 * difference));
                largest = std::max(largest, difference);
            }
        }
        QVERIFY(largest > 0);
        // The heat map's top is the largest difference of any channel.
        QVERIFY(compare.Difference().largest >= largest);

        QTest::keyPress(&compare, Qt::Key_Space);
        QVERIFY(compare.Flipped());
        QTest::keyRelease(&compare, Qt::Key_Space);
        QVERIFY(!compare.Flipped());
    }

    void HeatMapShowsTheChosenMap()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        const CDibImage& image = *compare.Document()->Image();
        running.app->OnCommand(ID_COMPARE_HEAT_MAP);
        QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
        QCOMPARE(compare.HeatMapKind(), MapKind::Absolute);
        const QImage absolute = compare.ShownHeatMap();
        QCOMPARE(absolute, ExpectedHeatMap(MapKind::Absolute, image));

        running.app->OnCommand(ID_COMPARE_HEAT_SSIM);
        QCOMPARE(compare.HeatMapKind(), MapKind::Ssim);
        QVERIFY(running.Frame().Action(ID_COMPARE_HEAT_SSIM)->isChecked());
        QVERIFY(!running.Frame().Action(ID_COMPARE_HEAT_ABSOLUTE)->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
        const QImage ssim = compare.ShownHeatMap();
        QCOMPARE(ssim, ExpectedHeatMap(MapKind::Ssim, image));
        QVERIFY(ssim != absolute);
        QCOMPARE(compare.ShownHeatMapTop(), std::optional<double>(1.0));
        QCOMPARE(compare.PaneLabels(0), QStringList{"Heat map of 1 - SSIM"});

        // The pane draws it: at 100 % a pane pixel is a map pixel, here one
        // where the two maps differ, below the pane's label.
        compare.SetScale(1, QPointF(0, 0));
        compare.ScrollTo({0, 0});
        QPoint differing(-1, -1);
        for (int y = kHeight - 1; y >= kHeight / 2 && differing.x() < 0; --y)
            for (int x = 0; x < kWidth && differing.x() < 0; ++x)
                if (ssim.pixel(x, y) != absolute.pixel(x, y))
                    differing = QPoint(x, y);
        QVERIFY(differing.x() >= 0);
        QCOMPARE(compare.Pane(0)->grab().toImage().pixel(differing), ssim.pixel(differing));

        // Butteraugli is listed; it can be chosen only where the build measures it.
        auto* kinds = compare.findChild<QComboBox*>(QStringLiteral("heatMapKind"));
        QVERIFY(kinds != nullptr && kinds->isVisible());
        const int butteraugli = kinds->findData(static_cast<int>(MapKind::Butteraugli));
        const auto* item = qobject_cast<QStandardItemModel*>(kinds->model())->item(butteraugli);
        QCOMPARE(item->isEnabled(), ButteraugliAvailable());
        if (!ButteraugliAvailable()) {
            QVERIFY(item->toolTip().contains(QString::fromUtf8(kButteraugliUnavailable)));
            QVERIFY(!running.Frame().Action(ID_COMPARE_HEAT_BUTTERAUGLI)->isEnabled());
            return;
        }
        emit kinds->activated(butteraugli);
        QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
        QCOMPARE(compare.ShownHeatMap(), ExpectedHeatMap(MapKind::Butteraugli, image));
        QVERIFY(compare.ShownHeatMapTop() > 0.0);
    }

    void ClosingWhileAMapIsMadeDoesNotWaitForIt()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("large.bmp", 900, 700)) != nullptr);
        running.app->OnCommand(ID_FILE_COMPRESS);
        running.app->OnCommand(ID_COMPARE_WINDOW);
        CompareView& compare = *running.app->ActiveCompareView();
        QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
        running.app->OnCommand(ID_COMPARE_HEAT_SSIM);
        QVERIFY(compare.Working());
        QPointer<QWidget> frame = compare.parentWidget();
        frame->close();
        tamr::test::DeleteClosedWindows();
        QVERIFY(frame.isNull());
        // The map in hand ends unseen on the application's runner, then the runner goes.
        QPointer<JobRunner> ending = QCoreApplication::instance()->findChild<JobRunner*>("endingHeatMap");
        QVERIFY(!ending.isNull());
        QTRY_VERIFY_WITH_TIMEOUT(ending.isNull(), 20000);
    }

    void FollowsTheDocumentAfterCompressAndGoesWithIt()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        CTamrDoc& document = *compare.Document();
        const QImage first = compare.Decoded();
        running.app->Settings().qualityFactor = 10;
        ApplyQualityFactor(running.app->Settings());
        // Compress reaches the document from its compare window too.
        running.app->OnCommand(ID_FILE_COMPRESS);
        QTRY_VERIFY_WITH_TIMEOUT(compare.Decoded() != first, 20000);
        QCOMPARE(compare.Decoded(), WorkingPicture(*document.Image()).convertToFormat(QImage::Format_RGB888));

        QPointer<CCompareFrame> frame = qobject_cast<CCompareFrame*>(compare.parentWidget());
        running.app->CloseDocumentWindows(document);
        // The image window goes first; the compare window with it.
        tamr::test::DeleteClosedWindows();
        tamr::test::DeleteClosedWindows();
        QVERIFY(frame.isNull());
    }

    void FollowsAFilterAppliedInTheImageWindow()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        const QImage before = compare.Decoded();
        CTamrView* view = running.Frame().findChild<CTamrView*>();
        QVERIFY(view != nullptr);
        tamr::qt::test::ModalDialogDriver driver([](QDialog& dialog) {
            auto* list = tamr::qt::test::Find<QListWidget>(dialog, 1047);
            list->setCurrentItem(list->findItems(QStringLiteral("Negative"), Qt::MatchExactly).front());
            tamr::qt::test::Find<QPushButton>(dialog, 1050)->click(); // Apply
            tamr::qt::test::Find<QPushButton>(dialog, 1)->click();    // OK keeps it
        });
        view->OnFilters();
        QVERIFY(driver.Ran());
        QTRY_VERIFY_WITH_TIMEOUT(compare.Decoded() != before, 20000);
        QCOMPARE(compare.Decoded(),
                 WorkingPicture(*compare.Document()->Image()).convertToFormat(QImage::Format_RGB888));
    }

    void MaximisedCompareWindowLeavesTheMainTitleSettled()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        QSignalSpy titles(&running.Frame(), &QWidget::windowTitleChanged);
        compare.parentWidget()->showMaximized();
        QTest::qWait(300);
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - [photo.cod - Compare]"));
        QVERIFY2(titles.size() <= 3, qPrintable(QString::number(titles.size())));

        // Opened while the picture window is maximised: the same.
        RunningApp again;
        QVERIFY(again.app->OpenDocumentFile(again.WriteBmp("photo.bmp", kWidth, kHeight)) != nullptr);
        again.app->OnCommand(ID_FILE_COMPRESS);
        again.Frame().ActiveFrame()->showMaximized();
        QTRY_COMPARE(again.Frame().windowTitle(), QStringLiteral("TAMR - [photo.cod]"));
        QSignalSpy moreTitles(&again.Frame(), &QWidget::windowTitleChanged);
        again.app->OnCommand(ID_COMPARE_WINDOW);
        QTest::qWait(300);
        QCOMPARE(again.Frame().windowTitle(), QStringLiteral("TAMR - [photo.cod - Compare]"));
        QVERIFY2(moreTitles.size() <= 3, qPrintable(QString::number(moreTitles.size())));
    }

    void ViewerHabitsActualSizeSplitPanAndLabels()
    {
        {
            // Actual Size keeps the picture point under the pointer where it is
            // (on a picture larger than the pane at 100 %).
            RunningApp large;
            QVERIFY(large.app->OpenDocumentFile(large.WriteBmp("large.bmp", 1200, 900)) != nullptr);
            large.app->OnCommand(ID_FILE_COMPRESS);
            large.app->OnCommand(ID_COMPARE_WINDOW);
            CompareView& compare = *large.app->ActiveCompareView();
            compare.window()->resize(800, 600);
            QCoreApplication::processEvents();
            QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
            compare.SetScale(4, QPointF(0, 0));
            compare.ScrollTo({1200, 1000});
            const QPointF pointer(50, 200);
            const QPointF before = (QPointF(compare.ScrollPosition()) + pointer) / compare.Scale();
            compare.ActualSize(pointer);
            QCOMPARE(compare.Scale(), 1.0);
            const QPointF after = (QPointF(compare.ScrollPosition()) + pointer) / compare.Scale();
            QVERIFY2(
                (after - before).manhattanLength() < 1.01,
                qPrintable(
                    QStringLiteral("%1,%2 -> %3,%4").arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));
        }
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        compare.ActualSize();

        // Split starts with its divider over the middle of the picture, smaller than the pane here.
        compare.ScrollTo({0, 0});
        QVERIFY(compare.Pane(0)->width() > kWidth);
        compare.SetMode(CompareMode::Split);
        QCOMPARE(static_cast<int>(std::lround(compare.DividerFraction() * compare.Pane(0)->width())), kWidth / 2);
        const QString decoded = SideLabel(compare.Side(1));
        // tamr's result says its codec, bytes and bits per pixel.
        const std::size_t bytes = running.app->ActiveDocument()->Codec()->WriteHeader().size();
        QCOMPARE(decoded, QStringLiteral("tamr - %1 bytes, %2 bpp")
                              .arg(QLocale(QLocale::English).toString(qulonglong{bytes}))
                              .arg(8.0 * static_cast<double>(bytes) / (kWidth * kHeight), 0, 'f', 3));
        QCOMPARE(compare.PaneLabels(0), (QStringList{"Original", decoded}));

        // Dragging the picture moves it with the pointer.
        compare.SetMode(CompareMode::SideBySide);
        QCOMPARE(compare.PaneLabels(0), QStringList{"Original"});
        QCOMPARE(compare.PaneLabels(1), QStringList{decoded});
        compare.SetScale(8, QPointF(0, 0));
        compare.ScrollTo({200, 150});
        QWidget* pane = compare.Pane(1);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), pane->mapToGlobal(QPointF(100, 100)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(60, 70), pane->mapToGlobal(QPointF(60, 70)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(60, 70), pane->mapToGlobal(QPointF(60, 70)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pane, &release);
        QCOMPARE(compare.ScrollPosition(), QPoint(240, 180));

        // Space held: every pane says it shows the original.
        QTest::keyPress(&compare, Qt::Key_Space);
        QCOMPARE(compare.PaneLabels(1), QStringList{"Original (Space held)"});
        QTest::keyRelease(&compare, Qt::Key_Space);
        QCOMPARE(compare.PaneLabels(1), QStringList{decoded});
    }

    void PeerChosenFromTheListIsCodedAtTamrsSize()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        const CDibImage& image = *running.app->ActiveDocument()->Image();
        const std::size_t target = running.app->ActiveDocument()->Codec()->WriteHeader().size();
        auto* chooser = compare.findChild<QComboBox*>(QStringLiteral("secondSide"));
        QVERIFY(chooser != nullptr);
        const int webp = chooser->findText(QStringLiteral("WebP at equal size"));
        QVERIFY(webp >= 0);
        emit chooser->activated(webp);
        QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
        const CompareSide& side = compare.Side(1);
        QCOMPARE(side.codec, FindCodec("webp"));
        QVERIFY2(side.failure.isEmpty(), qPrintable(side.failure));
        // The pixels are WebP's own decoding at the quality the size search chose.
        const EqualSizeMatch match = MatchPeerSize(image.ReferenceView(), 3, *FindCodec("webp"), target);
        QCOMPARE(side.quality, match.quality);
        QCOMPARE(side.picture, PixelsPicture(match.picture.decoded, kWidth, kHeight, image.RowPad(), 3)
                                   .convertToFormat(QImage::Format_RGB888));
        QVERIFY(SideLabel(side).startsWith(QStringLiteral("WebP q %1 - ").arg(match.quality)));
        QCOMPARE(chooser->currentIndex(), webp);
        // Difference and figures are of the original against WebP's picture.
        QCOMPARE(compare.Difference().largest, match.metrics.largestDifference);
        QVERIFY(compare.PairFigures().startsWith(
            QStringLiteral("WebP against Original: PSNR %1 dB").arg(match.metrics.psnr, 0, 'f', 2)));
        // Back to tamr's result.
        emit chooser->activated(chooser->findText(QStringLiteral("Decoded")));
        QCOMPARE(compare.Side(1).source, SideSource::Decoded);
        QCOMPARE(compare.Decoded(), WorkingPicture(image).convertToFormat(QImage::Format_RGB888));
    }

    void TwoDroppedFilesAreCompared()
    {
        RunningApp running;
        CompareView& compare = OpenCompared(running);
        const QString first = running.WriteBmp("first.bmp", 40, 30);
        // The second: the first with one pixel changed.
        QImage changed(first);
        changed.setPixelColor(7, 5, QColor(0, 0, 0));
        const QString second = QFileInfo(first).dir().filePath(QStringLiteral("second.png"));
        QVERIFY(changed.save(second));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&compare, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&compare, &drop);
        QTRY_VERIFY_WITH_TIMEOUT(!compare.Working(), 20000);
        QCOMPARE(compare.Side(0).source, SideSource::File);
        QCOMPARE(compare.Side(0).picture, QImage(first).convertToFormat(QImage::Format_RGB888));
        QCOMPARE(compare.Side(1).picture, changed.convertToFormat(QImage::Format_RGB888));
        QCOMPARE(compare.PaneLabels(0).front(),
                 QStringLiteral("first.bmp - %1 bytes, %2 bpp")
                     .arg(QLocale(QLocale::English).toString(QFileInfo(first).size()))
                     .arg(8.0 * static_cast<double>(QFileInfo(first).size()) / (40 * 30), 0, 'f', 3));
        // Only the changed pixel differs.
        QCOMPARE(compare.Difference().heatMap.size(), QSize(40, 30));
        const tamr::test::Rgb was = tamr::test::Pattern(7, 5);
        QCOMPARE(compare.Difference().largest, std::max({was.red, was.green, was.blue}));
        QCOMPARE(compare.Difference().amplified.pixel(8, 5), qRgb(0, 0, 0));
        // Following the document leaves dropped files alone.
        running.app->OnCommand(ID_FILE_COMPRESS);
        compare.Follow(true);
        QCOMPARE(compare.Side(1).source, SideSource::File);
    }

    void NextCompareWindowStartsAsTheLastWasLeft()
    {
        RunningApp running;
        CompareView& first = OpenCompared(running);
        first.SetMode(CompareMode::HeatMap);
        first.SetHeatMapKind(MapKind::Ssim);
        first.SetAmplification(32);
        first.SetScale(2);
        first.parentWidget()->close();
        tamr::test::DeleteClosedWindows();
        running.app->OnCommand(ID_COMPARE_WINDOW);
        CompareView* second = running.app->ActiveCompareView();
        QVERIFY(second != nullptr);
        QCoreApplication::processEvents();
        QCOMPARE(second->Mode(), CompareMode::HeatMap);
        QCOMPARE(second->Amplification(), 32);
        QCOMPARE(second->HeatMapKind(), MapKind::Ssim);
        QCOMPARE(second->Scale(), 2.0);
        QVERIFY(running.Frame().Action(ID_COMPARE_HEAT_MAP)->isChecked());
    }

    void CompareWindowsAreInTheWindowMenu()
    {
        RunningApp running;
        OpenCompared(running);
        QMenu* window = tamr::test::TopMenu(running.Frame(), QStringLiteral("&Window"));
        QVERIFY(window != nullptr);
        emit window->aboutToShow();
        const QStringList lines = tamr::test::MenuLines(*window);
        QVERIFY2(lines.contains(QStringLiteral("&1 photo.cod")), qPrintable(lines.join('|')));
        QVERIFY2(lines.contains(QStringLiteral("&2 photo.cod - Compare")), qPrintable(lines.join('|')));
    }

    void ViewZoomAdditionsStepFitAndReturn()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 64, 48)) != nullptr);
        CTamrView& view = *running.app->ActiveView();
        view.parentWidget()->resize(400, 300);
        running.app->OnCommand(ID_VIEW_FIT_WINDOW);
        const int fitted = view.Zoom().zoomInFactor;
        QVERIFY(view.Zoom().zoomedIn && fitted > 1);
        QVERIFY(64 * fitted <= view.viewport()->width() && 48 * fitted <= view.viewport()->height());
        QVERIFY(64 * (fitted + 1) > view.viewport()->width() || 48 * (fitted + 1) > view.viewport()->height());
        view.StepZoom(-1);
        QCOMPARE(view.Zoom().zoomInFactor, fitted - 1);
        running.app->OnCommand(ID_VIEW_ACTUAL_SIZE);
        QVERIFY(!view.Zoom().zoomActive);
        view.StepZoom(-1);
        QVERIFY(view.Zoom().zoomedOut && view.Zoom().zoomOutFactor == 2);
        QCOMPARE(view.ScrollTotal(), (ZoomSize{32, 24}));
    }
};

QTEST_MAIN(CompareTest)
#include "compare_test.moc"
