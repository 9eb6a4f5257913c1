#include "accessible.h"

#include <QAccessibleWidget>

namespace vellacor {
namespace {

constexpr char kDecoration[] = "vellacorDecoration";

// The program's own windows and panels, as assistive technology sees them: as Qt shows any
// widget, less the children that only decorate.
class Panel final : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return int(children().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> shown = children();
        return index >= 0 && index < shown.size()
                   ? QAccessible::queryAccessibleInterface(shown[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(children().indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
    }

    // A panel has no name of its own: Qt would lend it the caption of the frame it fills.
    QString text(QAccessible::Text text) const override
    {
        if (text == QAccessible::Name && !widget()->isWindow())
            return widget()->accessibleName();
        return QAccessibleWidget::text(text);
    }

private:
    QList<QWidget *> children() const
    {
        QList<QWidget *> shown;
        for (QObject *object : widget()->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && !child->isWindow() && !child->property(kDecoration).toBool())
                shown.append(child);
        }
        return shown;
    }
};

// Qt asks the factories with the most derived class name first, which for the program's own
// classes no built-in factory knows.
QAccessibleInterface *panelFactory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && className.startsWith(QLatin1String("vellacor::")))
        return new Panel(widget);
    return nullptr;
}

} // namespace

void markDecoration(QWidget *widget)
{
    // Installed while the windows are built, before anything asks for an interface.
    static const bool installed = [] {
        QAccessible::installFactory(panelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(kDecoration, true);
}

FrameBody::FrameBody(QWidget *frame) : QWidget(frame)
{
    setGeometry(frame->rect());
}

} // namespace vellacor
