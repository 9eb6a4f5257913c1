#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace vellacor {

// Every modal question the windows ask goes through here, so tests can answer them.
class Dialogs {
public:
    enum class Icon { None, Information, Warning };

    virtual ~Dialogs() = default;

    // A modal message with a single OK button.
    virtual void message(QWidget *parent, const QString &title, const QString &text, Icon icon) = 0;

    // A file-save dialog opened at name; an empty filter lists every file. Nothing when the
    // user cancels.
    virtual std::optional<QString> saveFileName(QWidget *parent, const QString &name,
                                                const QString &filter) = 0;
};

// The dialogs a user sees: QMessageBox and QFileDialog.
class QtDialogs final : public Dialogs {
public:
    void message(QWidget *parent, const QString &title, const QString &text, Icon icon) override;
    std::optional<QString> saveFileName(QWidget *parent, const QString &name,
                                        const QString &filter) override;
};

} // namespace vellacor
