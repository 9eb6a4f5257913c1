#include "dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vellacor {

void QtDialogs::message(QWidget *parent, const QString &title, const QString &text, Icon icon)
{
    const QMessageBox::Icon boxIcon = icon == Icon::Information ? QMessageBox::Information
                                      : icon == Icon::Warning   ? QMessageBox::Warning
                                                                : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtDialogs::saveFileName(QWidget *parent, const QString &name,
                                               const QString &filter)
{
    // The report appends ".txt" to whatever name is chosen, so the dialog's own question
    // about replacing the chosen name would ask about the wrong file.
    const QString chosen = QFileDialog::getSaveFileName(parent, QString(), name, filter, nullptr,
                                                        QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace vellacor
