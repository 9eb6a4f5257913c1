#include "detailwindow.h"

#include "accessible.h"
#include "commandbutton.h"
#include "dialogs.h"
#include "placement.h"
#include "rangeline.h"
#include "report.h"
#include "reportexport.h"
#include "reportfile.h"
#include "widgets.h"

#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>

namespace vellacor {
namespace {

struct Row {
    const char *titleName;
    const char *title;
    int titleWidth;
    const char *colonName;
    const char *valueName;
    int valueWidth;
    const char *spoken; // the row as a screen reader names it
};

// Title, colon and bold value label in one row of a frame; returns the value label. A screen
// reader speaks the value as the label's name and the row title as its description, so it
// never reads out a bare number.
QLabel *row(QWidget *frame, const Row &row, int top, int valueLeft)
{
    const QString title = QString::fromLatin1(row.title);
    label(frame, row.titleName, title, 240, top, row.titleWidth, 255);
    markDecoration(label(frame, row.colonName, QStringLiteral(":"), 2400, top, 135, 255));
    QLabel *value = label(frame, row.valueName, QString(), valueLeft, top, row.valueWidth, 255,
                          verdana(8.25, true));
    value->setAccessibleDescription(QString::fromLatin1(row.spoken));
    return value;
}

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

DetailWindow::DetailWindow(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("detail"));
    setWindowTitle(tr("Detail Report"));
    setFixedSize(px(7245), px(7830));
    setFont(verdana());
    setPalette(classicPalette());

    buildSummary();
    buildRanges();
    save = place(new CommandButton(tr("&Save To Notepad"), this), "save", 2640, 6840, 1935, 495);
    QLabel *note = label(this, "Label7", tr("This Version Only Available For Network Class C"), 240,
                         7560, 6735, 375);
    note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
    note->setPalette(palette);

    holdFixedSize(this);

    setTabOrder(save, Val_IP_Add);
    save->setFocus(); // taken when the window first becomes active
    connect(save, &QPushButton::clicked, this, &DetailWindow::exportReport);
    connect(Val_IP_Add, &QListWidget::itemSelectionChanged, this,
            &DetailWindow::showSelectedSubnet);
}

void DetailWindow::buildSummary()
{
    QWidget *frame = new FrameBody(place(new QGroupBox(tr("Recommended Subnet Format"), this),
                                         "Frame1", 240, 240, 6735, 1815, verdana(8.25, true)));
    netMask =
        row(frame, {"Label3", "Subnet Mask ", 1815, "Label4_1", "netMask", 2535, "Subnet Mask"},
            360, 2640);
    nSubnet =
        row(frame, {"Label12", "Total Subnet", 1455, "Label11", "nSubnet", 1335, "Total Subnet"},
            720, 2640);
    max_client = row(frame,
                     {"Label6", "Max Host Per Subnet", 2055, "Label4_4", "max_client", 2535,
                      "Max Host Per Subnet"},
                     1080, 2640);
    prefix =
        row(frame, {"Label1", "Prefix Lenght", 1455, "Label9", "prefix", 1335, "Prefix Length"},
            1440, 2640);
}

void DetailWindow::buildRanges()
{
    QWidget *frame = new FrameBody(place(new QGroupBox(tr("Valid Range IP Address"), this),
                                         "Frame2", 240, 2280, 6735, 4455, verdana(8.25, true)));
    Val_IP_Add = place(new QListWidget(frame), "Val_IP_Add", 240, 360, 6255, 1980);
    Val_IP_Add->setSelectionMode(QAbstractItemView::SingleSelection);
    Val_IP_Add->setToolTip(tr("Click To View Subnet Information"));
    Val_IP_Add->setAccessibleName(tr("Valid Range IP Address"));
    Val_IP_Add->setAccessibleDescription(Val_IP_Add->toolTip());

    QWidget *info = new FrameBody(place(new QGroupBox(tr("Subnet Information"), frame), "Frame3",
                                        240, 2520, 6255, 1575, verdana(8.25, true)));
    RangeIP =
        row(info, {"Label2", "Range IP", 855, "Label4_3", "RangeIP", 3495, "Range IP"}, 360, 2520);
    netID = row(info, {"Label8", "Network ID", 1095, "Label4_2", "netID", 1935, "Network ID"}, 720,
                2520);
    BCAddress = row(
        info,
        {"Label5", "Broadcast Address", 1695, "Label4_0", "BCAddress", 1935, "Broadcast Address"},
        1080, 2520);
}

void DetailWindow::clearRanges()
{
    Val_IP_Add->clear();
}

void DetailWindow::fill(const DetailReport &report)
{
    netID->setText(QString::fromStdString(report.netID));
    netMask->setText(QString::fromStdString(report.netMask));
    BCAddress->setText(QString::fromStdString(report.BCAddress));
    RangeIP->setText(QString::fromStdString(report.RangeIP));
    max_client->setText(QString::fromStdString(report.max_client));
    prefix->setText(QString::fromStdString(report.prefix));
    nSubnet->setText(QString::fromStdString(report.nSubnet));
    QStringList lines;
    lines.reserve(qsizetype(report.Val_IP_Add.size()));
    for (std::string_view line : report.Val_IP_Add)
        lines.append(fromUtf8(line));
    Val_IP_Add->addItems(lines);
    // A new report starts at its first subnet, wherever the last one was scrolled to.
    Val_IP_Add->scrollToTop();
}

void DetailWindow::showSelectedSubnet()
{
    // Clearing the list also changes the selection; with no line there is nothing to show.
    const QList<QListWidgetItem *> selected = Val_IP_Add->selectedItems();
    if (selected.isEmpty())
        return;
    const auto subnet = selectRangeLine(selected.front()->text().toStdString());
    if (!subnet)
        return;
    RangeIP->setText(QString::fromStdString(subnet->RangeIP));
    netID->setText(QString::fromStdString(subnet->netID));
    BCAddress->setText(QString::fromStdString(subnet->BCAddress));
}

void DetailWindow::closeEvent(QCloseEvent *event)
{
    if (Dialogs::refuseClose(event))
        return;
    m_closed = true;
    QWidget::closeEvent(event);
}

void DetailWindow::exportReport()
{
    // A press released after the close (Alt+F4 while the button is held) still reaches the
    // window; its deletion is posted already and would take a dialog opened now with it.
    if (m_closed)
        return;
    const CommandGuard guard(m_exporting);
    if (!guard)
        return;
    const QString filter =
        saveFilter.isEmpty() ? QString() : saveFilter + QStringLiteral(" (*.txt)");
    const Dialogs::SaveChoice chosen = m_dialogs.saveFileName(this, saveName, filter);
    saveFilter = tr("Text Documents");
    if (!chosen.failure.isEmpty()) {
        m_dialogs.message(this, tr("Save File"),
                          tr("Could not open the save dialog: %1").arg(chosen.failure),
                          Dialogs::Icon::Warning);
        return;
    }
    if (!chosen.name)
        return;
    saveName = *chosen.name;

    ReportFileValues values{
        netMask->text().toStdString(),
        nSubnet->text().toStdString(),
        max_client->text().toStdString(),
        prefix->text().toStdString(),
        {},
        generatedStamp(QDateTime::currentDateTime(), QLocale::system()).toStdString()};
    values.lines.reserve(std::size_t(Val_IP_Add->count()));
    for (int loopIndex = 0; loopIndex < Val_IP_Add->count(); ++loopIndex)
        values.lines.push_back(Val_IP_Add->item(loopIndex)->text().toStdString());

    const QString path = saveName + QStringLiteral(".txt");
    const SaveOutcome outcome = saveWhole(path, encodeForSystem(fromUtf8(reportFileText(values))));
    if (outcome.saved) {
        m_dialogs.message(this, tr("Save File"), tr("File Saved"), Dialogs::Icon::Information);
    } else {
        m_dialogs.message(
            this, tr("Save File"),
            tr("Could not save %1: %2").arg(QDir::toNativeSeparators(path), outcome.error),
            Dialogs::Icon::Warning);
    }
}

} // namespace vellacor
