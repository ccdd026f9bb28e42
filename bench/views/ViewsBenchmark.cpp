// The views' work per reading on the user-interface thread: each update as
// the panel makes it, followed by the repaint it causes, for visible views;
// and the cost of the same calls while the views are hidden.

#include "functions/ViewData.h"
#include "functions/ViewFlags.h"
#include "views/CDlgBarMeter.h"
#include "views/CDlgHistogram.h"
#include "views/CDlgTrendChart.h"
#include "views/CStaticBarMeter.h"
#include "views/CStaticHistogramChart.h"
#include "views/CStaticTrendChart.h"
#include "views/DialogUnits.h"
#include "views/IViewHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace voltora::functions;

namespace {

class BenchHost : public IViewHost {
public:
    std::string CurrentFunctionName() override { return "DC Voltage"; }
    std::string CurrentRangeText() override { return "2V"; }
    std::string CurrentValueText() override { return "+1.00000"; }
    std::string CurrentUnitText() override { return "VDC"; }
    void ApplyMathMode(int) override {}
    void ApplyMathUnit(const std::string&) override {}
    void ApplyRelValue(const std::string&) override {}
    void SetLimitLow(double) override {}
    void SetLimitHigh(double) override {}
    void ApplyTrendMode(const std::string&) override {}
    CZANFunction* CurrentFunction() override { return nullptr; }
    void RestartElapsedTime() override {}
};

// Shows `view` and lets the platform expose its window, so that a repaint
// really paints (an unexposed window only marks itself dirty).
void ShowExposed(QWidget& view)
{
    view.show();
    QElapsedTimer timer;
    timer.start();
    while (!(view.windowHandle() != nullptr && view.windowHandle()->isExposed()) && timer.elapsed() < 5000) {
        QApplication::processEvents();
    }
    QApplication::processEvents();
}

// Two trend snapshots of `count` values that differ, so that every update
// changes the picture.
std::vector<TrendSnapshot> TrendSnapshots(int count)
{
    std::vector<TrendSnapshot> snapshots(2);
    for (int k = 0; k < 2; ++k) {
        TrendSnapshot& s = snapshots[static_cast<std::size_t>(k)];
        s.modeText = "REC";
        s.rangeText = "2V";
        s.count = count;
        s.values.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            s.values[static_cast<std::size_t>(i)] = 1.8 * std::sin((i + 37 * k) / 20.0);
        }
        s.minimum = -1.8;
        s.maximum = 1.8;
    }
    return snapshots;
}

std::vector<HistogramSnapshot> HistogramSnapshots(int bins)
{
    std::vector<HistogramSnapshot> snapshots(2);
    for (int k = 0; k < 2; ++k) {
        HistogramSnapshot& s = snapshots[static_cast<std::size_t>(k)];
        s.binCount = bins;
        s.readingCount = 20000;
        s.lower = -1.0;
        s.upper = 1.0;
        s.belowCount = 10 + k;
        s.aboveCount = 20;
        for (int i = 0; i < bins; ++i) {
            const double z = (i - bins / 2.0 + k) / (bins / 6.0);
            s.bins.push_back(std::round(100.0 * std::exp(-z * z / 2.0)));
        }
    }
    return snapshots;
}

void UpdateTrend(benchmark::State& state)
{
    BenchHost host;
    CDlgTrendChart view(&host);
    view.resize(voltora::views::DialogUnitSize(440, 180));
    ShowExposed(view);
    const auto snapshots = TrendSnapshots(static_cast<int>(state.range(0)));
    std::size_t n = 0;
    for (auto _ : state) {
        view.UpdateTrend(snapshots[n++ % 2]);
        view.Chart()->repaint();
    }
    view.hide();
}

void UpdateHistogram(benchmark::State& state)
{
    BenchHost host;
    CDlgHistogram view(&host);
    view.resize(voltora::views::DialogUnitSize(439, 170));
    ShowExposed(view);
    view.Chart()->SetCumulativeShown(true);
    const auto snapshots = HistogramSnapshots(static_cast<int>(state.range(0)));
    std::size_t n = 0;
    for (auto _ : state) {
        view.UpdateHistogram(snapshots[n++ % 2]);
        view.Chart()->repaint();
    }
    view.hide();
}

void UpdateBar(benchmark::State& state)
{
    BenchHost host;
    CDlgBarMeter view(&host);
    view.resize(voltora::views::DialogUnitSize(478, 132));
    ShowExposed(view);
    const std::string readings[2] = {"+1.23456000E+00", "-0.98765000E+00"};
    std::size_t n = 0;
    for (auto _ : state) {
        view.UpdateBar(readings[n++ % 2]);
        view.Chart()->repaint();
    }
    view.hide();
}

// What the views cost while another view is shown: the panel still hands
// the bar meter every reading; the trend and histogram return at once.
void HiddenViews(benchmark::State& state)
{
    BenchHost host;
    CDlgBarMeter bar(&host);
    CDlgTrendChart trend(&host);
    CDlgHistogram histogram(&host);
    const auto trendSnapshots = TrendSnapshots(400);
    const auto histogramSnapshots = HistogramSnapshots(400);
    const std::string readings[2] = {"+1.23456000E+00", "-0.98765000E+00"};
    std::size_t n = 0;
    for (auto _ : state) {
        const std::size_t k = n++ % 2;
        bar.UpdateBar(readings[k]);
        trend.UpdateTrend(trendSnapshots[k]);
        histogram.UpdateHistogram(histogramSnapshots[k]);
        QApplication::processEvents();  // a hidden widget's update() queues no paint
    }
}

}  // namespace

// 400: the meter's trend; 65536: about as many as a full 1 MiB reply holds;
// 1048576: a snapshot beyond the chart's point buffers.
BENCHMARK(UpdateTrend)->Arg(400)->Arg(65536)->Arg(1048576)->Unit(benchmark::kMicrosecond);
BENCHMARK(UpdateHistogram)->Arg(100)->Arg(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(UpdateBar)->Unit(benchmark::kMicrosecond);
BENCHMARK(HiddenViews)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    trendViewShown = false;
    histogramViewShown = false;
    return 0;
}
