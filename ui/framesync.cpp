#include "framesync.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QVersionNumber>
#include <QWindow>

#include <thread>

// The Wayland side is built only against the Qt versions with the race; later ones never need
// it, and a program built against them cannot run on earlier ones.
#if !defined(Q_OS_WIN) && QT_VERSION < QT_VERSION_CHECK(6, 4, 3)
#define VELLACOR_WAYLAND_FRAMES
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <dlfcn.h>
#endif

namespace vellacor {
namespace {

// QT_LOGGING_RULES=vellacor.frames.debug=true shows each hide held and how long.
Q_LOGGING_CATEGORY(lcFrames, "vellacor.frames", QtWarningMsg)

// A popup or tooltip of window, which the plugin takes down with it.
bool popupOf(const QWindow *candidate, const QWindow *window)
{
    if (candidate->type() != Qt::Popup && candidate->type() != Qt::ToolTip)
        return false;
    for (const QWindow *parent = candidate->transientParent(); parent;
         parent = parent->transientParent()) {
        if (parent == window)
            return true;
    }
    return false;
}

#ifdef VELLACOR_WAYLAND_FRAMES
// As long as the plugin waits for an answer before it calls a window unexposed (the default of
// QT_WAYLAND_FRAME_CALLBACK_TIMEOUT): a compositor slower than that has stopped drawing the
// window and answers no time soon.
constexpr std::chrono::milliseconds kLongestWait{100};

// Qt 6.4's Wayland plugin, through the platform interfaces that every platform plugin
// implements; only virtual functions are called, so the program binds no private symbol.
class WaylandPlatform final : public FrameBarrier::Platform {
public:
    WaylandPlatform()
        : m_display(QGuiApplication::platformNativeInterface()->nativeResourceForIntegration(
              QByteArrayLiteral("wl_display")))
    {
        // libwayland-client is loaded already, by the plugin; nothing is loaded here.
        if (void *library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_NOLOAD)) {
            m_flush = reinterpret_cast<int (*)(void *)>(dlsym(library, "wl_display_flush"));
            dlclose(library);
        }
    }

    // Without it a frame committed since the event loop last ran would reach the compositor only
    // with the next event, and the wait would run to its limit.
    void flush() override
    {
        if (m_display && m_flush)
            m_flush(m_display);
    }

    // QWindow's request marks the update wanted; the plugin's own, asked for directly because
    // QWindow asks only once, answers under the frame lock by a queued call when no frame
    // waits (QWaylandWindow::requestUpdate()).
    void askForUpdate(QWindow *window) override
    {
        window->requestUpdate();
        if (QPlatformWindow *handle = window->handle())
            handle->requestUpdate();
    }

    void runQueued(QWindow *window) override
    {
        // The plugin's QWaylandWindow derives from QObject first, then QPlatformWindow: the
        // whole object is the QObject its calls are queued on.
        if (QPlatformWindow *handle = window->handle())
            QCoreApplication::sendPostedEvents(static_cast<QObject *>(dynamic_cast<void *>(handle)),
                                               QEvent::MetaCall);
    }

    void pause() override { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

private:
    void *const m_display;
    int (*m_flush)(void *) = nullptr;
};
#endif

} // namespace

FrameBarrier::FrameBarrier(std::unique_ptr<Platform> platform, std::chrono::milliseconds limit)
    : m_platform(std::move(platform)), m_limit(limit)
{
    QCoreApplication::instance()->installEventFilter(this);
    for (QWindow *window : QGuiApplication::allWindows())
        connect(window, &QWindow::visibleChanged, this, &FrameBarrier::visibilityChanged,
                Qt::UniqueConnection);
}

FrameBarrier::~FrameBarrier()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool FrameBarrier::needed(const QString &platformName, const QVersionNumber &qtVersion)
{
    return platformName.startsWith(QLatin1String("wayland")) && qtVersion < QVersionNumber(6, 4, 3);
}

bool FrameBarrier::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWindowType())
        return false;
    if (event->type() == QEvent::Show) {
        connect(static_cast<QWindow *>(watched), &QWindow::visibleChanged, this,
                &FrameBarrier::visibilityChanged, Qt::UniqueConnection);
    } else if (event->type() == QEvent::UpdateRequest && watched == m_holding) {
        // The barrier's own; painting now would show a frame and ask for a callback again.
        m_answered = true;
        return true;
    }
    return false;
}

void FrameBarrier::visibilityChanged(bool visible)
{
    auto *window = qobject_cast<QWindow *>(sender());
    if (visible || !window || m_holding)
        return;
    const QList<QWindow *> windows = QGuiApplication::allWindows();
    for (QWindow *other : windows) {
        if (other->isVisible() && popupOf(other, window))
            hold(other);
    }
    hold(window);
}

void FrameBarrier::hold(QWindow *window)
{
    // A window the compositor has not shown, or has stopped drawing, has no answer on its way.
    if (!window->handle() || !window->isExposed())
        return;
    m_holding = window;
    m_answered = false;
    QElapsedTimer clock;
    clock.start();
    const QDeadlineTimer deadline(m_limit);
    m_platform->flush();
    for (;;) {
        m_platform->askForUpdate(window);
        m_platform->runQueued(window);
        if (m_answered || deadline.hasExpired())
            break;
        m_platform->pause();
    }
    // The answer may have come from the queued handling of the compositor's, which runs
    // without the frame lock; asking again takes it, so the event thread has let go.
    if (m_answered)
        m_platform->askForUpdate(window);
    m_holding = nullptr;
    ++m_held;
    if (!m_answered)
        ++m_gaveUp;
    qCDebug(lcFrames) << (m_answered ? "held" : "gave up after") << clock.elapsed()
                      << "ms:" << window;
}

std::unique_ptr<FrameBarrier> guardFrames()
{
#ifdef VELLACOR_WAYLAND_FRAMES
    if (FrameBarrier::needed(QGuiApplication::platformName(),
                             QVersionNumber::fromString(QLatin1String(qVersion()))))
        return std::make_unique<FrameBarrier>(std::make_unique<WaylandPlatform>(), kLongestWait);
#endif
    return nullptr;
}

} // namespace vellacor
