#pragma once

#include "visa/VisaBackend.h"

namespace voltora::visa {

// Raw TCP sockets: resources "TCPIP[n]::host::port::SOCKET".
class SocketBackend : public IVisaBackend {
public:
    bool Accepts(std::string_view resource) const override;
    ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                  std::unique_ptr<IVisaSession>& session) override;
};

}  // namespace voltora::visa
