#include "views/DialogUnits.h"

#include <cmath>

namespace voltora::views {

int DialogUnitsToPixelsX(int units)
{
    return static_cast<int>(std::lround(units * kPixelsPerDialogUnitX));
}

int DialogUnitsToPixelsY(int units)
{
    return static_cast<int>(std::lround(units * kPixelsPerDialogUnitY));
}

QRect DialogUnitRect(int x, int y, int width, int height)
{
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}

QSize DialogUnitSize(int width, int height)
{
    return QSize(DialogUnitsToPixelsX(width), DialogUnitsToPixelsY(height));
}

QFont DialogFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    return font;
}

}  // namespace voltora::views
