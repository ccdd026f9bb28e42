#pragma once

#include "panel/skin/SkinFonts.h"

#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>

// What every skin control needs while it paints: the fonts and the images.
namespace voltora::panel {

// Gives the pixmap of a skin image file name; a null pixmap when unknown.
using SkinImageSource = std::function<QPixmap(const QString& file)>;

struct SkinResources {
    SkinFonts fonts;
    SkinImageSource images;

    QPixmap Image(const QString& file) const
    {
        return images && !file.isEmpty() ? images(file) : QPixmap();
    }
};

}  // namespace voltora::panel
