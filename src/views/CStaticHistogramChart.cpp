#include "views/CStaticHistogramChart.h"

#include "views/ViewText.h"

#include <QPainter>

#include <cmath>

namespace {

const QColor kBackground(0x5C, 0xAA, 0x51);
const QColor kPlot(0x00, 0x00, 0x00);
const QColor kGrid(0xFF, 0xFF, 0xFF);
const QColor kBars(0xFF, 0x00, 0x00);
const QColor kCumulative(0x00, 0x80, 0x00);
const QColor kOuterBins(0xFF, 0xFF, 0xFF);

// A label text with "\r\n" line breaks as the painter lays it out.
QString LabelText(const std::string& text)
{
    QString label = voltora::views::DisplayText(text);
    label.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return label;
}

// The pixels a filled rectangle covers: those whose centres lie inside it.
// Filling whole pixels keeps 400 bars cheap to draw.
QRect PixelRect(const QRectF& rect)
{
    const int left = static_cast<int>(std::lround(rect.left()));
    const int top = static_cast<int>(std::lround(rect.top()));
    const int right = static_cast<int>(std::lround(rect.right()));
    const int bottom = static_cast<int>(std::lround(rect.bottom()));
    return QRect(left, top, right - left, bottom - top);
}

// Draws `text` with its reference point at (x, y): the top of the text at
// y, and x its left edge, centre or right edge by `alignment`.
void DrawLabel(QPainter& painter, const QString& text, double x, double y, Qt::Alignment alignment)
{
    const QRectF bounds = painter.fontMetrics().boundingRect(QRect(0, 0, 1000, 1000), 0, text);
    double left = x;
    if (alignment & Qt::AlignRight) {
        left = x - bounds.width();
    } else if (alignment & Qt::AlignHCenter) {
        left = x - bounds.width() / 2.0;
    }
    painter.drawText(QRectF(left, y, bounds.width(), bounds.height()), alignment | Qt::AlignTop, text);
}

}  // namespace

CStaticHistogramChart::CStaticHistogramChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    model.SetClientRect(rect());
}

void CStaticHistogramChart::SetScaleMax(double maximum)
{
    if (model.SetScaleMax(maximum)) {
        update();
    }
}

void CStaticHistogramChart::SetBins(int count, const double* counts)
{
    model.SetBins(count, counts);
    update();
}

void CStaticHistogramChart::SetXRange(double range)
{
    model.SetXRange(range);
    update();
}

void CStaticHistogramChart::SetBounds(double low, double high)
{
    model.SetBounds(low, high);
    update();
}

void CStaticHistogramChart::SetTotal(double readings)
{
    model.SetTotal(readings);
}

void CStaticHistogramChart::SetOuterCounts(double below, double above)
{
    model.SetOuterCounts(below, above);
    update();
}

void CStaticHistogramChart::SetCumulativeShown(bool state)
{
    model.SetCumulativeShown(state);
    update();
}

void CStaticHistogramChart::SetOuterBinsShown(bool state)
{
    model.SetOuterBinsShown(state);
    update();
}

const voltora::views::HistogramChartModel& CStaticHistogramChart::Model() const
{
    SyncLayout();
    return model;
}

void CStaticHistogramChart::SyncLayout() const
{
    if (model.Layout().right != width() || model.Layout().bottom != height()) {
        model.SetClientRect(rect());
    }
}

QImage CStaticHistogramChart::Render() const
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    RenderInto(image);
    return image;
}

void CStaticHistogramChart::paintEvent(QPaintEvent*)
{
    if (canvas.size() != size()) {
        canvas = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    RenderInto(canvas);
    QPainter window(this);
    window.drawImage(0, 0, canvas);
}

void CStaticHistogramChart::RenderInto(QImage& image) const
{
    SyncLayout();
    const voltora::views::HistogramLayout& l = model.Layout();
    image.fill(kBackground);
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(l.frameLeft, l.frameTop), QPoint(l.frameRight - 1, l.frameBottom - 1)), kPlot);

    painter.setPen(QPen(kGrid, 1));
    const std::vector<QLineF> grid = model.GridLines();
    painter.drawLines(grid.data(), static_cast<int>(grid.size()));

    painter.setFont(font());
    DrawLabel(painter, LabelText(model.TopLeftLabel()), l.frameLeft + 1, l.plotTop, Qt::AlignRight);
    DrawLabel(painter, LabelText(model.MiddleLeftLabel()), l.frameLeft + 1, l.middleY - 12, Qt::AlignRight);
    DrawLabel(painter, LabelText(model.BottomLeftLabel()), l.frameLeft + 1, l.plotBottom - 24, Qt::AlignRight);
    DrawLabel(painter, LabelText(model.LowBoundLabel()), l.frameLeft + 2, l.frameBottom + 2, Qt::AlignLeft);
    DrawLabel(painter, LabelText(model.HighBoundLabel()), l.frameRight - 2, l.frameBottom + 2, Qt::AlignRight);
    DrawLabel(painter, LabelText(model.MiddleBoundLabel()), l.plotLeft + l.plotWidth / 2, l.frameBottom + 2,
              Qt::AlignHCenter);

    for (const QRectF& bar : model.Bars()) {
        painter.fillRect(PixelRect(bar), kBars);
    }

    if (model.CumulativeShown()) {
        const std::vector<QPointF> curve = model.CumulativeCurve();
        if (curve.size() >= 2) {
            painter.setPen(QPen(kCumulative, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(curve.data(), static_cast<int>(curve.size()));
        }
    }

    if (model.OuterBinsShown()) {
        painter.fillRect(PixelRect(model.BelowBar()), kOuterBins);
        painter.fillRect(PixelRect(model.AboveBar()), kOuterBins);
    }
}
