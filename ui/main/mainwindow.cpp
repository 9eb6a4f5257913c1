#include "mainwindow.h"

#include "accessible.h"
#include "appinfo.h"
#include "commandbutton.h"
#include "detail/detail.h"
#include "detail/detailwindow.h"
#include "dialogs.h"
#include "normalise.h"
#include "octetstrip.h"
#include "picturebox.h"
#include "placement.h"
#include "report.h"
#include "widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace vellacor {
namespace {

const QColor kSilver(192, 192, 192);

void fillWith(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

PictureBox *picture(QWidget *parent, const char *name, const char *image, int left, int top,
                    int width, int height)
{
    auto *box =
        place(new PictureBox(QString::fromLatin1(image), parent), name, left, top, width, height);
    box->setFocusPolicy(Qt::NoFocus);
    markDecoration(box);
    return box;
}

std::string textOf(const QLineEdit *field)
{
    return field->text().toStdString();
}

} // namespace

MainWindow::MainWindow(Detail &detail, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_detail(detail), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QString::fromLatin1(kMainCaption));
    setFixedSize(px(7380), px(5025));
    setFont(verdana());
    setPalette(classicPalette());
    fillWith(this, QPalette::Window, kSilver);

    picture(this, "Picture1", ":/vellacor/banner.jpg", -30, -30, 7455, 1455);
    picture(this, "Picture2", ":/vellacor/footer.jpg", 0, 4320, 7455, 735);
    buildFrame();
    calc = place(new CommandButton(tr("&Calculate"), this), "calc", 2280, 3600, 1215, 375);
    reset = place(new CommandButton(tr("&Reset"), this), "reset", 3720, 3600, 1215, 375);

    setTabOrder(nUser, max);
    setTabOrder(max, subnet[0]);
    setTabOrder(subnet[0], subnet[3]);
    setTabOrder(subnet[3], subnet[1]);
    setTabOrder(subnet[1], subnet[2]);
    setTabOrder(subnet[2], chk_default);
    setTabOrder(chk_default, calc);
    setTabOrder(calc, reset);
    nUser->setFocus();

    new OctetStrip(subnet, this);
    connect(calc, &QPushButton::clicked, this, &MainWindow::calculate);
    connect(reset, &QPushButton::clicked, this, &MainWindow::resetFields);
    // toggled, not clicked: a screen reader's or switch device's toggle action changes the
    // mark without a click, and the commands follow every change the user makes.
    connect(chk_default, &QCheckBox::toggled, this, &MainWindow::useDefault);
    connect(max, &QCheckBox::toggled, this, &MainWindow::useMaxClient);

    holdFixedSize(this);
    (new CentredPlacement(this))->centre();
}

void MainWindow::buildFrame()
{
    auto *box = place(new QGroupBox(tr("Subnet Calculating"), this), "Frame1", 120, 1680, 7095,
                      1695, verdana(8.25, true));
    fillWith(box, QPalette::Window, kSilver);
    QWidget *frame = new FrameBody(box);

    QLabel *hostTitle = label(frame, "Label1", tr("Client Number"), 240, 480, 1335, 255);
    nUser = place(new QLineEdit(frame), "nUser", 1680, 400, 615, 360);
    nUser->setAlignment(Qt::AlignCenter);
    nUser->setAccessibleName(tr("Client Number"));
    hostTitle->setBuddy(nUser);
    max = place(new QCheckBox(tr("Use Max Client"), frame), "max", 2520, 480, 2055, 255);
    QLabel *octetTitle = label(frame, "Label2", tr("Subnet Format"), 240, 960, 1335, 255);

    auto *strip = place(new QFrame(frame), "Picture3", 1680, 920, 2295, 300);
    strip->setFocusPolicy(Qt::NoFocus);
    fillWith(strip, QPalette::Window, palette().color(QPalette::Base));
    markDecoration(strip);

    const QFont dotFont = verdana(9.75, true);
    for (auto [name, left] : {std::pair{"Text1", 2160}, {"Text6", 3360}, {"Text7", 2760}}) {
        auto *dot =
            place(new QLineEdit(QStringLiteral("."), frame), name, left, 920, 180, 285, dotFont);
        dot->setFrame(false);
        dot->setReadOnly(true);
        dot->setEnabled(false);
        dot->setAlignment(Qt::AlignCenter);
        dot->setTextMargins(0, 0, 0, 0);
        QPalette palette = dot->palette();
        palette.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
        dot->setPalette(palette);
        markDecoration(dot);
    }

    static constexpr const char *kNames[] = {"subnet_0", "subnet_1", "subnet_2", "subnet_3"};
    for (int index = 0; index < 4; ++index) {
        QLineEdit *field = place(new QLineEdit(QStringLiteral("0"), frame), kNames[index],
                                 1680 + 600 * index, 960, 495, 195);
        field->setFrame(false);
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        field->setTextMargins(0, 0, 0, 0);
        fillWith(field, QPalette::Base, Qt::white);
        field->setAccessibleName(tr("Subnet Format, octet %1").arg(index + 1));
        subnet[index] = field;
    }
    subnet[3]->setReadOnly(true);
    octetTitle->setBuddy(subnet[0]);

    chk_default =
        place(new QCheckBox(tr("Use Default"), frame), "chk_default", 4080, 960, 1575, 255);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!Dialogs::refuseClose(event))
        QWidget::closeEvent(event);
}

void MainWindow::calculate()
{
    const CommandGuard guard(m_calculating);
    if (!guard)
        return;
    const Checked checked =
        checkInputs(textOf(nUser), textOf(subnet[0]), textOf(subnet[1]), textOf(subnet[2]));
    if (!checked) {
        refuse(checked);
        return;
    }
    m_detail.obtain().clearRanges();
    val_input_max_client();
    val_format_subnet();
    ef_netmask();
}

void MainWindow::refuse(const Checked &checked)
{
    QString text;
    QLineEdit *field = nUser;
    switch (checked.error) {
    case InputError::HostCountEmpty:
        text = tr("Input Total Host");
        break;
    case InputError::HostCountNotNumber:
        text = tr("Client Number must be a number");
        break;
    case InputError::HostCountNotPositive:
        text = tr("Client Number must be greater than 0");
        break;
    case InputError::OctetNotWhole:
        text = tr("Octet %1 of Subnet Format must be a whole number").arg(checked.field);
        field = subnet[checked.field - 1];
        break;
    case InputError::None:
        return;
    }
    m_dialogs.message(this, QString::fromLatin1(kAppName), text, Dialogs::Icon::None);
    field->setFocus(Qt::OtherFocusReason);
}

void MainWindow::val_input_max_client()
{
    const HostCountNormalised result = normaliseHostCount(textOf(nUser));
    if (result.replaced)
        nUser->setText(QString::fromStdString(result.text));
}

void MainWindow::val_format_subnet()
{
    const OctetsNormalised result =
        normaliseOctets(textOf(subnet[0]), textOf(subnet[1]), textOf(subnet[2]));
    for (const Replacement &replacement : result.replacements)
        subnet[replacement.index]->setText(QString::fromStdString(replacement.text));
}

void MainWindow::ef_netmask()
{
    const ReportResult result =
        buildDetailReport(textOf(nUser), textOf(subnet[0]), textOf(subnet[1]), textOf(subnet[2]));
    if (!result.check)
        return; // Calculate refuses such input first; never show a half-built report
    DetailWindow &window = m_detail.obtain();
    window.fill(result.report);
    // A new window opens on top; one already open may be behind this one.
    const bool wasOpen = window.isVisible();
    window.show();
    if (wasOpen)
        window.raise();
}

void MainWindow::useDefault()
{
    subnet[0]->setText(QStringLiteral("192"));
    subnet[1]->setText(QStringLiteral("168"));
    subnet[2]->setText(QStringLiteral("0"));
}

void MainWindow::useMaxClient()
{
    nUser->setText(QStringLiteral("254"));
}

void MainWindow::resetFields()
{
    // Never under a dialog, like the other commands (CommandGuard): it opens none itself.
    if (Dialogs::anyOpen())
        return;
    nUser->clear();
    for (int index = 0; index < 3; ++index)
        subnet[index]->setText(QStringLiteral("0"));
}

} // namespace vellacor
