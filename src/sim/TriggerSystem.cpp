#include "sim/TriggerSystem.h"

#include <cmath>

namespace voltora::sim {

void TriggerSystem::SetDelay(double seconds)
{
    delaySeconds_ = seconds < 0.0 ? 0.0 : seconds;
    delayAuto_ = false;
}

std::int64_t TriggerSystem::EffectiveDelayNs() const
{
    return delayAuto_ ? 0 : static_cast<std::int64_t>(std::llround(delaySeconds_ * 1e9));
}

void TriggerSystem::Start(std::int64_t nowNs, std::int64_t intervalNs)
{
    running_ = true;
    samplesInTrigger_ = 0;
    triggersDone_ = 0;
    // The first reading is taken as soon as the trigger delay has passed, so
    // a client that asks right after a function change or INIT gets a value.
    (void)intervalNs;
    nextNs_ = nowNs + EffectiveDelayNs();
}

void TriggerSystem::ReadingTaken(std::int64_t intervalNs)
{
    if (++samplesInTrigger_ < sampleCount_) {
        nextNs_ += intervalNs;
        return;
    }
    samplesInTrigger_ = 0;
    ++triggersDone_;
    if (triggerCount_ != kInfinite && triggersDone_ >= triggerCount_) {
        running_ = false;
        return;
    }
    nextNs_ += EffectiveDelayNs() + intervalNs;
}

}  // namespace voltora::sim
