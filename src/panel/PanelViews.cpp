#include "panel/PanelViews.h"

#include "functions/MathSettings.h"
#include "views/CDlgBarMeter.h"
#include "views/CDlgHistogram.h"
#include "views/CDlgTrendChart.h"
#include "views/CDlgZANMath.h"

using namespace voltora::functions;

namespace voltora::panel {

void PanelViews::SetUnit(const std::string& unit)
{
    if (barMeter_ != nullptr) {
        barMeter_->SetUnit(unit);
    }
    if (trendChart_ != nullptr) {
        trendChart_->SetUnit(unit);
    }
    if (histogram_ != nullptr) {
        histogram_->SetUnit(unit);
    }
    if (math_ != nullptr) {
        math_->SetUnit(unit);
    }
}

void PanelViews::ShowRelValue(const std::string& state, const std::string& value)
{
    if (math_ != nullptr) {
        math_->ShowRelValue(state, value);
    }
}

void PanelViews::UpdateBar(const std::string& readingText)
{
    if (barMeter_ != nullptr) {
        barMeter_->UpdateBar(readingText);
    }
}

void PanelViews::UpdateStatistics(const StatisticsBlock& statistics)
{
    if (math_ != nullptr) {
        math_->UpdateStatistics(statistics);
    }
}

void PanelViews::LoadDbSettings(const MathInfo& info)
{
    if (math_ != nullptr) {
        math_->LoadDbSettings(info);
    }
}

void PanelViews::LoadMathSettings()
{
    if (math_ != nullptr) {
        math_->LoadMathSettings(functions::GetMathSettings());
    }
}

void PanelViews::UpdateTrend()
{
    if (trendChart_ == nullptr || functions::TrendSnapshotNumber() == trendNumber_) {
        return;
    }
    if (const std::uint64_t number = functions::ReadTrendSnapshot(trend_); number != 0) {
        trendNumber_ = number;
        trendChart_->UpdateTrend(trend_);
    }
}

void PanelViews::UpdateHistogram()
{
    if (histogram_ == nullptr || functions::HistogramSnapshotNumber() == histogramNumber_) {
        return;
    }
    if (const std::uint64_t number = functions::ReadHistogramSnapshot(histogramData_);
        number != 0) {
        histogramNumber_ = number;
        histogram_->UpdateHistogram(histogramData_);
    }
}

}  // namespace voltora::panel
