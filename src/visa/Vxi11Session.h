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
// bounded by the session's time-out.
class Vxi11Session : public IVisaSession {
public:
    struct Endpoint {
        std::string host;
        std::string device = "inst0";
        std::uint16_t portmapperPort = 111;
    };

    ~Vxi11Session() override;

    static ViStatus Open(const Endpoint& endpoint, std::chrono::milliseconds timeout,
                         std::unique_ptr<IVisaSession>& session);

    ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds timeout) override;
    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds timeout) override;
    void Close() override;

    std::uint32_t MaxReceiveSize() const { return maxReceiveSize_; }

private:
    Vxi11Session() = default;

    // Marks a call as running; false once the session is closed.
    bool BeginCall();
    void EndCall();

    std::unique_ptr<RpcClient> rpc_;
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
