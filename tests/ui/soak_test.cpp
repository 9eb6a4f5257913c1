#include "detail/detail.h"
#include "detail/detailwindow.h"
#include "detail/reportexport.h"
#include "fakedialogs.h"
#include "main/mainwindow.h"
#include "normalise.h"
#include "rangeline.h"
#include "report.h"
#include "reportfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>
#include <random>

using vellacor::DetailReport;

// Thousands of seeded random user actions over both windows. After every action that shows
// something, what the windows show and what a save writes must agree with what the core
// computes from the fields' texts. The seed is fixed, so every run repeats the same actions
// and a failure can be replayed; VELLACOR_SOAK_SEED=N replays seed N, VELLACOR_SOAK_SEED=random
// explores a new sequence (its seed is printed), and VELLACOR_SOAK_STEPS sets the length.
class SoakTest : public QObject {
    Q_OBJECT

    FakeDialogs dialogs;
    std::unique_ptr<vellacor::Detail> detail;
    std::unique_ptr<vellacor::MainWindow> window;
    QTemporaryDir folder;
    std::mt19937 random;
    std::optional<DetailReport> shown; // what the detail window must show
    int calculations = 0, refusals = 0, selections = 0, saves = 0, reopenings = 0;

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
    template <typename T> T *child(QWidget *parent, const QString &name)
    {
        T *found = parent->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QLineEdit *field(const QString &name) { return child<QLineEdit>(window.get(), name); }
    std::string text(const QString &name) { return field(name)->text().toStdString(); }
    QString label(const char *name) { return child<QLabel>(detail->window(), name)->text(); }
    QListWidget *list() { return child<QListWidget>(detail->window(), "Val_IP_Add"); }
    static QString q(const std::string &text) { return QString::fromStdString(text); }

    void type()
    {
        static const QString characters = QStringLiteral("0123456789012345.- a\u00e9x");
        static const char *names[] = {"nUser", "subnet_0", "subnet_1", "subnet_2", "subnet_3"};
        QLineEdit *target = field(names[pick(5)]);
        if (pick(3) == 0) {
            static const Qt::Key keys[] = {Qt::Key_Left,   Qt::Key_Right, Qt::Key_Backspace,
                                           Qt::Key_Delete, Qt::Key_Home,  Qt::Key_End};
            QTest::keyClick(target, keys[pick(6)]);
            return;
        }
        for (int count = 1 + pick(4); count > 0; --count) {
            // QTest only knows Latin-1 keys; a character event reaches the field like typing.
            const QString typed(characters[pick(int(characters.size()))]);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
    }

    void calculate()
    {
        const std::string hosts = text("nUser"), a = text("subnet_0"), b = text("subnet_1"),
                          c = text("subnet_2");
        const qsizetype messages = dialogs.messages.size();
        QTest::mouseClick(child<QPushButton>(window.get(), "calc"), Qt::LeftButton);

        if (!vellacor::checkInputs(hosts, a, b, c)) {
            ++refusals;
            QCOMPARE(dialogs.messages.size(), messages + 1);
            QCOMPARE(text("nUser"), hosts); // refused input is left exactly as typed
            QCOMPARE((std::array{text("subnet_0"), text("subnet_1"), text("subnet_2")}),
                     (std::array{a, b, c}));
            return;
        }
        ++calculations;
        QCOMPARE(dialogs.messages.size(), messages);
        const auto octets = vellacor::normaliseOctets(a, b, c);
        QCOMPARE(text("nUser"), vellacor::normaliseHostCount(hosts).text);
        QCOMPARE((std::array{text("subnet_0"), text("subnet_1"), text("subnet_2")}), octets.texts);
        QCOMPARE(text("subnet_3"), std::string("0"));
        const auto built = vellacor::buildDetailReport(text("nUser"), octets.texts[0],
                                                       octets.texts[1], octets.texts[2]);
        QVERIFY(built.check);
        shown = built.report;
        QVERIFY(detail->window() && detail->window()->isVisible());
        QVERIFY(list()->selectedItems().isEmpty());
        compareWindow();
    }

    void compareWindow()
    {
        QCOMPARE(label("netMask"), q(shown->netMask));
        QCOMPARE(label("nSubnet"), q(shown->nSubnet));
        QCOMPARE(label("max_client"), q(shown->max_client));
        QCOMPARE(label("prefix"), q(shown->prefix));
        QCOMPARE(label("netID"), q(shown->netID));
        QCOMPARE(label("BCAddress"), q(shown->BCAddress));
        QCOMPARE(label("RangeIP"), q(shown->RangeIP));
        QCOMPARE(list()->count(), int(shown->Val_IP_Add.size()));
        for (int row = 0; row < list()->count(); ++row)
            QCOMPARE(list()->item(row)->text(), q(std::string(shown->Val_IP_Add[row])));
    }

    void select()
    {
        const int row = pick(list()->count());
        if (pick(2) == 0) {
            list()->setCurrentRow(row);
        } else {
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                              list()->visualItemRect(list()->item(row)).center());
        }
        if (list()->selectedItems().isEmpty())
            return; // the click landed outside the visible lines
        ++selections;
        const auto subnet =
            vellacor::selectRangeLine(list()->selectedItems().front()->text().toStdString());
        QVERIFY(subnet);
        shown->RangeIP = subnet->RangeIP;
        shown->netID = subnet->netID;
        shown->BCAddress = subnet->BCAddress;
        compareWindow();
    }

    void save()
    {
        const QString name = folder.filePath(QString("report%1").arg(pick(3)));
        const bool cancel = pick(5) == 0;
        dialogs.answers.append(cancel ? QString() : name);
        const qsizetype messages = dialogs.messages.size();
        QTest::mouseClick(child<QPushButton>(detail->window(), "save"), Qt::LeftButton);
        if (cancel) {
            QCOMPARE(dialogs.messages.size(), messages);
            return;
        }
        ++saves;
        QCOMPARE(dialogs.messages.size(), messages + 1);
        QCOMPARE(dialogs.messages.back().text, QString("File Saved"));

        QFile file(name + ".txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        const qsizetype stamp = bytes.indexOf("Generated         : ") + 20;
        bytes.remove(stamp, bytes.indexOf('\r', stamp) - stamp);
        std::vector<std::string> lines(shown->Val_IP_Add.begin(), shown->Val_IP_Add.end());
        const std::string expected = vellacor::reportFileText(
            {shown->netMask, shown->nSubnet, shown->max_client, shown->prefix, lines, ""});
        QCOMPARE(bytes, vellacor::encodeForSystem(QString::fromStdString(expected)));
    }

    void closeDetail()
    {
        ++reopenings;
        detail->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!detail->window());
        shown.reset();
    }

private slots:
    void randomUse()
    {
        QVERIFY(folder.isValid());
        const QByteArray chosen = qgetenv("VELLACOR_SOAK_SEED");
        const unsigned seed = chosen.isEmpty()     ? 20261207u
                              : chosen == "random" ? QRandomGenerator::system()->generate()
                                                   : chosen.toUInt();
        const int steps = qEnvironmentVariableIsSet("VELLACOR_SOAK_STEPS")
                              ? qEnvironmentVariableIntValue("VELLACOR_SOAK_STEPS")
                              : 3000;
        qInfo("seed %u, %d steps", seed, steps);
        random.seed(seed);
        detail = std::make_unique<vellacor::Detail>(dialogs);
        window = std::make_unique<vellacor::MainWindow>(*detail, dialogs);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        for (int step = 0; step < steps; ++step) {
            const int action = pick(20);
            if (action < 9) {
                type();
            } else if (action < 13) {
                calculate();
            } else if (action < 15) {
                static const char *boxes[] = {"max", "chk_default", "reset"};
                QTest::mouseClick(child<QWidget>(window.get(), boxes[pick(3)]), Qt::LeftButton);
            } else if (!detail->window()) {
                continue;
            } else if (action < 18) {
                select();
            } else if (action < 19) {
                save();
            } else {
                closeDetail();
            }
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QString("seed %1, step %2").arg(seed).arg(step)));
        }
        qInfo("seed %u: %d steps, %d calculations, %d refusals, %d selections, %d saves, "
              "%d windows closed",
              seed, steps, calculations, refusals, selections, saves, reopenings);
        // Every kind of action came often enough: at 3,000 steps, more than 50 and 20 saves.
        const int often = steps / 60;
        QVERIFY(calculations > often && refusals > often && selections > often &&
                saves > often * 2 / 5);
        window.reset();
        detail.reset();
    }
};

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
