#pragma once

#include "views/ChartScale.h"

#include <QLineF>
#include <QPointF>
#include <QRect>

#include <array>
#include <string>
#include <vector>

// The trend chart's scale, data and geometry, computed from numbers: the
// drawing control paints what this computes.
namespace voltora::views {

// Layout values from the client rectangle (left, top, right, bottom, with
// right and bottom just outside it, as the client size gives them).
struct TrendLayout {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int axisX = 0;        // left edge of the black plot frame
    int frameTop = 0;
    int frameRight = 0;
    int frameBottom = 0;  // the x axis
    int plotTop = 0;
    int plotHeight = 0;   // H
    int plotLeft = 0;
    int plotWidth = 0;    // W
    int centreX = 0;
    int rightTickX = 0;
    float rowStep = 0.0f;     // H / 24
    float columnStep = 0.0f;  // W / 10
    int highRow = 0;
    int middleRow = 0;
    int lowRow = 0;

    static TrendLayout FromClient(const QRect& client);
    // The y of tick row n (0 ... 24).
    int TickY(int n) const { return plotTop + static_cast<int>(static_cast<float>(n) * rowStep); }
};

struct TrendXLabel {
    std::string text;
    double position = 0.0;  // in points, 0 ... x-range
};

class TrendChartModel {
public:
    // The most points the chart keeps; a longer trend is cut to its first ones.
    static constexpr int kPointCapacity = 524288;

    void SetClientRect(const QRect& client);
    const TrendLayout& Layout() const { return layout_; }

    // Scale values of magnitude above 1e18 or below 1e-15 (other than 0),
    // and values that are not finite numbers, are ignored (false). A low
    // above the high becomes the high, a high below the low the low.
    static bool AcceptsScaleValue(double x);
    bool SetLow(double x);
    bool SetHigh(double x);
    // Both bounds of a Default or Auto scale (see ChartScale::HighGoesFirst).
    void SetBounds(double high, double low);
    const ChartScale& Scale() const { return scale_; }

    // The number of points the chart spans (400 from the dialog).
    void SetXRange(double range);
    double XRange() const { return xRange_; }
    double PixelsPerPoint() const { return layout_.plotWidth / xRange_; }

    // The trend values, oldest first; at most kPointCapacity are kept.
    void SetData(int count, const double* values);
    int Count() const { return static_cast<int>(yValues_.size()); }
    const std::vector<double>& Values() const { return yValues_; }

    // The polyline: the first min(count, x-range + 1) points, each at
    // x = i * pixels per point + plot left and its value mapped so that the
    // high lands on the high row and the low on the low row, clamped to the
    // plot.
    const std::vector<QPointF>& Polyline() const { return polyline_; }
    double MapY(double y) const;

    void ClearXLabels() { xLabels_.clear(); }
    void AddXLabel(std::string text, double position);
    const std::vector<TrendXLabel>& XLabels() const { return xLabels_; }
    // The x on which a label at `position` is centred.
    double XLabelCentre(double position) const;

    // The scale labels of the low, middle and high rows ("-2.000 ", "0.000 ",
    // "2.000 "), and those rows.
    std::array<std::string, 3> ScaleLabelTexts() const;
    std::array<int, 3> ScaleLabelRows() const;

    // The white grid, in drawing order: the three vertical lines, the row
    // ticks, the long ticks of rows 7 and 17, the high, middle and low rows
    // and the column ticks on them.
    std::vector<QLineF> GridLines() const;

private:
    void Map();

    TrendLayout layout_;
    ChartScale scale_{-0.5, 0.5};
    double xRange_ = 590.0;
    std::vector<double> yValues_;
    std::vector<QPointF> polyline_;
    std::vector<TrendXLabel> xLabels_;
};

}  // namespace voltora::views
