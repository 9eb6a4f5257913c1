#include "dialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

namespace vellacor {
namespace {

// A message box grows as wide as its longest unbroken run of characters, so a long path
// would make it as wide as the screen. Zero-width spaces after each folder separator and
// within long runs let the text wrap there without showing anything.
QString wrappable(const QString &text)
{
    constexpr int kLongestRun = 40;
    const QChar zeroWidthSpace(0x200B);
    QString result;
    result.reserve(text.size() + text.size() / 8);
    int run = 0;
    for (const QChar character : text) {
        result.append(character);
        run = character.isSpace() ? 0 : run + 1;
        if (character == QLatin1Char('/') || character == QLatin1Char('\\') || run == kLongestRun) {
            result.append(zeroWidthSpace);
            run = 0;
        }
    }
    return result;
}

} // namespace

void QtDialogs::showMessage(QWidget *parent, const QString &title, const QString &text, Icon icon)
{
    const QMessageBox::Icon boxIcon = icon == Icon::Information ? QMessageBox::Information
                                      : icon == Icon::Warning   ? QMessageBox::Warning
                                                                : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, title, wrappable(text), QMessageBox::Ok, parent);
    // A box is only as wide as its text, and a title bar that narrow shows "Vell…" of its
    // title; room for the title and the title bar's buttons keeps it whole.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int width = box.fontMetrics().horizontalAdvance(title) * 3 / 2 + 120;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

std::optional<QString> QtDialogs::askSaveFileName(QWidget *parent, const QString &name,
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
