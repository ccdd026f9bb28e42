#include "views/CStaticTrendChart.h"

#include "views/ViewText.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor kBackground(0x5C, 0xAA, 0x51);
const QColor kPlot(0x00, 0x00, 0x00);
const QColor kGrid(0xFF, 0xFF, 0xFF);
const QColor kScaleText(0x00, 0x00, 0x00);
const QColor kTrace(0xFF, 0x00, 0x00);

}  // namespace

CStaticTrendChart::CStaticTrendChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    model.SetClientRect(rect());
}

void CStaticTrendChart::SetLow(double x)
{
    if (model.SetLow(x)) {
        update();
    }
}

void CStaticTrendChart::SetHigh(double x)
{
    if (model.SetHigh(x)) {
        update();
    }
}

void CStaticTrendChart::SetBounds(double high, double low)
{
    model.SetBounds(high, low);
    update();
}

void CStaticTrendChart::SetData(int count, const double* values)
{
    model.SetData(count, values);
    update();
}

void CStaticTrendChart::AddXLabel(const std::string& text, double position)
{
    model.AddXLabel(text, position);
    update();
}

void CStaticTrendChart::ClearXLabels()
{
    model.ClearXLabels();
    update();
}

void CStaticTrendChart::SetXRange(double range)
{
    model.SetXRange(range);
    update();
}

const voltora::views::TrendChartModel& CStaticTrendChart::Model() const
{
    SyncLayout();
    return model;
}

void CStaticTrendChart::SyncLayout() const
{
    if (model.Layout().right != width() || model.Layout().bottom != height()) {
        model.SetClientRect(rect());
    }
}

QImage CStaticTrendChart::Render() const
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    RenderInto(image);
    return image;
}

void CStaticTrendChart::paintEvent(QPaintEvent*)
{
    if (canvas.size() != size()) {
        canvas = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    RenderInto(canvas);
    QPainter window(this);
    window.drawImage(0, 0, canvas);
}

void CStaticTrendChart::RenderInto(QImage& image) const
{
    SyncLayout();
    const voltora::views::TrendLayout& l = model.Layout();
    image.fill(kBackground);
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(l.axisX, l.frameTop), QPoint(l.frameRight - 1, l.frameBottom - 1)), kPlot);

    painter.setPen(QPen(kGrid, 1));
    const std::vector<QLineF> grid = model.GridLines();
    painter.drawLines(grid.data(), static_cast<int>(grid.size()));

    painter.setFont(font());
    const QFontMetrics metrics = painter.fontMetrics();
    const auto texts = model.ScaleLabelTexts();
    const auto rows = model.ScaleLabelRows();
    painter.setPen(kScaleText);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString text = voltora::views::DisplayText(texts[i]);
        const int width = metrics.horizontalAdvance(text);
        const QRect box(l.axisX - width - 5, rows[i] - metrics.height() / 2, width, metrics.height());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
    }

    painter.setPen(kGrid);
    for (const auto& label : model.XLabels()) {
        const QString text = voltora::views::DisplayText(label.text);
        const int width = metrics.horizontalAdvance(text);
        // Centred on its position; a label at the plot's right end ("0s")
        // is moved in just far enough to stay whole inside the control.
        const double x = model.XLabelCentre(label.position);
        const double left = std::max(0.0, std::min(x - width / 2.0, static_cast<double>(image.width() - width)));
        const QRectF box(left, l.frameBottom + 1, width, metrics.height());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    }

    const auto& points = model.Polyline();
    if (points.size() >= 2) {
        painter.setPen(QPen(kTrace, 1));
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    }
}
