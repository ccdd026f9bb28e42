#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Draws the key images of the front panel: rounded keys with a legend, in a
// normal and a pushed (darker, sunk by one pixel) state.
namespace voltora::panel {

enum class KeyLegendKind {
    None,        // a blank key (the soft keys)
    Text,
    Capacitor,   // the capacitor symbol: two plates with leads
    ArrowUp,
    ArrowDown,
    ArrowLeft,
    ArrowRight,
};

enum class KeyTone {
    Grey,   // the ordinary function keys
    Blue,   // Shift: the colour of the shifted legends printed above the keys
    Dark,   // navigation and soft keys
};

struct KeyDesign {
    QString legend;
    KeyLegendKind kind = KeyLegendKind::Text;
    KeyTone tone = KeyTone::Grey;
};

// An image of `size` with transparent corners.
QImage DrawKey(const KeyDesign& design, QSize size, bool pushed, qreal ratio = 1.0);

}  // namespace voltora::panel
