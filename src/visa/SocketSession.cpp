#include "visa/SocketSession.h"

#include <algorithm>

namespace voltora::visa {

SocketSession::SocketSession(std::unique_ptr<TcpConnection> connection)
    : connection_(std::move(connection)), scratch_(1u << 16)
{
}

ViStatus SocketSession::Write(const ViByte* data, std::size_t size, std::size_t& written,
                              std::chrono::milliseconds timeout)
{
    written = 0;
    const auto deadline = TcpConnection::Clock::now() + timeout;
    static const char kTerminator = '\n';
    const bool terminated = size > 0 && data[size - 1] == '\n';
    const ViStatus status =
        connection_->SendAll(data, size, &kTerminator, terminated ? 0 : 1, deadline);
    if (status != VI_SUCCESS) {
        return status;
    }
    // Only a query is answered; the link does not otherwise know whether a
    // reply is owed, and a reply wrongly counted as stale would be lost.
    if (std::find(data, data + size, '?') != data + size) {
        awaitingReply_ = true;
    }
    written = size;
    return VI_SUCCESS;
}

ViStatus SocketSession::Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                             std::chrono::milliseconds timeout)
{
    received = 0;
    end = false;
    const auto deadline = TcpConnection::Clock::now() + timeout;
    while (!replies_.CanTake(size)) {
        std::size_t got = 0;
        const ViStatus status =
            connection_->ReceiveSome(scratch_.data(), scratch_.size(), got, deadline);
        if (status != VI_SUCCESS) {
            received = replies_.Take(buffer, size, end);
            if (status == VI_ERROR_TMO && (awaitingReply_ || received > 0)) {
                // The rest of this reply, or all of it, may still come: it
                // must not be read as the reply to the next query.
                replies_.DropNextReply();
            }
            awaitingReply_ = false;
            return status;
        }
        replies_.Append(scratch_.data(), got);
    }
    received = replies_.Take(buffer, size, end);
    if (end) {
        awaitingReply_ = false;
    }
    return VI_SUCCESS;
}

void SocketSession::Close()
{
    connection_->Interrupt();
}

}  // namespace voltora::visa
