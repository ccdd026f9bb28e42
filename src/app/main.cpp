#include "app/CZANApp.h"
#include "link/CConectWithNI.h"
#include "sim/backend/SimulatedMeterBackend.h"

int main(int argc, char** argv)
{
    voltora::sim::SimulatedMeterBackend::Register();
    // The one place of the desktop program that obtains the connection; the
    // main window hands it on to the panel, the functions and the dialogs.
    return CZANApp::Run(argc, argv, *CConectWithNI::Instance());
}
