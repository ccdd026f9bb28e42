#pragma once

#include "visa/visa.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace voltora::visa {

// One client TCP connection with deadlines on every wait and a way for
// another thread to break those waits (Interrupt). The socket has
// TCP_NODELAY set, so a message written in pieces is not held back waiting
// for an acknowledgement. Once connected the socket blocks, each call
// bounded by the socket's time-outs, so that the common path of a query is
// one send and one receive.
class TcpConnection {
public:
    using Clock = std::chrono::steady_clock;

    TcpConnection();
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Resolves `host` and connects to `port` before `deadline`.
    // VI_SUCCESS; VI_ERROR_RSRC_NFOUND when the host is unknown or refuses
    // the connection; VI_ERROR_TMO when the deadline passed;
    // VI_ERROR_CONN_LOST when interrupted.
    ViStatus Connect(const std::string& host, std::uint16_t port, Clock::time_point deadline);

    // Sends `first` followed by `second` completely before `deadline`.
    // A partial send is never reported as success, and it interrupts the
    // connection: the rest of the stream could no longer be framed.
    ViStatus SendAll(const void* first, std::size_t firstSize, const void* second,
                     std::size_t secondSize, Clock::time_point deadline);
    // Waits until data arrives and takes what is there (at most `size`
    // bytes). VI_SUCCESS with `received` > 0, VI_ERROR_TMO, or
    // VI_ERROR_CONN_LOST when the peer closed the connection or it was
    // interrupted.
    ViStatus ReceiveSome(void* buffer, std::size_t size, std::size_t& received,
                         Clock::time_point deadline);

    // Wakes every wait on this connection, now and later, from any thread.
    // The socket stays allocated until the object is destroyed, so a thread
    // still using it cannot reach a reused descriptor.
    void Interrupt();
    bool IsInterrupted() const { return interrupted_.load(); }

private:
    // Waits for `events` on the socket; VI_SUCCESS, VI_ERROR_TMO or
    // VI_ERROR_CONN_LOST (interrupted).
    ViStatus Wait(short events, Clock::time_point deadline);
    // Sets SO_SNDTIMEO or SO_RCVTIMEO unless `current` is close enough.
    void SetTimeout(int option, int milliseconds, int& current);

    int fd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> interrupted_{false};
    int sendTimeoutMs_ = -1;
    int receiveTimeoutMs_ = -1;
};

// Milliseconds from now until `deadline`, at least 0, for poll().
int MillisecondsUntil(std::chrono::steady_clock::time_point deadline);

}  // namespace voltora::visa
