#include "placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace vellacor {

namespace {

// How long the window system gets, in milliseconds. An undone maximise is checked every
// kSettleTick: the unmaximise is asked for kUndoDelay after the maximise (within the first
// tick), the window is fixed again kQuietTicks ticks (1 s) after it is back at its size if no
// maximised size came, and a compositor that keeps a wrong size for kPatientTicks ticks (2 s)
// is asked for the size itself. Centring follows the frame every kFramePoll and stops once the
// frame has stayed the same for kFrameSettled, many polls, since a busy window manager frames
// a window in several steps.
constexpr int kSettleTick = 250;
constexpr int kUndoDelay = 200;
constexpr int kQuietTicks = 4;
constexpr int kPatientTicks = 8;
constexpr int kFramePoll = 100;
constexpr int kFrameSettled = 1500;
// A window manager that insists on its own size is asked back this many times within
// kAsksForgotten, not for ever: each ask would bring its answer and the next ask.
constexpr int kMaxResizeAsks = 3;
constexpr int kAsksForgotten = 1000;

// The window's size as built, held from its first show on. A maximise or a window manager's
// resize is answered by going back to it. On Wayland a maximise cannot be refused: Qt acks the
// compositor's maximised size but keeps a fixed window at its own, which the compositor takes
// as a protocol error. So while a maximise is undone the window may take any size, and it is
// fixed again once it is back at its own.
class FixedSize final : public QObject {
public:
    explicit FixedSize(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        m_settle.setInterval(kSettleTick);
        connect(&m_settle, &QTimer::timeout, this, &FixedSize::refixWhenBack);
        m_forgetAsks.setInterval(kAsksForgotten);
        m_forgetAsks.setSingleShot(true);
        connect(&m_forgetAsks, &QTimer::timeout, this, [this] { m_asks = 0; });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::Show) {
            watch();
        } else if (event->type() == QEvent::Resize && !m_fixed.isEmpty()) {
            if (m_undoing)
                refixWhenBack();
            else if (m_window->size() != m_fixed && m_asks < kMaxResizeAsks)
                // Asked back at once, so that a stretched window shows no empty area for long.
                QTimer::singleShot(0, this, [this] {
                    if (!m_undoing && m_window->size() != m_fixed) {
                        ++m_asks;
                        m_forgetAsks.start();
                        m_window->resize(m_fixed);
                    }
                });
        }
        return false;
    }

private:
    void watch()
    {
        QWindow *handle = m_window->windowHandle();
        if (!handle || handle == m_handle || m_window->minimumSize() != m_window->maximumSize())
            return;
        m_handle = handle;
        m_fixed = m_window->size();
        connect(handle, &QWindow::windowStateChanged, this, &FixedSize::stateChanged);
    }

    void stateChanged(Qt::WindowState state)
    {
        if (state != Qt::WindowMaximized && state != Qt::WindowFullScreen)
            return;
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
            m_handle->setWindowStates(Qt::WindowNoState);
            return;
        }
        m_undoing = true;
        m_window->setMinimumSize(0, 0);
        m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_settle.start();
        // Undone once the compositor has the maximised window: an earlier request is no
        // change to it, and may be ignored.
        QTimer::singleShot(kUndoDelay, this, [this] {
            if (m_handle &&
                (m_handle->windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
                m_handle->setWindowStates(Qt::WindowNoState);
        });
    }

    // Fixed again once the window is back at its size: after the compositor's maximised size
    // has come and gone, or after a second in which none came (the compositor refused).
    void refixWhenBack()
    {
        // The platform window goes with a hide or a change of screen; a later show watches the
        // new one.
        if (!m_handle) {
            m_undoing = m_resized = false;
            m_ticks = 0;
            m_settle.stop();
            m_window->setFixedSize(m_fixed);
            return;
        }
        if (m_window->size() != m_fixed) {
            m_resized = true;
            // Only a compositor that left the size to the window after all is asked; a resize
            // while it still takes the window as maximised would be the protocol error.
            if (++m_ticks > kPatientTicks && m_handle->windowStates() == Qt::WindowNoState)
                m_window->resize(m_fixed);
            return;
        }
        if (m_handle->windowStates() != Qt::WindowNoState ||
            (!m_resized && ++m_ticks < kQuietTicks))
            return;
        m_undoing = m_resized = false;
        m_ticks = 0;
        m_settle.stop();
        m_window->setFixedSize(m_fixed);
    }

    QWidget *m_window;
    // Used from timers, which may outlive the platform window.
    QPointer<QWindow> m_handle;
    QSize m_fixed;
    QTimer m_settle;
    QTimer m_forgetAsks;
    int m_ticks = 0;
    int m_asks = 0; // resizes asked back lately
    bool m_undoing = false;
    bool m_resized = false; // the maximised size has come
};

} // namespace

void holdFixedSize(QWidget *window)
{
    new FixedSize(window);
}

CentredPlacement::CentredPlacement(QWidget *window)
    : QObject(window), m_window(window), m_settle(new QTimer(this)), m_poll(new QTimer(this))
{
    // Long enough for a busy window manager to frame the window; each change of the frame
    // and each exposure starts it again.
    m_settle->setInterval(kFrameSettled);
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, &CentredPlacement::stopFollowing);
    // Some window managers announce the frame without moving the window, which reaches Qt
    // as no event at all.
    m_poll->setInterval(kFramePoll);
    connect(m_poll, &QTimer::timeout, this, &CentredPlacement::follow);
    window->installEventFilter(this);
}

QMargins CentredPlacement::frameMargins() const
{
    const QWindow *handle = m_window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void CentredPlacement::centre()
{
    const QScreen *screen = m_window->screen();
    if (!screen)
        return;
    m_margins = frameMargins();
    const QSize frame = m_window->size().grownBy(m_margins);
    const QPoint frameTopLeft = screen->availableGeometry().center() -
                                QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2);
    // The client area's place, so that the result does not depend on what Qt takes the
    // frame to be.
    m_window->setGeometry(
        QRect(frameTopLeft + QPoint(m_margins.left(), m_margins.top()), m_window->size()));
}

void CentredPlacement::follow()
{
    // Only a new frame moves the window: a user who drags it changes no frame.
    if (frameMargins() == m_margins)
        return;
    centre();
    m_settle->start();
}

void CentredPlacement::stopFollowing()
{
    m_following = false;
    m_settle->stop();
    m_poll->stop();
    if (QWindow *handle = m_window->windowHandle())
        handle->removeEventFilter(this);
}

bool CentredPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show && !m_following) {
        m_following = true;
        if (QWindow *handle = m_window->windowHandle())
            handle->installEventFilter(this);
        m_settle->start();
        m_poll->start();
    } else if (m_following && watched == m_window && event->type() == QEvent::Move) {
        follow();
    } else if (m_following && watched != m_window && event->type() == QEvent::Expose) {
        m_settle->start();
        follow();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vellacor
