#include "views/TrendChartModel.h"

#include "views/ViewText.h"

#include <algorithm>
#include <cmath>

namespace voltora::views {
namespace {

constexpr double kLargestScaleValue = 1e18;
constexpr double kSmallestScaleValue = 1e-15;

}  // namespace

TrendLayout TrendLayout::FromClient(const QRect& client)
{
    TrendLayout l;
    l.left = client.left();
    l.top = client.top();
    l.right = client.left() + client.width();
    l.bottom = client.top() + client.height();
    l.axisX = l.left + 60;
    l.frameTop = l.top + 1;
    l.frameRight = l.right - 1;
    l.frameBottom = l.bottom - 20;
    l.plotTop = l.top + 3;
    l.plotHeight = l.bottom - 20 - l.top - 5;
    l.plotLeft = l.left + 62;
    l.plotWidth = l.right - l.left - 65;
    l.centreX = (l.left + l.right + 59) / 2;
    l.rightTickX = l.right - 3;
    l.rowStep = static_cast<float>(l.plotHeight) / 24.0f;
    l.columnStep = static_cast<float>(l.plotWidth) / 10.0f;
    l.highRow = static_cast<int>(static_cast<float>(l.plotTop) + 2.0f * l.rowStep);
    l.middleRow = static_cast<int>(static_cast<float>(l.plotTop) + 12.0f * l.rowStep);
    l.lowRow = static_cast<int>(static_cast<float>(l.plotTop) + 22.0f * l.rowStep);
    return l;
}

void TrendChartModel::SetClientRect(const QRect& client)
{
    layout_ = TrendLayout::FromClient(client);
    Map();
}

bool TrendChartModel::AcceptsScaleValue(double x)
{
    if (!std::isfinite(x)) {
        return false;
    }
    const double magnitude = std::fabs(x);
    return x == 0.0 || (magnitude <= kLargestScaleValue && magnitude >= kSmallestScaleValue);
}

bool TrendChartModel::SetLow(double x)
{
    if (!AcceptsScaleValue(x)) {
        return false;
    }
    scale_.SetLow(x);
    Map();
    return true;
}

bool TrendChartModel::SetHigh(double x)
{
    if (!AcceptsScaleValue(x)) {
        return false;
    }
    scale_.SetHigh(x);
    Map();
    return true;
}

void TrendChartModel::SetBounds(double high, double low)
{
    if (ChartScale::HighGoesFirst(scale_.Low(), high)) {
        SetHigh(high);
        SetLow(low);
    } else {
        SetLow(low);
        SetHigh(high);
    }
}

void TrendChartModel::SetXRange(double range)
{
    if (range > 0.0) {
        xRange_ = range;
        Map();
    }
}

void TrendChartModel::SetData(int count, const double* values)
{
    const int kept = std::clamp(count, 0, kPointCapacity);
    yValues_.assign(values, values + kept);
    Map();
}

double TrendChartModel::MapY(double y) const
{
    const double halfSpan = (scale_.DisplayHigh() - scale_.DisplayLow()) * 0.5;
    const double top = layout_.plotTop;
    const double bottom = layout_.plotTop + layout_.plotHeight;
    double py = layout_.middleRow;
    if (halfSpan > 0.0) {
        py += (scale_.Middle() - y) / halfSpan * (layout_.plotHeight / 2);
    } else if (y != scale_.Middle()) {
        // A scale without span: values off its one value go to the edges.
        py = y > scale_.Middle() ? top : bottom;
    }
    if (std::isnan(py)) {
        py = layout_.middleRow;
    }
    return std::clamp(py, top, bottom);
}

void TrendChartModel::Map()
{
    const int available = static_cast<int>(yValues_.size());
    const int n = std::min(available, static_cast<int>(xRange_) + 1);
    const double pixelsPerPoint = PixelsPerPoint();
    polyline_.resize(static_cast<std::size_t>(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        const float px = static_cast<float>(i * pixelsPerPoint + layout_.plotLeft);
        const float py = static_cast<float>(MapY(yValues_[static_cast<std::size_t>(i)]));
        polyline_[static_cast<std::size_t>(i)] = QPointF(px, py);
    }
}

void TrendChartModel::AddXLabel(std::string text, double position)
{
    xLabels_.push_back({std::move(text), position});
}

double TrendChartModel::XLabelCentre(double position) const
{
    return position / xRange_ * layout_.plotWidth + layout_.plotLeft;
}

std::array<std::string, 3> TrendChartModel::ScaleLabelTexts() const
{
    return views::ScaleLabelTexts(scale_.Low(), scale_.Middle(), scale_.High());
}

std::array<int, 3> TrendChartModel::ScaleLabelRows() const
{
    return {layout_.lowRow, layout_.middleRow, layout_.highRow};
}

std::vector<QLineF> TrendChartModel::GridLines() const
{
    const TrendLayout& l = layout_;
    std::vector<QLineF> lines;
    lines.reserve(3 + 75 + 6 + 3 + 27);
    for (const int x : {l.plotLeft, l.centreX, l.rightTickX}) {
        lines.emplace_back(x, l.plotTop, x, l.plotTop + l.plotHeight);
    }
    const auto ticks = [&](int y, int length) {
        lines.emplace_back(l.plotLeft, y, l.plotLeft + length, y);
        lines.emplace_back(l.centreX - length, y, l.centreX + length, y);
        lines.emplace_back(l.rightTickX, y, l.rightTickX - length, y);
    };
    for (int n = 0; n <= 24; ++n) {
        ticks(l.TickY(n), 2);
    }
    for (const int n : {7, 17}) {
        ticks(l.TickY(n), 5);
    }
    for (const int y : {l.highRow, l.middleRow, l.lowRow}) {
        lines.emplace_back(l.plotLeft, y, l.plotLeft + l.plotWidth, y);
    }
    for (int k = 1; k <= 9; ++k) {
        const int x = l.plotLeft + k * l.plotWidth / 10;
        for (const int y : {l.highRow, l.middleRow, l.lowRow}) {
            lines.emplace_back(x, y - 2, x, y + 2);
        }
    }
    return lines;
}

}  // namespace voltora::views
