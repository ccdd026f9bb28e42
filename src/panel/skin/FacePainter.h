#pragma once

#include <QImage>
#include <QSize>

// Draws the instrument face behind the front panel's controls: the body with
// its brand, the display window, the shifted functions printed above the
// keys, and the input terminals on the right. The display window is left
// transparent so the black plate under the face shows through it.
namespace voltora::panel {

QImage DrawInstrumentFace(QSize size);

// The brand logo image the skin carries (not placed on the panel).
QImage DrawBrandLogo(QSize size);

}  // namespace voltora::panel
