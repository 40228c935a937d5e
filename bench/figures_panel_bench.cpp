// The user-interface thread's share of the figures panel on a 24-megapixel
// picture (6000 x 4000), compressed once: what a move of the Quality slider
// does before its coding goes to the job runner (the compress job made from
// the document), and what showing the panel does before its measuring does.
// Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <filesystem>
#include <stdexcept>

#include "codec/QualityFactor.h"
#include "document/TamrDoc.h"
#include "gui/CFiguresPanel.h"
#include "image/PictureMetrics.h"
#include "support/ScriptedPrompter.h"

namespace tamr::qt {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// A document holding the 24-megapixel picture, opened from a BMP file and compressed.
struct LargeDocument {
    LargeDocument()
    {
        QImage picture(kWidth, kHeight, QImage::Format_RGB888);
        for (int y = 0; y < kHeight; ++y) {
            uchar* row = picture.scanLine(y);
            for (int x = 0; x < kWidth * 3; ++x)
                row[x] = static_cast<uchar>((x * 7 + y * 13 + 3 * (x ^ y)) & 0xFF);
        }
        const std::filesystem::path path = std::filesystem::temp_directory_path() / "tamr_figures_bench.bmp";
        picture.save(QString::fromStdString(path.string()), "BMP");
        const bool opened = document.OnOpenDocument(path).Ok();
        std::filesystem::remove(path);
        if (!opened)
            throw std::runtime_error("the benchmark picture did not open");
        settings.incrementalDisplay = false;
        if (!document.Compress())
            throw std::runtime_error("the benchmark picture did not compress");
    }
    CodecSettings settings;
    DisplaySettings display;
    ScriptedPrompter prompter;
    DocumentEnvironment environment{settings, display, prompter};
    CTamrDoc document{environment};
};

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    return application;
}

LargeDocument& Large()
{
    static LargeDocument large;
    return large;
}

// What the slider does on the interface thread: the job for the coding thread.
void BM_SliderMakesCompressJob(benchmark::State& state)
{
    LargeDocument& large = Large();
    CodecSettings settings = large.settings;
    settings.qualityFactor = 40;
    ApplyQualityFactor(settings);
    for (auto _ : state)
        benchmark::DoNotOptimize(large.document.MakeCompressJob(settings));
}
BENCHMARK(BM_SliderMakesCompressJob)->Unit(benchmark::kMillisecond)->UseRealTime();

// Showing the panel for the document after a Compress: with the figures
// measured where the result was coded (1), or measuring copies of both
// pictures on the runner (0; what every showing did before).
void BM_ShowFiguresPanel(benchmark::State& state)
{
    Application();
    LargeDocument& large = Large();
    CFiguresPanel panel(large.settings);
    panel.show();
    const CDibImage& image = *large.document.Image();
    const PictureMetrics metrics = MeasurePictures(image.ReferenceView(), image.WorkingView(), 3);
    for (auto _ : state) {
        state.PauseTiming();
        panel.ShowDocument(nullptr);
        panel.Forget(large.document);
        if (state.range(0) == 1)
            panel.TakeMeasured(large.document, metrics);
        state.ResumeTiming();
        panel.ShowDocument(&large.document);
        state.PauseTiming();
        if (state.range(0) == 0) {
            QEventLoop measured;
            QObject::connect(&panel, &CFiguresPanel::Measured, &measured, &QEventLoop::quit);
            measured.exec();
        }
        state.ResumeTiming();
    }
    state.SetLabel(state.range(0) == 1 ? "measured where coded" : "copies measured on the runner");
}
BENCHMARK(BM_ShowFiguresPanel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
} // namespace tamr::qt
