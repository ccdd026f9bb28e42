#pragma once

#include "functions/MathInfo.h"
#include "functions/StatisticsBlock.h"
#include "functions/ViewData.h"

#include <cstdint>
#include <string>

class CDlgBarMeter;
class CDlgHistogram;
class CDlgTrendChart;
class CDlgZANMath;

// The four analysis views as the front panel feeds them. The main window
// owns the views and hands the panel their pointers; any of them may be null
// (a panel without views, as in tests), and a call to a missing view does
// nothing.
namespace voltora::panel {

class PanelViews {
public:
    void SetMathView(CDlgZANMath* view) { math_ = view; }
    void SetBarMeterView(CDlgBarMeter* view) { barMeter_ = view; }
    void SetTrendChartView(CDlgTrendChart* view) { trendChart_ = view; }
    void SetHistogramView(CDlgHistogram* view) { histogram_ = view; }
    CDlgZANMath* MathView() const { return math_; }
    CDlgBarMeter* BarMeterView() const { return barMeter_; }
    CDlgTrendChart* TrendChartView() const { return trendChart_; }
    CDlgHistogram* HistogramView() const { return histogram_; }

    // The unit text to the bar meter, trend chart, histogram and math view, in this order.
    void SetUnit(const std::string& unit);
    void ShowRelValue(const std::string& state, const std::string& value);
    void UpdateBar(const std::string& readingText);
    void UpdateStatistics(const voltora::functions::StatisticsBlock& statistics);
    void LoadDbSettings(const voltora::functions::MathInfo& info);
    // The process-wide limits record to the math view.
    void LoadMathSettings();
    // The latest trend and histogram snapshots, each only when a newer one has
    // been published since the last hand-over (copying a trend is costly).
    void UpdateTrend();
    void UpdateHistogram();

private:
    CDlgZANMath* math_ = nullptr;
    CDlgBarMeter* barMeter_ = nullptr;
    CDlgTrendChart* trendChart_ = nullptr;
    CDlgHistogram* histogram_ = nullptr;
    TrendSnapshot trend_;  // kept to reuse its storage
    HistogramSnapshot histogramData_;
    std::uint64_t trendNumber_ = 0;
    std::uint64_t histogramNumber_ = 0;
};

}  // namespace voltora::panel
