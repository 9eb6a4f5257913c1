#include "detail/detail.h"
#include "detail/detailwindow.h"
#include "detail/reportexport.h"
#include "fakedialogs.h"
#include "report.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <unistd.h>
#endif

using vellacor::Detail;
using vellacor::DetailWindow;

namespace {

// The report's last line in the system's encoding: UTF-8 here, the ANSI code page of a Western
// Windows system (1252) there.
#ifdef Q_OS_WIN
#define COPYRIGHT "Copyright \xa9 Tamsel"
#else
#define COPYRIGHT "Copyright \xc2\xa9 Tamsel"
#endif

// Takes at most `room` bytes in all and then reports short writes without an error, like a
// device that has run out of space part-way.
class ShortDevice : public QIODevice {
public:
    qint64 room = 10;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        const qint64 taken = std::min(length, room);
        room -= taken;
        return taken;
    }
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class DetailWindowTest : public QObject {
    Q_OBJECT

private:
    FakeDialogs dialogs;
    std::unique_ptr<Detail> detail;
    std::unique_ptr<QTemporaryDir> folder;

    DetailWindow *show(const char *hosts, const char *a = "192", const char *b = "168",
                       const char *c = "0")
    {
        DetailWindow &window = detail->obtain();
        window.clearRanges();
        window.fill(vellacor::buildDetailReport(hosts, a, b, c).report);
        window.show();
        return &window;
    }
    QListWidget *list() { return detail->window()->findChild<QListWidget *>("Val_IP_Add"); }
    QString text(const char *name)
    {
        return detail->window()->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    QStringList subnetLabels() { return {text("RangeIP"), text("netID"), text("BCAddress")}; }
    QStringList planLabels()
    {
        return {text("netMask"), text("nSubnet"), text("max_client"), text("prefix")};
    }
    QString path(const QString &name) const { return folder->filePath(name); }
    void saveAs(const std::optional<QString> &answer)
    {
        dialogs.answers.append(answer.value_or(QString()));
        QTest::mouseClick(detail->window()->findChild<QPushButton *>("save"), Qt::LeftButton);
    }
    void expectSaveFailure(const QString &file)
    {
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].title, QString("Save File"));
        QCOMPARE(dialogs.messages[0].icon, FakeDialogs::Icon::Warning);
        QVERIFY2(dialogs.messages[0].text.contains(QDir::toNativeSeparators(file)),
                 qPrintable(dialogs.messages[0].text));
        QVERIFY(!dialogs.messages[0].text.contains("File Saved"));
    }

private slots:
    void init()
    {
        dialogs = FakeDialogs();
        detail = std::make_unique<Detail>(dialogs);
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
    }
    void cleanup()
    {
        detail.reset();
        folder.reset();
    }

    void layout()
    {
        DetailWindow *window = show("50");
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!window->parentWidget());
        const QStringList titles{"Subnet Mask ",     "Total Subnet", "Max Host Per Subnet",
                                 "Prefix Lenght",    "Range IP",     "Network ID",
                                 "Broadcast Address"};
        const char *names[] = {"Label3", "Label12", "Label6", "Label1",
                               "Label2", "Label8",  "Label5"};
        for (int row = 0; row < titles.size(); ++row)
            QCOMPARE(window->findChild<QLabel *>(names[row])->text(), titles[row]);
        for (int index = 0; index < 5; ++index)
            QCOMPARE(window->findChild<QLabel *>(QString("Label4_%1").arg(index))->text(), ":");
        QCOMPARE(list()->toolTip(), QString("Click To View Subnet Information"));
        QCOMPARE(window->findChild<QLabel *>("netMask")->geometry(), QRect(176, 24, 169, 17));
        QVERIFY(window->findChild<QLabel *>("netMask")->font().bold());
        QCOMPARE(window->findChild<QPushButton *>("save")->text(), QString("&Save To Notepad"));
    }

    void selection_data()
    {
        QTest::addColumn<QString>("hosts");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected"); // RangeIP, netID, BCAddress
        QTest::newRow("/24") << "254" << 0
                             << QStringList{"192.168.0.1 - 192.168.0.254", "192.168.0.0",
                                            "192.168.0.255"};
        QTest::newRow("/25 second")
            << "100" << 1
            << QStringList{"192.168.0.129 - 192.168.0.254", "192.168.0.128", "192.168.0.255"};
        QTest::newRow("/26 second")
            << "50" << 1
            << QStringList{"192.168.0.65 - 192.168.0.126", "192.168.0.64", "192.168.0.127"};
        QTest::newRow("/30 one digit")
            << "2" << 1 << QStringList{"192.168.0.5 - 192.168.0.6", "192.168.0.4", "192.168.0.7"};
        QTest::newRow("/30 last") << "2" << 63
                                  << QStringList{"192.168.0.253 - 192.168.0.254", "192.168.0.252",
                                                 "192.168.0.255"};
    }
    void selection()
    {
        QFETCH(QString, hosts);
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        show(qPrintable(hosts));
        const QStringList plan = planLabels();
        const int lines = list()->count();
        list()->setCurrentRow(row);
        QCOMPARE(subnetLabels(), expected);
        list()->setCurrentRow(0);
        list()->setCurrentRow(row);
        QCOMPARE(subnetLabels(), expected);
        QCOMPARE(planLabels(), plan);
        QCOMPARE(list()->count(), lines);
    }

    void selectingTheFirstLineRepeatsTheCalculation()
    {
        show("14", "10", "0", "0");
        const QStringList calculated = subnetLabels();
        list()->setCurrentRow(0);
        QCOMPARE(subnetLabels(), calculated);
    }

    void clickAndArrowKeysSelect()
    {
        DetailWindow *window = show("50");
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QRect second = list()->visualItemRect(list()->item(1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(text("netID"), QString("192.168.0.64"));
        QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(text("netID"), QString("192.168.0.128"));
    }

    void newReportShowsItsFirstLine()
    {
        QVERIFY(QTest::qWaitForWindowExposed(show("2")));
        list()->scrollToBottom();
        show("2");
        QCoreApplication::processEvents();
        QCOMPARE(list()->indexAt(QPoint(1, 1)).row(), 0);
    }

    void noLineOrForeignLineChangesNothing()
    {
        show("50");
        list()->setCurrentRow(1);
        QStringList before = subnetLabels();
        list()->clearSelection();
        QCOMPARE(subnetLabels(), before);

        vellacor::DetailReport odd = vellacor::buildDetailReport("50", "1", "2", "3").report;
        for (const char *line : {"[-5.1.2.1 - -5.1.2.2]", "[]", "x", "[1.2.3.0 - 1.2.3.2]"})
            odd.Val_IP_Add.push_back(line);
        detail->obtain().clearRanges();
        detail->obtain().fill(odd);
        before = subnetLabels();
        for (int row = 4; row < list()->count(); ++row) {
            list()->setCurrentRow(row);
            QCOMPARE(subnetLabels(), before);
        }
    }

    void savedReportIsExact()
    {
        show("50");
        list()->setCurrentRow(2); // a selection changes nothing in the file
        saveAs(path("report"));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].title, QString("Save File"));
        QCOMPARE(dialogs.messages[0].text, QString("File Saved"));
        QCOMPARE(dialogs.messages[0].icon, FakeDialogs::Icon::Information);

        const QByteArray bytes = readFile(path("report.txt"));
        QVERIFY(bytes.endsWith("\r\n" COPYRIGHT "\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.takeLast(), QByteArray()); // the last line ends like every other
        QCOMPARE(lines.size(), 27);
        QVERIFY(lines[24].startsWith("Generated         : "));
        QVERIFY(lines[24].size() > 22);
        lines[24] = "Generated         : \r";
        const QByteArray expected =
            "Vellacor\r\nVersion : 1.1\r\nAuthor  : Tamsel\r\nE-Mail  : tamsel@example.com\r\n"
            "URL     : https://vellacor.example.org\r\n\r\n"
            "===============================================\r\nSub Network Information\r\n"
            "===============================================\r\n"
            "Subnet Mask              : 255.255.255.192\r\nTotal Subnet Per NetMask : 4\r\n"
            "Max Client Per Subnet    : 62\r\nPrefix Length            : /26\r\n"
            "-----------------------------------------------\r\n\r\n"
            "===============================================\r\nValid Range IP Address\r\n"
            "===============================================\r\n"
            "[192.168.0.1 - 192.168.0.62]\r\n[192.168.0.65 - 192.168.0.126]\r\n"
            "[192.168.0.129 - 192.168.0.190]\r\n[192.168.0.193 - 192.168.0.254]\r\n"
            "-----------------------------------------------\r\n\r\n"
            "Generated         : \r\n\r\n" COPYRIGHT "\r";
        QCOMPARE(lines.join('\n'), expected);
    }

    void txtIsAlwaysAppendedAndReplacesWhole()
    {
        show("2");
        writeFile(path("report.txt.txt"), QByteArray(20000, '#'));
        saveAs(path("report.txt"));
        const QByteArray bytes = readFile(path("report.txt.txt"));
        QVERIFY(bytes.startsWith("Vellacor\r\n"));
        QVERIFY(!bytes.contains('#'));
        QCOMPARE(bytes.count('\n'), 87);
        QVERIFY(!QFile::exists(path("report.txt")));
    }

    void dialogStateFollowsTheWindow()
    {
        show("50");
        saveAs(path("first"));
        saveAs(std::nullopt); // cancelled: nothing written, nothing shown
        saveAs(path("second"));
        QCOMPARE(dialogs.saveRequests.size(), 3);
        QCOMPARE(dialogs.saveRequests[0].name, QString());
        QCOMPARE(dialogs.saveRequests[0].filter, QString());
        QCOMPARE(dialogs.saveRequests[1].name, path("first"));
        QCOMPARE(dialogs.saveRequests[1].filter, QString("Text Documents (*.txt)"));
        QCOMPARE(dialogs.saveRequests[2].name, path("first"));
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files),
                 (QStringList{"first.txt", "second.txt"}));

        detail->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!detail->window());
        show("50");
        saveAs(std::nullopt);
        QCOMPARE(dialogs.saveRequests[3].name, QString());
        QCOMPARE(dialogs.saveRequests[3].filter, QString());
    }

    // Alt+F4 while Save To Notepad is held: the release still reaches the closed window, whose
    // deletion is on its way; a save dialog opened now would be deleted with it.
    void pressReleasedAfterTheCloseSavesNothing()
    {
        DetailWindow *window = show("50");
        auto *save = window->findChild<QPushButton *>("save");
        QTest::mousePress(save, Qt::LeftButton);
        window->close();
        QTest::mouseRelease(save, Qt::LeftButton);
        QVERIFY(dialogs.asked.isEmpty());
    }

    void secondPressWhileTheDialogWaitsIsIgnored()
    {
        show("50");
        dialogs.whileWaiting = [this] { saveAs(path("earlier")); };
        saveAs(path("report"));
        QCOMPARE(dialogs.saveRequests.size(), 1);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList{"report.txt"});
    }

    // The longest names a file system takes leave no room for a temporary name beside them.
    void longestNameSavesAgain()
    {
        show("50");
        const QString name = path(QString(250 - 4, 'r'));
        saveAs(name);
        saveAs(name);
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.messages[1].text, QString("File Saved"));
        QVERIFY(readFile(name + ".txt").startsWith("Vellacor\r\n"));
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        dialogs.messages.clear();
        saveAs(path(QString(256 - 4, 'r')));
        expectSaveFailure(path(QString(256 - 4, 'r') + ".txt"));
        QVERIFY2(!dialogs.messages[0].text.contains("Unknown error"),
                 qPrintable(dialogs.messages[0].text));
    }

    void unwritableFilesAreReported()
    {
        show("50");
        writeFile(path("earlier.txt"), "earlier report");
        QDir(folder->path()).mkdir("folder.txt");

        saveAs(path("missing/report"));
        expectSaveFailure(path("missing/report.txt"));
        dialogs.messages.clear();
        saveAs(path("folder"));
        expectSaveFailure(path("folder.txt"));
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files), QStringList{"earlier.txt"});
        QCOMPARE(readFile(path("earlier.txt")), QByteArray("earlier report"));

        // A save dialog that cannot open is a save that failed, not one cancelled.
        dialogs.messages.clear();
        dialogs.failure = "the file name is not valid";
        saveAs(path("report"));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].title, QString("Save File"));
        QCOMPARE(dialogs.messages[0].icon, FakeDialogs::Icon::Warning);
        QCOMPARE(dialogs.messages[0].text,
                 QString("Could not open the save dialog: the file name is not valid"));
    }

    void readOnlyFolderIsReported()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows folders have no write permission of their own to take away");
#else
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        show("50");
        QDir(folder->path()).mkdir("locked");
        QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);
        saveAs(path("locked/report"));
        expectSaveFailure(path("locked/report.txt"));
        QVERIFY(QDir(path("locked")).isEmpty());
#endif
    }

    // An earlier report that was made read-only goes the same way under a short name as
    // under a long one: where it may be written (root, on POSIX) it is replaced, where not the
    // same reason is told.
    void readOnlyEarlierReportGoesAlike()
    {
        show("50");
        QStringList outcomes;
        for (const QString &name : {QString("report"), QString(250 - 4, 'r')}) {
            writeFile(path(name + ".txt"), "earlier report");
            QFile::setPermissions(path(name + ".txt"), QFile::ReadOwner | QFile::ReadGroup);
            dialogs.messages.clear();
            saveAs(path(name));
            QCOMPARE(dialogs.messages.size(), 1);
            const QString file = path(name + ".txt");
            outcomes << dialogs.messages[0]
                            .text.replace(QDir::toNativeSeparators(file), "NAME")
                            .replace(file, "NAME");
        }
        QCOMPARE(outcomes[1], outcomes[0]);
    }

    // A short name goes through QSaveFile, one near the longest a folder takes through a
    // temporary name of the program's own; neither leaves a file behind when the disk is full.
    void fullDiskKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("short name") << QString("report");
        QTest::newRow("longest name") << QString(250 - 4, 'r');
    }
    void fullDiskKeepsTheEarlierFile()
    {
#ifdef Q_OS_WIN
        QSKIP("the file-size limit that stands in for a full disk is POSIX");
#else
        QFETCH(QString, name);
        show("2");
        writeFile(path(name + ".txt"), "earlier report");
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small{500, old.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        saveAs(path(name));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        expectSaveFailure(path(name + ".txt"));
        QCOMPARE(readFile(path(name + ".txt")), QByteArray("earlier report"));
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{name + ".txt"});
#endif
    }

    void shortWriteIsAFailure()
    {
        ShortDevice device;
        QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QVERIFY(!vellacor::writeAll(device, QByteArray(100, 'x')));
        QBuffer whole;
        QVERIFY(whole.open(QIODevice::WriteOnly));
        QVERIFY(vellacor::writeAll(whole, QByteArray(100, 'x')));
    }

    void generatedStamp()
    {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QDate date(2009, 3, 2);
        auto stamp = [&](QTime time, const QLocale &locale) {
            return vellacor::generatedStamp(QDateTime(date, time), locale);
        };
        QCOMPARE(stamp(QTime(8, 17, 48), us), QString("3/2/2009 8:17:48 AM"));
        QCOMPARE(stamp(QTime(20, 17, 48), us), QString("3/2/2009 8:17:48 PM"));
        QCOMPARE(stamp(QTime(0, 0, 0), us), QString("3/2/2009"));
        QCOMPARE(stamp(QTime(0, 0, 1), us), QString("3/2/2009 12:00:01 AM"));
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(stamp(QTime(8, 17, 48), german), QString("02.03.2009 08:17:48"));
        QCOMPARE(stamp(QTime(0, 0, 0), german), QString("02.03.2009"));
        // Any other space character of a locale's formats or AM/PM text is a plain blank.
        for (const QLocale &locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
            const QString text = stamp(QTime(8, 17, 48), locale);
            for (const QChar character : text)
                QVERIFY2(!character.isSpace() || character == u' ', qPrintable(locale.name()));
        }
    }
};

QTEST_MAIN(DetailWindowTest)
#include "detailwindow_test.moc"
