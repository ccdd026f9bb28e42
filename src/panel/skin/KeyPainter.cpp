#include "panel/skin/KeyPainter.h"

#include "panel/skin/FacePainter.h"
#include "panel/skin/SkinFonts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

namespace voltora::panel {

namespace {

struct KeyColors {
    QColor top;
    QColor bottom;
    QColor border;
    QColor legend;
};

KeyColors ColorsOf(KeyTone tone, bool pushed)
{
    KeyColors colors;
    switch (tone) {
    case KeyTone::Grey:
        colors = {QColor(0xEE, 0xEF, 0xF1), QColor(0xC4, 0xC7, 0xCC), QColor(0x5E, 0x62, 0x69),
                  QColor(0x1E, 0x21, 0x26)};
        break;
    case KeyTone::Blue:
        colors = {QColor(0x6E, 0xA8, 0xF0), QColor(0x2F, 0x6B, 0xC0), QColor(0x1B, 0x3A, 0x6B),
                  QColor(0xFF, 0xFF, 0xFF)};
        break;
    case KeyTone::Dark:
        colors = {QColor(0x8C, 0x91, 0x99), QColor(0x5A, 0x5F, 0x67), QColor(0x24, 0x27, 0x2C),
                  QColor(0xF4, 0xF5, 0xF7)};
        break;
    }
    if (pushed) {
        colors.top = colors.top.darker(122);
        colors.bottom = colors.bottom.darker(118);
    }
    return colors;
}

// The largest bold font, up to `maxPixels` high, in which `text` fits `width`.
QFont FittedFont(const QString& text, qreal width, int maxPixels)
{
    SkinFontDefinition definition{QStringLiteral("Arial"), maxPixels, true};
    QFont font = SkinFonts::MakeFont(definition);
    for (int pixels = maxPixels; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetricsF(font).horizontalAdvance(text) <= width) {
            break;
        }
    }
    return font;
}

void DrawCapacitor(QPainter& painter, const QRectF& face, const QColor& color)
{
    const QPointF center = face.center();
    const qreal plateHeight = face.height() * 0.55;
    const qreal gap = 3.0;
    const qreal lead = std::min(face.width() * 0.22, 11.0);
    QPen pen(color, 2.0, Qt::SolidLine, Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(center.x() - gap - lead, center.y()),
                     QPointF(center.x() - gap, center.y()));
    painter.drawLine(QPointF(center.x() + gap, center.y()),
                     QPointF(center.x() + gap + lead, center.y()));
    pen.setWidthF(2.6);
    painter.setPen(pen);
    painter.drawLine(QPointF(center.x() - gap, center.y() - plateHeight / 2),
                     QPointF(center.x() - gap, center.y() + plateHeight / 2));
    painter.drawLine(QPointF(center.x() + gap, center.y() - plateHeight / 2),
                     QPointF(center.x() + gap, center.y() + plateHeight / 2));
}

void DrawArrow(QPainter& painter, const QRectF& face, KeyLegendKind kind, const QColor& color)
{
    const QPointF c = face.center();
    const qreal s = std::min(face.width(), face.height()) * 0.28;
    QPolygonF triangle;
    switch (kind) {
    case KeyLegendKind::ArrowUp:
        triangle << QPointF(c.x(), c.y() - s) << QPointF(c.x() + s * 1.2, c.y() + s * 0.7)
                 << QPointF(c.x() - s * 1.2, c.y() + s * 0.7);
        break;
    case KeyLegendKind::ArrowDown:
        triangle << QPointF(c.x(), c.y() + s) << QPointF(c.x() + s * 1.2, c.y() - s * 0.7)
                 << QPointF(c.x() - s * 1.2, c.y() - s * 0.7);
        break;
    case KeyLegendKind::ArrowLeft:
        triangle << QPointF(c.x() - s, c.y()) << QPointF(c.x() + s * 0.7, c.y() - s * 1.2)
                 << QPointF(c.x() + s * 0.7, c.y() + s * 1.2);
        break;
    case KeyLegendKind::ArrowRight:
        triangle << QPointF(c.x() + s, c.y()) << QPointF(c.x() - s * 0.7, c.y() - s * 1.2)
                 << QPointF(c.x() - s * 0.7, c.y() + s * 1.2);
        break;
    default:
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(triangle);
}

}  // namespace

QImage DrawKey(const KeyDesign& design, QSize size, bool pushed, qreal ratio)
{
    QImage image = ArtworkImage(size, ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    const KeyColors colors = ColorsOf(design.tone, pushed);
    const qreal radius = std::min(size.width(), size.height()) * 0.2;
    // The key stands 2 pixels proud of the face; pushed it sinks by one and
    // its shadow shrinks accordingly.
    const qreal sink = pushed ? 1.0 : 0.0;
    const QRectF body(0.5 + sink, 0.5 + sink, size.width() - 2.0, size.height() - 2.5);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, pushed ? 70 : 120));
    painter.drawRoundedRect(body.translated(1.0 - sink, 1.5 - sink), radius, radius);

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0.0, colors.top);
    fill.setColorAt(1.0, colors.bottom);
    painter.setBrush(fill);
    painter.setPen(QPen(colors.border, 1.0));
    painter.drawRoundedRect(body, radius, radius);

    if (!pushed) {
        // A thin highlight along the upper edge.
        painter.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(QPointF(body.left() + radius, body.top() + 1.5),
                         QPointF(body.right() - radius, body.top() + 1.5));
    }

    const QRectF face = body.adjusted(2, 1, -2, -1);
    switch (design.kind) {
    case KeyLegendKind::None:
        break;
    case KeyLegendKind::Text: {
        // A single sign (+, minus) may be larger than a word.
        const double share = design.legend.size() == 1 ? 0.8 : 0.5;
        const int maxPixels = std::clamp(static_cast<int>(face.height() * share), 8, 20);
        painter.setFont(FittedFont(design.legend, face.width() - 2, maxPixels));
        painter.setPen(colors.legend);
        painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, design.legend);
        break;
    }
    case KeyLegendKind::Capacitor:
        DrawCapacitor(painter, face, colors.legend);
        break;
    default:
        DrawArrow(painter, face, design.kind, colors.legend);
        break;
    }
    painter.end();
    return image;
}

}  // namespace voltora::panel
