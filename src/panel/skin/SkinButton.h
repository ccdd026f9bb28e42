#pragma once

#include "panel/skin/SkinControl.h"

// An image button of the skin: the normal image, or the pushed image while
// the mouse button is held down over it. A press released over the button is
// a click; a disabled button ignores the mouse and never clicks.
namespace voltora::panel {

class SkinButton : public SkinControl {
    Q_OBJECT
public:
    SkinButton(const SkinControlDefinition& definition, const SkinResources* resources,
               QWidget* root, QWidget* parent);

    const QString& NormalImage() const { return normalImage_; }
    const QString& PushedImage() const { return pushedImage_; }
    bool IsPushed() const { return pushed_; }

signals:
    void Clicked(const QString& name);

protected:
    void PaintBackground(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetPushed(bool pushed);

    QString normalImage_;
    QString pushedImage_;
    bool pushed_ = false;
    bool tracking_ = false;  // the left button went down on this button
};

}  // namespace voltora::panel
