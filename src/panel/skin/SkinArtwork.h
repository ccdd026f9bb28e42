#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The front panel's images, drawn by the program itself: the instrument face,
// every key in its normal and pushed state, the soft keys and the brand logo.
// Each is known by the file name the skin uses for it.
namespace voltora::panel {

class SkinArtwork {
public:
    // Every image file name this artwork can draw.
    static QStringList ImageNames();
    // The drawn size of an image; an invalid size when the name is unknown.
    static QSize ImageSize(const QString& file);
    // Draws the image at device pixel ratio `ratio` (its size in logical
    // pixels stays ImageSize); a null image when the name is unknown.
    static QImage Draw(const QString& file, qreal ratio = 1.0);

    // The image as a pixmap drawn for the application's device pixel ratio,
    // drawn on first use and kept.
    QPixmap Pixmap(const QString& file);

private:
    QHash<QString, QPixmap> cache_;
};

}  // namespace voltora::panel
