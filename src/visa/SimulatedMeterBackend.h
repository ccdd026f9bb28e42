#pragma once

#include "sim/SimulatedMeter.h"
#include "visa/VisaBackend.h"

#include <memory>
#include <mutex>

namespace voltora::visa {

// The simulated ZAN meter as a VISA instrument, in-process. Resource strings
// of the form "SIM[n]::ZAN::INSTR" (for example "SIM0::ZAN::INSTR") reach it.
// There is one meter per process; like a real meter it keeps its settings
// while sessions come and go.
class SimulatedMeterBackend : public IVisaBackend {
public:
    static constexpr const char* kResource = "SIM0::ZAN::INSTR";
    static constexpr const char* kModelName = "ZAN Simulated DMM";

    static std::shared_ptr<SimulatedMeterBackend> Instance();

    // The meter that new sessions talk to.
    std::shared_ptr<sim::SimulatedMeter> Meter() const;
    // Replaces the meter by a new one at power-on state (tests, benchmarks).
    std::shared_ptr<sim::SimulatedMeter> ResetMeter(sim::SimulatedMeterOptions options = {});

    bool Accepts(std::string_view resource) const override;
    ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                  std::unique_ptr<IVisaSession>& session) override;
    void Find(std::string_view expression, std::vector<std::string>& resources) override;

private:
    SimulatedMeterBackend();

    mutable std::mutex mutex_;
    std::shared_ptr<sim::SimulatedMeter> meter_;
};

}  // namespace voltora::visa
