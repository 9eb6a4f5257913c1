#include "appinfo.h"
#include "detail/detail.h"
#include "dialogs.h"
#include "main/mainwindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(vellacor::kAppName));
    QApplication::setApplicationVersion(QString::fromLatin1(vellacor::kAppVersion));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vellacor/vellacor.ico")));
    // Ties the windows to the desktop entry, for the icon and the task switcher.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Vellacor"));

    vellacor::QtDialogs dialogs;
    vellacor::Detail detail(dialogs);
    vellacor::MainWindow window(detail, dialogs);
    window.show();
    return QApplication::exec();
}
