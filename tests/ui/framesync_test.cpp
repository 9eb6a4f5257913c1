#include "framesync.h"

#include <QPointer>
#include <QTimer>
#include <QVersionNumber>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include <map>
#include <memory>

using vellacor::FrameBarrier;

namespace {

// A compositor that answers the last frame after `frames` pauses (never when negative), and a
// platform that, like Qt's Wayland plugin, delivers the update asked for by a call queued on
// the window's own platform side once no frame waits for its answer.
class FakePlatform final : public FrameBarrier::Platform {
public:
    int frames = 0;
    int flushes = 0;
    int pauses = 0;

    void flush() override { ++flushes; }
    void askForUpdate(QWindow *window) override
    {
        if (frames != 0)
            return;
        QMetaObject::invokeMethod(
            queueOf(window),
            [window = QPointer<QWindow>(window)] {
                QEvent update(QEvent::UpdateRequest);
                if (window)
                    QCoreApplication::sendEvent(window, &update);
            },
            Qt::QueuedConnection);
    }
    void runQueued(QWindow *window) override
    {
        QCoreApplication::sendPostedEvents(queueOf(window), QEvent::MetaCall);
    }
    void pause() override
    {
        ++pauses;
        if (frames > 0)
            --frames;
    }

private:
    QObject *queueOf(QWindow *window)
    {
        std::unique_ptr<QObject> &queue = m_queues[window];
        if (!queue)
            queue = std::make_unique<QObject>();
        return queue.get();
    }
    std::map<QWindow *, std::unique_ptr<QObject>> m_queues;
};

// Counts the paint events a widget gets.
class Paints final : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class FrameBarrierTest : public QObject {
    Q_OBJECT

private:
    FakePlatform *platform = nullptr;
    std::unique_ptr<FrameBarrier> barrier;

    void install(std::chrono::milliseconds limit)
    {
        barrier.reset();
        auto fake = std::make_unique<FakePlatform>();
        platform = fake.get();
        barrier = std::make_unique<FrameBarrier>(std::move(fake), limit);
    }
    static QWidget *shown(QWidget *widget)
    {
        widget->resize(120, 80);
        widget->show();
        if (!QTest::qWaitForWindowExposed(widget))
            qFatal("the window was never exposed");
        return widget;
    }

private slots:
    void init() { install(std::chrono::minutes(1)); }
    void cleanup() { barrier.reset(); }

    void needed_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("qt");
        QTest::addColumn<bool>("needed");
        QTest::newRow("Debian 12: Wayland, Qt 6.4.2")
            << QString("wayland") << QString("6.4.2") << true;
        QTest::newRow("Wayland with EGL, Qt 6.4.0")
            << QString("wayland-egl") << QString("6.4.0") << true;
        QTest::newRow("fixed in Qt 6.4.3") << QString("wayland") << QString("6.4.3") << false;
        QTest::newRow("Debian 13: Qt 6.8.2") << QString("wayland") << QString("6.8.2") << false;
        QTest::newRow("X11, Qt 6.4.2") << QString("xcb") << QString("6.4.2") << false;
        QTest::newRow("Windows, Qt 6.4.2") << QString("windows") << QString("6.4.2") << false;
    }
    void needed()
    {
        QFETCH(QString, platform);
        QFETCH(QString, qt);
        QFETCH(bool, needed);
        QCOMPARE(FrameBarrier::needed(platform, QVersionNumber::fromString(qt)), needed);
    }

    // However the window goes, it goes once its last frame is answered.
    void everyWayOutWaitsForTheAnswer_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("hidden") << "hide";
        QTest::newRow("closed") << "close";
        QTest::newRow("deleted") << "delete";
    }
    void everyWayOutWaitsForTheAnswer()
    {
        QFETCH(QString, way);
        auto *widget = shown(new QWidget);
        platform->frames = 3;
        if (way == "hide")
            widget->hide();
        else if (way == "close")
            widget->close();
        else
            delete widget;
        QCOMPARE(platform->pauses, 3);
        QCOMPARE(platform->flushes, 1);
        QCOMPARE(barrier->held(), 1);
        QCOMPARE(barrier->gaveUp(), 0);
        if (way != "delete")
            delete widget;
    }

    // No event loop: a deletion, a timer and another window's close posted before the hide
    // run after it, in their turn.
    void nothingElseRunsMeanwhile()
    {
        std::unique_ptr<QWidget> widget(shown(new QWidget));
        std::unique_ptr<QWidget> other(shown(new QWidget));
        QPointer<QObject> doomed = new QObject;
        doomed->deleteLater();
        bool timedOut = false;
        QTimer::singleShot(0, [&] { timedOut = true; });
        QMetaObject::invokeMethod(other.get(), &QWidget::close, Qt::QueuedConnection);
        platform->frames = 2;
        widget->hide();
        QVERIFY(doomed);
        QVERIFY(!timedOut);
        QVERIFY(other->isVisible());
        QTRY_VERIFY(timedOut && !other->isVisible());
    }

    // The plugin takes a window's popups down with it: they are held first, and the update
    // that answers shows no new frame of theirs, which would wait for an answer again.
    void popupsAreHeldWithTheirWindow()
    {
        std::unique_ptr<QWidget> widget(shown(new QWidget));
        std::unique_ptr<QWidget> popup(new QWidget(nullptr, Qt::Popup));
        popup->winId();
        popup->windowHandle()->setTransientParent(widget->windowHandle());
        shown(popup.get());
        Paints paints;
        popup->installEventFilter(&paints);
        platform->frames = 1;
        widget->hide();
        QCOMPARE(barrier->held(), 2);
        QCOMPARE(paints.count, 0);
    }

    // A compositor that never answers is waited for only up to the limit.
    void givesUpAtTheLimit()
    {
        install(std::chrono::milliseconds(0));
        std::unique_ptr<QWidget> widget(shown(new QWidget));
        platform->frames = -1;
        widget->hide();
        QVERIFY(!widget->isVisible());
        QCOMPARE(barrier->gaveUp(), 1);
    }
};

QTEST_MAIN(FrameBarrierTest)
#include "framesync_test.moc"
