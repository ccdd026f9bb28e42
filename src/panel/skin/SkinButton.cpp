#include "panel/skin/SkinButton.h"

#include "panel/skin/SkinResources.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace voltora::panel {

SkinButton::SkinButton(const SkinControlDefinition& definition, const SkinResources* resources,
                       QWidget* root, QWidget* parent)
    : SkinControl(definition, resources, root, parent),
      normalImage_(definition.normalImage),
      pushedImage_(definition.pushedImage)
{
    setCursor(Qt::PointingHandCursor);
}

void SkinButton::PaintBackground(QPainter& painter)
{
    SkinControl::PaintBackground(painter);
    if (resources_ == nullptr) {
        return;
    }
    const QPixmap image = resources_->Image(pushed_ ? pushedImage_ : normalImage_);
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawPixmap(rect(), image);
    }
}

void SkinButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    tracking_ = true;
    SetPushed(true);
    event->accept();
}

void SkinButton::mouseMoveEvent(QMouseEvent* event)
{
    if (tracking_) {
        SetPushed(rect().contains(event->position().toPoint()));
    }
    event->accept();
}

void SkinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !tracking_) {
        event->ignore();
        return;
    }
    tracking_ = false;
    const bool inside = rect().contains(event->position().toPoint());
    SetPushed(false);
    event->accept();
    if (inside && isEnabled()) {
        emit Clicked(Name());
    }
}

void SkinButton::changeEvent(QEvent* event)
{
    // A button disabled (or hidden, below) while held down must not stay pushed.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        tracking_ = false;
        SetPushed(false);
    }
    SkinControl::changeEvent(event);
}

void SkinButton::hideEvent(QHideEvent* event)
{
    tracking_ = false;
    SetPushed(false);
    SkinControl::hideEvent(event);
}

void SkinButton::SetPushed(bool pushed)
{
    if (pushed != pushed_) {
        pushed_ = pushed;
        update();
    }
}

}  // namespace voltora::panel
