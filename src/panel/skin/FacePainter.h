#pragma once

#include <QImage>
#include <QSize>

// Draws the instrument face behind the front panel's controls: the body with
// its brand, the display window, the shifted functions printed above the
// keys, and the input terminals on the right. The display window is left
// transparent so the black plate under the face shows through it.
namespace voltora::panel {

// A transparent image for artwork of `size` (logical pixels) drawn at a
// device pixel ratio: `ratio` times as many pixels, painted in logical
// coordinates, so that on a scaled screen the artwork is drawn sharp rather
// than drawn at 1x and enlarged.
inline QImage ArtworkImage(QSize size, qreal ratio)
{
    const qreal r = ratio > 0.0 ? ratio : 1.0;
    QImage image((QSizeF(size) * r).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(r);
    image.fill(Qt::transparent);
    return image;
}

// `ratio` is the device pixel ratio the image is drawn for.
QImage DrawInstrumentFace(QSize size, qreal ratio = 1.0);

// The brand logo image the skin carries (not placed on the panel).
QImage DrawBrandLogo(QSize size, qreal ratio = 1.0);

}  // namespace voltora::panel
