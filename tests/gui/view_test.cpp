// The image view: drawing unscaled, magnified and reduced, the zoom and anchor
// arithmetic, Compress, incremental display and the queued image-changed event.

#include <QComboBox>
#include <QMdiArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include "gui/CChildFrame.h"
#include "gui/CTamrView.h"
#include "gui/CommandTable.h"
#include "gui/GuiTestSupport.h"
#include "gui/dialogs/ZoomDialogs.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

QRgb Expected(int x, int y)
{
    const test::Rgb colour = test::Pattern(x, y);
    return qRgb(colour.red, colour.green, colour.blue);
}

QImage Shown(CTamrView& view)
{
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Opens a picture in a window whose view shows viewportSize.
CTamrView& OpenSized(RunningApp& running, const QString& name, int width, int height, QSize viewportSize)
{
    CTamrDoc* document = running.app->OpenDocumentFile(running.WriteBmp(name, width, height));
    if (document == nullptr)
        qFatal("cannot open %s", qPrintable(name));
    CChildFrame* frame = running.Frame().ActiveFrame();
    CTamrView& view = frame->View();
    frame->resize(frame->size() + viewportSize - view.viewport()->size());
    QCoreApplication::processEvents();
    return view;
}

} // namespace

class ViewTest : public QObject {
    Q_OBJECT

private slots:
    void ZoomEntriesAndNumbers()
    {
        QCOMPARE(CZoomInDlg::Entries().size(), 16);
        QCOMPARE(CZoomInDlg::Entries().front(), QStringLiteral("none"));
        QCOMPARE(CZoomInDlg::Entries()[1], QStringLiteral("2:1"));
        QCOMPARE(CZoomInDlg::Entries().back(), QStringLiteral("16:1"));
        QCOMPARE(CZoomOutDlg::Entries()[1], QStringLiteral("1:2"));
        QCOMPARE(CZoomOutDlg::Entries().back(), QStringLiteral("1:16"));
        QCOMPARE(ZoomInNumber("4:1"), 4);
        QCOMPARE(ZoomInNumber("16:1"), 16);
        QCOMPARE(ZoomInNumber(""), 0);
        QCOMPARE(ZoomOutNumber("1:8"), 8);
        QCOMPARE(ZoomOutNumber("1:16"), 16);
        QCOMPARE(ZoomOutNumber(""), 0);
        QCOMPARE(ScrollableExtent(5000), 5000);
        QCOMPARE(ScrollableExtent(6000), 6000);
        QCOMPARE(ScrollableExtent(-1), 0);

        CZoomInDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Zoom in"));
        QCOMPARE(dialog.ZoomText(), QString());
        dialog.List()->setCurrentIndex(3);
        QCOMPARE(dialog.ZoomText(), QStringLiteral("4:1"));
        QCOMPARE(CZoomOutDlg().windowTitle(), QStringLiteral("Zoom out"));
    }

    void ZoomModesFollowTheChoices()
    {
        ZoomState zoom;
        zoom.ApplyZoomIn("4:1");
        QVERIFY(zoom.zoomActive && zoom.zoomedIn && !zoom.zoomedOut);
        QCOMPARE(zoom.DisplaySize(10, 6), (ZoomSize{40, 24}));
        // Reducing after magnifying keeps the magnification for later.
        zoom.ApplyZoomOut("1:2");
        QVERIFY(zoom.zoomActive && !zoom.zoomedIn && zoom.zoomedOut);
        QCOMPARE(zoom.zoomInFactor, 4);
        QCOMPARE(zoom.DisplaySize(11, 7), (ZoomSize{5, 3}));
        // Nothing chosen in the list: the old factor stays, the mode changes.
        zoom.ApplyZoomIn("");
        QCOMPARE(zoom.zoomInFactor, 4);
        QVERIFY(zoom.zoomedIn);
        zoom.ApplyZoomIn("none");
        QVERIFY(!zoom.zoomActive);
        QCOMPARE(zoom.zoomInFactor, 1);
        QCOMPARE(zoom.DisplaySize(11, 7), (ZoomSize{11, 7}));
        zoom.ApplyZoomOut("1:16");
        QCOMPARE(zoom.DisplaySize(10, 40), (ZoomSize{0, 2}));
        zoom.NoZoom();
        QVERIFY(!zoom.zoomActive && !zoom.zoomedIn && !zoom.zoomedOut);
        QCOMPARE(zoom.zoomOutFactor, 1);
    }

    void ClickedPointStaysInPlaceWhileMagnifying()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "large.bmp", 400, 300, QSize(300, 200));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(100, 50));
        QVERIFY(view.ClickPending());
        QCOMPARE(view.ClickPoint(), (ZoomPoint{100, 50}));

        view.ZoomInTo("4:1");
        QCOMPARE(view.ScrollTotal(), (ZoomSize{1600, 1200}));
        QCOMPARE(view.ScrollPosition(), (ZoomPoint{300, 150}));
        view.ZoomInTo("8:1");
        QCOMPARE(view.ScrollPosition(), (ZoomPoint{700, 350}));
        // Regaining the focus updates the view, which scrolls back to the anchor.
        view.ScrollTo({0, 0});
        view.Document().UpdateAllViews();
        QCOMPARE(view.ScrollPosition(), (ZoomPoint{700, 350}));
        view.OnNoZoom();
        QCOMPARE(view.ScrollPosition(), (ZoomPoint{0, 0}));
        QCOMPARE(view.ScrollTotal(), (ZoomSize{400, 300}));
        QVERIFY(!view.ClickPending());
        QVERIFY(running.app->SharedState().zoomAnchor.free);
    }

    void MagnifyingWithoutAClickSavesNoAnchor()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "large.bmp", 400, 300, QSize(300, 200));
        view.ScrollTo({60, 40});
        view.ZoomInTo("4:1");
        QCOMPARE(view.ScrollPosition(), (ZoomPoint{60, 40}));
        QVERIFY(running.app->SharedState().zoomAnchor.free);
        view.ZoomInTo("none");
        QCOMPARE(view.ScrollPosition(), (ZoomPoint{60, 40}));
    }

    void TheAnchorIsSharedByAllViews()
    {
        RunningApp running;
        CTamrView& first = OpenSized(running, "first.bmp", 400, 300, QSize(200, 150));
        CTamrView& second = OpenSized(running, "second.bmp", 400, 300, QSize(200, 150));
        first.ScrollTo({20, 10});
        QTest::mouseClick(first.viewport(), Qt::LeftButton, {}, QPoint(100, 50));
        first.ZoomInTo("2:1");
        QCOMPARE(first.ScrollPosition(), (ZoomPoint{140, 70}));
        QVERIFY(!running.app->SharedState().zoomAnchor.free);

        // Activating the unscaled view updates it: it frees the anchor and goes
        // to the scroll position saved with it.
        QCOMPARE(second.ScrollPosition(), (ZoomPoint{0, 0}));
        second.OnUpdate();
        QCOMPARE(second.ScrollPosition(), (ZoomPoint{20, 10}));
        QVERIFY(running.app->SharedState().zoomAnchor.free);
    }

    void DrawsUnscaledMagnifiedAndReduced()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "small.bmp", 30, 20, QSize(100, 80));
        QImage shown = Shown(view);
        for (const QPoint point : {QPoint(0, 0), QPoint(29, 0), QPoint(0, 19), QPoint(17, 11), QPoint(29, 19)})
            QCOMPARE(shown.pixel(point), Expected(point.x(), point.y()));
        // Outside the picture the view shows its background.
        QCOMPARE(shown.pixel(60, 60), view.viewport()->palette().color(QPalette::Base).rgb());

        view.ZoomInTo("3:1");
        QCOMPARE(view.ScrollTotal(), (ZoomSize{90, 60}));
        shown = Shown(view);
        for (const QPoint point : {QPoint(0, 0), QPoint(5, 7), QPoint(29, 19)}) {
            QCOMPARE(shown.pixel(point.x() * 3, point.y() * 3), Expected(point.x(), point.y()));
            QCOMPARE(shown.pixel(point.x() * 3 + 2, point.y() * 3 + 2), Expected(point.x(), point.y()));
        }
        QCOMPARE(shown.pixel(95, 30), view.viewport()->palette().color(QPalette::Base).rgb());

        view.ZoomOutTo("1:2");
        QCOMPARE(view.ScrollTotal(), (ZoomSize{15, 10}));
        shown = Shown(view);
        QCOMPARE(shown.pixel(20, 5), view.viewport()->palette().color(QPalette::Base).rgb());
        QVERIFY(shown.pixel(7, 4) != view.viewport()->palette().color(QPalette::Base).rgb());
    }

    void ReducingATinyPictureShowsNothing()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "tiny.bmp", 10, 40, QSize(60, 60));
        view.ZoomOutTo("1:16");
        QCOMPARE(view.ScrollTotal(), (ZoomSize{0, 2}));
        const QImage shown = Shown(view);
        const QRgb background = view.viewport()->palette().color(QPalette::Base).rgb();
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                QCOMPARE(shown.pixel(x, y), background);
    }

    void PicturesWiderThan5000PixelsScrollToTheirFarSide()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "wide.bmp", 5001, 2, QSize(100, 50));
        QCOMPARE(view.ScrollTotal(), (ZoomSize{5001, 2}));
        QCOMPARE(view.horizontalScrollBar()->maximum(), 5001 - view.viewport()->width());
        // The picture is still drawn.
        QCOMPARE(Shown(view).pixel(50, 1), Expected(50, 1));
    }

    void ZoomCommandsUseTheDialogsChoice()
    {
        RunningApp running;
        QString answer = QStringLiteral("3:1");
        bool accept = true;
        QList<bool> asked;
        running.app->SetZoomChooser([&](QWidget*, bool zoomIn, QString* text) {
            asked << zoomIn;
            *text = answer;
            return accept;
        });
        CTamrView& view = OpenSized(running, "photo.bmp", 40, 30, QSize(100, 100));
        running.app->OnCommand(ID_VIEW_ZOOM_IN);
        QCOMPARE(view.Zoom().zoomInFactor, 3);
        QCOMPARE(view.ScrollTotal(), (ZoomSize{120, 90}));
        accept = false;
        answer = QStringLiteral("1:4");
        running.app->OnCommand(ID_VIEW_ZOOM_OUT);
        QVERIFY(view.Zoom().zoomedIn);
        accept = true;
        running.app->OnCommand(ID_VIEW_ZOOM_OUT);
        QVERIFY(view.Zoom().zoomedOut);
        QCOMPARE(view.ScrollTotal(), (ZoomSize{10, 7}));
        running.app->OnCommand(ID_VIEW_NO_ZOOM);
        QCOMPARE(view.ScrollTotal(), (ZoomSize{40, 30}));
        QCOMPARE(asked, (QList<bool>{true, false, false}));
    }

    void ZoomDialogsAnswerTheCommands()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "photo.bmp", 40, 30, QSize(100, 100));
        const auto choose = [](const QString& entry, bool accept) {
            QTimer::singleShot(0, qApp, [entry, accept] {
                auto* dialog = qobject_cast<CZoomDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr)
                    qFatal("no zoom dialog");
                dialog->List()->setCurrentIndex(dialog->List()->findText(entry));
                if (accept)
                    dialog->accept();
                else
                    dialog->reject();
            });
        };
        choose("2:1", true);
        running.app->OnCommand(ID_VIEW_ZOOM_IN);
        QCOMPARE(view.ScrollTotal(), (ZoomSize{80, 60}));
        choose("1:5", false);
        running.app->OnCommand(ID_VIEW_ZOOM_OUT);
        QCOMPARE(view.ScrollTotal(), (ZoomSize{80, 60}));
        choose("1:5", true);
        running.app->OnCommand(ID_VIEW_ZOOM_OUT);
        QCOMPARE(view.ScrollTotal(), (ZoomSize{8, 6}));
    }

    void CompressRenamesAndRedraws()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "photo.bmp", 64, 48, QSize(80, 60));
        const QImage before = Shown(view);
        running.app->OnCommand(ID_FILE_COMPRESS);
        QVERIFY(running.prompter.Messages().empty());
        QCOMPARE(view.Document().Title(), std::string("photo.cod"));
        QVERIFY(view.Document().IsModified());
        QCOMPARE(running.Frame().ActiveFrame()->windowTitle(), QStringLiteral("photo.cod"));
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - photo.cod"));
        const QImage after = Shown(view);
        QVERIFY(after != before);
        // What is shown is the decoded working image.
        const CDibImage& image = *view.Document().Image();
        const std::size_t stride = image.Width() * 3u + image.RowPad();
        const std::uint8_t* bottomLeft = image.Pixels().data();
        const std::uint8_t* topLeft = image.Pixels().data() + stride * (image.Height() - 1u);
        QCOMPARE(after.pixel(0, 47), qRgb(bottomLeft[2], bottomLeft[1], bottomLeft[0]));
        QCOMPARE(after.pixel(0, 0), qRgb(topLeft[2], topLeft[1], topLeft[0]));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void CompressCodesElsewhereAndShowsEachLevelAsItComes()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "photo.bmp", 96, 64, QSize(120, 80));
        CTamrDoc& document = view.Document();
        running.app->Settings().incrementalDisplay = true;
        // Levels reach the view through its queue while the document still
        // holds the old picture; the result comes last.
        int levels = 0;
        bool levelsBeforeResult = true;
        connect(
            &view, &CTamrView::LevelDecoded, &view,
            [&](const QImage& level, QSize full) {
                ++levels;
                levelsBeforeResult =
                    levelsBeforeResult && !document.IsModified() && !level.isNull() && full == QSize(96, 64);
            },
            Qt::QueuedConnection);
        // The event loop goes on meanwhile: a timer due at once fires before Compress returns.
        bool timerRanDuringCompress = false;
        QTimer::singleShot(0, &view, [&] { timerRanDuringCompress = !document.IsModified(); });
        running.app->OnCommand(ID_FILE_COMPRESS);
        QVERIFY(timerRanDuringCompress);
        QVERIFY(levels > 0);
        QVERIFY(levelsBeforeResult);
        QVERIFY(document.IsModified());
        QCOMPARE(document.Title(), std::string("photo.cod"));
        QVERIFY(running.prompter.Messages().empty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // The picture shown is the decoded one, not a level.
        QCOMPARE(Shown(view).pixel(5, 7), [&] {
            const CDibImage& image = *document.Image();
            const std::size_t stride = image.Width() * 3u + image.RowPad();
            const std::uint8_t* pixel = image.Pixels().data() + stride * (image.Height() - 1u - 7u) + 3u * 5u;
            return qRgb(pixel[2], pixel[1], pixel[0]);
        }());
    }

    void DraggingMovesThePicture()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "photo.bmp", 200, 150, QSize(80, 60));
        view.ScrollTo({50, 40});
        QWidget* area = view.viewport();
        const auto send = [area](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, at, area->mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(area, &event);
        };
        send(QEvent::MouseButtonPress, {40, 30}, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, {20, 40}, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, {20, 40}, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(view.ScrollPosition(), (ZoomPoint{70, 30}));
        // The press is still the click the zoom commands keep in place.
        QVERIFY(view.ClickPending());
        QCOMPARE(view.ClickPoint(), (ZoomPoint{40, 30}));
    }

    void IncrementalDisplayDrawsTheLevelOverTheWholePicture()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "photo.bmp", 16, 12, QSize(40, 40));
        // A level a quarter of the size, made of 4 x 3 flat colours.
        CDibImage level;
        const auto bytes = test::MakeBmp24(4, 3, [](int x, int y) {
            return test::Rgb{static_cast<std::uint8_t>(60 * x), static_cast<std::uint8_t>(100 * y), 200};
        });
        QVERIFY(level.ReadBmp(bytes, running.prompter, running.app->Display(), Limits{}));
        view.ShowLevel(level);
        QImage shown = Shown(view);
        QCOMPARE(shown.pixel(0, 0), qRgb(0, 0, 200));
        QCOMPARE(shown.pixel(3, 3), qRgb(0, 0, 200));
        QCOMPARE(shown.pixel(4, 0), qRgb(60, 0, 200));
        QCOMPARE(shown.pixel(15, 11), qRgb(180, 200, 200));
        // The next update shows the picture itself again.
        view.OnUpdate();
        shown = Shown(view);
        QCOMPARE(shown.pixel(4, 0), Expected(4, 0));
    }

    void ImageChangedIsQueued()
    {
        RunningApp running;
        CTamrView& view = OpenSized(running, "photo.bmp", 8, 8, QSize(40, 40));
        CDibImage& image = *view.Document().Image();
        std::fill(image.Pixels().begin(), image.Pixels().end(), std::uint8_t{255});
        view.PostImageChanged();
        QCOMPARE(Shown(view).pixel(2, 2), Expected(2, 2));
        QCoreApplication::sendPostedEvents(&view, kImageChangedEvent);
        QCOMPARE(Shown(view).pixel(2, 2), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
