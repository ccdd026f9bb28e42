#include "views/BarMeterModel.h"

#include "platform/CNumbers.h"
#include "views/ViewText.h"

namespace voltora::views {

BarMeterLayout BarMeterLayout::FromClient(int width, int height)
{
    BarMeterLayout layout;
    layout.clientWidth = width;
    layout.clientHeight = height;
    layout.w = static_cast<float>(width);
    layout.h = static_cast<float>(height);
    layout.u = layout.w / 26.0f;
    layout.labelY = layout.h / 4.0f;
    return layout;
}

void BarMeterModel::SetClientSize(int width, int height)
{
    layout = BarMeterLayout::FromClient(width, height);
}

bool BarMeterModel::SetLow(double x)
{
    const ChartScale before = scale;
    scale.SetLow(x);
    return scale.Low() != before.Low() || scale.High() != before.High();
}

bool BarMeterModel::SetHigh(double x)
{
    const ChartScale before = scale;
    scale.SetHigh(x);
    return scale.Low() != before.Low() || scale.High() != before.High();
}

bool BarMeterModel::SetBounds(double high, double low)
{
    if (ChartScale::HighGoesFirst(scale.Low(), high)) {
        const bool highChanged = SetHigh(high);
        return SetLow(low) || highChanged;
    }
    const bool lowChanged = SetLow(low);
    return SetHigh(high) || lowChanged;
}

bool BarMeterModel::SetReading(std::string_view text)
{
    const double oldValue = value;
    const bool oldOverload = overload;
    if (text == "Overload" || text == "open") {
        overload = true;
    } else {
        value = platform::CAtof(text);
        overload = false;
    }
    return overload != oldOverload || (!overload && value != oldValue);
}

float BarMeterModel::BarLength() const
{
    const float u = layout.u;
    if (overload) {
        return 26.0f * u - kBarLeft;
    }
    const float f = static_cast<float>(scale.Fraction(value));
    return f * 24.0f * u + (u - kBarLeft);
}

QRectF BarMeterModel::BarRect() const
{
    const float h = layout.h;
    return QRectF(kBarLeft, 5.0f * h / 8.0f, BarLength(), h / 8.0f - 2.0f);
}

QRectF BarMeterModel::OriginBlockRect() const
{
    const float h = layout.h;
    return QRectF(0.0, 5.0f * h / 8.0f - 4.0f, 5.0, h / 8.0f + 6.0f);
}

std::vector<ScaleLine> BarMeterModel::ScaleLines() const
{
    const float h = layout.h;
    std::vector<ScaleLine> lines;
    lines.reserve(31);
    for (int k = 1; k <= 25; ++k) {
        const float x = layout.MarkX(k);
        lines.push_back({QLineF(x, h / 2.0f, x, 3.0f * h / 4.0f), 1});
    }
    for (const int k : {8, 18}) {
        const float x = layout.MarkX(k);
        lines.push_back({QLineF(x, 3.0f * h / 8.0f, x, 3.0f * h / 4.0f), 3});
    }
    for (const int k : {3, 13, 23}) {
        const float x = layout.MarkX(k);
        lines.push_back({QLineF(x, h / 4.0f, x, 3.0f * h / 4.0f), 5});
    }
    const int margin = static_cast<int>(layout.w / 26.0f);
    const int baseY = static_cast<int>(3.0f * h / 4.0f);
    lines.push_back({QLineF(margin, baseY, layout.clientWidth - margin, baseY), 2});
    return lines;
}

std::array<std::string, 3> BarMeterModel::LabelTexts() const
{
    return views::ScaleLabelTexts(scale.Low(), scale.Middle(), scale.High());
}

std::array<float, 3> BarMeterModel::LabelCentres() const
{
    return {layout.MarkX(3), layout.MarkX(13), layout.MarkX(23)};
}

}  // namespace voltora::views
