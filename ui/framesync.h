#pragma once

#include <QObject>

#include <chrono>
#include <memory>

class QString;
class QVersionNumber;
class QWindow;

namespace vellacor {

// Lets no window hide while the Wayland compositor may be answering one of its frames.
//
// Qt's Wayland plugin asks for a frame callback with each frame it shows, and its event thread
// handles the answer (QWaylandWindow::handleFrameCallback() in qtwayland's
// src/client/qwaylandwindow.cpp): it destroys the callback and then, under the window's frame
// lock, clears the wait and queues the rest for the user-interface thread. Up to Qt 6.4.2,
// QWaylandWindow::reset(), which runs on that thread whenever a window is hidden or destroyed,
// destroys a pending callback without the lock; when the answer arrives at that moment the
// callback is destroyed twice, or the event thread writes into a freed window, and the program
// dies. Qt 6.4.3 takes the lock there ("Fix frame sync related to unprotected multithread
// access").
//
// Every hide, whatever starts it (a close, a dialog's answer, a popup or tooltip going away, a
// window deleted), emits QWindow::visibleChanged(false) just before the plugin takes the
// surface down. There the barrier asks the plugin for an update, which it delivers only once
// no frame of the window waits for an answer and only after taking the frame lock, so the
// event thread is done with the window. Until then the user-interface thread waits without an
// event loop: it runs the calls queued on that window's platform side, which is where the
// answer comes from, and nothing else. Popups of the window are held too, as the plugin takes
// them down with it. A compositor that does not answer is waited for at most a limit.
class FrameBarrier final : public QObject {
    Q_DISABLE_COPY_MOVE(FrameBarrier)

public:
    // What the barrier needs of the platform; tests put their own in its place.
    class Platform {
    public:
        virtual ~Platform() = default;
        // Sends what the program has written to the compositor, the last frame among it.
        virtual void flush() = 0;
        // Asks for an update of window, delivered by a call queued on its platform side once
        // no frame of it waits for the compositor's answer.
        virtual void askForUpdate(QWindow *window) = 0;
        // Runs the calls queued on window's platform side, and nothing else.
        virtual void runQueued(QWindow *window) = 0;
        // Lets the compositor and the plugin's event thread answer.
        virtual void pause() = 0;
    };

    FrameBarrier(std::unique_ptr<Platform> platform, std::chrono::milliseconds limit);
    ~FrameBarrier() override;

    // True for the Qt versions and platforms with the race: Wayland before Qt 6.4.3.
    static bool needed(const QString &platformName, const QVersionNumber &qtVersion);

    // Hides held until the frame was answered, and those that gave up at the limit.
    int held() const { return m_held; }
    int gaveUp() const { return m_gaveUp; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void visibilityChanged(bool visible);
    void hold(QWindow *window);

    std::unique_ptr<Platform> m_platform;
    const std::chrono::milliseconds m_limit;
    QWindow *m_holding = nullptr;
    bool m_answered = false;
    int m_held = 0;
    int m_gaveUp = 0;
};

// The barrier the running application needs, at start-up once its platform is known (see
// FrameBarrier); null where none is needed.
std::unique_ptr<FrameBarrier> guardFrames();

} // namespace vellacor
