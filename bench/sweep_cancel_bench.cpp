// How long Cancel takes to stop the rate-distortion sweep of the large photo
// (the chart window's default: tamr at 0, 5, ... 95 against JPEG, JPEG 2000
// and WebP).
// BM_SweepCancel: from the stop flag being set to the sweep returning. The
// points in hand finish, so the time is that of the slowest point in flight.
// Each run stops once `range(0)` points are done and `range(1)` milliseconds
// more have passed, so the runs stop among tamr's, JPEG's, WebP's and JPEG
// 2000's points; "points" counts those done when the stop came.
// BM_ChartWindowCancel: in the chart window, from the Cancel click to the
// window showing "Stopped." with the points measured so far, `range(0)`
// milliseconds into the sweep; "closing" is the time the window then takes
// to close, "background" how long the points in hand go on unseen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "document/RateDistortionSweep.h"
#include "document/TamrDoc.h"
#include "gui/RateDistortionWindow.h"
#include "support/ScriptedPrompter.h"

namespace {

using namespace tamr;
using tamr::qt::RateDistortionWindow;

double SecondsFrom(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::filesystem::path LargePhoto()
{
    const char* chosen = std::getenv("TAMR_CORPUS");
    return std::filesystem::path(chosen != nullptr ? chosen : TAMR_CORPUS_DIR) / "photos" / "large" /
           "T-45A_Goshawk_03.jpg";
}

void BM_SweepCancel(benchmark::State& state)
{
    const std::filesystem::path photo = LargePhoto();
    if (!std::filesystem::exists(photo)) {
        state.SkipWithError("the large photo is not in the corpus (set TAMR_CORPUS)");
        return;
    }
    const auto pointsBeforeStop = static_cast<std::size_t>(state.range(0));
    const std::chrono::milliseconds after(state.range(1));
    for (auto _ : state) {
        SweepRequest request;
        for (int quality = 0; quality < 100; quality += 5)
            request.qualities.push_back(quality);
        request.peers = {FindCodec("jpeg"), FindCodec("jp2"), FindCodec("webp")};
        std::atomic<bool> stop{false};
        request.stop = &stop;
        std::mutex mutex;
        std::condition_variable reached;
        std::size_t done = 0;
        bool returned = false;
        std::thread sweep([&] {
            ScriptedPrompter prompter;
            RunSweep(photo, request, prompter, [&](std::size_t count, std::size_t) {
                const std::lock_guard lock(mutex);
                done = count;
                reached.notify_all();
            });
            const std::lock_guard lock(mutex);
            returned = true;
            reached.notify_all();
        });
        {
            std::unique_lock lock(mutex);
            reached.wait(lock, [&] { return done >= pointsBeforeStop || returned; });
        }
        std::this_thread::sleep_for(after);
        std::size_t doneAtStop = 0;
        {
            const std::lock_guard lock(mutex);
            doneAtStop = done;
        }
        const auto stopped = std::chrono::steady_clock::now();
        stop = true;
        sweep.join();
        state.SetIterationTime(SecondsFrom(stopped));
        state.counters["points"] = static_cast<double>(doneAtStop);
    }
}

void BM_ChartWindowCancel(benchmark::State& state)
{
    const std::filesystem::path photo = LargePhoto();
    if (!std::filesystem::exists(photo)) {
        state.SkipWithError("the large photo is not in the corpus (set TAMR_CORPUS)");
        return;
    }
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    CodecSettings settings;
    DisplaySettings display;
    ScriptedPrompter prompter;
    DocumentEnvironment environment{settings, display, prompter};
    CTamrDoc document(environment);
    if (!document.OnOpenDocument(photo).Ok()) {
        state.SkipWithError("the large photo did not open");
        return;
    }
    for (auto _ : state) {
        auto window = std::make_unique<RateDistortionWindow>(document, RateDistortionWindow::DefaultRequest());
        window->show();
        const auto begun = std::chrono::steady_clock::now();
        while (SecondsFrom(begun) < static_cast<double>(state.range(0)) / 1000) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const auto clicked = std::chrono::steady_clock::now();
        window->findChild<QPushButton*>(QStringLiteral("cancelSweep"))->click();
        while (window->StatusText() != QStringLiteral("Stopped.") && window->StatusText() != QStringLiteral("Done."))
            QApplication::processEvents();
        state.SetIterationTime(SecondsFrom(clicked));
        // Closed at once: the points in hand end after the window has gone.
        const auto closing = std::chrono::steady_clock::now();
        window.reset();
        state.counters["closing"] = SecondsFrom(closing);
        while (application.findChild<QObject*>(QStringLiteral("endingSweep")) != nullptr) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        state.counters["background"] = SecondsFrom(clicked);
    }
}

} // namespace

// Stops among tamr's points, JPEG's, WebP's, and JPEG 2000's (they come last).
BENCHMARK(BM_SweepCancel)
    ->Args({1, 100})
    ->Args({8, 300})
    ->Args({24, 50})
    ->Args({44, 200})
    ->Args({64, 300})
    ->Args({70, 600})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartWindowCancel)
    ->Arg(1000)
    ->Arg(12000)
    ->Arg(30000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
