#include "sim/TransducerTable.h"

#include "platform/CNumbers.h"
#include "sim/NumberText.h"

#include <algorithm>
#include <cmath>

namespace voltora::sim {
namespace {

// Linear interpolation of `to` at `x` over points sorted by `from`.
template <typename From, typename To>
std::optional<double> Interpolate(const std::vector<TransducerPoint>& points, double x, From from, To to)
{
    if (points.size() < 2 || !(x >= from(points.front())) || !(x <= from(points.back()))) {
        return std::nullopt;
    }
    auto upper = std::lower_bound(points.begin(), points.end(), x,
                                  [&](const TransducerPoint& p, double value) { return from(p) < value; });
    if (upper == points.begin()) {
        return to(*upper);
    }
    const TransducerPoint& b = *upper;
    const TransducerPoint& a = *(upper - 1);
    const double fraction = (x - from(a)) / (from(b) - from(a));
    return to(a) + fraction * (to(b) - to(a));
}

double RawOf(const TransducerPoint& p)
{
    return p.raw;
}

double TemperatureOf(const TransducerPoint& p)
{
    return p.temperature;
}

}  // namespace

TransducerTable::TransducerTable(std::string name, bool rtd, std::vector<TransducerPoint> points)
    : name_(std::move(name)), rtd_(rtd), points_(std::move(points))
{
    for (std::size_t i = 0; i < points_.size(); ++i) {
        if (i != 0) {
            pointsText_ += ',';
        }
        AppendInteger(pointsText_, static_cast<long long>(i + 1));
        pointsText_ += '|';
        AppendScientific(pointsText_, points_[i].raw, kRangePrecision);
        pointsText_ += '|';
        pointsText_ += platform::CFormat("%.1f", points_[i].temperature);
    }
}

bool TransducerTable::Valid(const std::vector<TransducerPoint>& points)
{
    if (points.size() < 2) {
        return false;
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!std::isfinite(points[i].raw) || !std::isfinite(points[i].temperature)) {
            return false;
        }
        if (i != 0 && (points[i].raw <= points[i - 1].raw || points[i].temperature <= points[i - 1].temperature)) {
            return false;
        }
    }
    return true;
}

std::optional<double> TransducerTable::RawAt(double temperature) const
{
    return Interpolate(points_, temperature, TemperatureOf, RawOf);
}

std::optional<double> TransducerTable::TemperatureAt(double raw) const
{
    return Interpolate(points_, raw, RawOf, TemperatureOf);
}

}  // namespace voltora::sim
