#include "visa/SocketBackend.h"

#include "visa/SocketSession.h"
#include "visa/TcpipResource.h"

namespace voltora::visa {

bool SocketBackend::Accepts(std::string_view resource) const
{
    const auto parsed = ParseTcpipResource(resource);
    return parsed && parsed->kind == TcpipResource::Kind::Socket;
}

ViStatus SocketBackend::Open(std::string_view resource, std::chrono::milliseconds timeout,
                             std::unique_ptr<IVisaSession>& session)
{
    const auto parsed = ParseTcpipResource(resource);
    if (!parsed || parsed->kind != TcpipResource::Kind::Socket) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    auto connection = std::make_unique<TcpConnection>();
    const ViStatus status = connection->Connect(
        parsed->host, parsed->port, TcpConnection::Clock::now() + timeout);
    if (status != VI_SUCCESS) {
        return status;
    }
    session = std::make_unique<SocketSession>(std::move(connection));
    return VI_SUCCESS;
}

}  // namespace voltora::visa
