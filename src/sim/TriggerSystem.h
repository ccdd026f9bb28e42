#pragma once

#include <cstdint>

namespace voltora::sim {

// The meter's trigger model: "INIT" arms it, each trigger (immediate, after
// the trigger delay) takes "SAMP:COUN" readings, and after "TRIG:COUN"
// triggers it returns to idle; an infinite trigger count runs until "ABORt".
// It only schedules: the owner asks which reading is due next and reports
// each reading it takes, so that readings are produced lazily from the clock.
class TriggerSystem {
public:
    static constexpr std::int64_t kInfinite = 0;

    // Settings.
    void SetTriggerCount(std::int64_t count) { triggerCount_ = count; }  // kInfinite or >= 1
    std::int64_t TriggerCount() const { return triggerCount_; }
    void SetSampleCount(std::int64_t count) { sampleCount_ = count; }
    std::int64_t SampleCount() const { return sampleCount_; }
    void SetDelay(double seconds);
    double Delay() const { return delaySeconds_; }
    void SetDelayAuto(bool on) { delayAuto_ = on; }
    bool DelayAuto() const { return delayAuto_; }
    // The delay in force: the set delay, or none in automatic delay (the
    // meter's settling time is part of each reading's interval).
    std::int64_t EffectiveDelayNs() const;

    // Arms and triggers at once: the first reading is due one trigger delay
    // after `nowNs`, the next ones one reading interval apart.
    void Start(std::int64_t nowNs, std::int64_t intervalNs);
    // Back to idle; readings already taken stay.
    void Stop() { running_ = false; }
    bool Running() const { return running_; }

    // Time of the next reading; only meaningful while Running().
    std::int64_t NextReadingNs() const { return nextNs_; }
    // Records that the reading due at NextReadingNs() was taken and schedules
    // the one after it, `intervalNs` later (plus the delay at a new trigger).
    void ReadingTaken(std::int64_t intervalNs);

private:
    std::int64_t triggerCount_ = kInfinite;
    std::int64_t sampleCount_ = 1;
    double delaySeconds_ = 0.0;
    bool delayAuto_ = true;

    bool running_ = false;
    std::int64_t nextNs_ = 0;
    std::int64_t samplesInTrigger_ = 0;
    std::int64_t triggersDone_ = 0;
};

}  // namespace voltora::sim
