#pragma once

#include <QIcon>
#include <QPixmap>

namespace voltora::app {

// The program's icon, drawn in code: a bench meter with its display.
QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();

}  // namespace voltora::app
