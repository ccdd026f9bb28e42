// The front panel on the user-interface thread.
//
// BM_ReadingMessage: handling one WM_PANEL_READING (display labels, the
// reading to the bar meter, the statistics to the shown math view), with and
// without the repaint it causes.
// BM_KeyPressWhileReading: the simulated meter answers at once, so the worker
// delivers readings as fast as the panel takes them; a click on a panel key
// is queued as a real one would be and timed until the panel has handled it.
// The counters: max_pending_messages, the largest number of panel messages
// waiting in the queue during the run; slowest_click_us, the slowest click.

#include "panel/CFrontPanel.h"
#include "panel/skin/SkinButton.h"

#include "functions/CZANFunction.h"
#include "functions/IFrontPanel.h"
#include "link/CConectWithNI.h"
#include "sim/backend/SimulatedMeterBackend.h"
#include "views/CDlgBarMeter.h"
#include "views/CDlgZANMath.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

using namespace voltora::functions;

namespace {

using Clock = std::chrono::steady_clock;

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A panel with a bar meter and a shown math view, as the program starts.
struct PanelWithViews {
    CFrontPanel panel{*CConectWithNI::Instance()};
    CDlgZANMath math{&panel};
    CDlgBarMeter bar{&panel};

    PanelWithViews()
    {
        panel.SetViews(&math, &bar, nullptr, nullptr);
        panel.show();
        math.show();
        QCoreApplication::processEvents();
    }
    ~PanelWithViews() { panel.SetViews(nullptr, nullptr, nullptr, nullptr); }
};

// The simulated meter, connected, replying after `latency`.
struct ConnectedMeter {
    explicit ConnectedMeter(std::chrono::microseconds latency)
    {
        voltora::sim::SimulatedMeterOptions options;
        options.replyLatency = latency;
        options.transcriptLimit = 1000;
        voltora::sim::SimulatedMeterBackend::Instance()->ResetMeter(options)->SetSignal("VOLT", 1.234567);
        connected = CConectWithNI::Instance()->Open(voltora::sim::SimulatedMeterBackend::kResource);
    }
    ~ConnectedMeter() { CConectWithNI::Instance()->Close(); }
    bool connected = false;
};

bool StartAcquiring(CFrontPanel& panel)
{
    panel.PostMessage(WM_PANEL_SYNC);
    return PumpUntil([&] { return panel.IsRunning() && panel.CurrentValueText() != "$INIT$"; },
                     std::chrono::seconds(20));
}

void ReadingMessage(benchmark::State& state, bool repaint)
{
    ConnectedMeter meter(std::chrono::microseconds(0));
    PanelWithViews views;
    CFrontPanel& panel = views.panel;
    if (!meter.connected || !StartAcquiring(panel)
        || !PumpUntil([&] { return panel.CurrentFunction()->GetStatistics().samples > 0; },
                      std::chrono::seconds(20))) {
        state.SkipWithError("no readings from the simulated meter");
        return;
    }
    // Real statistics are in the block now; the worker stops so that only
    // the message handling is measured.
    panel.SendMessage(WM_PANEL_STOP);
    QCoreApplication::processEvents();

    CZANFunction* function = panel.CurrentFunction();
    const char* readings[] = {"+1.23456700E+00", "+1.23461200E+00"};
    std::size_t n = 0;
    for (auto _ : state) {
        function->SetReadingText(readings[n++ & 1]);  // each message shows a new value
        panel.SendMessage(WM_PANEL_READING);
        if (repaint) {
            QCoreApplication::processEvents();
        }
    }
    panel.CloseSession();
}

void BM_ReadingMessage(benchmark::State& state)
{
    ReadingMessage(state, false);
}
BENCHMARK(BM_ReadingMessage)->Unit(benchmark::kMicrosecond);

void BM_ReadingMessageAndRepaint(benchmark::State& state)
{
    ReadingMessage(state, true);
}
BENCHMARK(BM_ReadingMessageAndRepaint)->Unit(benchmark::kMicrosecond);

void BM_KeyPressWhileReading(benchmark::State& state)
{
    ConnectedMeter meter(std::chrono::microseconds(0));
    PanelWithViews views;
    CFrontPanel& panel = views.panel;
    if (!meter.connected || !StartAcquiring(panel)) {
        state.SkipWithError("no readings from the simulated meter");
        return;
    }
    voltora::panel::SkinButton* shift = panel.FindButton(QStringLiteral("btnShift"));
    std::optional<Clock::time_point> handled;
    QObject::connect(&panel, &voltora::panel::SkinWindow::Clicked, &panel,
                     [&handled](const QString&) { handled = Clock::now(); });

    int maxPending = 0;
    double slowest = 0.0;
    const auto pump = [&] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        maxPending = std::max(maxPending, panel.PendingMessageCount());
    };
    const QPointF centre(shift->width() / 2.0, shift->height() / 2.0);
    const QPointF global = shift->mapToGlobal(centre);
    for (auto _ : state) {
        // Readings flow for a few milliseconds between clicks.
        const auto until = Clock::now() + std::chrono::milliseconds(5);
        while (Clock::now() < until) {
            pump();
        }
        handled.reset();
        const auto clicked = Clock::now();
        QCoreApplication::postEvent(shift, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                           Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(shift, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                           Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        while (!handled && Clock::now() - clicked < std::chrono::seconds(5)) {
            pump();
        }
        if (!handled) {
            state.SkipWithError("the click was not handled within 5 s");
            break;
        }
        const double seconds = std::chrono::duration<double>(*handled - clicked).count();
        slowest = std::max(slowest, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["max_pending_messages"] = maxPending;
    state.counters["slowest_click_us"] = slowest * 1e6;
    panel.CloseSession();
}
BENCHMARK(BM_KeyPressWhileReading)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace

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
    return 0;
}
