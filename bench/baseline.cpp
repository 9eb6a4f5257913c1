// Reference windows for the start-up benchmark: a plain Qt Widgets window of the main window's
// fixed client size, empty or (with BASELINE_LABEL) showing one label in the program's font.

#include "widgets.h"

#include <QApplication>
#include <QWidget>

#ifdef BASELINE_LABEL
#include <QLabel>
#endif

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setFixedSize(vellacor::px(7380), vellacor::px(5025)); // 492 x 335, as the main window
#ifdef BASELINE_LABEL
    vellacor::label(&window, "label", QStringLiteral("Subnet Calculator"), 240, 240, 3000, 255);
#endif
    window.show();
    return QApplication::exec();
}
