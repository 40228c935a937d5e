#include "gui/ModalHelpKey.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <array>
#include <utility>

namespace tamr::qt {

namespace {

// Dialogs and windows by class, with the page that explains them.
constexpr std::array<std::pair<const char*, const char*>, 13> kPages = {{
    {"tamr::qt::CImageSetupDlg", "quality.html"},
    {"tamr::qt::CMasterSetupDlg", "quality.html"},
    {"tamr::qt::CFiltersDlg", "filters.html"},
    {"tamr::qt::CSharpenDlg", "sharpen.html"},
    {"tamr::qt::CZoomInDlg", "zoom.html"},
    {"tamr::qt::CZoomOutDlg", "zoom.html"},
    {"tamr::qt::CImageInfoDlg", "statistics.html"},
    {"tamr::qt::CImageStatsDlg", "statistics.html"},
    {"tamr::qt::TargetDialog", "ratedistortion.html"},
    {"tamr::qt::RateDistortionWindow", "ratedistortion.html"},
    {"QPrintDialog", "printing.html"},
    {"QPrintPreviewDialog", "printing.html"},
    {"QPageSetupDialog", "printing.html"},
}};

} // namespace

QString HelpPageFor(const QWidget* window)
{
    if (window == nullptr)
        return {};
    if (const auto* files = qobject_cast<const QFileDialog*>(window))
        return files->acceptMode() == QFileDialog::AcceptOpen ? QStringLiteral("opening.html")
                                                              : QStringLiteral("saving.html");
    for (const QMetaObject* kind = window->metaObject(); kind != nullptr; kind = kind->superClass()) {
        for (const auto& [className, page] : kPages) {
            if (qstrcmp(kind->className(), className) == 0)
                return QString::fromLatin1(page);
        }
    }
    return {};
}

ModalHelpKey::ModalHelpKey(std::function<void(const QString& page)> showHelp, QObject* parent)
    : QObject(parent), showHelp_(std::move(showHelp))
{
    qApp->installEventFilter(this);
}

ModalHelpKey::~ModalHelpKey()
{
    qApp->removeEventFilter(this);
}

bool ModalHelpKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat()) {
            // A modal dialog asks for its page or the contents; a window of
            // its own only when it has a page, else F1 goes on as a key.
            if (const QWidget* modal = QApplication::activeModalWidget()) {
                showHelp_(HelpPageFor(modal));
                return true;
            }
            if (const QString page = HelpPageFor(QApplication::activeWindow()); !page.isEmpty()) {
                showHelp_(page);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tamr::qt
