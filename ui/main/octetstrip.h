#pragma once

#include <QObject>

#include <array>

class QLineEdit;

namespace vellacor {

// Makes the four octet fields feel like one address entry: three characters move the focus
// on, and Left, Right and Backspace cross from field to field at the borders. The rules look
// at each key before the field does and never consume it.
class OctetStrip : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OctetStrip)

public:
    OctetStrip(const std::array<QLineEdit *, 4> &fields, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void changed(int index);
    void keyDown(int index, int key);
    void keyPress(int index, QChar character);
    void focusAt(int index, int caret);

    std::array<QLineEdit *, 4> m_fields;
};

} // namespace vellacor
