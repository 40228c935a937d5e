#include "gui/KeyLockIndicators.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#ifdef TAMR_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace tamr::qt {

namespace {

constexpr int kPollMilliseconds = 300;

QLabel* MakePane(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    // The pane keeps its width when its text is not shown.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
    return label;
}

#ifdef TAMR_HAVE_X11
bool IndicatorOn(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on == True;
}
#endif

} // namespace

std::optional<KeyLocks> QueryKeyLocks()
{
#ifdef TAMR_HAVE_X11
    const auto* application = qGuiApp;
    if (application == nullptr)
        return std::nullopt;
    const auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->display() == nullptr)
        return std::nullopt;
    Display* display = x11->display();
    return KeyLocks{IndicatorOn(display, "Caps Lock"), IndicatorOn(display, "Num Lock"),
                    IndicatorOn(display, "Scroll Lock")};
#else
    return std::nullopt;
#endif
}

KeyLockIndicators::KeyLockIndicators(QWidget* parent)
    : QWidget(parent), caps_(MakePane(QStringLiteral("CAP"), this)), num_(MakePane(QStringLiteral("NUM"), this)),
      scroll_(MakePane(QStringLiteral("SCRL"), this)), poll_(new QTimer(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(caps_);
    layout->addWidget(num_);
    layout->addWidget(scroll_);
    const std::optional<KeyLocks> locks = QueryKeyLocks();
    Show(locks);
    if (locks) {
        connect(poll_, &QTimer::timeout, this, [this] { Show(QueryKeyLocks()); });
        poll_->start(kPollMilliseconds);
    }
}

void KeyLockIndicators::Show(const std::optional<KeyLocks>& locks)
{
    const auto show = [&locks](QLabel* pane, const QString& text, bool on) {
        pane->setEnabled(locks.has_value());
        pane->setText(!locks || on ? text : QString());
    };
    show(caps_, QStringLiteral("CAP"), locks && locks->caps);
    show(num_, QStringLiteral("NUM"), locks && locks->num);
    show(scroll_, QStringLiteral("SCRL"), locks && locks->scroll);
}

} // namespace tamr::qt
