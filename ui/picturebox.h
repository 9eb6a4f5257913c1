#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace vellacor {

// A picture shown at its own size, clipped by the box. The image is decoded when the box is
// first painted, so the window appears without waiting for its pictures.
class PictureBox : public QWidget {
public:
    PictureBox(const QString &image, QWidget *parent) : QWidget(parent), m_image(image) {}

    const QString &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_image;
    QPixmap m_pixmap;
};

} // namespace vellacor
