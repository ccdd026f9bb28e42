#include "visa/TcpipResource.h"

#include <gtest/gtest.h>

namespace voltora::visa {
namespace {

struct ParseCase {
    const char* resource;
    bool valid;
    TcpipResource::Kind kind;
    unsigned board;
    const char* host;
    const char* device;  // instrument only
    unsigned port;       // socket only
};

class TcpipResourceParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TcpipResourceParseTest, Parses)
{
    const ParseCase& c = GetParam();
    const auto parsed = ParseTcpipResource(c.resource);
    ASSERT_EQ(parsed.has_value(), c.valid) << c.resource;
    if (!c.valid) {
        return;
    }
    EXPECT_EQ(parsed->kind, c.kind);
    EXPECT_EQ(parsed->board, c.board);
    EXPECT_EQ(parsed->host, c.host);
    if (c.kind == TcpipResource::Kind::Instrument) {
        EXPECT_EQ(parsed->device, c.device);
    } else {
        EXPECT_EQ(parsed->port, c.port);
    }
}

using K = TcpipResource::Kind;

INSTANTIATE_TEST_SUITE_P(
    Resources, TcpipResourceParseTest,
    ::testing::Values(
        // The form the connection dialog builds.
        ParseCase{"TCPIP0::192.168.1.20::inst0::INSTR", true, K::Instrument, 0, "192.168.1.20",
                  "inst0", 0},
        ParseCase{"TCPIP::127.0.0.1::INSTR", true, K::Instrument, 0, "127.0.0.1", "inst0", 0},
        ParseCase{"TCPIP3::meter.local", true, K::Instrument, 3, "meter.local", "inst0", 0},
        ParseCase{"tcpip0::127.0.0.1::gpib0,5::instr", true, K::Instrument, 0, "127.0.0.1",
                  "gpib0,5", 0},
        ParseCase{"TCPIP0::[::1]::inst1::INSTR", true, K::Instrument, 0, "::1", "inst1", 0},
        ParseCase{"TCPIP0::127.0.0.1::5025::SOCKET", true, K::Socket, 0, "127.0.0.1", "", 5025},
        ParseCase{"TCPIP1::localhost::65535::socket", true, K::Socket, 1, "localhost", "", 65535},
        // Refused.
        ParseCase{"USB0::0x1234::0x5678::SN::INSTR", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIPx::host::INSTR", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::host::SOCKET", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::host::0::SOCKET", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::host::70000::SOCKET", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::host::50x::SOCKET", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::host::inst0::extra::INSTR", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::host::::INSTR", false, K::Instrument, 0, "", "", 0},
        ParseCase{"TCPIP0::bad host::INSTR", false, K::Instrument, 0, "", "", 0}));

}  // namespace
}  // namespace voltora::visa
