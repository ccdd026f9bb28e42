#include "visa/SimulatedMeterBackend.h"

#include "visa/ResourceExpression.h"
#include "visa/SimulatedMeterSession.h"

namespace voltora::visa {

std::shared_ptr<SimulatedMeterBackend> SimulatedMeterBackend::Instance()
{
    static const std::shared_ptr<SimulatedMeterBackend> instance(new SimulatedMeterBackend());
    return instance;
}

SimulatedMeterBackend::SimulatedMeterBackend()
    : meter_(std::make_shared<sim::SimulatedMeter>())
{
}

std::shared_ptr<sim::SimulatedMeter> SimulatedMeterBackend::Meter() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return meter_;
}

std::shared_ptr<sim::SimulatedMeter> SimulatedMeterBackend::ResetMeter(
    sim::SimulatedMeterOptions options)
{
    auto meter = std::make_shared<sim::SimulatedMeter>(options);
    std::lock_guard<std::mutex> guard(mutex_);
    meter_ = meter;
    return meter;
}

bool SimulatedMeterBackend::Accepts(std::string_view resource) const
{
    return MatchesExpression("SIM?*::INSTR", resource);
}

ViStatus SimulatedMeterBackend::Open(std::string_view resource, std::chrono::milliseconds timeout,
                                     std::unique_ptr<IVisaSession>& session)
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
    if (MatchesExpression(expression, kResource)) {
        resources.emplace_back(kResource);
    }
}

}  // namespace voltora::visa
