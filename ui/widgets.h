#pragma once

#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QString>

namespace vellacor {

// Layout tables are in twips: 15 to a pixel at 96 dots per inch.
constexpr int px(int twips)
{
    return twips / 15;
}

// Verdana where it is installed; otherwise Qt picks the nearest sans font.
inline QFont verdana(qreal points = 8.25, bool bold = false)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename Widget>
Widget *place(Widget *widget, const char *name, int left, int top, int width, int height,
              const QFont &font = verdana())
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(px(left), px(top), px(width), px(height));
    widget->setFont(font);
    return widget;
}

inline QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top,
                     int width, int height, const QFont &font = verdana())
{
    return place(new QLabel(text, parent), name, left, top, width, height, font);
}

// The light palette the windows' fixed colours were chosen for (dark text on silver, white
// and the light grey of button faces), whatever colour scheme the desktop uses. Dialogs,
// being windows of their own, keep the desktop's scheme.
inline QPalette classicPalette()
{
    // From the button face Qt derives every other role; each is then set explicitly, so none
    // falls back to the desktop's palette.
    QPalette derived(QColor(240, 240, 240));
    derived.setColor(QPalette::Highlight, QColor(0, 120, 215));
    QPalette palette;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colorGroup = QPalette::ColorGroup(group);
            const auto colorRole = QPalette::ColorRole(role);
            palette.setBrush(colorGroup, colorRole, derived.brush(colorGroup, colorRole));
        }
    }
    return palette;
}

} // namespace vellacor
