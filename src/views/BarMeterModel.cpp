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
    layout_ = BarMeterLayout::FromClient(width, height);
}

bool BarMeterModel::SetLow(double x)
{
    const ChartScale before = scale_;
    scale_.SetLow(x);
    return scale_.Low() != before.Low() || scale_.High() != before.High();
}

bool BarMeterModel::SetHigh(double x)
{
    const ChartScale before = scale_;
    scale_.SetHigh(x);
    return scale_.Low() != before.Low() || scale_.High() != before.High();
}

bool BarMeterModel::SetBounds(double high, double low)
{
    if (ChartScale::HighGoesFirst(scale_.Low(), high)) {
        const bool highChanged = SetHigh(high);
        return SetLow(low) || highChanged;
    }
    const bool lowChanged = SetLow(low);
    return SetHigh(high) || lowChanged;
}

bool BarMeterModel::SetReading(std::string_view text)
{
    const double oldValue = value_;
    const bool oldOverload = overload_;
    if (text == "Overload" || text == "open") {
        overload_ = true;
    } else {
        value_ = platform::CAtof(text);
        overload_ = false;
    }
    return overload_ != oldOverload || (!overload_ && value_ != oldValue);
}

float BarMeterModel::BarLength() const
{
    const float u = layout_.u;
    if (overload_) {
        return 26.0f * u - kBarLeft;
    }
    const float f = static_cast<float>(scale_.Fraction(value_));
    return f * 24.0f * u + (u - kBarLeft);
}

QRectF BarMeterModel::BarRect() const
{
    const float h = layout_.h;
    return QRectF(kBarLeft, 5.0f * h / 8.0f, BarLength(), h / 8.0f - 2.0f);
}

QRectF BarMeterModel::OriginBlockRect() const
{
    const float h = layout_.h;
    return QRectF(0.0, 5.0f * h / 8.0f - 4.0f, 5.0, h / 8.0f + 6.0f);
}

std::vector<ScaleLine> BarMeterModel::ScaleLines() const
{
    const float h = layout_.h;
    std::vector<ScaleLine> lines;
    lines.reserve(31);
    for (int k = 1; k <= 25; ++k) {
        const float x = layout_.MarkX(k);
        lines.push_back({QLineF(x, h / 2.0f, x, 3.0f * h / 4.0f), 1});
    }
    for (const int k : {8, 18}) {
        const float x = layout_.MarkX(k);
        lines.push_back({QLineF(x, 3.0f * h / 8.0f, x, 3.0f * h / 4.0f), 3});
    }
    for (const int k : {3, 13, 23}) {
        const float x = layout_.MarkX(k);
        lines.push_back({QLineF(x, h / 4.0f, x, 3.0f * h / 4.0f), 5});
    }
    const int margin = static_cast<int>(layout_.w / 26.0f);
    const int baseY = static_cast<int>(3.0f * h / 4.0f);
    lines.push_back({QLineF(margin, baseY, layout_.clientWidth - margin, baseY), 2});
    return lines;
}

std::array<std::string, 3> BarMeterModel::LabelTexts() const
{
    return views::ScaleLabelTexts(scale_.Low(), scale_.Middle(), scale_.High());
}

std::array<float, 3> BarMeterModel::LabelCentres() const
{
    return {layout_.MarkX(3), layout_.MarkX(13), layout_.MarkX(23)};
}

}  // namespace voltora::views
