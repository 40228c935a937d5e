#include "gui/InputHold.h"

#include <QCoreApplication>
#include <QEvent>

namespace tamr::qt {

InputHold::InputHold()
{
    QCoreApplication::instance()->installEventFilter(this);
}

InputHold::~InputHold()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Close:
        event->ignore();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace tamr::qt
