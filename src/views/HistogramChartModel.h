#pragma once

#include <QLineF>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <string>
#include <vector>

// The histogram's scale, bins and geometry, computed from numbers: the
// drawing control paints what this computes.
namespace voltora::views {

// Layout values from the client rectangle (right and bottom just outside it).
struct HistogramLayout {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int frameLeft = 0;
    int frameTop = 0;
    int frameRight = 0;
    int frameBottom = 0;
    int plotLeft = 0;
    int plotWidth = 0;  // W
    int plotTop = 0;
    int plotBottom = 0;
    int middleY = 0;

    static HistogramLayout FromClient(const QRect& client);
};

class HistogramChartModel {
public:
    // The most bins the chart keeps.
    static constexpr int kBinCapacity = 524288;

    void SetClientRect(const QRect& client);
    const HistogramLayout& Layout() const { return layout_; }

    // Scale maxima of magnitude above 1e18 or below 1e-15 (other than 0),
    // and values that are not finite numbers, are ignored (false).
    bool SetScaleMax(double maximum);
    double ScaleMax() const { return scaleMax_; }
    double ScaleMin() const { return scaleMin_; }

    // The number of bins the chart spans (set to the bin count by each update).
    void SetXRange(double range);
    double XRange() const { return xRange_; }
    double PixelsPerBin() const { return layout_.plotWidth / xRange_; }

    // The bin counts, lowest bin first; at most kBinCapacity are kept.
    void SetBins(int count, const double* counts);
    int BinCount() const { return static_cast<int>(bins_.size()); }
    const std::vector<double>& Bins() const { return bins_; }
    double BelowCount() const { return belowCount_; }
    double AboveCount() const { return aboveCount_; }

    void SetBounds(double low, double high);
    double Low() const { return low_; }
    double High() const { return high_; }
    void SetTotal(double readings) { total_ = readings; }
    double Total() const { return total_; }
    void SetOuterCounts(double below, double above);
    void SetCumulativeShown(bool state) { cumulativeShown_ = state; }
    bool CumulativeShown() const { return cumulativeShown_; }
    void SetOuterBinsShown(bool state) { outerBinsShown_ = state; }
    bool OuterBinsShown() const { return outerBinsShown_; }

    // The bars of the first min(bin count, x-range + 1) bins, standing on the
    // plot bottom, as high as their count on the scale. A scale without span
    // (all counts 0) has no bars.
    std::vector<QRectF> Bars() const;
    // The outer bins: 2 pixels wide at the plot's left and right edges.
    QRectF BelowBar() const;
    QRectF AboveBar() const;
    // The cumulative curve, bin count + 1 points rising from the plot's
    // bottom left to its top right; no curve when all counts are 0.
    std::vector<QPointF> CumulativeCurve() const;

    // The labels: "12.5%\r\n40.000" (the maximum as a share of all counts,
    // outer counts included when shown), "Total\r\n1.500k", "#Bin\r\n40",
    // and the bounds "-1.000", "+0.000", "+1.000".
    std::string TopLeftLabel() const;
    std::string MiddleLeftLabel() const;
    std::string BottomLeftLabel() const;
    std::string LowBoundLabel() const;
    std::string MiddleBoundLabel() const;
    std::string HighBoundLabel() const;

    // The white grid: the top, middle and bottom lines, the column ticks
    // and the centre line.
    std::vector<QLineF> GridLines() const;

private:
    double BarHeight(double count) const;
    long long CountTotal() const;

    HistogramLayout layout_;
    double scaleMax_ = 5.0;
    double scaleMin_ = -0.0;
    double xRange_ = 500.0;
    std::vector<double> bins_;
    double low_ = 0.0;
    double high_ = 0.0;
    double total_ = 0.0;
    double belowCount_ = 0.0;
    double aboveCount_ = 0.0;
    bool cumulativeShown_ = false;
    bool outerBinsShown_ = false;
};

}  // namespace voltora::views
