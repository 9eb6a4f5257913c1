// Calculate benchmark: the time from clicking Calculate on the main window to the detail
// window being shown, filled and painted. Input: 2 hosts (the /30 plan, 64 range lines) on
// 192.168.0. The click is synchronous; after it the events it left pending (deferred layout
// and paint) are processed until none is left, inside the measured time, and a check after
// the measurement counts any paint that was still to come (it should be none).
//
// Three cases:
//   first     the first Calculate of a process; it creates the detail window. One sample per
//             process, so the program runs itself --first-runs times as a child.
//   reopen    the detail window was closed (and so deleted) and is created again.
//   repeat    the detail window is open and is refilled.
//
//   calc_bench [--repeats N] [--first-runs N]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "detail/detail.h"
#include "detail/detailwindow.h"
#include "dialogs.h"
#include "main/mainwindow.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class NoDialogs final : public vellacor::Dialogs {
protected:
    void showMessage(QWidget *, const QString &, const QString &, Icon) override {}
    SaveChoice askSaveFileName(QWidget *, const QString &, const QString &) override { return {}; }
};

// Counts paint events, to show that nothing is left to paint after a measured click.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

[[noreturn]] void fail(const char *why)
{
    std::fprintf(stderr, "calc_bench: %s\n", why);
    std::exit(1);
}

// Processes events until a pass finds nothing to do: the repaints the click posts, the list's
// deferred item layout (a zero timer) and the repaint that layout asks for, and the main
// window's repaint when the detail window takes the activation.
void settle()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (int pass = 0; pass < 50 && dispatcher->processEvents(QEventLoop::AllEvents); ++pass) {
    }
}

// The offscreen platform warns on every raise(); printing that is not Calculate's work.
void quiet(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.contains(QLatin1String("does not support raise")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

template <typename T> T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        fail("a control is missing");
    return found;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5))];
}

class Bench {
public:
    Bench() : detail(dialogs), window(detail, dialogs)
    {
        window.show();
        settle();
        calc = child<QPushButton>(&window, "calc");
    }

    // One measured Calculate, in milliseconds.
    double calculate()
    {
        child<QLineEdit>(&window, "nUser")->setText(QStringLiteral("2"));
        child<QLineEdit>(&window, "subnet_0")->setText(QStringLiteral("192"));
        child<QLineEdit>(&window, "subnet_1")->setText(QStringLiteral("168"));
        child<QLineEdit>(&window, "subnet_2")->setText(QStringLiteral("0"));
        settle();

        QElapsedTimer timer;
        timer.start();
        calc->click();
        settle();
        const qint64 nanos = timer.nsecsElapsed();

        vellacor::DetailWindow *shown = detail.window();
        if (!shown || !shown->isVisible())
            fail("the detail window is not shown");
        if (child<QListWidget>(shown, "Val_IP_Add")->count() != 64)
            fail("the detail window does not list 64 ranges");
        PaintCounter counter;
        qApp->installEventFilter(&counter);
        settle();
        qApp->removeEventFilter(&counter);
        leftoverPaints += counter.paints;
        return double(nanos) / 1e6;
    }

    void closeDetail()
    {
        detail.window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        settle();
        if (detail.window())
            fail("closing did not delete the detail window");
    }

    int leftoverPaints = 0;

private:
    NoDialogs dialogs;
    vellacor::Detail detail;
    vellacor::MainWindow window;
    QPushButton *calc = nullptr;
};

void report(const char *name, const std::vector<double> &samples)
{
    std::printf("%-8s %6zu %9.3f ms %9.3f ms %9.3f ms %9.3f ms\n", name, samples.size(),
                median(samples), *std::min_element(samples.begin(), samples.end()),
                percentile(samples, 0.9), *std::max_element(samples.begin(), samples.end()));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    int repeats = 300;
    int firstRuns = 15;
    bool firstOnly = false;
    for (int index = 1; index < argc; ++index) {
        const QByteArray arg = argv[index];
        if (arg == "--first-only") {
            firstOnly = true;
        } else if ((arg == "--repeats" || arg == "--first-runs") && index + 1 < argc) {
            const int value = std::atoi(argv[++index]);
            if (value < 1)
                fail("counts must be at least 1");
            (arg == "--repeats" ? repeats : firstRuns) = value;
        } else {
            std::fprintf(stderr, "usage: calc_bench [--repeats N] [--first-runs N]\n");
            return 2;
        }
    }

    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    if (firstOnly) {
        Bench bench;
        std::printf("%.6f\n", bench.calculate());
        return 0;
    }

    std::vector<double> first;
    for (int run = 0; run < firstRuns; ++run) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--first-only")});
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            fail("a first-Calculate run failed");
        bool ok = false;
        first.push_back(process.readAllStandardOutput().trimmed().toDouble(&ok));
        if (!ok)
            fail("a first-Calculate run printed no time");
    }

    Bench bench;
    bench.calculate(); // creates the detail window and warms every cache
    std::vector<double> repeat;
    for (int run = 0; run < repeats; ++run)
        repeat.push_back(bench.calculate());
    std::vector<double> reopen;
    for (int run = 0; run < std::max(1, repeats / 5); ++run) {
        bench.closeDetail();
        reopen.push_back(bench.calculate());
    }

    std::printf("Calculate, 2 hosts on 192.168.0 (64 range lines), platform %s\n",
                qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("%-8s %6s %12s %12s %12s %12s\n", "case", "runs", "median", "min", "p90", "max");
    report("first", first);
    report("reopen", reopen);
    report("repeat", repeat);
    std::printf("paint events left after a measured click: %d\n", bench.leftoverPaints);
    return 0;
}
