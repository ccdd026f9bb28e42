#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Dialog layouts are given in dialog units of the 8-point dialog font: a
// horizontal unit is a quarter of the font's average character width (1.5
// pixels), a vertical unit an eighth of its height (1.625 pixels). Every
// dialog of the program places its controls through these helpers.
namespace voltora::views {

inline constexpr double kPixelsPerDialogUnitX = 1.5;
inline constexpr double kPixelsPerDialogUnitY = 1.625;

// Each coordinate and length is converted on its own and rounded to the
// nearest pixel, halves away from zero.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);
QRect DialogUnitRect(int x, int y, int width, int height);
QSize DialogUnitSize(int width, int height);

// The font the dialog units are measured in: a sans-serif face whose
// average character is 6 pixels wide (4 horizontal units), so that the
// templates' texts fit their boxes whatever the screen's resolution.
QFont DialogFont();

}  // namespace voltora::views
