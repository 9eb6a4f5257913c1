#include "detail/detail.h"
#include "detail/detailwindow.h"
#include "fakedialogs.h"
#include "main/mainwindow.h"

#include <QAccessible>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

// What a screen reader is told about each control, through the interface it reads.
class AccessibilityTest : public QObject {
    Q_OBJECT

    static QString spoken(QWidget *widget, QAccessible::Text text = QAccessible::Name)
    {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        return accessible ? accessible->text(text) : QStringLiteral("<none>");
    }
    static QWidget *child(QWidget *window, const char *name)
    {
        QWidget *found = window->findChild<QWidget *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

private slots:
    void everyControlHasAName()
    {
        FakeDialogs dialogs;
        vellacor::Detail detail(dialogs);
        vellacor::MainWindow window(detail, dialogs);
        const std::pair<const char *, const char *> names[] = {
            {"nUser", "Client Number"},
            {"subnet_0", "Subnet Format, octet 1"},
            {"subnet_1", "Subnet Format, octet 2"},
            {"subnet_2", "Subnet Format, octet 3"},
            {"subnet_3", "Subnet Format, octet 4"},
            {"max", "Use Max Client"},
            {"chk_default", "Use Default"},
            {"calc", "Calculate"},
            {"reset", "Reset"},
        };
        for (const auto &[control, name] : names)
            QCOMPARE(spoken(child(&window, control)), QString::fromLatin1(name));

        vellacor::DetailWindow &report = detail.obtain();
        QCOMPARE(spoken(child(&report, "Val_IP_Add")), QString("Valid Range IP Address"));
        QCOMPARE(spoken(child(&report, "save")), QString("Save To Notepad"));
    }

    // Decoration is not there for a screen reader; a frame is named by its own caption, the
    // list described by its tooltip, and an input labelled by its row title.
    void decorationIsSilentAndTitlesLabel()
    {
        FakeDialogs dialogs;
        vellacor::Detail detail(dialogs);
        vellacor::MainWindow window(detail, dialogs);
        vellacor::DetailWindow &report = detail.obtain();
        for (QWidget *widget :
             {child(&window, "Text1"), child(&window, "Picture3"), child(&window, "Picture1"),
              child(&report, "Label4_0"), child(&report, "Label9"), child(&report, "Label11")}) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            QAccessibleInterface *parent = accessible->parent();
            QCOMPARE(parent->indexOfChild(accessible), -1);
            for (int index = 0; index < parent->childCount(); ++index)
                QVERIFY(parent->child(index) != accessible);
        }
        QCOMPARE(spoken(child(&report, "Frame3")), QString("Subnet Information"));
        QCOMPARE(spoken(child(&report, "Val_IP_Add"), QAccessible::Description),
                 QString("Click To View Subnet Information"));
        const auto labels = QAccessible::queryAccessibleInterface(child(&window, "nUser"))
                                ->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels[0].first->object(), child(&window, "Label1"));
    }

    void valuesAreSpokenWithTheirRow()
    {
        FakeDialogs dialogs;
        vellacor::Detail detail(dialogs);
        vellacor::MainWindow window(detail, dialogs);
        window.findChild<QLineEdit *>("nUser")->setText("50");
        QTest::mouseClick(window.findChild<QPushButton *>("calc"), Qt::LeftButton);
        QWidget *report = detail.window();
        QVERIFY(report);

        const std::array<std::array<const char *, 3>, 7> rows{{
            {"netMask", "255.255.255.192", "Subnet Mask"},
            {"nSubnet", "4", "Total Subnet"},
            {"max_client", "62", "Max Host Per Subnet"},
            {"prefix", "/26", "Prefix Length"},
            {"RangeIP", "192.168.0.1 - 192.168.0.62", "Range IP"},
            {"netID", "192.168.0.0", "Network ID"},
            {"BCAddress", "192.168.0.63", "Broadcast Address"},
        }};
        for (const auto &[control, value, row] : rows) {
            QCOMPARE(spoken(child(report, control)), QString::fromLatin1(value));
            QCOMPARE(spoken(child(report, control), QAccessible::Description),
                     QString::fromLatin1(row));
        }

        report->findChild<QListWidget *>("Val_IP_Add")->setCurrentRow(3);
        QCOMPARE(spoken(child(report, "netID")), QString("192.168.0.192"));
        QCOMPARE(spoken(child(report, "BCAddress")), QString("192.168.0.255"));
        QCOMPARE(spoken(child(report, "RangeIP")), QString("192.168.0.193 - 192.168.0.254"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
