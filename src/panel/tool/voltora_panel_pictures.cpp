// voltora-panel-pictures: drives the front panel against the simulated meter
// and writes a picture of it after each of a few steps, to look at how the
// panel draws real states.
//
//   voltora-panel-pictures [DIR]     (default /tmp; files panel-*.png)

#include "panel/CFrontPanel.h"

#include "functions/CZANFunction.h"
#include "functions/CZANFunctionTemperature.h"
#include "functions/IFrontPanel.h"
#include "link/CConectWithNI.h"
#include "sim/backend/SimulatedMeterBackend.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>

#include <chrono>
#include <cstdio>
#include <functional>

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

// Lets readings arrive for a moment, then waits for the display to show one.
void ShowReadings(CFrontPanel& panel)
{
    const auto until = Clock::now() + std::chrono::milliseconds(400);
    PumpUntil([&] { return Clock::now() >= until; }, std::chrono::seconds(1));
    PumpUntil([&] { return panel.CurrentValueText() != "$INIT$"; }, std::chrono::seconds(10));
    QCoreApplication::processEvents();
}

bool Save(CFrontPanel& panel, const QDir& directory, const char* name)
{
    const QString path = directory.filePath(QStringLiteral("panel-%1.png").arg(QString::fromLatin1(name)));
    const bool saved = panel.grab().toImage().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const QDir directory(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp"));

    voltora::sim::SimulatedMeterBackend::Register();
    auto meter = voltora::sim::SimulatedMeterBackend::Instance()->ResetMeter();
    meter->SetSignal("VOLT", 1.234567);
    meter->SetSignal("CURR", 0.0123);
    meter->SetSignal("RES", 4700.0);
    meter->SetSignal("TEMP", 23.4);

    bool ok = true;
    {
        CFrontPanel panel(*CConectWithNI::Instance());
        panel.show();
        QCoreApplication::processEvents();
        ok &= Save(panel, directory, "1-start");

        if (!CConectWithNI::Instance()->Open(voltora::sim::SimulatedMeterBackend::kResource)) {
            std::fprintf(stderr, "voltora-panel-pictures: the simulated meter did not answer\n");
            return 1;
        }
        panel.PostMessage(WM_PANEL_SYNC);
        PumpUntil([&] { return panel.IsRunning(); }, std::chrono::seconds(20));
        ShowReadings(panel);
        ok &= Save(panel, directory, "2-dc-voltage");

        panel.Notify(QStringLiteral("btnF1"));  // the range options
        QCoreApplication::processEvents();
        ok &= Save(panel, directory, "3-range-options");
        panel.Notify(QStringLiteral("btnF1"));  // "Auto"

        panel.Notify(QStringLiteral("btnShift"));
        panel.Notify(QStringLiteral("btnDCV"));  // DC current
        panel.Notify(QStringLiteral("btnF1"));
        panel.Notify(QStringLiteral("btnF6"));  // its second range page
        ShowReadings(panel);
        ok &= Save(panel, directory, "4-dc-current-ranges");
        panel.Notify(QStringLiteral("btnF3"));  // back

        panel.Notify(QStringLiteral("btnRun"));  // stop
        QCoreApplication::processEvents();
        ok &= Save(panel, directory, "5-stopped");
        panel.Notify(QStringLiteral("btnRun"));

        panel.Notify(QStringLiteral("btnCont"));
        panel.Notify(QStringLiteral("btnRight"));
        ShowReadings(panel);
        ok &= Save(panel, directory, "6-continuity-entry");

        panel.Notify(QStringLiteral("btnTemp"));
        ShowReadings(panel);
        ok &= Save(panel, directory, "7-temperature-all");

        panel.Notify(QStringLiteral("btnShift"));
        panel.Notify(QStringLiteral("btnShift"));
        panel.Notify(QStringLiteral("btnShift"));
        panel.Notify(QStringLiteral("btnACV"));  // AC current, the title box width
        ShowReadings(panel);
        ok &= Save(panel, directory, "8-ac-current");

        panel.Notify(QStringLiteral("btn2W"));
        ShowReadings(panel);
        ok &= Save(panel, directory, "9-resistance");

        panel.CloseSession();
    }
    return ok ? 0 : 1;
}
