#pragma once

#include <QList>
#include <QObject>

class QEventLoop;
class QWindow;

namespace vellacor {

// Holds the close of every top-level window of a native Wayland client until the compositor
// has answered the window's last frame.
//
// Qt's Wayland plugin asks for a frame callback with each frame it shows, and its event
// thread answers it (QWaylandWindow::handleFrameCallback() in qtwayland's
// src/client/qwaylandwindow.cpp). In Qt 6.4.2 QWaylandWindow::reset(), which runs when a
// window is hidden or destroyed, destroys a pending callback without the lock that handler
// holds; a window that closes while the compositor has yet to answer can have the event thread
// destroy the callback a second time and write into the freed window, and the program dies.
// Qt fixed this in 6.4.3 ("Fix frame sync related to unprotected multithread access").
//
// Every close, whatever starts it (a box's button, Return, Space, Escape, the title bar's
// close button, Alt+F4), begins as a close event to the window. The window then stops painting
// and asks for an update, which Qt delivers once no frame callback is pending, twice (see
// eventFilter()), and the close goes on as it would have; a compositor that never answers is
// waited for half a second. The user sees the window's last frame for that long at most and
// nothing else changes. It stays on for later Qt too: a window destroyed with a callback
// outstanding is never needed.
class FrameSyncedClose final : public QObject {
    Q_DISABLE_COPY_MOVE(FrameSyncedClose)

public:
    // Watches the application's windows when it runs as a native Wayland client; elsewhere
    // does nothing.
    FrameSyncedClose();
    ~FrameSyncedClose() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Wait {
        QWindow *window;
        QEventLoop *loop;
        bool wasExposed;
        int updates = 0;
    };

    void waitForFrame(QWindow *window);
    Wait *waitFor(const QObject *window) const;

    QList<Wait *> m_waits;
    bool m_installed = false;
};

} // namespace vellacor
