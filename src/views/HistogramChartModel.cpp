#include "views/HistogramChartModel.h"

#include "platform/CNumbers.h"
#include "views/ViewText.h"

#include <algorithm>
#include <cmath>

namespace voltora::views {
namespace {

constexpr double kLargestScaleValue = 1e18;
constexpr double kSmallestScaleValue = 1e-15;
constexpr double kOuterBarWidth = 2.0;

// The low, middle and high bound labels; a text without "-" gets a "+".
std::array<std::string, 3> BoundTexts(double low, double high)
{
    std::array<std::string, 3> texts = CompactScaledTexts(low, (low + high) / 2.0, high);
    for (std::string& text : texts) {
        if (text.find('-') == std::string::npos) {
            text.insert(text.begin(), '+');
        }
    }
    return texts;
}

}  // namespace

HistogramLayout HistogramLayout::FromClient(const QRect& client)
{
    HistogramLayout l;
    l.left = client.left();
    l.top = client.top();
    l.right = client.left() + client.width();
    l.bottom = client.top() + client.height();
    l.frameLeft = l.left + 60;
    l.frameTop = l.top + 1;
    l.frameRight = l.right - 1;
    l.frameBottom = l.bottom - 20;
    l.plotLeft = l.left + 64;
    l.plotWidth = l.right - l.left - 69;
    l.plotTop = l.top + 3;
    l.plotBottom = l.bottom - 22;
    l.middleY = (l.top + l.bottom - 19) / 2;
    return l;
}

void HistogramChartModel::SetClientRect(const QRect& client)
{
    layout_ = HistogramLayout::FromClient(client);
}

bool HistogramChartModel::SetScaleMax(double maximum)
{
    if (!std::isfinite(maximum)) {
        return false;
    }
    const double magnitude = std::fabs(maximum);
    if (maximum != 0.0 && (magnitude > kLargestScaleValue || magnitude < kSmallestScaleValue)) {
        return false;
    }
    scaleMax_ = maximum;
    return true;
}

void HistogramChartModel::SetXRange(double range)
{
    if (range > 0.0) {
        xRange_ = range;
    }
}

void HistogramChartModel::SetBins(int count, const double* counts)
{
    const int kept = std::clamp(count, 0, kBinCapacity);
    bins_.assign(counts, counts + kept);
}

void HistogramChartModel::SetBounds(double lowBound, double highBound)
{
    low_ = lowBound;
    high_ = highBound;
}

void HistogramChartModel::SetOuterCounts(double below, double above)
{
    belowCount_ = below;
    aboveCount_ = above;
}

double HistogramChartModel::BarHeight(double count) const
{
    const double plotHeight = layout_.plotBottom - layout_.plotTop;
    const double h = plotHeight * (count - scaleMin_) / (scaleMax_ - scaleMin_);
    // A count above the scale (an outer bin shown before the next update
    // has rescaled) stops at the top of the plot.
    return std::clamp(std::isnan(h) ? 0.0 : h, 0.0, plotHeight);
}

std::vector<QRectF> HistogramChartModel::Bars() const
{
    std::vector<QRectF> bars;
    const int n = std::min(BinCount(), static_cast<int>(xRange_) + 1);
    if (n <= 0 || !(scaleMax_ - scaleMin_ > 0.0)) {
        return bars;
    }
    const double pixelsPerBin = PixelsPerBin();
    const double width = static_cast<double>(layout_.plotWidth) / n;
    bars.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double h = BarHeight(bins_[static_cast<std::size_t>(i)]);
        bars.emplace_back(i * pixelsPerBin + layout_.plotLeft, layout_.plotBottom - h, width, h);
    }
    return bars;
}

QRectF HistogramChartModel::BelowBar() const
{
    const double h = scaleMax_ - scaleMin_ > 0.0 ? BarHeight(belowCount_) : 0.0;
    return QRectF(layout_.left + 62, layout_.plotBottom - h, kOuterBarWidth, h);
}

QRectF HistogramChartModel::AboveBar() const
{
    const double h = scaleMax_ - scaleMin_ > 0.0 ? BarHeight(aboveCount_) : 0.0;
    return QRectF(layout_.right - 5, layout_.plotBottom - h, kOuterBarWidth, h);
}

std::vector<QPointF> HistogramChartModel::CumulativeCurve() const
{
    std::vector<QPointF> curve;
    const int n = BinCount();
    double sum = 0.0;
    for (const double count : bins_) {
        sum += count;
    }
    if (n <= 0 || !(sum > 0.0)) {
        return curve;
    }
    const double plotHeight = layout_.plotBottom - layout_.plotTop;
    const double step = static_cast<double>(layout_.plotWidth) / n;
    curve.reserve(static_cast<std::size_t>(n) + 1);
    curve.emplace_back(layout_.plotLeft, layout_.plotBottom);
    double running = 0.0;
    for (int i = 0; i < n; ++i) {
        running += bins_[static_cast<std::size_t>(i)];
        curve.emplace_back(layout_.plotLeft + (i + 1) * step,
                           layout_.plotBottom - plotHeight * running / sum);
    }
    return curve;
}

long long HistogramChartModel::CountTotal() const
{
    long long sum = 0;
    for (const double count : bins_) {
        sum += static_cast<long long>(count);
    }
    if (outerBinsShown_) {
        sum += static_cast<long long>(belowCount_) + static_cast<long long>(aboveCount_);
    }
    return sum;
}

std::string HistogramChartModel::TopLeftLabel() const
{
    const long long sum = CountTotal();
    // An empty histogram has no share to show.
    const double percent = sum > 0 ? scaleMax_ / static_cast<double>(sum) * 100.0 : 0.0;
    return platform::CFormat("%.1f", percent) + "%\r\n" + CountText(scaleMax_);
}

std::string HistogramChartModel::MiddleLeftLabel() const
{
    return "Total\r\n" + CountText(static_cast<double>(CountTotal()));
}

std::string HistogramChartModel::BottomLeftLabel() const
{
    return platform::CFormat("#Bin\r\n%d", BinCount());
}

std::string HistogramChartModel::LowBoundLabel() const
{
    return BoundTexts(low_, high_)[0];
}

std::string HistogramChartModel::MiddleBoundLabel() const
{
    return BoundTexts(low_, high_)[1];
}

std::string HistogramChartModel::HighBoundLabel() const
{
    return BoundTexts(low_, high_)[2];
}

std::vector<QLineF> HistogramChartModel::GridLines() const
{
    const HistogramLayout& l = layout_;
    std::vector<QLineF> lines;
    lines.reserve(3 + 33 + 1);
    for (const int y : {l.plotTop, l.middleY, l.plotBottom}) {
        lines.emplace_back(l.plotLeft - 2, y, l.plotLeft + l.plotWidth + 2, y);
    }
    for (int k = 0; k <= 10; ++k) {
        const int x = l.plotLeft + k * l.plotWidth / 10;
        lines.emplace_back(x, l.plotTop, x, l.plotTop + 2);
        lines.emplace_back(x, l.middleY - 2, x, l.middleY + 2);
        lines.emplace_back(x, l.plotBottom - 2, x, l.plotBottom);
    }
    const int centre = l.plotLeft + l.plotWidth / 2;
    lines.emplace_back(centre, l.plotTop, centre, l.plotBottom);
    return lines;
}

}  // namespace voltora::views
