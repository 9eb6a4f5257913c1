#include "detail/detail.h"
#include "detail/detailwindow.h"
#include "fakedialogs.h"
#include "main/mainwindow.h"
#include "placement.h"
#include "platform.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using vellacor::Detail;
using vellacor::DetailWindow;
using vellacor::MainWindow;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    FakeDialogs dialogs;
    std::unique_ptr<Detail> detail;
    std::unique_ptr<MainWindow> window;

    template <typename T = QWidget> T *child(const char *name)
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QLineEdit *octet(int index)
    {
        return child<QLineEdit>(qPrintable(QString("subnet_%1").arg(index)));
    }
    QString focusName() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    void setOctets(const QString &a, const QString &b, const QString &c)
    {
        octet(0)->setText(a);
        octet(1)->setText(b);
        octet(2)->setText(c);
    }
    void calculate(const QString &hosts, const QString &a = "192", const QString &b = "168",
                   const QString &c = "0")
    {
        child<QLineEdit>("nUser")->setText(hosts);
        setOctets(a, b, c);
        QTest::mouseClick(child<QPushButton>("calc"), Qt::LeftButton);
    }
    QString detailText(const char *name)
    {
        return detail->window()->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    QStringList detailLines()
    {
        auto *list = detail->window()->findChild<QListWidget *>("Val_IP_Add");
        QStringList lines;
        for (int row = 0; row < list->count(); ++row)
            lines << list->item(row)->text();
        return lines;
    }

private slots:
    void init()
    {
        dialogs = FakeDialogs();
        detail = std::make_unique<Detail>(dialogs);
        window = std::make_unique<MainWindow>(*detail, dialogs);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup()
    {
        window.reset();
        detail.reset();
    }

    void freshWindow()
    {
        QCOMPARE(window->windowTitle(), QString("Vellacor 1.1"));
        QCOMPARE(window->size(), QSize(492, 335));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(child<QLineEdit>("nUser")->text().isEmpty());
        for (int index = 0; index < 4; ++index) {
            QCOMPARE(octet(index)->text(), QString("0"));
            QCOMPARE(octet(index)->maxLength(), 3);
        }
        QVERIFY(octet(3)->isReadOnly());
        QVERIFY(!child<QCheckBox>("max")->isChecked());
        QVERIFY(!child<QCheckBox>("chk_default")->isChecked());
        for (const char *dot : {"Text1", "Text6", "Text7"})
            QVERIFY(!child(dot)->isEnabled());
        QCOMPARE(child<QPushButton>("calc")->text(), QString("&Calculate"));
        QCOMPARE(child<QPushButton>("reset")->text(), QString("&Reset"));
        QCOMPARE(child(qPrintable("Picture1"))->geometry(), QRect(-2, -2, 497, 97));
        QCOMPARE(octet(1)->geometry(), QRect(152, 64, 33, 13));
        QCOMPARE(focusName(), QString("nUser"));
        // Centred with its frame, which the test platform draws 2 px wide.
        QVERIFY(window->frameGeometry() != window->geometry());
        const QPoint off =
            window->frameGeometry().center() - window->screen()->availableGeometry().center();
        QVERIFY2(off.manhattanLength() <= 1,
                 qPrintable(QString("%1,%2").arg(off.x()).arg(off.y())));
    }

    // A window manager that frames the window only a while after it is on screen, as a busy
    // one does: the window is centred again with the frame it gets.
    void centredWhenTheFrameComesLate()
    {
        struct LateFrame : vellacor::CentredPlacement {
            using CentredPlacement::CentredPlacement;
            QMargins frame;
            QMargins frameMargins() const override { return frame; }
        };
        QWidget plain;
        plain.setFixedSize(300, 201);
        auto *placement = new LateFrame(&plain);
        placement->centre();
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        QTest::qWait(300);
        placement->frame = QMargins(1, 37, 1, 1);
        const QPoint centre = plain.screen()->availableGeometry().center();
        QTRY_COMPARE(plain.geometry().marginsAdded(placement->frame).center(), centre);
    }

    // Neither a maximise request (Qt's own title bar offers one on Wayland) nor a window
    // manager that ignores the size hints changes the window's size.
    void staysAtItsSize()
    {
        const QSize fixed = window->size();
        window->windowHandle()->setWindowStates(Qt::WindowMaximized);
        QCOMPARE(window->windowHandle()->windowStates(), Qt::WindowNoState);
        window->windowHandle()->resize(fixed + QSize(200, 100));
        QTRY_COMPARE(window->size(), fixed);

        // A window manager that insists on its own size is asked back a few times, not in an
        // endless loop of asks and answers.
        const QSize imposed = fixed + QSize(50, 0);
        int asks = 0;
        struct Insisting : QObject {
            std::function<void()> answer;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Resize)
                    QTimer::singleShot(0, this, answer);
                return false;
            }
        } manager;
        manager.answer = [&] {
            if (window->size() != imposed) {
                ++asks;
                window->windowHandle()->resize(imposed);
            }
        };
        window->installEventFilter(&manager);
        window->windowHandle()->resize(imposed);
        QTest::qWait(300);
        window->removeEventFilter(&manager);
        QVERIFY2(asks <= 3, qPrintable(QString::number(asks)));
    }

    // Where the session offers X11 and the user chose nothing, X11 first; else Qt's choice.
    void platformChoice_data()
    {
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Wayland with XWayland")
            << QByteArray() << QByteArray(":0") << QByteArray("wayland-0")
            << QByteArray("xcb;wayland");
        QTest::newRow("Wayland alone")
            << QByteArray() << QByteArray() << QByteArray("wayland-0") << QByteArray();
        QTest::newRow("X11 alone")
            << QByteArray() << QByteArray(":0") << QByteArray() << QByteArray();
        QTest::newRow("the user's choice")
            << QByteArray("wayland") << QByteArray(":0") << QByteArray("wayland-0") << QByteArray();
    }
    void platformChoice()
    {
        QFETCH(QByteArray, chosen);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, expected);
        QCOMPARE(vellacor::preferredPlatform(chosen, display, wayland), expected);
    }

    void tabOrder()
    {
        const QStringList expected{"max",         "subnet_0", "subnet_3", "subnet_1", "subnet_2",
                                   "chk_default", "calc",     "reset",    "nUser"};
        QStringList seen;
        for (int step = 0; step < expected.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << focusName();
        }
        QCOMPARE(seen, expected);
    }

    // Keys in the octet fields. Each row starts with the focus in field `from` at `caret`.
    void octetKeys_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("typed"); // characters, or one of <Left> <Right> <Back>
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("caretAfter");
        QTest::addColumn<QStringList>("textsAfter");

        const QStringList zeros{"0", "0", "0"};
        QTest::newRow("three characters move on") << QStringList{"", "0", "0"} << 0 << 0 << "192"
                                                  << 1 << 1 << QStringList{"192", "0", "0"};
        QTest::newRow("third character after a zero")
            << zeros << 0 << 1 << "19" << 1 << 1 << QStringList{"019", "0", "0"};
        QTest::newRow("letters move on too") << QStringList{"", "0", "0"} << 0 << 0 << "abc" << 1
                                             << 1 << QStringList{"abc", "0", "0"};
        QTest::newRow("third field moves to the fourth")
            << QStringList{"1", "2", ""} << 2 << 0 << "254" << 3 << 1
            << QStringList{"1", "2", "254"};
        QTest::newRow("deleting moves nothing")
            << QStringList{"192", "0", "0"} << 0 << 3 << "<Back>" << 0 << 2
            << QStringList{"19", "0", "0"};
        QTest::newRow("left in first field stays")
            << zeros << 0 << 0 << "<Left>" << 0 << 0 << zeros;
        QTest::newRow("left crosses to end") << QStringList{"192", "0", "0"} << 1 << 0 << "<Left>"
                                             << 0 << 3 << QStringList{"192", "0", "0"};
        QTest::newRow("left crosses to short text")
            << QStringList{"1", "0", "0"} << 1 << 0 << "<Left>" << 0 << 1
            << QStringList{"1", "0", "0"};
        QTest::newRow("shift left crosses too")
            << QStringList{"1", "0", "0"} << 1 << 0 << "<ShiftLeft>" << 0 << 1
            << QStringList{"1", "0", "0"};
        QTest::newRow("left inside a field stays")
            << QStringList{"192", "12", "0"} << 1 << 1 << "<Left>" << 1 << 0
            << QStringList{"192", "12", "0"};
        QTest::newRow("right crosses to start")
            << QStringList{"192", "168", "0"} << 0 << 3 << "<Right>" << 1 << 0
            << QStringList{"192", "168", "0"};
        QTest::newRow("right before the end stays")
            << QStringList{"192", "168", "0"} << 0 << 2 << "<Right>" << 0 << 3
            << QStringList{"192", "168", "0"};
        QTest::newRow("empty field left") << QStringList{"12", "", "0"} << 1 << 0 << "<Left>" << 0
                                          << 2 << QStringList{"12", "", "0"};
        QTest::newRow("empty field right") << QStringList{"12", "", "0"} << 1 << 0 << "<Right>" << 2
                                           << 0 << QStringList{"12", "", "0"};
        QTest::newRow("right at end of third stays")
            << QStringList{"1", "2", "3"} << 2 << 1 << "<Right>" << 2 << 1
            << QStringList{"1", "2", "3"};
        QTest::newRow("right at end of fourth stays")
            << zeros << 3 << 1 << "<Right>" << 3 << 1 << zeros;
        QTest::newRow("left from fourth") << QStringList{"1", "2", "254"} << 3 << 0 << "<Left>" << 2
                                          << 3 << QStringList{"1", "2", "254"};
        QTest::newRow("backspace in empty first stays")
            << QStringList{"", "0", "0"} << 0 << 0 << "<Back>" << 0 << 0
            << QStringList{"", "0", "0"};
        QTest::newRow("backspace in empty third")
            << QStringList{"1", "168", ""} << 2 << 0 << "<Back>" << 1 << 3
            << QStringList{"1", "168", ""};
        QTest::newRow("backspace in fourth") << zeros << 3 << 1 << "<Back>" << 3 << 1 << zeros;
    }
    void octetKeys()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, from);
        QFETCH(int, caret);
        QFETCH(QString, typed);
        QFETCH(int, to);
        QFETCH(int, caretAfter);
        QFETCH(QStringList, textsAfter);

        setOctets(texts[0], texts[1], texts[2]);
        octet(from)->setFocus();
        octet(from)->setCursorPosition(caret);
        QWidget *target = QApplication::focusWidget();
        if (typed == "<Left>")
            QTest::keyClick(target, Qt::Key_Left);
        else if (typed == "<ShiftLeft>")
            QTest::keyClick(target, Qt::Key_Left, Qt::ShiftModifier);
        else if (typed == "<Right>")
            QTest::keyClick(target, Qt::Key_Right);
        else if (typed == "<Back>")
            QTest::keyClick(target, Qt::Key_Backspace);
        else
            QTest::keyClicks(target, typed);

        QCOMPARE(focusName(), QString("subnet_%1").arg(to));
        QCOMPARE(octet(to)->cursorPosition(), caretAfter);
        QCOMPARE((QStringList{octet(0)->text(), octet(1)->text(), octet(2)->text()}), textsAfter);
        QCOMPARE(octet(3)->text(), QString("0"));
    }

    void fourthFieldRejectsEdits()
    {
        octet(3)->setFocus();
        QTest::keyClicks(octet(3), "12");
        QTest::keyClick(octet(3), Qt::Key_Delete);
        QCOMPARE(octet(3)->text(), QString("0"));
    }

    void useDefaultTwice()
    {
        auto *box = child<QCheckBox>("chk_default");
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(focusName(), QString("subnet_2")); // 192 and 168 each moved the focus on
        QVERIFY(box->isChecked());
        setOctets("1", "2", "3");
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
        QCOMPARE((QStringList{octet(0)->text(), octet(1)->text(), octet(2)->text()}),
                 (QStringList{"192", "168", "0"}));
        QVERIFY(child<QLineEdit>("nUser")->text().isEmpty());
    }

    void useMaxClientAndReset()
    {
        auto *max = child<QCheckBox>("max");
        for (bool checked : {true, false, true}) {
            child<QLineEdit>("nUser")->setText("7");
            QTest::mouseClick(max, Qt::LeftButton);
            QCOMPARE(max->isChecked(), checked);
            QCOMPARE(child<QLineEdit>("nUser")->text(), QString("254"));
        }
        QTest::mouseClick(child<QCheckBox>("chk_default"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("reset"), Qt::LeftButton);
        QVERIFY(child<QLineEdit>("nUser")->text().isEmpty());
        for (int index = 0; index < 4; ++index)
            QCOMPARE(octet(index)->text(), QString("0"));
        QVERIFY(max->isChecked());
        QVERIFY(child<QCheckBox>("chk_default")->isChecked());

        // A screen reader's or switch device's toggle action is a change of the mark too.
        auto toggle = [](QWidget *box) {
            QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(
                QAccessibleActionInterface::toggleAction());
        };
        toggle(max);
        QCOMPARE(child<QLineEdit>("nUser")->text(), QString("254"));
        toggle(child<QCheckBox>("chk_default"));
        QCOMPARE(octet(0)->text(), QString("192"));
    }

    void accessKeys()
    {
        child<QLineEdit>("nUser")->setText("50");
        // Through the window system, where shortcuts are matched.
        QTest::keyClick(window->windowHandle(), Qt::Key_C, Qt::AltModifier);
        // A shortcut presses the button with a short animation, so the click comes later.
        QTRY_VERIFY(detail->window() && detail->window()->isVisible());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->windowHandle(), Qt::Key_R, Qt::AltModifier);
        QTRY_VERIFY(child<QLineEdit>("nUser")->text().isEmpty());
    }

    // The user's order: an access key runs its command when pressed, not after a press
    // animation, so a click on the other window sent right after it comes second; under a
    // dialog a command does nothing, and runs as usual once the dialog is gone.
    void inputKeepsItsOrder()
    {
        calculate("50");
        auto *save = detail->window()->findChild<QPushButton *>("save");
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));

        // Empty count: the refusal; a click on Save that arrives while it waits does nothing.
        child<QLineEdit>("nUser")->clear();
        dialogs.whileWaiting = [save] { QTest::mouseClick(save, Qt::LeftButton); };
        QTest::keyClick(window->windowHandle(), Qt::Key_C, Qt::AltModifier);
        QCOMPARE(dialogs.asked, QStringList{"message"});

        // A good count, and Save clicked at once: the new report first, the save dialog on it.
        QString maskWhenAsked;
        dialogs.onSave = [&] { maskWhenAsked = detailText("netMask"); };
        child<QLineEdit>("nUser")->setText("10");
        QTest::keyClick(window->windowHandle(), Qt::Key_C, Qt::AltModifier);
        QTest::mouseClick(save, Qt::LeftButton);
        QTest::qWait(200); // past the press animation
        QCOMPARE(dialogs.asked, (QStringList{"message", "save"}));
        QCOMPARE(maskWhenAsked, QString("255.255.255.240"));

        // Reset, clicked while the save dialog waits, does nothing.
        dialogs.whileWaiting = [this] {
            QTest::mouseClick(child<QPushButton>("reset"), Qt::LeftButton);
        };
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(dialogs.asked.size(), 3);
        QCOMPARE(child<QLineEdit>("nUser")->text(), QString("10"));
    }

    void emptyCountRefusedBeforeAnything()
    {
        child<QPushButton>("calc")->setFocus();
        // A second press while the box waits opens no second box.
        dialogs.whileWaiting = [this] {
            QTest::mouseClick(child<QPushButton>("calc"), Qt::LeftButton);
        };
        QTest::mouseClick(child<QPushButton>("calc"), Qt::LeftButton);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].title, QString("Vellacor"));
        QCOMPARE(dialogs.messages[0].text, QString("Input Total Host"));
        QCOMPARE(dialogs.messages[0].icon, FakeDialogs::Icon::None);
        QCOMPARE(focusName(), QString("nUser"));
        QVERIFY(!detail->window());
    }

    void workedExample()
    {
        calculate("50");
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(detail->window() && detail->window()->isVisible());
        detail->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(detail->window()));
        QCOMPARE(focusName(), QString("save"));
        QCOMPARE(detail->window()->windowTitle(), QString("Detail Report"));
        QCOMPARE(detail->window()->size(), QSize(483, 522));
        QCOMPARE(detailText("netID"), QString("192.168.0.0"));
        QCOMPARE(detailText("netMask"), QString("255.255.255.192"));
        QCOMPARE(detailText("BCAddress"), QString("192.168.0.63"));
        QCOMPARE(detailText("RangeIP"), QString("192.168.0.1 - 192.168.0.62"));
        QCOMPARE(detailText("max_client"), QString("62"));
        QCOMPARE(detailText("prefix"), QString("/26"));
        QCOMPARE(detailText("nSubnet"), QString("4"));
        QCOMPARE(
            detailLines(),
            (QStringList{"[192.168.0.1 - 192.168.0.62]", "[192.168.0.65 - 192.168.0.126]",
                         "[192.168.0.129 - 192.168.0.190]", "[192.168.0.193 - 192.168.0.254]"}));
    }

    void normalisedFieldsAreWrittenBack()
    {
        calculate("0", "300", "0", "0");
        QCOMPARE(child<QLineEdit>("nUser")->text(), QString("254"));
        QCOMPARE((QStringList{octet(0)->text(), octet(1)->text(), octet(2)->text()}),
                 (QStringList{"223", "168", "0"}));
        QCOMPARE(focusName(), QString("subnet_2")); // 223 then 168 each moved it on
        QCOMPARE(detailText("max_client"), QString("254"));
        QCOMPARE(detailText("netID"), QString("223.168.0.0"));
    }

    void secondCalculateReplacesListAndSelection()
    {
        calculate("50");
        DetailWindow *first = detail->window();
        auto *list = first->findChild<QListWidget *>("Val_IP_Add");
        list->setCurrentRow(2);
        QCOMPARE(detailText("netID"), QString("192.168.0.128"));
        calculate("127", "10", "0", "5");
        QCOMPARE(detail->window(), first);
        QCOMPARE(detailLines(), QStringList{"[10.168.5.1 - 10.168.5.254]"});
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(detailText("netID"), QString("10.168.5.0"));
        QCOMPARE(detailText("BCAddress"), QString("10.168.5.255"));
        QCOMPARE(detailText("RangeIP"), QString("10.168.5.1 - 10.168.5.254"));
    }

    void closedDetailIsMadeAfresh()
    {
        calculate("50");
        QPointer<DetailWindow> first = detail->window();
        first->close();
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        QVERIFY(!detail->window());
        QVERIFY(window->isVisible());
        calculate("2");
        QVERIFY(detail->window() && detail->window()->isVisible());
        QCOMPARE(detailLines().size(), 64);

        // Asked for before the closed window's deletion has run, a report still gets a window
        // that stays.
        first = detail->window();
        first->close();
        calculate("50");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        QVERIFY(detail->window() && detail->window()->isVisible());
        QCOMPARE(detailLines().size(), 4);
    }

    // A compositor's close reaches a window that a dialog blocks. Each window stays until the
    // dialog is answered (the empty count's box, a Save As, the "File Saved" box), as where
    // the system refuses such a close itself, and closes as usual afterwards.
    void closesWaitForTheDialog()
    {
        QTemporaryDir folder;
        calculate("50");
        QPointer<DetailWindow> report = detail->window();
        bool closed = false;
        const auto closeBoth = [&] { closed = report->close() || window->close(); };
        child<QLineEdit>("nUser")->clear();
        dialogs.whileWaiting = closeBoth;
        QTest::mouseClick(child<QPushButton>("calc"), Qt::LeftButton);
        dialogs.answers = {QString(), folder.filePath("plan")};
        auto *save = report->findChild<QPushButton *>("save");
        dialogs.whileWaiting = closeBoth;
        QTest::mouseClick(save, Qt::LeftButton);
        dialogs.whileWaiting = [&] { dialogs.whileWaiting = closeBoth; };
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(dialogs.asked, (QStringList{"message", "save", "save", "message"}));
        QVERIFY(!closed);
        QVERIFY(report && report->isVisible() && window->isVisible());
        QVERIFY(QFile::exists(folder.filePath("plan.txt")));
        QVERIFY(report->close());
        QVERIFY(window->close());
    }

    void mainClosedLeavesDetailWorking()
    {
        calculate("50");
        window->close();
        QVERIFY(detail->window()->isVisible());
        detail->window()->findChild<QListWidget *>("Val_IP_Add")->setCurrentRow(1);
        QCOMPARE(detailText("netID"), QString("192.168.0.64"));
    }

    // Under a dark desktop scheme the texts on the fixed silver and white backgrounds stay
    // dark, and the detail window keeps the light colours its dark-red note was chosen for.
    void readableUnderADarkScheme()
    {
        const QPalette original = QApplication::palette();
        QPalette dark(QColor(50, 50, 50));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        window = std::make_unique<MainWindow>(*detail, dialogs);
        calculate("50");
        QApplication::setPalette(original);

        auto dark_on_light = [](QWidget *widget, QPalette::ColorRole text,
                                QPalette::ColorRole background) {
            const QPalette palette = widget->palette();
            return palette.color(text).lightness() < 100 &&
                   palette.color(background).lightness() > 150;
        };
        QVERIFY(dark_on_light(child("Label1"), QPalette::WindowText, QPalette::Window));
        QVERIFY(dark_on_light(child("max"), QPalette::WindowText, QPalette::Window));
        QVERIFY(dark_on_light(octet(0), QPalette::Text, QPalette::Base));
        QVERIFY(dark_on_light(child("nUser"), QPalette::Text, QPalette::Base));
        QWidget *report = detail->window();
        QVERIFY(dark_on_light(report->findChild<QLabel *>("netMask"), QPalette::WindowText,
                              QPalette::Window));
        QVERIFY(dark_on_light(report->findChild<QLabel *>("Label7"), QPalette::WindowText,
                              QPalette::Window));
        QVERIFY(dark_on_light(report->findChild<QListWidget *>("Val_IP_Add"), QPalette::Text,
                              QPalette::Base));
    }

    // Refused input: one message naming the field, the focus there, and nothing changed:
    // no field rewritten and the earlier report left whole.
    void refusalsChangeNothing_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("empty count") << QStringList{"", "300", "0", "0"} << "Input Total Host"
                                     << "nUser";
        QTest::newRow("blank count")
            << QStringList{" ", "300", "0", "0"} << "Client Number must be a number"
            << "nUser";
        QTest::newRow("letters") << QStringList{"abc", "300", "0", "0"}
                                 << "Client Number must be a number"
                                 << "nUser";
        QTest::newRow("negative count")
            << QStringList{"-5", "300", "0", "0"} << "Client Number must be greater than 0"
            << "nUser";
        QTest::newRow("negative octet") << QStringList{"300", "-5", "0", "0"}
                                        << "Octet 1 of Subnet Format must be a whole number"
                                        << "subnet_0";
        QTest::newRow("fraction octet") << QStringList{"300", "300", "1.5", "0"}
                                        << "Octet 2 of Subnet Format must be a whole number"
                                        << "subnet_1";
        QTest::newRow("empty octet") << QStringList{"300", "300", "0", ""}
                                     << "Octet 3 of Subnet Format must be a whole number"
                                     << "subnet_2";
    }
    void refusalsChangeNothing()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        calculate("50");
        detail->window()->findChild<QListWidget *>("Val_IP_Add")->setCurrentRow(3);

        calculate(inputs[0], inputs[1], inputs[2], inputs[3]);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].title, QString("Vellacor"));
        QCOMPARE(dialogs.messages[0].text, message);
        QCOMPARE(focusName(), focus);
        QCOMPARE((QStringList{child<QLineEdit>("nUser")->text(), octet(0)->text(), octet(1)->text(),
                              octet(2)->text()}),
                 inputs);
        QCOMPARE(detailLines().size(), 4);
        QCOMPARE(detailText("netID"), QString("192.168.0.192"));
        QCOMPARE(detailText("prefix"), QString("/26"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
