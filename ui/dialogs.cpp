#include "dialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

#ifdef Q_OS_WIN
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include <vector>
#endif

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

#ifdef Q_OS_WIN
namespace {

// "Text Documents (*.txt)" as the common dialog takes it: "Text Documents (*.txt)", NUL,
// "*.txt", NUL, NUL. Empty for an empty filter.
std::wstring commonDialogFilter(const QString &filter)
{
    if (filter.isEmpty())
        return {};
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    const QString patterns = open >= 0 && close > open
                                 ? filter.mid(open + 1, close - open - 1).replace(' ', ';')
                                 : QStringLiteral("*");
    std::wstring result = filter.toStdWString();
    result.push_back(L'\0');
    result += patterns.toStdWString();
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

} // namespace

// Why the common dialog call failed, from CommDlgExtendedError().
QString commonDialogFailure(DWORD code)
{
    QString what;
    switch (code) {
    case FNERR_INVALIDFILENAME:
        what = QObject::tr("the file name is not valid");
        break;
    case FNERR_BUFFERTOOSMALL:
        what = QObject::tr("the file name is too long");
        break;
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
        what = QObject::tr("not enough memory");
        break;
    default:
        what = QObject::tr("the dialog failed");
        break;
    }
    return QObject::tr("%1 (common dialog error 0x%2)")
        .arg(what)
        .arg(code, 4, 16, QLatin1Char('0'));
}

// Windows' own save dialog, through the common dialog call without a default extension: the
// dialog adds none to a typed name, and the report adds its ".txt" once. Qt's native dialog
// would set the filter's "txt" as the default extension, so a typed "r2" came back "r2.txt"
// and was saved as "r2.txt.txt" from the second save on, once the filter was there.
Dialogs::SaveChoice QtDialogs::askSaveFileName(QWidget *parent, const QString &name,
                                               const QString &filter)
{
    QWidget *owner = parent ? parent->window() : nullptr;
    const HWND ownerHandle = owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = QDir::toNativeSeparators(name).toStdWString();
    if (initial.size() < file.size())
        std::copy(initial.begin(), initial.end(), file.begin());
    const std::wstring filters = commonDialogFilter(filter);
    const std::wstring folder =
        QDir::toNativeSeparators(QFileInfo(name).absolutePath()).toStdWString();

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = ownerHandle;
    dialog.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = DWORD(file.size());
    // No OFN_OVERWRITEPROMPT: the report appends ".txt" to the chosen name, so the dialog's
    // question would be about the wrong file.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;

    // Modal for the whole program, as Qt's dialogs are: the call disables only its owner.
    std::vector<HWND> disabled;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window == owner || !window->isVisible())
            continue;
        const HWND handle = reinterpret_cast<HWND>(window->winId());
        if (IsWindowEnabled(handle)) {
            EnableWindow(handle, FALSE);
            disabled.push_back(handle);
        }
    }
    bool chosen = GetSaveFileNameW(&dialog);
    DWORD failure = chosen ? 0 : CommDlgExtendedError();
    // The name offered is the last one chosen, which the dialog may refuse to show (one longer
    // than MAX_PATH): then it opens in that name's folder, or every later save would fail too.
    if (failure == FNERR_INVALIDFILENAME && !name.isEmpty()) {
        std::fill(file.begin(), file.end(), L'\0');
        dialog.lpstrInitialDir = folder.c_str();
        chosen = GetSaveFileNameW(&dialog);
        failure = chosen ? 0 : CommDlgExtendedError();
    }
    for (const HWND handle : disabled)
        EnableWindow(handle, TRUE);
    if (failure != 0)
        return {std::nullopt, commonDialogFailure(failure)};
    if (!chosen || file[0] == L'\0')
        return {};
    return {QDir::fromNativeSeparators(QString::fromWCharArray(file.data())), QString()};
}
#else
Dialogs::SaveChoice QtDialogs::askSaveFileName(QWidget *parent, const QString &name,
                                               const QString &filter)
{
    // The report appends ".txt" to whatever name is chosen, so the dialog's own question
    // about replacing the chosen name would ask about the wrong file.
    const QString chosen = QFileDialog::getSaveFileName(parent, QString(), name, filter, nullptr,
                                                        QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return {};
    return {chosen, QString()};
}
#endif

} // namespace vellacor
