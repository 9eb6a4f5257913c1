#pragma once

#include <QWidget>

namespace vellacor {

// Marks a control that only draws (a picture, the octet strip, a dot between octets, a colon
// between a row title and its value): assistive technology is not shown it, so a screen
// reader neither stops on it nor reads it aloud.
void markDecoration(QWidget *widget);

// The plain panel that holds a frame's controls, filling the frame. The controls do not sit
// on the frame itself because a screen reader names an unnamed control after the frame it
// sits on and takes every control of a frame as labelled by its caption. Positions stay
// measured from the frame's outer corner.
class FrameBody final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrameBody)

public:
    explicit FrameBody(QWidget *frame);
};

} // namespace vellacor
