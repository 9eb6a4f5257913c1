#pragma once

#include <QString>
#include <QtGlobal>

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

// Held by a command for as long as it runs. A dialog's wait lets queued input in, so a second
// press of the same command (an access key and a click a few milliseconds apart) would
// otherwise open a second dialog under the first; it finds the guard taken and does nothing.
class CommandGuard {
    Q_DISABLE_COPY_MOVE(CommandGuard)

public:
    explicit CommandGuard(bool &running) : m_running(running), m_entered(!running)
    {
        running = true;
    }
    ~CommandGuard()
    {
        if (m_entered)
            m_running = false;
    }
    // False when the command was already running: return at once.
    explicit operator bool() const { return m_entered; }

private:
    bool &m_running;
    const bool m_entered;
};

// The dialogs a user sees: QMessageBox and QFileDialog.
class QtDialogs final : public Dialogs {
public:
    void message(QWidget *parent, const QString &title, const QString &text, Icon icon) override;
    std::optional<QString> saveFileName(QWidget *parent, const QString &name,
                                        const QString &filter) override;
};

} // namespace vellacor
