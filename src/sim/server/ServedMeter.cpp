#include "sim/server/ServedMeter.h"

#include <cstdio>

namespace voltora::sim {

ServedMeter::ServedMeter(Handler handler, FaultOptions faults, std::chrono::microseconds latency,
                         bool transcript)
    : handler_(std::move(handler)),
      faults_(std::move(faults)),
      latency_(latency),
      transcript_(transcript),
      faultsLeft_(faults_.count)
{
}

bool ServedMeter::TakeFault(std::string_view message)
{
    const bool anyFault = faults_.silent.count() > 0 || faults_.chunkBytes > 0 ||
                          faults_.closeMidReply || faults_.garbage;
    if (!anyFault || message.substr(0, faults_.match.size()) != faults_.match) {
        return false;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    if (faultsLeft_ == 0) {
        return false;
    }
    if (faultsLeft_ > 0) {
        --faultsLeft_;
    }
    return true;
}

void ServedMeter::RejectOverlong()
{
    if (transcript_) {
        std::lock_guard<std::mutex> guard(mutex_);
        std::fprintf(stderr, "> (message too long, discarded)\n");
    }
    if (overlong_) {
        overlong_();
    }
}

std::optional<ServedReply> ServedMeter::Execute(std::string_view message)
{
    std::optional<std::string> answer = handler_(message);
    if (transcript_) {
        std::lock_guard<std::mutex> guard(mutex_);
        std::fprintf(stderr, "> %.*s\n", static_cast<int>(message.size()), message.data());
        if (answer) {
            std::string shown = *answer;
            while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) {
                shown.pop_back();
            }
            std::fprintf(stderr, "< %s\n", shown.c_str());
        }
    }
    if (!answer) {
        return std::nullopt;
    }
    ServedReply reply;
    reply.bytes = std::move(*answer);
    reply.delay = latency_;
    if (TakeFault(message)) {
        reply.delay += faults_.silent;
        reply.chunkBytes = faults_.chunkBytes;
        reply.chunkPause = faults_.chunkPause;
        reply.closeMidReply = faults_.closeMidReply;
        if (faults_.garbage) {
            std::lock_guard<std::mutex> guard(mutex_);
            // Printable junk without "\n" or "ZAN", ended like a real reply.
            for (std::size_t i = 0; i + 1 < reply.bytes.size(); ++i) {
                junkState_ ^= junkState_ << 13;
                junkState_ ^= junkState_ >> 17;
                junkState_ ^= junkState_ << 5;
                reply.bytes[i] = static_cast<char>('!' + junkState_ % 26);
            }
            if (!reply.bytes.empty()) {
                reply.bytes.back() = '\n';
            }
        }
    }
    return reply;
}

}  // namespace voltora::sim
