#include "gui/ModalHelpKey.h"

#include <QApplication>
#include <QKeyEvent>

namespace tamr::qt {

ModalHelpKey::ModalHelpKey(std::function<void()> showHelp, QObject* parent)
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
    if (event->type() == QEvent::KeyPress && QApplication::activeModalWidget() != nullptr) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat()) {
            showHelp_();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tamr::qt
