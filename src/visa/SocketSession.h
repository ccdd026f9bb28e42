#pragma once

#include "visa/SocketReplyBuffer.h"
#include "visa/TcpConnection.h"
#include "visa/VisaBackend.h"

#include <memory>
#include <vector>

namespace voltora::visa {

// A session on a raw TCP socket ("TCPIP0::host::port::SOCKET"). Each message
// written is ended with "\n" unless it already ends with one, because a
// socket has no other way to mark a message's end; a reply ends at its "\n".
// When the reply to a query does not arrive within the time-out, that reply
// is dropped whenever it comes, so the next query gets its own reply.
class SocketSession : public IVisaSession {
public:
    explicit SocketSession(std::unique_ptr<TcpConnection> connection);

    ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds timeout) override;
    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds timeout) override;
    void Close() override;

private:
    std::unique_ptr<TcpConnection> connection_;
    SocketReplyBuffer replies_;
    std::vector<char> scratch_;
    // A query was written and its reply has not been read to its end.
    bool awaitingReply_ = false;
};

}  // namespace voltora::visa
