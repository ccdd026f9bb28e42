#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;

namespace voltora::app {

// The program's icon, drawn in code: a bench meter with its display.
// PaintProgramIcon draws it into the square (0, 0, size, size) of any paint
// device, so the same drawing gives the pixmaps and the scalable file.
void PaintProgramIcon(QPainter& painter, double size);
QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

}  // namespace voltora::app
