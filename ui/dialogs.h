#pragma once

#include <QCloseEvent>
#include <QString>
#include <QtGlobal>

#include <optional>

class QWidget;

namespace vellacor {

// Every modal question the windows ask goes through here, so tests can answer them. While
// one waits for the user, anyOpen() says so, whichever window asked.
class Dialogs {
public:
    enum class Icon { None, Information, Warning };

    virtual ~Dialogs() = default;

    // A modal message with a single OK button.
    void message(QWidget *parent, const QString &title, const QString &text, Icon icon)
    {
        const Open open;
        showMessage(parent, title, text, icon);
    }

    // What a save dialog gave: the name chosen; no name when the user cancelled, or when the
    // dialog could not open, and then why.
    struct SaveChoice {
        std::optional<QString> name;
        QString failure;
    };

    // A file-save dialog opened at name; an empty filter lists every file.
    SaveChoice saveFileName(QWidget *parent, const QString &name, const QString &filter)
    {
        const Open open;
        return askSaveFileName(parent, name, filter);
    }

    // True while one of the program's dialogs waits for the user.
    static bool anyOpen() { return s_open > 0; }

    // For a window's closeEvent(): true, with the close refused, while a dialog waits. The
    // dialogs block every window of the program, but a Wayland compositor's close reaches a
    // blocked window all the same (Qt lets it through as the window's own close()); closing
    // then would take the dialog, or the program, with it.
    static bool refuseClose(QCloseEvent *event)
    {
        if (!anyOpen())
            return false;
        event->ignore();
        return true;
    }

protected:
    virtual void showMessage(QWidget *parent, const QString &title, const QString &text,
                             Icon icon) = 0;
    virtual SaveChoice askSaveFileName(QWidget *parent, const QString &name,
                                       const QString &filter) = 0;

private:
    struct Open {
        Q_DISABLE_COPY_MOVE(Open)
        Open() { ++s_open; }
        ~Open() { --s_open; }
    };
    static inline int s_open = 0;
};

// Held by a command for as long as it runs. A dialog's wait lets queued input in: a second
// press of the same command (an access key and a click a few milliseconds apart) would open a
// second dialog under the first, and a command of the other window would run under a dialog
// that is not its own. Either finds the guard closed and does nothing, as a click on a window
// that a dialog blocks does; the next press after the dialog runs as usual.
class CommandGuard {
    Q_DISABLE_COPY_MOVE(CommandGuard)

public:
    explicit CommandGuard(bool &running)
        : m_running(running), m_entered(!running && !Dialogs::anyOpen())
    {
        if (m_entered)
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

// The dialogs a user sees: QMessageBox, and QFileDialog or, on Windows, its own save dialog.
class QtDialogs final : public Dialogs {
protected:
    void showMessage(QWidget *parent, const QString &title, const QString &text,
                     Icon icon) override;
    SaveChoice askSaveFileName(QWidget *parent, const QString &name,
                               const QString &filter) override;
};

} // namespace vellacor
