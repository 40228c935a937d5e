// Speed of the compare window on a 24-megapixel picture (6000 x 4000): making
// the difference pictures (off the user-interface thread, once per result),
// the area-averaged copy made once per scale below 100 %, and one repaint of
// a side-by-side pane while panning at the fitted scale and at 400 %.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "document/TamrDoc.h"
#include "gui/ComparePictures.h"
#include "gui/CompareView.h"
#include "support/ScriptedPrompter.h"

namespace tamr::qt {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

QImage Picture(int seed)
{
    QImage picture(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < kWidth * 3; ++x)
            row[x] = static_cast<uchar>((x * 7 + y * 13 + seed * (x ^ y)) & 0xFF);
    }
    return picture;
}

void BM_DifferencePictures(benchmark::State& state)
{
    const QImage original = Picture(1);
    const QImage decoded = Picture(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeDifferencePictures(original, decoded, 8));
}
BENCHMARK(BM_DifferencePictures)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AreaAveragedCopyAtFit(benchmark::State& state)
{
    const QImage original = Picture(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(original.scaled(1500, 1000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
BENCHMARK(BM_AreaAveragedCopyAtFit)->Unit(benchmark::kMillisecond)->UseRealTime();

// A document holding the 24-megapixel picture, opened from a BMP file.
struct LargeDocument {
    LargeDocument()
    {
        const QImage picture = Picture(3).mirrored().rgbSwapped();
        const std::filesystem::path path = std::filesystem::temp_directory_path() / "tamr_compare_bench.bmp";
        picture.save(QString::fromStdString(path.string()), "BMP");
        const bool opened = document.OnOpenDocument(path).Ok();
        std::filesystem::remove(path);
        if (!opened)
            throw std::runtime_error("the benchmark picture did not open");
    }
    CodecSettings settings;
    DisplaySettings display;
    ScriptedPrompter prompter;
    DocumentEnvironment environment{settings, display, prompter};
    CTamrDoc document{environment};
};

void BM_PanRepaint(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    static LargeDocument large;
    CompareView view(large.document);
    view.resize(3300, 1080);
    view.show();
    if (state.range(0) == 0)
        view.FitToWindow();
    else
        view.SetScale(4);
    QImage target(view.Pane(0)->size(), QImage::Format_RGB32);
    // Measured: panning. The difference pictures and the scaled copy are made before.
    if (view.Difference().amplified.isNull()) {
        QEventLoop made;
        QObject::connect(&view, &CompareView::DifferenceMade, &made, &QEventLoop::quit);
        made.exec();
    }
    {
        QPainter warmUp(&target);
        view.Pane(0)->render(&warmUp);
    }
    int step = 0;
    for (auto _ : state) {
        view.ScrollTo({(step * 37) % 2000, (step * 23) % 1000});
        ++step;
        QPainter painter(&target);
        view.Pane(0)->render(&painter);
    }
    state.SetLabel(state.range(0) == 0 ? "fitted" : "400 %");
}
BENCHMARK(BM_PanRepaint)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tamr::qt
