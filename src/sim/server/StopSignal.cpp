#include "sim/server/StopSignal.h"

#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace voltora::sim {

StopSignal::StopSignal()
    : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

StopSignal::~StopSignal()
{
    close(fd_);
}

void StopSignal::Stop()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(fd_, &one, sizeof(one));
}

bool StopSignal::Stopped() const
{
    pollfd fd{fd_, POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
}

bool StopSignal::WaitFor(std::chrono::microseconds duration) const
{
    if (duration.count() <= 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + duration;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return Stopped();
        }
        pollfd fd{fd_, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return Stopped();
        }
    }
}

}  // namespace voltora::sim
