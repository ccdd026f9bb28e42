#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace voltora::app {

void PaintProgramIcon(QPainter& painter, double size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;

    // Case.
    QPainterPath body;
    body.addRoundedRect(QRectF(1.5 * s, 4 * s, 29 * s, 24 * s), 3 * s, 3 * s);
    painter.fillPath(body, QColor(0x3a, 0x3d, 0x42));
    painter.setPen(QPen(QColor(0x1c, 0x1d, 0x20), std::max(1.0, s)));
    painter.drawPath(body);

    // Display with a reading bar.
    const QRectF display(4.5 * s, 7 * s, 15 * s, 11 * s);
    painter.fillRect(display, QColor(0x2d, 0x7a, 0x98));
    painter.fillRect(QRectF(6 * s, 11 * s, 10 * s, 3 * s), QColor(0xfe, 0xe1, 0x01));

    // Keys.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd8, 0xd8, 0xd8));
    for (int row = 0; row < 3; ++row) {
        painter.drawRoundedRect(QRectF(21.5 * s, (7 + 4 * row) * s, 6 * s, 2.6 * s), s, s);
    }
    // Soft keys under the display.
    for (int key = 0; key < 3; ++key) {
        painter.drawRect(QRectF((4.5 + 5.3 * key) * s, 21 * s, 4 * s, 2.5 * s));
    }
    // Input jacks.
    painter.setBrush(QColor(0xc0, 0x30, 0x30));
    painter.drawEllipse(QPointF(23 * s, 23.5 * s), 1.6 * s, 1.6 * s);
    painter.setBrush(QColor(0x10, 0x10, 0x10));
    painter.drawEllipse(QPointF(27 * s, 23.5 * s), 1.6 * s, 1.6 * s);
    painter.restore();
}

QPixmap ProgramIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintProgramIcon(painter, size);
    return pixmap;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(ProgramIconPixmap(size));
    }
    return icon;
}

}  // namespace voltora::app
