#pragma once

#include <QEvent>
#include <QPushButton>
#include <QShortcutEvent>

namespace vellacor {

// A push button whose access key (Alt+C) runs its command when pressed. QPushButton only
// starts a 100 ms press animation and clicks when it ends, so a click on another window that
// follows the key within those 100 ms would run first, and the key's command would then run
// under the dialog that click opened. The key's order is the user's.
class CommandButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    bool event(QEvent *event) override
    {
        // An ambiguous key (two buttons share it) only moves the focus, as QPushButton does.
        if (event->type() == QEvent::Shortcut && isEnabled() &&
            !static_cast<QShortcutEvent *>(event)->isAmbiguous()) {
            click();
            return true;
        }
        return QPushButton::event(event);
    }
};

} // namespace vellacor
