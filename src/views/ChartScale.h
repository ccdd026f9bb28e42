#pragma once

// The vertical (trend) or horizontal (bar meter) scale of a chart: a low and
// a high bound, the middle between them, and the display range, which adds
// a tenth of the span on either side so that the bounds sit on the chart's
// low and high marks.
namespace voltora::views {

class ChartScale {
public:
    ChartScale(double low, double high);

    // A low above the high becomes the high; a high below the low becomes
    // the low. A value that is not a finite number ("nan", "inf" typed into
    // a field) is ignored.
    void SetLow(double x);
    void SetHigh(double x);

    // The order in which a new pair of bounds is set: the high first, unless
    // it lies below the current low; then the low goes first, so that
    // neither new bound is clamped to an old one and the scale ends as
    // [low, high] whenever low <= high.
    static bool HighGoesFirst(double currentLow, double newHigh) { return !(newHigh < currentLow); }

    double Low() const { return low_; }
    double High() const { return high_; }
    double Middle() const { return middle_; }
    double DisplayLow() const { return displayLow_; }
    double DisplayHigh() const { return displayHigh_; }

    // Where `value` lies in the display range, from 0 (display low) to 1
    // (display high), clamped. A scale whose bounds are equal has no span:
    // its one value lies at 0.5, values below it at 0, above it at 1.
    double Fraction(double value) const;

private:
    void Update();

    double low_;
    double high_;
    double middle_ = 0.0;
    double displayLow_ = 0.0;
    double displayHigh_ = 0.0;
};

}  // namespace voltora::views
