#pragma once

#include "sim/SimulatedMeter.h"
#include "visa/VisaBackend.h"

#include <memory>
#include <mutex>

namespace voltora::sim {

// The simulated ZAN meter as a VISA instrument, in-process. Resource strings
// of the form "SIM[n]::ZAN::INSTR" (for example "SIM0::ZAN::INSTR") reach it.
// There is one meter per process; like a real meter it keeps its settings
// while sessions come and go.
class SimulatedMeterBackend : public visa::IVisaBackend {
public:
    static constexpr const char* kResource = "SIM0::ZAN::INSTR";
    static constexpr const char* kModelName = "ZAN Simulated DMM";

    static std::shared_ptr<SimulatedMeterBackend> Instance();

    // Puts the simulated meter in front of the process's other back-ends, so
    // its resource strings reach it whatever else is registered (a system
    // VISA library takes every other resource). Programs call this where
    // they assemble their back-ends; calling it again does nothing.
    static void Register();

    // The meter that new sessions talk to.
    std::shared_ptr<SimulatedMeter> Meter() const;
    // Replaces the meter by a new one at power-on state (tests, benchmarks).
    std::shared_ptr<SimulatedMeter> ResetMeter(SimulatedMeterOptions options = {});

    bool Accepts(std::string_view resource) const override;
    ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                  std::unique_ptr<visa::IVisaSession>& session) override;
    void Find(std::string_view expression, std::vector<std::string>& resources) override;

private:
    SimulatedMeterBackend();

    mutable std::mutex mutex_;
    std::shared_ptr<SimulatedMeter> meter_;
};

}  // namespace voltora::sim
