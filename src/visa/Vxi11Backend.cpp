#include "visa/Vxi11Backend.h"

#include "visa/ResourceExpression.h"
#include "visa/TcpipResource.h"
#include "visa/Vxi11Session.h"

namespace voltora::visa {

Vxi11Backend::Vxi11Backend(std::uint16_t portmapperPort)
    : portmapperPort_(portmapperPort)
{
}

bool Vxi11Backend::Accepts(std::string_view resource) const
{
    const auto parsed = ParseTcpipResource(resource);
    // HiSLIP devices are named like VXI-11 ones but speak another protocol.
    return parsed && parsed->kind == TcpipResource::Kind::Instrument &&
           !StartsWithNoCase(parsed->device, "hislip");
}

ViStatus Vxi11Backend::Open(std::string_view resource, std::chrono::milliseconds timeout,
                            std::unique_ptr<IVisaSession>& session)
{
    if (!Accepts(resource)) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    const auto parsed = ParseTcpipResource(resource);
    Vxi11Session::Endpoint endpoint;
    endpoint.host = parsed->host;
    endpoint.device = parsed->device;
    endpoint.portmapperPort = portmapperPort_;
    return Vxi11Session::Open(endpoint, timeout, session);
}

}  // namespace voltora::visa
