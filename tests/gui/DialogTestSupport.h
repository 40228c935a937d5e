#pragma once
// What the dialog tests share: finding controls by their identifiers,
// driving a modal dialog from inside its own event loop, and documents made
// from BMP files the tests write.

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QTemporaryDir>
#include <QTimerEvent>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/TamrDoc.h"
#include "gui/dialogs/DialogControls.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr::qt::test {

template <typename Control> Control* Find(const QWidget& dialog, int id)
{
    return dialog.findChild<Control*>(ControlName(id));
}

template <typename Control> Control* FindNamed(const QWidget& dialog, const QString& name)
{
    return dialog.findChild<Control*>(name);
}

// Every group box named in `groups` (object name, title) is there with its title.
inline void CheckGroupTitles(const QWidget& dialog, std::initializer_list<std::pair<const char*, const char*>> groups)
{
    for (const auto& [name, title] : groups) {
        auto* group = FindNamed<QGroupBox>(dialog, QString::fromUtf8(name));
        QVERIFY2(group, name);
        QCOMPARE(group->title(), QString::fromUtf8(title));
    }
}

// Runs `action` on the first modal dialog that shows while it lives, from
// inside that dialog's event loop. A dialog the action leaves open is
// rejected, so that a failed check ends the test instead of hanging it.
class ModalDialogDriver : public QObject {
public:
    explicit ModalDialogDriver(std::function<void(QDialog&)> action) : action_(std::move(action))
    {
        timer_ = startTimer(5);
    }

    bool Ran() const { return ran_; }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (event->timerId() != timer_ || dialog == nullptr) {
            return;
        }
        killTimer(timer_);
        ran_ = true;
        action_(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    }

private:
    std::function<void(QDialog&)> action_;
    int timer_ = 0;
    bool ran_ = false;
};

// A 24-bit BMP whose bytes vary from pixel to pixel, so that every filter changes it.
inline std::vector<std::uint8_t> ColourBmp(int width, int height)
{
    tamr::test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            layout.rows.push_back(x < width * 3 ? static_cast<std::uint8_t>((x * 37 + y * 91 + x * y) % 256) : 0);
        }
    }
    return tamr::test::BuildBmp(layout);
}

// An 8-bit gray BMP (gray ramp colour table).
inline std::vector<std::uint8_t> GrayBmp(int width, int height)
{
    tamr::test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = 8;
    layout.table = tamr::test::GrayRamp();
    const int stride = (width + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            layout.rows.push_back(x < width ? static_cast<std::uint8_t>((x * 53 + y * 29 + x * y * 3) % 256) : 0);
        }
    }
    return tamr::test::BuildBmp(layout);
}

// A document with everything it works with, opened from a file the test writes.
class TestDocument {
public:
    TestDocument() : environment_{settings, display, prompter} {}

    // False when the file could not be written or opened.
    bool Open(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        const QString path = folder_.filePath(name);
        QFile file(path);
        if (!folder_.isValid() || !file.open(QIODevice::WriteOnly)) {
            return false;
        }
        const auto written = file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        file.close();
        if (written != static_cast<qint64>(bytes.size())) {
            return false;
        }
        document = std::make_unique<CTamrDoc>(environment_);
        return document->OnOpenDocument(path.toStdString()).Ok();
    }

    // A document without image or codec.
    bool OpenEmpty()
    {
        document = std::make_unique<CTamrDoc>(environment_);
        return document->OnNewDocument();
    }

    std::vector<std::uint8_t> WorkingPixels() const
    {
        const auto pixels = document->Image()->Pixels();
        return {pixels.begin(), pixels.end()};
    }

    CodecSettings settings;
    DisplaySettings display;
    ScriptedPrompter prompter;
    std::unique_ptr<CTamrDoc> document;

private:
    QTemporaryDir folder_;
    DocumentEnvironment environment_;
};

} // namespace tamr::qt::test
