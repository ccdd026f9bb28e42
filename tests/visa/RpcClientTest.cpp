#include "visa/RpcClient.h"
#include "protocol/RpcRecordStream.h"
#include "protocol/XdrProc.h"
#include "sim/server/ListeningSocket.h"
#include "sim/server/StopSignal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace voltora::visa {
namespace {

using protocol::ReadWord;
using protocol::RpcRecordStream;
using protocol::WriteRecordMark;

// Variable-length opaque data, up to 32 MiB going out and 64 MiB coming in.
using Bytes = std::pair<char**, u_int*>;
bool_t EncodeBytes(XDR* xdrs, Bytes* bytes)
{
    return xdr_bytes(xdrs, bytes->first, bytes->second, 32u << 20);
}
bool_t DecodeBytes(XDR* xdrs, Bytes* bytes)
{
    return xdr_bytes(xdrs, bytes->first, bytes->second, 64u << 20);
}

using Clock = std::chrono::steady_clock;
constexpr rpcprog_t kProgram = 0x20000099;
constexpr rpcvers_t kVersion = 1;

// A reply message as it goes on the wire: record mark and body, the body
// cut into `fragments` fragments.
std::string Wire(const rpc_msg& reply, bool whole, int fragments = 1)
{
    char body[512];
    XDR xdrs;
    xdrmem_create(&xdrs, body, sizeof(body), XDR_ENCODE);
    rpc_msg copy = reply;
    if (whole) {
        EXPECT_TRUE(xdr_replymsg(&xdrs, &copy));
    } else {
        // Only the header: what a server sends when it fails to encode.
        EXPECT_TRUE(xdr_u_int32_t(&xdrs, &copy.rm_xid));
        std::uint32_t direction = REPLY;
        EXPECT_TRUE(xdr_u_int32_t(&xdrs, &direction));
    }
    const std::string message(body, xdr_getpos(&xdrs));
    xdr_destroy(&xdrs);
    std::string wire;
    const std::size_t step = message.size() / fragments;
    for (int i = 0; i < fragments; ++i) {
        const bool last = i == fragments - 1;
        const std::string part = message.substr(i * step, last ? std::string::npos : step);
        char mark[4];
        WriteRecordMark(mark, static_cast<std::uint32_t>(part.size()));
        if (!last) {
            mark[0] = static_cast<char>(mark[0] & 0x7F);
        }
        wire += std::string(mark, 4) + part;
    }
    return wire;
}

std::int32_t g_result = 0;

std::string Accepted(std::uint32_t xid, accept_stat status, std::int32_t value,
                     int fragments = 1)
{
    rpc_msg reply{};
    reply.rm_xid = xid;
    reply.rm_direction = REPLY;
    reply.rm_reply.rp_stat = MSG_ACCEPTED;
    reply.acpted_rply.ar_verf = _null_auth;
    reply.acpted_rply.ar_stat = status;
    g_result = value;
    reply.acpted_rply.ar_results.where = reinterpret_cast<caddr_t>(&g_result);
    reply.acpted_rply.ar_results.proc = protocol::XdrProc<xdr_int32_t>();
    return Wire(reply, true, fragments);
}

// A reply written word by word, for values no enumeration holds.
std::string RawReply(const std::vector<std::uint32_t>& words)
{
    std::string body;
    for (std::uint32_t word : words) {
        const std::uint32_t big = htonl(word);
        body.append(reinterpret_cast<const char*>(&big), 4);
    }
    char mark[4];
    WriteRecordMark(mark, static_cast<std::uint32_t>(body.size()));
    return std::string(mark, 4) + body;
}

std::string Denied(std::uint32_t xid)
{
    rpc_msg reply{};
    reply.rm_xid = xid;
    reply.rm_direction = REPLY;
    reply.rm_reply.rp_stat = MSG_DENIED;
    reply.rjcted_rply.rj_stat = AUTH_ERROR;
    reply.rjcted_rply.rj_why = AUTH_BADCRED;
    return Wire(reply, true);
}

// Serves one connection: reads each call record and lets the test's
// responder write whatever it likes back. The responder returns false to
// close the connection.
class ScriptedRpcServer {
public:
    using Responder = std::function<bool(int fd, std::uint32_t xid, int call)>;

    explicit ScriptedRpcServer(Responder responder) : responder_(std::move(responder))
    {
        std::string error;
        listenFd_ = sim::ListenTcp("127.0.0.1", 0, error);
        port_ = sim::LocalPort(listenFd_);
        thread_ = std::thread([this] { Run(); });
    }

    ~ScriptedRpcServer()
    {
        stop_.Stop();
        thread_.join();
        close(listenFd_);
    }

    std::uint16_t Port() const { return port_; }

private:
    bool Wait(int fd)
    {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        return poll(fds, 2, -1) > 0 && fds[1].revents == 0;
    }

    void Run()
    {
        if (!Wait(listenFd_)) {
            return;
        }
        const int fd = accept(listenFd_, nullptr, nullptr);
        RpcRecordStream calls(1 << 20);
        for (int call = 0;;) {
            const char* data = nullptr;
            std::size_t size = 0;
            if (calls.NextRecord(data, size) == RpcRecordStream::Result::Complete) {
                const std::uint32_t xid = ReadWord(data);
                calls.Consume();
                if (!responder_(fd, xid, call++)) {
                    break;
                }
                continue;
            }
            std::size_t room = 0;
            char* space = calls.Space(4096, room);
            if (!Wait(fd)) {
                break;
            }
            const ssize_t n = recv(fd, space, room, 0);
            if (n <= 0) {
                break;
            }
            calls.Commit(static_cast<std::size_t>(n));
        }
        close(fd);
    }

    Responder responder_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    sim::StopSignal stop_;
    std::thread thread_;
};

void Send(int fd, const std::string& bytes)
{
    [[maybe_unused]] const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

struct CallOutcome {
    ViStatus status;
    std::int32_t value;
    Clock::duration took;
};

CallOutcome CallOnce(RpcClient& client, std::chrono::milliseconds timeout)
{
    std::int32_t argument = 5;
    std::int32_t value = -1;
    const auto start = Clock::now();
    const ViStatus status = client.Call(1, protocol::XdrProc<xdr_int32_t>(), &argument,
                                        protocol::XdrProc<xdr_int32_t>(), &value, start + timeout);
    return {status, value, Clock::now() - start};
}

TEST(RpcClientTest, RepliesAreMatchedAndJudgedByTheirHeader)
{
    struct Case {
        const char* name;
        ScriptedRpcServer::Responder responder;
        ViStatus status;
        std::int32_t value;  // checked on success
    };
    const std::vector<Case> cases = {
        {"accepted",
         [](int fd, std::uint32_t xid, int) {
             Send(fd, Accepted(xid, SUCCESS, 42));
             return true;
         },
         VI_SUCCESS, 42},
        {"a stale reply before the right one is skipped",
         [](int fd, std::uint32_t xid, int) {
             Send(fd, Accepted(xid - 1, SUCCESS, 7) + Accepted(xid, SUCCESS, 42));
             return true;
         },
         VI_SUCCESS, 42},
        {"three fragments written a byte at a time",
         [](int fd, std::uint32_t xid, int) {
             for (char byte : Accepted(xid, SUCCESS, 42, 3)) {
                 Send(fd, std::string(1, byte));
             }
             return true;
         },
         VI_SUCCESS, 42},
        {"procedure unavailable",
         [](int fd, std::uint32_t xid, int) {
             Send(fd, Accepted(xid, PROC_UNAVAIL, 0));
             return true;
         },
         VI_ERROR_IO, 0},
        {"denied",
         [](int fd, std::uint32_t xid, int) {
             Send(fd, Denied(xid));
             return true;
         },
         VI_ERROR_IO, 0},
        {"a reply cut short after its header",
         [](int fd, std::uint32_t xid, int) {
             rpc_msg reply{};
             reply.rm_xid = xid;
             Send(fd, Wire(reply, false));
             return true;
         },
         VI_ERROR_IO, 0},
        // Status words outside their enumerations (read as integers first).
        {"an unknown accept status",
         [](int fd, std::uint32_t xid, int) {
             Send(fd, RawReply({xid, REPLY, MSG_ACCEPTED, 0, 0, 99, 42}));
             return true;
         },
         VI_ERROR_IO, 0},
        {"an unknown reply status",
         [](int fd, std::uint32_t xid, int) {
             Send(fd, RawReply({xid, REPLY, 77, 0, 0, SUCCESS, 42}));
             return true;
         },
         VI_ERROR_IO, 0},
        {"an unknown direction",
         [](int fd, std::uint32_t xid, int) {
             Send(fd, RawReply({xid, 0x40000000u, MSG_ACCEPTED, 0, 0, SUCCESS, 42}));
             return true;
         },
         VI_ERROR_IO, 0},
        {"the server closes the connection",
         [](int, std::uint32_t, int) { return false; }, VI_ERROR_CONN_LOST, 0},
    };
    for (const Case& c : cases) {
        ScriptedRpcServer server(c.responder);
        std::unique_ptr<RpcClient> client;
        ASSERT_EQ(RpcClient::Connect("127.0.0.1", server.Port(), kProgram, kVersion,
                                     Clock::now() + std::chrono::seconds(2), client),
                  VI_SUCCESS)
            << c.name;
        const CallOutcome outcome = CallOnce(*client, std::chrono::seconds(2));
        EXPECT_EQ(outcome.status, c.status) << c.name;
        if (c.status == VI_SUCCESS) {
            EXPECT_EQ(outcome.value, c.value) << c.name;
        }
    }
}

TEST(RpcClientTest, LateReplyAfterATimeOutIsNeverTakenForTheNextCall)
{
    std::uint32_t firstXid = 0;
    ScriptedRpcServer server([&firstXid](int fd, std::uint32_t xid, int call) {
        if (call == 0) {
            firstXid = xid;  // silent until the next call
            return true;
        }
        Send(fd, Accepted(firstXid, SUCCESS, 111));
        Send(fd, Accepted(xid, SUCCESS, 222));
        return true;
    });
    std::unique_ptr<RpcClient> client;
    ASSERT_EQ(RpcClient::Connect("127.0.0.1", server.Port(), kProgram, kVersion,
                                 Clock::now() + std::chrono::seconds(2), client),
              VI_SUCCESS);
    const CallOutcome late = CallOnce(*client, std::chrono::milliseconds(100));
    EXPECT_EQ(late.status, VI_ERROR_TMO);
    EXPECT_GE(late.took, std::chrono::milliseconds(100));
    EXPECT_LT(late.took, std::chrono::seconds(1));
    const CallOutcome next = CallOnce(*client, std::chrono::seconds(2));
    EXPECT_EQ(next.status, VI_SUCCESS);
    EXPECT_EQ(next.value, 222);
}

TEST(RpcClientTest, InterruptWakesACallAndLaterCallsFail)
{
    // The server never answers; it tells when the call has reached it, so
    // the interrupt lands while the call waits for its reply, never before.
    std::promise<void> callArrived;
    ScriptedRpcServer server([&callArrived](int, std::uint32_t, int call) {
        if (call == 0) {
            callArrived.set_value();
        }
        return true;
    });
    std::unique_ptr<RpcClient> client;
    ASSERT_EQ(RpcClient::Connect("127.0.0.1", server.Port(), kProgram, kVersion,
                                 Clock::now() + std::chrono::seconds(2), client),
              VI_SUCCESS);
    bool reached = false;
    std::thread breaker([&client, &reached, arrived = callArrived.get_future()] {
        reached = arrived.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        client->Interrupt();
    });
    const CallOutcome woken = CallOnce(*client, std::chrono::seconds(10));
    breaker.join();
    ASSERT_TRUE(reached) << "the call never reached the server";
    EXPECT_EQ(woken.status, VI_ERROR_CONN_LOST);
    EXPECT_LT(woken.took, std::chrono::seconds(5));
    EXPECT_EQ(CallOnce(*client, std::chrono::seconds(1)).status, VI_ERROR_CONN_LOST);
}

TEST(RpcClientTest, CallCutOffWhileSendingEndsTheConnection)
{
    // A server that never reads: the connection is queued but never
    // accepted, so a long call fills the socket buffers and the send stops.
    std::string error;
    const int listenFd = sim::ListenTcp("127.0.0.1", 0, error);
    ASSERT_GE(listenFd, 0) << error;
    std::unique_ptr<RpcClient> client;
    ASSERT_EQ(RpcClient::Connect("127.0.0.1", sim::LocalPort(listenFd), kProgram, kVersion,
                                 Clock::now() + std::chrono::seconds(2), client),
              VI_SUCCESS);
    std::string payload(16 << 20, 'x');
    char* data = payload.data();
    u_int size = static_cast<u_int>(payload.size());
    Bytes argument{&data, &size};
    // Time enough to encode the call even in an instrumented build, so
    // that the send starts and stops part-way.
    const auto start = Clock::now();
    std::int32_t value = 0;
    EXPECT_EQ(client->Call(1, protocol::XdrProc<EncodeBytes>(), &argument,
                           protocol::XdrProc<xdr_int32_t>(), &value,
                           start + std::chrono::seconds(3)),
              VI_ERROR_TMO);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(8));
    // The half-sent call would corrupt the next one: the link is gone.
    EXPECT_EQ(CallOnce(*client, std::chrono::seconds(1)).status, VI_ERROR_CONN_LOST);
    close(listenFd);
}

// Sends until the client goes away; counts what it managed to send.
bool Flood(int fd, const std::string& first, const std::string& repeated, std::size_t& sent)
{
    sent = 0;
    for (std::string piece = first;; piece = repeated) {
        const ssize_t n = send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
}

// A portmapper that answers with empty fragments that never end: the look-up
// fails as soon as more than a port reply's worth has come, long before its
// time-out, and the client stops receiving.
TEST(RpcClientTest, EndlessEmptyFragmentsFailThePortLookUp)
{
    std::size_t sent = 0;
    const std::string empties(64 * 1024, '\0');  // marks of empty, non-last fragments
    ScriptedRpcServer server([&](int fd, std::uint32_t, int) {
        return Flood(fd, empties, empties, sent);
    });
    std::uint16_t port = 1;
    const auto start = Clock::now();
    EXPECT_EQ(LookUpRpcPort("127.0.0.1", server.Port(), kProgram, kVersion,
                            start + std::chrono::seconds(5), port),
              VI_ERROR_IO);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(port, 0);
}

// A reply far larger than its call may return ends the call and the
// connection instead of being received whole.
TEST(RpcClientTest, ReplyBeyondTheCallsLimitFailsTheCall)
{
    struct Case {
        const char* name;
        std::size_t replyLimit;
        std::size_t replyBytes;
        ViStatus status;
    };
    const std::vector<Case> cases = {
        {"within the limit", 64 * 1024, 32 * 1024, VI_SUCCESS},
        {"a reply 512 times the limit", 64 * 1024, 32u << 20, VI_ERROR_IO},
        {"the default limit", RpcClient::kDefaultReplyLimit, 1u << 20, VI_ERROR_IO},
    };
    for (const Case& c : cases) {
        std::size_t sent = 0;
        // An accepted reply whose result is an opaque block of replyBytes.
        std::string reply = RawReply({0, REPLY, MSG_ACCEPTED, 0, 0, SUCCESS,
                                      static_cast<std::uint32_t>(c.replyBytes)});
        const std::size_t total = reply.size() - 4 + c.replyBytes;
        WriteRecordMark(reply.data(), static_cast<std::uint32_t>(total));
        ScriptedRpcServer server([&](int fd, std::uint32_t xid, int) {
            std::string head = reply;
            const std::string id = RawReply({xid}).substr(4);
            head.replace(4, 4, id);
            Send(fd, head);
            Send(fd, std::string(c.replyBytes, 'x'));
            sent = c.replyBytes;
            return true;
        });
        std::unique_ptr<RpcClient> client;
        ASSERT_EQ(RpcClient::Connect("127.0.0.1", server.Port(), kProgram, kVersion,
                                     Clock::now() + std::chrono::seconds(2), client),
                  VI_SUCCESS);
        std::int32_t argument = 0;
        std::vector<char> into(c.replyBytes);
        char* data = into.data();
        u_int size = 0;
        Bytes result{&data, &size};
        const ViStatus status = client->Call(1, protocol::XdrProc<xdr_int32_t>(), &argument,
                                             protocol::XdrProc<DecodeBytes>(), &result,
                                             Clock::now() + std::chrono::seconds(5), c.replyLimit);
        EXPECT_EQ(status, c.status) << c.name;
        if (c.status == VI_SUCCESS) {
            EXPECT_EQ(size, c.replyBytes) << c.name;
        } else {
            EXPECT_EQ(CallOnce(*client, std::chrono::seconds(1)).status, VI_ERROR_CONN_LOST)
                << c.name;
        }
        client.reset();  // lets a server stuck in send go
    }
}

}  // namespace
}  // namespace voltora::visa
