#pragma once
// Helpers of the widget tests: pictures written as small files, and a running
// application with its own INI file and a scripted prompter.

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QImageWriter>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/CMainFrame.h"
#include "gui/CTamrApp.h"
#include "support/ScriptedPrompter.h"

namespace tamr::test {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// Colour of the pixel at (x, y), y counted from the top.
using PixelFunction = std::function<Rgb(int x, int y)>;

inline void PutLe(std::vector<std::uint8_t>& bytes, std::uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 24-bit uncompressed BMP file, rows bottom-up as the format stores them.
inline std::vector<std::uint8_t> MakeBmp24(int width, int height, const PixelFunction& pixel)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
    std::vector<std::uint8_t> bytes{'B', 'M'};
    PutLe(bytes, 54 + imageSize, 4);
    PutLe(bytes, 0, 4);
    PutLe(bytes, 54, 4);
    for (const auto& [value, count] :
         std::vector<std::pair<std::uint32_t, int>>{{40, 4},
                                                    {static_cast<std::uint32_t>(width), 4},
                                                    {static_cast<std::uint32_t>(height), 4},
                                                    {1, 2},
                                                    {24, 2},
                                                    {0, 4},
                                                    {imageSize, 4},
                                                    {2835, 4},
                                                    {2835, 4},
                                                    {0, 4},
                                                    {0, 4}})
        PutLe(bytes, value, count);
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const Rgb colour = pixel(x, row);
            bytes.insert(bytes.end(), {colour.blue, colour.green, colour.red});
        }
        bytes.resize(bytes.size() + static_cast<std::size_t>(stride - width * 3), 0);
    }
    return bytes;
}

// An uncompressed 24-bit TGA file, rows bottom-up.
inline std::vector<std::uint8_t> MakeTga24(int width, int height, const PixelFunction& pixel)
{
    std::vector<std::uint8_t> bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe(bytes, static_cast<std::uint32_t>(width), 2);
    PutLe(bytes, static_cast<std::uint32_t>(height), 2);
    bytes.insert(bytes.end(), {24, 0});
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const Rgb colour = pixel(x, row);
            bytes.insert(bytes.end(), {colour.blue, colour.green, colour.red});
        }
    }
    return bytes;
}

// Smooth gradients with a little texture: every pixel differs from its
// neighbours and compression at quality 50 changes some of them.
inline Rgb Pattern(int x, int y)
{
    return {static_cast<std::uint8_t>(x * 3 + (y % 7) * 5), static_cast<std::uint8_t>(y * 4 + (x % 5) * 3),
            static_cast<std::uint8_t>(128 + ((x * y) % 61))};
}

inline void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Windows closed with close() go away at the next deferred deletion.
inline void DeleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A started application on its own INI file, answering through a scripted prompter.
struct RunningApp {
    explicit RunningApp(int screenDepth = 0, std::uint64_t maxMegapixels = 0)
    {
        app = std::make_unique<qt::CTamrApp>(
            qt::CTamrApp::Options{screenDepth, folder.filePath("tamr.ini"), maxMegapixels});
        app->InstallPrompter(prompter);
        app->InitInstance();
        // Focus moves as on a desktop only in the active window.
        app->MainFrame().activateWindow();
        if (!QTest::qWaitForWindowActive(&app->MainFrame()))
            qWarning("the main window did not become active");
    }
    ~RunningApp()
    {
        app.reset();
        DeleteClosedWindows();
    }
    RunningApp(const RunningApp&) = delete;
    RunningApp& operator=(const RunningApp&) = delete;

    QString Write(const QString& name, const std::vector<std::uint8_t>& bytes) const
    {
        const QString path = folder.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }
    QString WriteBmp(const QString& name, int width, int height) const
    {
        return Write(name, MakeBmp24(width, height, Pattern));
    }

    // A progressive JPEG file: a variant tamr's own JPEG reader refuses as unsupported.
    QString WriteProgressiveJpeg(const QString& name) const
    {
        QImage picture(24, 16, QImage::Format_RGB888);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixelColor(x, y, QColor(x * 10, y * 15, 90));
        const QString path = folder.filePath(name);
        QImageWriter writer(path, "jpeg");
        writer.setProgressiveScanWrite(true);
        if (!writer.write(picture))
            qWarning("the progressive JPEG file was not written");
        return path;
    }

    qt::CMainFrame& Frame() const { return app->MainFrame(); }

    QTemporaryDir folder;
    ScriptedPrompter prompter;
    std::unique_ptr<qt::CTamrApp> app;
};

// A menu as text, visible entries only: "-" for a separator, ">" and the title
// for a submenu followed by its entries indented by two blanks.
inline QStringList MenuLines(const QMenu& menu, const QString& indent = QString())
{
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator()) {
            lines << indent + QStringLiteral("-");
        } else if (action->menu() != nullptr) {
            lines << indent + QStringLiteral(">") + action->menu()->title();
            lines << MenuLines(*action->menu(), indent + QStringLiteral("  "));
        } else {
            lines << indent + action->text();
        }
    }
    return lines;
}

inline QStringList MenuBarTitles(const qt::CMainFrame& frame)
{
    QStringList titles;
    for (const QAction* action : frame.menuBar()->actions())
        titles << action->text();
    return titles;
}

inline QMenu* TopMenu(const qt::CMainFrame& frame, const QString& title)
{
    for (const QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

} // namespace tamr::test
