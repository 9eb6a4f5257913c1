#pragma once

#include <QMargins>
#include <QObject>

class QTimer;
class QWidget;

namespace vellacor {

// Keeps a fixed-size top-level window at its size where the window system does not: a window
// manager that ignores the size hints and stretches it, or a Wayland compositor that is asked
// to maximise it (Qt's own title bar offers that on every window, and a fixed window that
// answers a maximised configure with its own size is a protocol error that ends the program).
// Call from the window's constructor.
void holdFixedSize(QWidget *window);

// Centres a new window on its screen, frame included. A window manager frames the window some
// time after it is shown (title bar and borders; a busy one only after the first paint), so
// the window is centred again each time its frame changes, until the frame has stayed the
// same for a while. A user who drags the window changes no frame, so is never overruled.
class CentredPlacement : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CentredPlacement)

public:
    explicit CentredPlacement(QWidget *window);

    // Centres the window now with the frame as it is known at the moment.
    void centre();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The window's frame as its window system reports it; tests hold it back.
    virtual QMargins frameMargins() const;

private:
    void follow();
    void stopFollowing();

    QWidget *m_window;
    QTimer *m_settle;
    QTimer *m_poll;
    QMargins m_margins;
    bool m_following = false;
};

} // namespace vellacor
