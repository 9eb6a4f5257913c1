#include "framesync.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>

namespace vellacor {
namespace {

// The most a close waits for the compositor: a shown window gets its answer within a frame or
// two, so this is only reached when the compositor stops drawing the window.
constexpr std::chrono::milliseconds kLongestWait{500};

QWidget *widgetOf(const QWindow *window)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return widget;
    }
    return nullptr;
}

} // namespace

FrameSyncedClose::FrameSyncedClose()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        QCoreApplication::instance()->installEventFilter(this);
        m_installed = true;
    }
}

FrameSyncedClose::~FrameSyncedClose()
{
    if (m_installed)
        QCoreApplication::instance()->removeEventFilter(this);
}

FrameSyncedClose::Wait *FrameSyncedClose::waitFor(const QObject *window) const
{
    for (Wait *wait : m_waits) {
        if (wait->window == window)
            return wait;
    }
    return nullptr;
}

bool FrameSyncedClose::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::Close && type != QEvent::UpdateRequest && type != QEvent::Expose) ||
        !watched->isWindowType())
        return false;
    auto *window = static_cast<QWindow *>(watched);
    Wait *wait = waitFor(window);
    switch (type) {
    case QEvent::Close:
        // A second close while the first waits (Alt+F4 just after Return) would destroy the
        // window under the wait; the first close goes on once the wait ends.
        if (wait)
            return true;
        if (window->isVisible() && window->handle())
            waitForFrame(window);
        return false;
    case QEvent::UpdateRequest:
        // Nothing is painted: the window is closing. The first update may be one that an
        // answer from before the wait sent on, while the frame a button painted on its way
        // to the close still waits for its own: the second update is asked for after it and
        // comes only once no callback is pending.
        if (!wait)
            return false;
        if (++wait->updates < 2)
            window->requestUpdate();
        else
            wait->loop->quit();
        return true;
    default:
        // A window the compositor had stopped drawing is exposed again once its callback is
        // answered, and then gets no update.
        if (wait && !wait->wasExposed && window->isExposed())
            wait->loop->quit();
        return false;
    }
}

void FrameSyncedClose::waitForFrame(QWindow *window)
{
    // Painting now would show a new frame and ask for a new callback.
    const QPointer<QWidget> widget = widgetOf(window);
    const bool updatesEnabled = widget && widget->updatesEnabled();
    if (updatesEnabled)
        widget->setUpdatesEnabled(false);

    const QPointer<QWindow> guard = window;
    QEventLoop loop;
    Wait wait{window, &loop, window->isExposed()};
    m_waits.append(&wait);
    QTimer::singleShot(kLongestWait, &loop, &QEventLoop::quit);
    window->requestUpdate();
    // Keys and clicks wait for the close to end and then go where they would have gone.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_waits.removeOne(&wait);
    // The event thread sends the update while it still holds the window's frame lock, and
    // writes into the window once more before it lets go. The plugin's requestUpdate() takes
    // that lock, so once it returns the event thread is done with the window.
    if (guard && window->handle())
        window->requestUpdate();

    // No event is handled before the close goes on, so nothing is painted; a window whose
    // close is refused paints again.
    if (updatesEnabled && widget)
        widget->setUpdatesEnabled(true);
}

} // namespace vellacor
