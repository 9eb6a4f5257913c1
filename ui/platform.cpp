#include "platform.h"

#include <QtGlobal>

namespace vellacor {

QByteArray preferredPlatform(const QByteArray &chosen, const QByteArray &display,
                             const QByteArray &waylandDisplay)
{
    if (!chosen.isEmpty() || display.isEmpty() || waylandDisplay.isEmpty())
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

void choosePlatform()
{
    const QByteArray platform = preferredPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"),
                                                  qgetenv("WAYLAND_DISPLAY"));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace vellacor
