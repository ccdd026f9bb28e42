#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace voltora::testing {

// Runs voltora-sim as a child process on free loopback ports for the length
// of a test, and stops it at the end. The constructor returns once the
// server has said it accepts clients (or has failed; see Error()).
class SimServerProcess {
public:
    explicit SimServerProcess(std::vector<std::string> options = {},
                              std::chrono::milliseconds startTimeout = std::chrono::seconds(10));
    ~SimServerProcess();
    SimServerProcess(const SimServerProcess&) = delete;
    SimServerProcess& operator=(const SimServerProcess&) = delete;

    bool Ready() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    std::uint16_t SocketPort() const { return socketPort_; }
    std::uint16_t Vxi11Port() const { return vxi11Port_; }
    std::string SocketResource() const;
    pid_t Pid() const { return pid_; }

    // Ends the server at once (SIGKILL), as a crash or power cut would.
    void Kill();
    // Asks the server to stop (SIGTERM) and returns its exit status, or -1.
    int Stop(std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::uint16_t socketPort_ = 0;
    std::uint16_t vxi11Port_ = 0;
    std::string error_;
};

// True when rpcbind answers on 127.0.0.1; otherwise `message` says how to
// start it. Tests that need it fail with that message.
bool RpcbindRunning(std::string& message);

// A loopback TCP port that nothing listens on right now.
std::uint16_t UnusedLoopbackPort();

}  // namespace voltora::testing
