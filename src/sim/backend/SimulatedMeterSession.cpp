#include "sim/backend/SimulatedMeterSession.h"

#include "sim/backend/SimulatedMeterBackend.h"

#include <algorithm>
#include <cstring>

namespace voltora::sim {

SimulatedMeterSession::SimulatedMeterSession(std::shared_ptr<SimulatedMeter> meter)
    : meter_(std::move(meter))
{
}

ViStatus SimulatedMeterSession::Write(const ViByte* data, std::size_t size, std::size_t& written,
                                      std::chrono::milliseconds timeout)
{
    (void)timeout;
    written = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (isClosed_) {
            return VI_ERROR_CONN_LOST;
        }
    }
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    std::optional<std::string> reply = meter_->Execute(message);
    const auto latency = meter_->ReplyLatency();

    std::lock_guard<std::mutex> guard(mutex_);
    if (reply) {
        // A new query replaces any reply that was not read to its end, as a
        // meter's output queue does when it receives a new command.
        reply_ = std::move(*reply);
        replyOffset_ = 0;
        replyReadyAt_ = Clock::now() + latency;
    }
    written = size;
    return VI_SUCCESS;
}

ViStatus SimulatedMeterSession::Read(ViByte* buffer, std::size_t size, std::size_t& received,
                                     bool& end, std::chrono::milliseconds timeout)
{
    received = 0;
    end = false;
    const auto deadline = Clock::now() + timeout;
    std::unique_lock<std::mutex> lock(mutex_);
    if (isClosed_) {
        return VI_ERROR_CONN_LOST;
    }
    if (replyOffset_ >= reply_.size()) {
        // Nothing to read: the meter stays silent until the time-out passes.
        closed_.wait_until(lock, deadline, [this] { return isClosed_; });
        return isClosed_ ? VI_ERROR_CONN_LOST : VI_ERROR_TMO;
    }
    if (replyReadyAt_ > Clock::now()) {
        if (replyReadyAt_ > deadline) {
            closed_.wait_until(lock, deadline, [this] { return isClosed_; });
            return isClosed_ ? VI_ERROR_CONN_LOST : VI_ERROR_TMO;
        }
        closed_.wait_until(lock, replyReadyAt_, [this] { return isClosed_; });
        if (isClosed_) {
            return VI_ERROR_CONN_LOST;
        }
    }
    const std::size_t n = std::min(size, reply_.size() - replyOffset_);
    std::memcpy(buffer, reply_.data() + replyOffset_, n);
    replyOffset_ += n;
    received = n;
    end = replyOffset_ >= reply_.size();
    if (end) {
        reply_.clear();
        replyOffset_ = 0;
    }
    return VI_SUCCESS;
}

std::string SimulatedMeterSession::ModelName()
{
    return SimulatedMeterBackend::kModelName;
}

void SimulatedMeterSession::Close()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        isClosed_ = true;
    }
    closed_.notify_all();
}

}  // namespace voltora::sim
