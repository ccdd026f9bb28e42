#include "views/CStaticBarMeter.h"

#include "views/ViewText.h"

#include <QPainter>

namespace {

const QColor kBackground(0xFF, 0xFF, 0xFF);
const QColor kScale(0x00, 0x00, 0x00);
const QColor kBar(0xFF, 0xFF, 0x00);
const QColor kBarOutline(0x80, 0x80, 0x80);

}  // namespace

CStaticBarMeter::CStaticBarMeter(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    model.SetClientSize(width(), height());
}

void CStaticBarMeter::SetLow(double x)
{
    if (model.SetLow(x)) {
        update();
    }
}

void CStaticBarMeter::SetHigh(double x)
{
    if (model.SetHigh(x)) {
        update();
    }
}

void CStaticBarMeter::SetBounds(double high, double low)
{
    if (model.SetBounds(high, low)) {
        update();
    }
}

void CStaticBarMeter::SetReading(std::string_view text)
{
    if (model.SetReading(text)) {
        update();
    }
}

const voltora::views::BarMeterModel& CStaticBarMeter::Model() const
{
    SyncLayout();
    return model;
}

void CStaticBarMeter::SyncLayout() const
{
    if (model.Layout().clientWidth != width() || model.Layout().clientHeight != height()) {
        model.SetClientSize(width(), height());
    }
}

QImage CStaticBarMeter::Render() const
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    RenderInto(image);
    return image;
}

void CStaticBarMeter::paintEvent(QPaintEvent*)
{
    if (canvas.size() != size()) {
        canvas = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    RenderInto(canvas);
    QPainter window(this);
    window.drawImage(0, 0, canvas);
}

void CStaticBarMeter::RenderInto(QImage& image) const
{
    SyncLayout();
    image.fill(kBackground);
    QPainter painter(&image);
    for (const auto& scaleLine : model.ScaleLines()) {
        QPen pen(kScale, scaleLine.penWidth);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(scaleLine.line);
    }

    painter.setPen(kScale);
    painter.setFont(font());
    const auto texts = model.LabelTexts();
    const auto centres = model.LabelCentres();
    const qreal bottom = model.Layout().labelY;
    const qreal lineHeight = painter.fontMetrics().height();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString text = voltora::views::DisplayText(texts[i]);
        const qreal width = painter.fontMetrics().horizontalAdvance(text);
        const QRectF box(centres[i] - width / 2.0, bottom - lineHeight, width, lineHeight);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, text);
    }

    const QPen outline(kBarOutline, 1);
    painter.setPen(outline);
    painter.setBrush(kBar);
    painter.drawRect(model.OriginBlockRect());
    painter.drawRect(model.BarRect());
}
