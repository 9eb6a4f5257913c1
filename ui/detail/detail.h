#pragma once

#include <QPointer>

namespace vellacor {

class DetailWindow;
class Dialogs;

// The one detail report for the whole run. Its on-screen window is made when first needed,
// deleted with its contents when the user closes it, and made afresh by the next request.
class Detail {
    Q_DISABLE_COPY_MOVE(Detail)

public:
    explicit Detail(Dialogs &dialogs);
    ~Detail();

    // The window, created hidden and empty if it does not exist at the moment.
    DetailWindow &obtain();
    // The window if it exists, without creating it.
    DetailWindow *window() const;

private:
    Dialogs &m_dialogs;
    QPointer<DetailWindow> m_window;
};

} // namespace vellacor
