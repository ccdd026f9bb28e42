// Program start to the first painted front panel, on the offscreen platform.
#include "app/CZANDlg.h"
#include "app/MessageQueue.h"
#include "app/ShellHooks.h"
#include "link/CConectWithNI.h"
#include "panel/CFrontPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QProcessEnvironment>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Notes the first paint of the widget it watches.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool Painted() const { return painted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool painted = false;
};

// The main window (front panel with its eleven functions and workers, the
// four views, menus) constructed and shown until the panel's first paint
// has finished.
void BM_MainWindowToFirstPanelPaint(benchmark::State& state)
{
    const voltora::app::ShellHooks hooks = voltora::app::DefaultShellHooks();
    voltora::app::MessageQueue messages(hooks.showMessage);
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto window = std::make_unique<CZANDlg>(*CConectWithNI::Instance(), hooks, &messages);
        PaintWatch watch(window->Panel());
        window->show();
        while (!watch.Painted()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        window.reset();
    }
}
BENCHMARK(BM_MainWindowToFirstPanelPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The whole program (voltora's start, ended by its start-up hook): process
// start, toolkit start, main window, first panel paint, then its normal end
// (the end is included, so this is an upper bound).
void BM_ProgramStartToFirstPanelPaint(benchmark::State& state)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (auto _ : state) {
        QProcess program;
        program.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        program.start(QStringLiteral(VOLTORA_PROGRAM), QStringList());
        if (!program.waitForFinished(30000) || program.exitCode() != 0) {
            state.SkipWithError("the program did not start and end cleanly");
            break;
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_ProgramStartToFirstPanelPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
