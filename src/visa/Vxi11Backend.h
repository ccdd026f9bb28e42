#pragma once

#include "visa/VisaBackend.h"

#include <cstdint>

namespace voltora::visa {

// VXI-11 instruments: resources "TCPIP[n]::host[::device][::INSTR]".
class Vxi11Backend : public IVisaBackend {
public:
    // `portmapperPort` is where the host's portmapper is asked for the
    // instrument's port (111 on every real host; tests use others).
    explicit Vxi11Backend(std::uint16_t portmapperPort = 111);

    bool Accepts(std::string_view resource) const override;
    ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                  std::unique_ptr<IVisaSession>& session) override;

private:
    std::uint16_t portmapperPort_;
};

}  // namespace voltora::visa
