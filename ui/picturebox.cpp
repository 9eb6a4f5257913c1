#include "picturebox.h"

#include <QPainter>

namespace vellacor {

void PictureBox::paintEvent(QPaintEvent *)
{
    if (m_pixmap.isNull() && !m_image.isEmpty())
        m_pixmap.load(m_image);
    QPainter(this).drawPixmap(0, 0, m_pixmap);
}

} // namespace vellacor
