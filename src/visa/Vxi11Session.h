#pragma once

#include "visa/RpcClient.h"
#include "visa/VisaBackend.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace voltora::visa {

// A VXI-11 link to one device of a LAN instrument: the portmapper gives the
// port of the instrument's core channel, create_link opens the link (no
// lock, lock time-out 0), device_write sends a message in chunks of the
// instrument's maximum receive size with END on the last, device_read reads
// until END or the requested count, and destroy_link ends it. Every call is
// bounded by the session's time-out. When create_link names an abort port
// the session also opens the abort channel: a read that times out sends
// device_abort there, so the instrument stops the reply it was sending, and
// what is left of it is read and thrown away before the next exchange.
class Vxi11Session : public IVisaSession {
public:
    struct Endpoint {
        std::string host;
        std::string device = "inst0";
        std::uint16_t portmapperPort = 111;
        // The core channel's port when already known (0: ask the portmapper).
        std::uint16_t corePort = 0;
    };

    ~Vxi11Session() override;

    static ViStatus Open(const Endpoint& endpoint, std::chrono::milliseconds timeout,
                         std::unique_ptr<IVisaSession>& session);

    ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds timeout) override;
    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds timeout) override;
    // device_clear.
    ViStatus Clear(std::chrono::milliseconds timeout) override;
    void Close() override;

    std::uint32_t MaxReceiveSize() const { return maxReceiveSize_; }
    bool HasAbortChannel() const { return abort_ != nullptr; }

private:
    Vxi11Session() = default;

    // Marks a call as running; false once the session is closed.
    bool BeginCall();
    void EndCall();
    // After a read timed out with the instrument still answering: abort on
    // the abort channel, then drain the rest of the reply.
    void AbortRead(std::size_t size);

    std::unique_ptr<RpcClient> rpc_;
    std::unique_ptr<RpcClient> abort_;  // null when the instrument has none
    std::int32_t link_ = 0;
    std::uint32_t maxReceiveSize_ = 1024;
    std::chrono::milliseconds closeTimeout_{1000};

    std::mutex mutex_;
    bool callRunning_ = false;
    bool closed_ = false;
};

// Turns a Device_ErrorCode into a VISA status.
ViStatus Vxi11ErrorStatus(std::int32_t error);

}  // namespace voltora::visa
