#include "detail.h"

#include "detailwindow.h"

namespace vellacor {

Detail::Detail(Dialogs &dialogs) : m_dialogs(dialogs) {}

Detail::~Detail()
{
    delete m_window.data();
}

DetailWindow &Detail::obtain()
{
    // A window closed a moment ago is deleted once the event loop gets to it: showing the new
    // report in it would show it only until then.
    if (!m_window || m_window->closed()) {
        m_window = new DetailWindow(m_dialogs);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    return *m_window;
}

DetailWindow *Detail::window() const
{
    return m_window.data();
}

} // namespace vellacor
