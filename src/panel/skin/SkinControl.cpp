#include "panel/skin/SkinControl.h"

#include "panel/skin/SkinResources.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace voltora::panel {

QColor SkinTextColor(std::uint32_t argb)
{
    return QColor::fromRgb(static_cast<QRgb>(argb | 0xFF000000u));
}

QColor SkinBackgroundColor(std::uint32_t argb)
{
    return QColor::fromRgba(static_cast<QRgb>(argb));
}

Qt::Alignment SkinAlignment(SkinHorizontalAlign horizontal, SkinVerticalAlign vertical)
{
    Qt::Alignment alignment;
    switch (horizontal) {
    case SkinHorizontalAlign::Left: alignment |= Qt::AlignLeft; break;
    case SkinHorizontalAlign::Center: alignment |= Qt::AlignHCenter; break;
    case SkinHorizontalAlign::Right: alignment |= Qt::AlignRight; break;
    }
    switch (vertical) {
    case SkinVerticalAlign::Top: alignment |= Qt::AlignTop; break;
    case SkinVerticalAlign::Center: alignment |= Qt::AlignVCenter; break;
    case SkinVerticalAlign::Bottom: alignment |= Qt::AlignBottom; break;
    }
    return alignment;
}

SkinControl::SkinControl(const SkinControlDefinition& definition, const SkinResources* resources,
                         QWidget* root, QWidget* parent)
    : QWidget(parent),
      resources_(resources),
      name_(definition.name),
      kind_(definition.kind),
      root_(root),
      text_(definition.text),
      textColor_(definition.textColor),
      backgroundColor_(definition.backgroundColor.value_or(0)),
      disabledTextColor_(definition.disabledTextColor),
      fontIndex_(definition.fontIndex),
      horizontalAlign_(definition.horizontalAlign),
      verticalAlign_(definition.verticalAlign),
      backgroundImage_(definition.backgroundImage)
{
    setObjectName(definition.name);
    setGeometry(QRect(definition.position, definition.size));
    setVisible(definition.visible);
    setEnabled(definition.enabled);
    setFont(TextFont());
}

void SkinControl::SetText(const QString& text)
{
    if (text != text_) {
        text_ = text;
        update();
    }
}

void SkinControl::SetTextColor(std::uint32_t color)
{
    if (color != textColor_) {
        textColor_ = color;
        update();
    }
}

void SkinControl::SetBackgroundColor(std::uint32_t color)
{
    if (color != backgroundColor_) {
        backgroundColor_ = color;
        update();
    }
}

QRect SkinControl::Rect() const
{
    return QRect(mapTo(root_, QPoint(0, 0)), size());
}

void SkinControl::SetRect(const QRect& windowRect)
{
    const QWidget* parent = parentWidget();
    const QPoint topLeft = parent != nullptr && parent != root_
                               ? parent->mapFrom(root_, windowRect.topLeft())
                               : windowRect.topLeft();
    setGeometry(QRect(topLeft, windowRect.size()));
}

void SkinControl::SetRect(int left, int top, int right, int bottom)
{
    SetRect(QRect(left, top, std::max(0, right - left), std::max(0, bottom - top)));
}

void SkinControl::SetFontIndex(int index)
{
    fontIndex_ = index;
    setFont(TextFont());
    update();
}

QFont SkinControl::TextFont() const
{
    return resources_ != nullptr ? resources_->fonts.Font(fontIndex_) : QFont();
}

QColor SkinControl::EffectiveTextColor() const
{
    if (!isEnabled() && disabledTextColor_) {
        return SkinTextColor(*disabledTextColor_);
    }
    return SkinTextColor(textColor_);
}

void SkinControl::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    PaintBackground(painter);
    PaintText(painter);
}

void SkinControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
    QWidget::changeEvent(event);
}

void SkinControl::PaintBackground(QPainter& painter)
{
    if ((backgroundColor_ >> 24) != 0) {
        painter.fillRect(rect(), SkinBackgroundColor(backgroundColor_));
    }
    if (resources_ != nullptr && !backgroundImage_.isEmpty()) {
        const QPixmap image = resources_->Image(backgroundImage_);
        if (!image.isNull()) {
            painter.drawPixmap(rect(), image);
        }
    }
}

void SkinControl::PaintText(QPainter& painter)
{
    if (text_.isEmpty() || kind_ == SkinControlKind::Rect) {
        return;
    }
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(TextFont());
    painter.setPen(EffectiveTextColor());
    painter.drawText(rect(), static_cast<int>(SkinAlignment(horizontalAlign_, verticalAlign_))
                                 | Qt::TextSingleLine,
                     text_);
}

}  // namespace voltora::panel
