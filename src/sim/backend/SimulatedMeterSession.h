#pragma once

#include "sim/SimulatedMeter.h"
#include "visa/VisaBackend.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace voltora::sim {

// One session with the in-process simulated meter. A written message is
// executed at once; its reply becomes readable after the meter's reply
// latency, as it would after a trip over a real link.
class SimulatedMeterSession : public visa::IVisaSession {
public:
    explicit SimulatedMeterSession(std::shared_ptr<SimulatedMeter> meter);

    ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds timeout) override;
    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds timeout) override;
    std::string ModelName() override;
    void Close() override;

private:
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<SimulatedMeter> meter_;
    std::mutex mutex_;
    std::condition_variable closed_;
    bool isClosed_ = false;
    std::string reply_;            // the unread part of the current reply
    std::size_t replyOffset_ = 0;
    Clock::time_point replyReadyAt_{};
};

}  // namespace voltora::sim
