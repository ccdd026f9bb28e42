#include "visa/DefaultBackends.h"

#include "visa/ResourceManager.h"
#include "visa/SimulatedMeterBackend.h"

#include <memory>

namespace voltora::visa {

void AddDefaultBackends(ResourceManager& manager)
{
    manager.AddBackend(SimulatedMeterBackend::Instance());
}

}  // namespace voltora::visa
