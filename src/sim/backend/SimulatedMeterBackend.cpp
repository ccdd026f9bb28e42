#include "sim/backend/SimulatedMeterBackend.h"

#include "sim/backend/SimulatedMeterSession.h"
#include "visa/ResourceExpression.h"
#include "visa/ResourceManager.h"

namespace voltora::sim {

std::shared_ptr<SimulatedMeterBackend> SimulatedMeterBackend::Instance()
{
    static const std::shared_ptr<SimulatedMeterBackend> instance(new SimulatedMeterBackend());
    return instance;
}

void SimulatedMeterBackend::Register()
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        visa::ResourceManager::Instance().AddBackend(Instance(), /*front=*/true);
    });
}

SimulatedMeterBackend::SimulatedMeterBackend()
    : meter_(std::make_shared<SimulatedMeter>())
{
}

std::shared_ptr<SimulatedMeter> SimulatedMeterBackend::Meter() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return meter_;
}

std::shared_ptr<SimulatedMeter> SimulatedMeterBackend::ResetMeter(
    SimulatedMeterOptions options)
{
    auto meter = std::make_shared<SimulatedMeter>(options);
    std::lock_guard<std::mutex> guard(mutex_);
    meter_ = meter;
    return meter;
}

bool SimulatedMeterBackend::Accepts(std::string_view resource) const
{
    return visa::MatchesExpression("SIM?*::INSTR", resource);
}

ViStatus SimulatedMeterBackend::Open(std::string_view resource, std::chrono::milliseconds timeout,
                                     std::unique_ptr<visa::IVisaSession>& session)
{
    (void)timeout;
    if (!Accepts(resource)) {
        return VI_ERROR_RSRC_NFOUND;
    }
    session = std::make_unique<SimulatedMeterSession>(Meter());
    return VI_SUCCESS;
}

void SimulatedMeterBackend::Find(std::string_view expression,
                                 std::vector<std::string>& resources)
{
    if (visa::MatchesExpression(expression, kResource)) {
        resources.emplace_back(kResource);
    }
}

}  // namespace voltora::sim
