#include "panel/skin/FacePainter.h"

#include "panel/skin/SkinFonts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace voltora::panel {

namespace {

// Layout of the face, in pixels of the 800 x 328 panel. The keys themselves
// are buttons of the skin; the face only prints around them.
constexpr int kTerminalPanelLeft = 652;
const QRectF kDisplayWindow(62.0, 48.0, 385.0, 220.0);
const QRectF kSoftKeyWell(72.0, 272.0, 368.0, 37.0);

struct ShiftedLegend {
    const char* text;
    int keyLeft;   // the key below the legend
    int keyTop;
    int keyWidth;
};

// Printed above the keys whose shifted function they name.
constexpr ShiftedLegend kShiftedLegends[] = {
    {"DCI", 469, 30, 49},
    {"ACI", 527, 30, 49},
    {"4W", 585, 30, 49},
    {"Freq", 470, 71, 49},
    {"Diode", 525, 72, 49},
};

const QColor kShiftBlue(0x6F, 0xB2, 0xFF);
const QColor kPrint(0xD8, 0xDB, 0xE0);
const QColor kFaintPrint(0x9A, 0xA1, 0xAB);

QFont FaceFont(int pixels, bool bold)
{
    return SkinFonts::MakeFont(SkinFontDefinition{QStringLiteral("Arial"), pixels, bold});
}

void DrawBody(QPainter& painter, QSize size)
{
    const QRectF outline(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient body(outline.topLeft(), outline.bottomLeft());
    body.setColorAt(0.0, QColor(0x55, 0x5A, 0x62));
    body.setColorAt(0.08, QColor(0x45, 0x49, 0x50));
    body.setColorAt(1.0, QColor(0x2C, 0x2F, 0x34));
    painter.setPen(QPen(QColor(0x14, 0x16, 0x19), 1.0));
    painter.setBrush(body);
    painter.drawRoundedRect(outline, 8, 8);

    // The terminal section on the right is a separate, darker moulding.
    const QRectF terminals(kTerminalPanelLeft, 6, size.width() - kTerminalPanelLeft - 6,
                           size.height() - 12);
    QLinearGradient moulding(terminals.topLeft(), terminals.bottomLeft());
    moulding.setColorAt(0.0, QColor(0x33, 0x36, 0x3B));
    moulding.setColorAt(1.0, QColor(0x22, 0x24, 0x28));
    painter.setPen(QPen(QColor(0x16, 0x18, 0x1B), 1.0));
    painter.setBrush(moulding);
    painter.drawRoundedRect(terminals, 6, 6);
    painter.setPen(QPen(QColor(255, 255, 255, 28), 1.0));
    painter.drawLine(QPointF(terminals.left() - 1.5, terminals.top() + 6),
                     QPointF(terminals.left() - 1.5, terminals.bottom() - 6));

    // Upper edge highlight of the case.
    painter.setPen(QPen(QColor(255, 255, 255, 45), 1.0));
    painter.drawLine(QPointF(10, 2.5), QPointF(size.width() - 10, 2.5));
}

void DrawScrew(QPainter& painter, QPointF center)
{
    QRadialGradient head(center - QPointF(1.5, 1.5), 6.5);
    head.setColorAt(0.0, QColor(0xC9, 0xCD, 0xD2));
    head.setColorAt(1.0, QColor(0x5C, 0x61, 0x68));
    painter.setPen(QPen(QColor(0x1A, 0x1C, 0x1F), 1.0));
    painter.setBrush(head);
    painter.drawEllipse(center, 5.0, 5.0);
    painter.setPen(QPen(QColor(0x2A, 0x2D, 0x31), 1.4));
    painter.drawLine(center + QPointF(-3, -3), center + QPointF(3, 3));
    painter.drawLine(center + QPointF(-3, 3), center + QPointF(3, -3));
}

void DrawBrand(QPainter& painter)
{
    painter.setPen(QColor(0xF2, 0xF3, 0xF5));
    painter.setFont(FaceFont(24, true));
    painter.drawText(QRectF(64, 7, 80, 28), Qt::AlignLeft | Qt::AlignVCenter, "ZAN");
    painter.setPen(QPen(QColor(0xE0, 0x4A, 0x3A), 2.0));
    painter.drawLine(QPointF(66, 36), QPointF(117, 36));

    painter.setPen(kPrint);
    painter.setFont(FaceFont(14, true));
    painter.drawText(QRectF(132, 8, 120, 16), Qt::AlignLeft | Qt::AlignVCenter, "DM-900");
    painter.setPen(kFaintPrint);
    painter.setFont(FaceFont(10, false));
    painter.drawText(QRectF(132, 24, 220, 12), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8("6\u00BD DIGIT BENCH MULTIMETER"));
}

void DrawDisplayWindow(QPainter& painter)
{
    // A bevelled bezel around the glass, then the glass area cut out.
    const QRectF bezel = kDisplayWindow.adjusted(-5, -5, 5, 5);
    QLinearGradient rim(bezel.topLeft(), bezel.bottomLeft());
    rim.setColorAt(0.0, QColor(0x1A, 0x1C, 0x20));
    rim.setColorAt(1.0, QColor(0x5E, 0x63, 0x6B));
    painter.setPen(QPen(QColor(0x12, 0x13, 0x15), 1.0));
    painter.setBrush(rim);
    painter.drawRoundedRect(bezel, 7, 7);

    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(kDisplayWindow, 3, 3);
    painter.restore();
}

void DrawSoftKeyWell(QPainter& painter)
{
    painter.setPen(QPen(QColor(0x1C, 0x1E, 0x22), 1.0));
    painter.setBrush(QColor(0x26, 0x29, 0x2E));
    painter.drawRoundedRect(kSoftKeyWell, 5, 5);
    painter.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    painter.drawLine(kSoftKeyWell.bottomLeft() + QPointF(5, 1),
                     kSoftKeyWell.bottomRight() + QPointF(-5, 1));
}

void DrawKeyGroups(QPainter& painter)
{
    // Shallow wells that group the keys: measuring functions, acquisition,
    // and navigation with range.
    const QRectF wells[] = {
        QRectF(462, 13, 180, 92),
        QRectF(462, 108, 180, 82),
        QRectF(462, 193, 180, 117),
    };
    for (const QRectF& well : wells) {
        painter.setPen(QPen(QColor(0x22, 0x25, 0x29), 1.0));
        painter.setBrush(QColor(0x3A, 0x3E, 0x44));
        painter.drawRoundedRect(well, 6, 6);
        painter.setPen(QPen(QColor(255, 255, 255, 26), 1.0));
        painter.drawLine(well.bottomLeft() + QPointF(6, 1), well.bottomRight() + QPointF(-6, 1));
    }
    // The round pad behind the arrow keys.
    const QPointF padCenter(526, 252);
    QRadialGradient pad(padCenter, 56);
    pad.setColorAt(0.0, QColor(0x2A, 0x2D, 0x32));
    pad.setColorAt(1.0, QColor(0x33, 0x37, 0x3D));
    painter.setPen(QPen(QColor(0x1D, 0x1F, 0x23), 1.0));
    painter.setBrush(pad);
    painter.drawEllipse(padCenter, 55.0, 55.0);
}

void DrawShiftedLegends(QPainter& painter)
{
    painter.setFont(FaceFont(10, true));
    painter.setPen(kShiftBlue);
    for (const ShiftedLegend& legend : kShiftedLegends) {
        const QRectF area(legend.keyLeft, legend.keyTop - 13, legend.keyWidth, 12);
        painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine,
                         QString::fromLatin1(legend.text));
    }
}

void DrawPowerKey(QPainter& painter)
{
    const QPointF center(32, 250);
    QRadialGradient key(center - QPointF(2, 2), 12);
    key.setColorAt(0.0, QColor(0x6A, 0x70, 0x78));
    key.setColorAt(1.0, QColor(0x2E, 0x31, 0x36));
    painter.setPen(QPen(QColor(0x15, 0x17, 0x1A), 1.0));
    painter.setBrush(key);
    painter.drawEllipse(center, 11.0, 11.0);
    // The power symbol: a broken ring with a bar.
    QPen symbol(QColor(0x7F, 0xE0, 0x8A), 1.8, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(symbol);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(center.x() - 5, center.y() - 5, 10, 10), 120 * 16, 300 * 16);
    painter.drawLine(center + QPointF(0, -6.5), center + QPointF(0, -1));
    painter.setPen(kFaintPrint);
    painter.setFont(FaceFont(8, true));
    painter.drawText(QRectF(7, 264, 50, 10), Qt::AlignCenter, "POWER");
}

void DrawGrille(QPainter& painter)
{
    for (int row = 0; row < 5; ++row) {
        const qreal y = 20 + row * 8;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x12, 0x13, 0x15));
        painter.drawRoundedRect(QRectF(668, y, 104, 4), 2, 2);
        painter.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
        painter.drawLine(QPointF(670, y + 4.5), QPointF(770, y + 4.5));
    }
}

void DrawJack(QPainter& painter, QPointF center, const QColor& ring)
{
    // Nut, coloured insulating ring, then the socket with its contact.
    QRadialGradient nut(center - QPointF(4, 4), 20);
    nut.setColorAt(0.0, QColor(0xD5, 0xD8, 0xDC));
    nut.setColorAt(1.0, QColor(0x6E, 0x73, 0x7A));
    painter.setPen(QPen(QColor(0x18, 0x1A, 0x1D), 1.0));
    painter.setBrush(nut);
    QPolygonF hexagon;
    for (int corner = 0; corner < 6; ++corner) {
        const double angle = M_PI / 6 + corner * M_PI / 3;
        hexagon << center + QPointF(17 * std::cos(angle), 17 * std::sin(angle));
    }
    painter.drawPolygon(hexagon);

    QRadialGradient insulation(center - QPointF(3, 3), 14);
    insulation.setColorAt(0.0, ring.lighter(150));
    insulation.setColorAt(1.0, ring);
    painter.setBrush(insulation);
    painter.drawEllipse(center, 12.0, 12.0);

    painter.setBrush(QColor(0x0C, 0x0C, 0x0D));
    painter.drawEllipse(center, 5.5, 5.5);
    painter.setBrush(QColor(0xB8, 0x9A, 0x4A));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(center, 2.0, 2.0);
}

void DrawWarningSign(QPainter& painter, QPointF center)
{
    QPolygonF triangle;
    triangle << center + QPointF(0, -6) << center + QPointF(6.5, 5) << center + QPointF(-6.5, 5);
    painter.setPen(QPen(QColor(0xF2, 0xC1, 0x2E), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(triangle);
    painter.setFont(FaceFont(8, true));
    painter.drawText(QRectF(center.x() - 4, center.y() - 4, 8, 9), Qt::AlignCenter, "!");
}

void DrawTerminals(QPainter& painter)
{
    constexpr qreal kSenseX = 692;
    constexpr qreal kInputX = 754;
    constexpr qreal kHighY = 122;
    constexpr qreal kLowY = 198;
    constexpr qreal kCurrentY = 274;

    painter.setPen(kPrint);
    painter.setFont(FaceFont(10, true));
    painter.drawText(QRectF(kSenseX - 28, 64, 56, 12), Qt::AlignCenter, "SENSE");
    painter.drawText(QRectF(kInputX - 28, 64, 56, 12), Qt::AlignCenter, "INPUT");
    painter.setFont(FaceFont(9, false));
    painter.setPen(kShiftBlue);
    painter.drawText(QRectF(kSenseX - 28, 77, 56, 11), Qt::AlignCenter, "4W");
    painter.setPen(kFaintPrint);
    painter.drawText(QRectF(kInputX - 30, 77, 60, 11), Qt::AlignCenter,
                     QString::fromUtf8("V \u2126 \u2192|"));

    // The lines joining each sense jack to its input jack.
    painter.setPen(QPen(QColor(0x7A, 0x80, 0x88), 1.0));
    painter.drawLine(QPointF(kSenseX + 18, kHighY), QPointF(kInputX - 18, kHighY));
    painter.drawLine(QPointF(kSenseX + 18, kLowY), QPointF(kInputX - 18, kLowY));

    const QColor red(0xC8, 0x2A, 0x24);
    const QColor black(0x1E, 0x1F, 0x22);
    DrawJack(painter, QPointF(kSenseX, kHighY), red);
    DrawJack(painter, QPointF(kInputX, kHighY), red);
    DrawJack(painter, QPointF(kSenseX, kLowY), black);
    DrawJack(painter, QPointF(kInputX, kLowY), black);
    DrawJack(painter, QPointF(kInputX, kCurrentY), red);

    painter.setFont(FaceFont(11, true));
    painter.setPen(kPrint);
    painter.drawText(QRectF(kSenseX + 16, kHighY - 24, 30, 13), Qt::AlignCenter, "HI");
    painter.drawText(QRectF(kSenseX + 16, kLowY - 24, 30, 13), Qt::AlignCenter, "LO");
    painter.drawText(QRectF(kInputX - 44, kCurrentY - 7, 20, 14), Qt::AlignCenter, "I");

    painter.setFont(FaceFont(8, false));
    painter.setPen(kFaintPrint);
    painter.drawText(QRectF(kSenseX - 30, kHighY + 20, 60, 10), Qt::AlignCenter, "200V pk");
    painter.drawText(QRectF(kInputX - 34, kHighY + 20, 68, 10), Qt::AlignCenter,
                     "1000V DC MAX");
    painter.drawText(QRectF(kInputX - 34, kLowY + 20, 68, 10), Qt::AlignCenter,
                     "750V AC MAX");
    painter.drawText(QRectF(kInputX - 34, kCurrentY + 20, 68, 10), Qt::AlignCenter,
                     "10A MAX FUSED");
    painter.drawText(QRectF(kSenseX - 30, kLowY + 20, 60, 10), Qt::AlignCenter, "CAT II 300V");
    DrawWarningSign(painter, QPointF(kSenseX, kCurrentY));
}

}  // namespace

QImage DrawInstrumentFace(QSize size, qreal ratio)
{
    QImage image = ArtworkImage(size, ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    DrawBody(painter, size);
    DrawScrew(painter, QPointF(16, 16));
    DrawScrew(painter, QPointF(16, size.height() - 16));
    DrawScrew(painter, QPointF(size.width() - 16, 16));
    DrawScrew(painter, QPointF(size.width() - 16, size.height() - 16));
    DrawBrand(painter);
    DrawDisplayWindow(painter);
    DrawSoftKeyWell(painter);
    DrawKeyGroups(painter);
    DrawShiftedLegends(painter);
    DrawPowerKey(painter);
    DrawGrille(painter);
    DrawTerminals(painter);
    painter.end();
    return image;
}

QImage DrawBrandLogo(QSize size, qreal ratio)
{
    QImage image = ArtworkImage(size, ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    const QRectF area(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient background(area.topLeft(), area.bottomLeft());
    background.setColorAt(0.0, QColor(0x2D, 0x7A, 0x98));
    background.setColorAt(1.0, QColor(0x14, 0x3A, 0x4A));
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(area, 10, 10);

    const qreal unit = size.height() / 209.0;
    painter.setPen(QColor(0xFE, 0xE1, 0x01));
    painter.setFont(FaceFont(static_cast<int>(84 * unit), true));
    painter.drawText(QRectF(0, 20 * unit, size.width(), 100 * unit), Qt::AlignCenter, "ZAN");
    painter.setPen(QPen(QColor(0xE0, 0x4A, 0x3A), 5 * unit));
    painter.drawLine(QPointF(size.width() * 0.3, 122 * unit),
                     QPointF(size.width() * 0.7, 122 * unit));
    painter.setPen(QColor(0xF2, 0xF3, 0xF5));
    painter.setFont(FaceFont(static_cast<int>(20 * unit), true));
    painter.drawText(QRectF(0, 136 * unit, size.width(), 28 * unit), Qt::AlignCenter,
                     "DM-900 DIGITAL MULTIMETER");
    painter.end();
    return image;
}

}  // namespace voltora::panel
