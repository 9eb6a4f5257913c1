#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace vellacor {

class Dialogs;
struct DetailReport;

// "Detail Report": the plan's four values, every subnet's host range, and the range, network
// and broadcast address of one subnet: the first after a calculation, then whichever line
// the user chooses. Saves what it shows as a text report.
class DetailWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DetailWindow)

public:
    explicit DetailWindow(Dialogs &dialogs, QWidget *parent = nullptr);

    void clearRanges();
    // Sets the seven values in the report's order, then adds the lines without selecting one.
    void fill(const DetailReport &report);
    // True once the user has closed the window: it is on its way to deletion.
    bool closed() const { return m_closed; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildSummary();
    void buildRanges();
    void showSelectedSubnet();
    void exportReport();

    Dialogs &m_dialogs;
    QLabel *netMask = nullptr;
    QLabel *nSubnet = nullptr;
    QLabel *max_client = nullptr;
    QLabel *prefix = nullptr;
    QLabel *RangeIP = nullptr;
    QLabel *netID = nullptr;
    QLabel *BCAddress = nullptr;
    QListWidget *Val_IP_Add = nullptr;
    QPushButton *save = nullptr;

    // The save dialog's state lives and dies with the window.
    QString saveName;
    QString saveFilter;
    bool m_exporting = false;
    bool m_closed = false;
};

} // namespace vellacor
