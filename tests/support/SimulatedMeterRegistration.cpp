// Linked into every program that links voltora_testing: like the product
// programs, a test program reaches the simulated meter by its resource
// strings ("SIM0::ZAN::INSTR") from its first VISA call on.
#include "sim/backend/SimulatedMeterBackend.h"

namespace {

const bool registered = [] {
    voltora::sim::SimulatedMeterBackend::Register();
    return true;
}();

}  // namespace
