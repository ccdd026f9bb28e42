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
    if (barMeter != nullptr) {
        barMeter->SetUnit(unit);
    }
    if (trendChart != nullptr) {
        trendChart->SetUnit(unit);
    }
    if (histogram != nullptr) {
        histogram->SetUnit(unit);
    }
    if (math != nullptr) {
        math->SetUnit(unit);
    }
}

void PanelViews::ShowRelValue(const std::string& state, const std::string& value)
{
    if (math != nullptr) {
        math->ShowRelValue(state, value);
    }
}

void PanelViews::UpdateBar(const std::string& readingText)
{
    if (barMeter != nullptr) {
        barMeter->UpdateBar(readingText);
    }
}

void PanelViews::UpdateStatistics(const StatisticsBlock& statistics)
{
    if (math != nullptr) {
        math->UpdateStatistics(statistics);
    }
}

void PanelViews::LoadDbSettings(const MathInfo& info)
{
    if (math != nullptr) {
        math->LoadDbSettings(info);
    }
}

void PanelViews::LoadMathSettings()
{
    if (math != nullptr) {
        math->LoadMathSettings(functions::GetMathSettings());
    }
}

void PanelViews::UpdateTrend()
{
    if (trendChart == nullptr || functions::TrendSnapshotNumber() == trendNumber) {
        return;
    }
    if (const std::uint64_t number = functions::ReadTrendSnapshot(trend); number != 0) {
        trendNumber = number;
        trendChart->UpdateTrend(trend);
    }
}

void PanelViews::UpdateHistogram()
{
    if (histogram == nullptr || functions::HistogramSnapshotNumber() == histogramNumber) {
        return;
    }
    if (const std::uint64_t number = functions::ReadHistogramSnapshot(histogramData); number != 0) {
        histogramNumber = number;
        histogram->UpdateHistogram(histogramData);
    }
}

}  // namespace voltora::panel
