#pragma once

#include "views/ChartScale.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The bar meter's scale, reading and geometry, computed from numbers: the
// drawing control paints what this computes.
namespace voltora::views {

// Layout values from the control's client size (single precision): the unit
// step u = w / 26, the marks at 3 u (low), 13 u (middle) and 23 u (high),
// the labels' baseline at h / 4.
struct BarMeterLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    float w = 0.0f;
    float h = 0.0f;
    float u = 0.0f;
    float labelY = 0.0f;

    static BarMeterLayout FromClient(int width, int height);
    float MarkX(int k) const { return static_cast<float>(k) * u; }
};

// A line of the scale with its pen width in pixels.
struct ScaleLine {
    QLineF line;
    int penWidth = 1;
};

class BarMeterModel {
public:
    static constexpr float kBarLeft = 5.0f;

    void SetClientSize(int width, int height);
    const BarMeterLayout& Layout() const { return layout_; }

    // The scale's bounds (a low above the high becomes the high and the
    // other way round; no magnitude limit). Return whether anything changed.
    bool SetLow(double x);
    bool SetHigh(double x);
    // Both bounds of a Default scale at once (see ChartScale::HighGoesFirst).
    bool SetBounds(double high, double low);
    const ChartScale& Scale() const { return scale_; }

    // The reading text: "Overload" and "open" draw a full-length bar and
    // keep the last value; any other text is read as a plain decimal number.
    // Returns whether the bar changed.
    bool SetReading(std::string_view text);
    double Value() const { return value_; }
    bool Overload() const { return overload_; }

    // The bar: from x = 5, 5 h / 8 down, h / 8 - 2 high. Its right end lies
    // at u + 24 u f for the fraction f of the display range (so the low, the
    // middle and the high land on their marks); with overload at 26 u.
    float BarLength() const;
    float BarRightEnd() const { return kBarLeft + BarLength(); }
    QRectF BarRect() const;
    // The yellow block left of the bar that marks the scale's origin.
    QRectF OriginBlockRect() const;

    // The scale's lines, in drawing order: the 25 small ticks (1 pixel),
    // the two quarter marks (3), the low, middle and high marks (5), the
    // base line (2).
    std::vector<ScaleLine> ScaleLines() const;

    // The labels of the low, middle and high marks ("-200.000m", "0.000 ",
    // "200.000m"), each centred on its mark with its bottom at h / 4.
    std::array<std::string, 3> LabelTexts() const;
    std::array<float, 3> LabelCentres() const;

private:
    BarMeterLayout layout_;
    ChartScale scale_{-100.0, 100.0};
    double value_ = 0.0;
    bool overload_ = false;
};

}  // namespace voltora::views
