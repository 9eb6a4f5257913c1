#include "octetstrip.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace vellacor {
namespace {

// The caret is the start of the selection when text is selected.
int caretOf(const QLineEdit *field)
{
    return field->hasSelectedText() ? field->selectionStart() : field->cursorPosition();
}

} // namespace

OctetStrip::OctetStrip(const std::array<QLineEdit *, 4> &fields, QObject *parent)
    : QObject(parent), m_fields(fields)
{
    for (int index = 0; index < int(m_fields.size()); ++index) {
        m_fields[index]->installEventFilter(this);
        // textChanged, not textEdited: what the commands write moves the focus like typing.
        connect(m_fields[index], &QLineEdit::textChanged, this, [this, index] { changed(index); });
    }
}

bool OctetStrip::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        for (int index = 0; index < int(m_fields.size()); ++index) {
            if (watched != m_fields[index])
                continue;
            const auto *key = static_cast<QKeyEvent *>(event);
            keyDown(index, key->key());
            const QString text = key->text();
            keyPress(index, key->key() == Qt::Key_Backspace ? QChar(8)
                            : text.isEmpty()                ? QChar()
                                                            : text.front());
            break;
        }
    }
    return false;
}

void OctetStrip::changed(int index)
{
    if (m_fields[index]->text().size() == 3 && index + 1 < int(m_fields.size()))
        m_fields[index + 1]->setFocus(Qt::OtherFocusReason);
}

void OctetStrip::keyDown(int index, int key)
{
    const QLineEdit *field = m_fields[index];
    if (key == Qt::Key_Left && caretOf(field) == 0 && index > 0)
        focusAt(index - 1, 3);
    else if (key == Qt::Key_Right && caretOf(field) == field->text().size() && index < 2)
        focusAt(index + 1, 0);
}

void OctetStrip::keyPress(int index, QChar character)
{
    if (character == QChar(8) && m_fields[index]->text().isEmpty() && index > 0)
        focusAt(index - 1, 3);
}

void OctetStrip::focusAt(int index, int caret)
{
    QLineEdit *field = m_fields[index];
    field->setFocus(Qt::OtherFocusReason);
    field->setCursorPosition(std::min(caret, int(field->text().size())));
}

} // namespace vellacor
