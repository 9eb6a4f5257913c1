#include "appinfo.h"
#include "detail/detail.h"
#include "dialogs.h"
#include "framesync.h"
#include "main/mainwindow.h"
#include "platform.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    vellacor::choosePlatform();
#endif
    QApplication app(argc, argv);
    // Wayland before Qt 6.4.3 only: the frame race it guards against (ui/framesync.h).
    const auto frames = vellacor::guardFrames();
    QApplication::setApplicationName(QString::fromLatin1(vellacor::kAppName));
    QApplication::setApplicationVersion(QString::fromLatin1(vellacor::kAppVersion));
    // Ties the windows to the desktop entry, for the icon and the task switcher.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Vellacor"));

    vellacor::QtDialogs dialogs;
    vellacor::Detail detail(dialogs);
    vellacor::MainWindow window(detail, dialogs);
    window.show();
    // The icon's ten images are decoded once the window is on its way to the screen; the
    // title bar and task bar pick it up a moment later.
    QTimer::singleShot(
        0, [] { QApplication::setWindowIcon(QIcon(QStringLiteral(":/vellacor/vellacor.ico"))); });
    return QApplication::exec();
}
