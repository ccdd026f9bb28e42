#pragma once

#include "views/BarMeterModel.h"

#include <QImage>
#include <QWidget>

#include <string_view>

// The bar meter's drawing control: the reading as a yellow bar on a scale
// with low, middle and high marks. It paints into an off-screen image of its
// client size, which is then copied to the window; it repaints only when
// what it shows has changed.
class CStaticBarMeter : public QWidget {
    Q_OBJECT

public:
    explicit CStaticBarMeter(QWidget* parent = nullptr);

    void SetLow(double x);
    void SetHigh(double x);
    // Both bounds of a Default scale.
    void SetBounds(double high, double low);
    // The reading text ("Overload" and "open": a full-length bar).
    void SetReading(std::string_view text);

    // What the control shows, laid out for its current size.
    const voltora::views::BarMeterModel& Model() const;
    // The picture of the control as it is painted.
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The layout follows the control's size (also while it is hidden,
    // when Qt holds its resize events back).
    void SyncLayout() const;
    void RenderInto(QImage& image) const;

    mutable voltora::views::BarMeterModel model;
    QImage canvas;
};
