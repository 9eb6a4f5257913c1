#pragma once

#include <QByteArray>

namespace vellacor {

// The Qt platform to start on, from the session's QT_QPA_PLATFORM, DISPLAY and
// WAYLAND_DISPLAY; empty to leave the choice to Qt.
//
// On X11 a program places its own windows: the main window opens centred, boxes open over
// their owner and the fixed size is held. A Wayland compositor places every window itself.
// So where the session offers X11 (directly or through XWayland) and the user has chosen no
// platform, X11 is taken, with native Wayland as the fallback; otherwise Qt's own choice
// stands, which is native Wayland in a session without X11.
QByteArray preferredPlatform(const QByteArray &chosen, const QByteArray &display,
                             const QByteArray &waylandDisplay);

// Applies preferredPlatform() to this process's environment; call before QApplication.
void choosePlatform();

} // namespace vellacor
