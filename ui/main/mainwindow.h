#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vellacor {

class Detail;
class Dialogs;
struct Checked;

// The start-up window: a host count, a network's first three octets and the commands that
// turn them into a detail report. Calculate checks the inputs before it changes anything,
// then normalises the fields and hands the report to the detail window.
class MainWindow : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    MainWindow(Detail &detail, Dialogs &dialogs, QWidget *parent = nullptr);

    // Apply the host-count rule to nUser, writing back only a replaced text.
    void val_input_max_client();
    // Apply the octet rules, writing each replacement into its field in the rules' order.
    void val_format_subnet();
    // Build the report from the fields, fill the detail window and show it.
    void ef_netmask();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildFrame();
    void calculate();
    void useDefault();
    void useMaxClient();
    void resetFields();
    void refuse(const Checked &checked);

    Detail &m_detail;
    Dialogs &m_dialogs;
    QLineEdit *nUser = nullptr;
    QCheckBox *max = nullptr;
    QCheckBox *chk_default = nullptr;
    std::array<QLineEdit *, 4> subnet{};
    QPushButton *calc = nullptr;
    QPushButton *reset = nullptr;
    bool m_calculating = false;
};

} // namespace vellacor
