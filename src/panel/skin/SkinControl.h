#pragma once

#include "panel/skin/SkinDocument.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

class QPainter;

// One control of a skin: a rectangle, container or label. It paints its
// background colour and image and one line of text itself, so texts look the
// same on every machine. Buttons derive from it (SkinButton).
namespace voltora::panel {

struct SkinResources;

class SkinControl : public QWidget {
    Q_OBJECT
public:
    // `root` is the skin window; rectangles given in window coordinates are
    // relative to it. The control takes its geometry and look from `definition`.
    SkinControl(const SkinControlDefinition& definition, const SkinResources* resources,
                QWidget* root, QWidget* parent);

    const QString& Name() const { return name_; }
    SkinControlKind Kind() const { return kind_; }

    const QString& Text() const { return text_; }
    void SetText(const QString& text);

    // Colours are 0xAARRGGBB. Text is drawn in the RGB part (the alpha byte is
    // ignored); a background with alpha 0 is transparent.
    std::uint32_t TextColor() const { return textColor_; }
    void SetTextColor(std::uint32_t color);
    std::uint32_t BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(std::uint32_t color);
    std::optional<std::uint32_t> DisabledTextColor() const { return disabledTextColor_; }

    // The control's own visibility flag (a visible control inside a hidden
    // container still reports true).
    bool IsVisible() const { return !isHidden(); }
    void SetVisible(bool visible) { setVisible(visible); }

    bool IsEnabled() const { return isEnabled(); }
    void SetEnabled(bool enabled) { setEnabled(enabled); }

    // Rectangle in window coordinates. The four-number form takes left, top,
    // right and bottom with right and bottom just outside the control, so
    // (72, 86, 436, 226) is 364 x 140 pixels.
    QRect Rect() const;
    void SetRect(const QRect& windowRect);
    void SetRect(int left, int top, int right, int bottom);

    // Position of the top-left corner inside the parent container.
    QPoint Position() const { return pos(); }
    void SetPosition(int x, int y) { move(x, y); }

    // -1 is the skin's default font.
    int FontIndex() const { return fontIndex_; }
    void SetFontIndex(int index);
    QFont TextFont() const;

    SkinHorizontalAlign HorizontalAlign() const { return horizontalAlign_; }
    SkinVerticalAlign VerticalAlign() const { return verticalAlign_; }

    // The colour the text is drawn in right now (enabled or disabled), opaque.
    QColor EffectiveTextColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Paints the background colour, then the background image stretched over
    // the control. Buttons replace the image with their state's image.
    virtual void PaintBackground(QPainter& painter);
    void PaintText(QPainter& painter);

    const SkinResources* resources_;

private:
    QString name_;
    SkinControlKind kind_;
    QWidget* root_;
    QString text_;
    std::uint32_t textColor_;
    std::uint32_t backgroundColor_;
    std::optional<std::uint32_t> disabledTextColor_;
    int fontIndex_;
    SkinHorizontalAlign horizontalAlign_;
    SkinVerticalAlign verticalAlign_;
    QString backgroundImage_;
};

// Colour conversions of the skin's 0xAARRGGBB values.
QColor SkinTextColor(std::uint32_t argb);        // always opaque
QColor SkinBackgroundColor(std::uint32_t argb);  // keeps the alpha
Qt::Alignment SkinAlignment(SkinHorizontalAlign horizontal, SkinVerticalAlign vertical);

}  // namespace voltora::panel
