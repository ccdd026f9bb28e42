// voltora-first-paint: the desktop program, ended right after its front
// panel's first paint; the whole-program start measured by bench_app_startup.
// Takes voltora's options.
#include "app/CZANApp.h"
#include "link/CConectWithNI.h"
#include "sim/backend/SimulatedMeterBackend.h"
#include "support/FirstPaintExit.h"

int main(int argc, char** argv)
{
    voltora::sim::SimulatedMeterBackend::Register();
    return CZANApp::Run(argc, argv, *CConectWithNI::Instance(), [](CZANDlg& window) {
        new voltora::testing::FirstPaintExit(window);
    });
}
