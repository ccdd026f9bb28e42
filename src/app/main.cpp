#include "app/CZANApp.h"
#include "sim/backend/SimulatedMeterBackend.h"

int main(int argc, char** argv)
{
    voltora::sim::SimulatedMeterBackend::Register();
    return CZANApp::Run(argc, argv);
}
