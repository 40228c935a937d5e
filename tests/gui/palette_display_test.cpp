// Palette display: a screen of 8 bits per pixel, real or asked for with
// --screen-depth 8, draws colour pictures through their index image and the
// palette of the focused document.

#include <QMdiArea>
#include <QtTest>

#include "gui/CChildFrame.h"
#include "gui/CTamrView.h"
#include "gui/CommandTable.h"
#include "gui/GuiTestSupport.h"
#include "gui/PictureImage.h"
#include "gui/StartOptions.h"
#include "image/IndexImageRefresh.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

QImage Shown(CTamrView& view)
{
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb Nearest(const ImagePalette& palette, QRgb colour)
{
    int best = 1 << 30;
    QRgb nearest = 0;
    for (const PaletteEntry& entry : palette) {
        const int r = qRed(colour) - entry.red;
        const int g = qGreen(colour) - entry.green;
        const int b = qBlue(colour) - entry.blue;
        if (r * r + g * g + b * b < best) {
            best = r * r + g * g + b * b;
            nearest = qRgb(entry.red, entry.green, entry.blue);
        }
    }
    return nearest;
}

// The index image's entry at (x, y), y from the top.
std::uint8_t IndexAt(const CDibImage& image, int x, int y)
{
    const std::size_t stride = image.Width() + std::size_t{image.IndexRowPad()};
    return image.IndexPixels()[stride * static_cast<std::size_t>(image.Height() - 1 - y) + static_cast<std::size_t>(x)];
}

} // namespace

class PaletteDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void ScreenDepthComesFromTheOptionOrTheEnvironment()
    {
        QProcessEnvironment environment;
        environment.insert("TAMR_SCREEN_DEPTH", "8");
        QCOMPARE(ParseStartOptions({"tamr"}, environment).screenDepth, 8);
        QCOMPARE(ParseStartOptions({"tamr", "--screen-depth=16"}, environment).screenDepth, 16);
        QCOMPARE(ParseStartOptions({"tamr", "--screen-depth", "8"}, QProcessEnvironment()).screenDepth, 8);
        const StartOptions wrong = ParseStartOptions({"tamr", "--screen-depth", "many", "x.bmp"}, {});
        QCOMPARE(wrong.screenDepth, 0);
        QVERIFY(!wrong.error.isEmpty());
        QCOMPARE(wrong.files, (QStringList{"x.bmp"}));
        QVERIFY(!ParseStartOptions({"tamr", "--frobnicate"}, {}).error.isEmpty());
    }

    void AnEightBitScreenTurnsPaletteDisplayAndDitheringOn()
    {
        RunningApp running(8);
        QVERIFY(!running.app->Display().paletteDisplay);
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 20, 10)));
        QVERIFY(running.app->ActiveView()->PaletteDevice());
        QVERIFY(running.app->Display().paletteDisplay);
        QVERIFY(running.app->Display().ditherEnabled);
        QVERIFY(running.Frame().Action(ID_OPTIONS_DITHERING)->isChecked());

        // Switched off, dithering comes back with the next window.
        running.app->OnCommand(ID_OPTIONS_DITHERING);
        QVERIFY(!running.app->Display().ditherEnabled);
        running.app->OnCommand(ID_WINDOW_NEW);
        QVERIFY(running.app->Display().ditherEnabled);
        QVERIFY(running.Frame().Action(ID_OPTIONS_DITHERING)->isChecked());
    }

    void OtherDepthsAreNoPaletteScreen()
    {
        for (const int depth : {4, 16, 24}) {
            RunningApp running(depth);
            QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 20, 10)));
            QVERIFY(!running.app->ActiveView()->PaletteDevice());
            QVERIFY(!running.app->Display().paletteDisplay);
            QVERIFY(!running.app->Display().ditherEnabled);
        }
    }

    void ColourPicturesAreDrawnThroughTheIndexImage()
    {
        RunningApp running(8);
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 24, 16)));
        CTamrView& view = *running.app->ActiveView();
        CDibImage& image = *view.Document().Image();
        QVERIFY(!image.IndexPixels().empty());

        // Pixels changed in place: the queued event rebuilds the index image.
        view.PostImageChanged();
        QCoreApplication::sendPostedEvents(&view, kImageChangedEvent);
        const QImage shown = Shown(view);
        const ImagePalette* current = running.app->SharedState().currentPalette;
        QVERIFY(current != nullptr);
        QCOMPARE(current, view.Document().Palette());
        for (const QPoint point : {QPoint(0, 0), QPoint(23, 0), QPoint(5, 9), QPoint(23, 15)}) {
            const RgbQuad entry = image.ColourTable()[IndexAt(image, point.x(), point.y())];
            QCOMPARE(shown.pixel(point), Nearest(*current, qRgb(entry.red, entry.green, entry.blue)));
        }
    }

    void TheIndexImageMapsToTheNearestTableColour()
    {
        RunningApp running;
        CDibImage image;
        const auto bytes = test::MakeBmp24(3, 2, [](int x, int y) {
            const std::uint8_t level = static_cast<std::uint8_t>(x * 120 + y * 7);
            return test::Rgb{level, static_cast<std::uint8_t>(255 - level), 3};
        });
        QVERIFY(image.ReadBmp(bytes, running.prompter, running.app->Display(), Limits{}));
        QVERIFY(RebuildIndexImage(image, running.app->Display()));
        const QImage indexed = IndexPicture(image);
        const QImage working = WorkingPicture(image);
        QCOMPARE(indexed.size(), QSize(3, 2));
        // The fixed table, its first byte going to blue: entry 249 is pure blue.
        QCOMPARE(image.ColourTable()[249], (RgbQuad{255, 0, 0, 0}));
        const ImagePalette table = CTamrDoc::CreateImagePalette(image);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(indexed.pixel(x, y), Nearest(table, working.pixel(x, y)));
    }

    void MappingToAPaletteKeepsOnlyItsColours()
    {
        QImage picture(2, 1, QImage::Format_Indexed8);
        picture.setColorTable({qRgb(250, 10, 10), qRgb(20, 20, 200)});
        picture.setPixel(0, 0, 0);
        picture.setPixel(1, 0, 1);
        ImagePalette palette{};
        palette[7] = {255, 0, 0};
        palette[9] = {0, 0, 255};
        MapToPalette(picture, palette);
        QCOMPARE(picture.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(picture.pixel(1, 0), qRgb(0, 0, 255));
    }

    void TheFocusedDocumentsPaletteIsCurrentUntilItCloses()
    {
        RunningApp running(8);
        CTamrDoc* first = running.app->OpenDocumentFile(running.WriteBmp("first.bmp", 8, 8));
        CTamrDoc* second = running.app->OpenDocumentFile(running.WriteBmp("second.bmp", 8, 8));
        QCOMPARE(running.app->SharedState().currentPalette, second->Palette());
        CChildFrame* firstFrame = running.Frame().Frames().front();
        QCOMPARE(&firstFrame->Document(), first);
        running.Frame().MdiArea()->setActiveSubWindow(firstFrame);
        firstFrame->View().setFocus();
        QFocusEvent focus(QEvent::FocusIn);
        QCoreApplication::sendEvent(&firstFrame->View(), &focus);
        QCOMPARE(running.app->SharedState().currentPalette, first->Palette());
        running.app->OnCommand(ID_FILE_CLOSE);
        test::DeleteClosedWindows();
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        // The closed document's palette is no longer used for drawing.
        QVERIFY(running.app->SharedState().currentPalette == nullptr ||
                running.app->SharedState().currentPalette == second->Palette());
    }

    void GrayPicturesAreDrawnFromTheWorkingImage()
    {
        RunningApp running(8);
        // An 8-bit BMP with a gray ramp: a gray picture.
        std::vector<std::uint8_t> bytes{'B', 'M'};
        const int width = 4;
        const int height = 2;
        test::PutLe(bytes, 54 + 1024 + 8, 4);
        test::PutLe(bytes, 0, 4);
        test::PutLe(bytes, 54 + 1024, 4);
        for (const auto& [value, count] : std::vector<std::pair<std::uint32_t, int>>{
                 {40, 4}, {width, 4}, {height, 4}, {1, 2}, {8, 2}, {0, 4}, {8, 4}, {0, 4}, {0, 4}, {256, 4}, {0, 4}})
            test::PutLe(bytes, value, count);
        for (int i = 0; i < 256; ++i)
            bytes.insert(bytes.end(),
                         {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
        bytes.insert(bytes.end(), {10, 20, 30, 40, 200, 210, 220, 230}); // bottom row, then top row
        QVERIFY(running.app->OpenDocumentFile(running.Write("gray.bmp", bytes)));
        CTamrView& view = *running.app->ActiveView();
        QCOMPARE(view.Document().Image()->IsColour(), std::int16_t{0});
        const QImage shown = Shown(view);
        QCOMPARE(shown.pixel(0, 0), qRgb(200, 200, 200));
        QCOMPARE(shown.pixel(3, 1), qRgb(40, 40, 40));
    }
};

QTEST_MAIN(PaletteDisplayTest)
#include "palette_display_test.moc"
