#include "protocol/VxiProtocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace voltora::protocol::vxi11 {
namespace {

// Encodes `value` with `routine` and returns the bytes.
template <typename T>
std::vector<char> Encode(bool_t (*routine)(XDR*, T*), T value)
{
    std::vector<char> bytes(1024);
    XDR xdrs;
    xdrmem_create(&xdrs, bytes.data(), static_cast<u_int>(bytes.size()), XDR_ENCODE);
    EXPECT_TRUE(routine(&xdrs, &value));
    bytes.resize(xdr_getpos(&xdrs));
    xdr_destroy(&xdrs);
    return bytes;
}

std::vector<char> Words(std::initializer_list<std::uint32_t> words)
{
    std::vector<char> bytes;
    for (const std::uint32_t w : words) {
        const char b[4] = {static_cast<char>(w >> 24), static_cast<char>(w >> 16),
                           static_cast<char>(w >> 8), static_cast<char>(w)};
        bytes.insert(bytes.end(), b, b + 4);
    }
    return bytes;
}

TEST(VxiProtocolTest, CreateLinkParmsOnTheWire)
{
    char device[] = "inst0";
    CreateLinkParms parms;
    parms.clientId = 7;
    parms.lockDevice = 0;
    parms.lockTimeout = 0;
    parms.device = device;
    // clientId, lockDevice, lock_timeout, then the string: length, bytes padded to 4.
    auto expected = Words({7, 0, 0, 5});
    const char padded[8] = {'i', 'n', 's', 't', '0', 0, 0, 0};
    expected.insert(expected.end(), padded, padded + 8);
    EXPECT_EQ(Encode(XdrCreateLinkParms, parms), expected);
}

TEST(VxiProtocolTest, WriteParmsCarryEndFlagAndData)
{
    char data[] = "DATA:LAST?";
    DeviceWriteParms parms;
    parms.lid = 3;
    parms.ioTimeout = 2000;
    parms.lockTimeout = 0;
    parms.flags = kFlagEnd;
    parms.dataLength = 10;
    parms.data = data;
    auto expected = Words({3, 2000, 0, 8, 10});
    expected.insert(expected.end(), data, data + 10);
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(Encode(XdrDeviceWriteParms, parms), expected);
}

TEST(VxiProtocolTest, ReadParmsSendTermCharAsAWord)
{
    DeviceReadParms parms;
    parms.lid = 1;
    parms.requestSize = 256;
    parms.ioTimeout = 100;
    parms.flags = kFlagTermCharSet;
    parms.termChar = '\n';
    EXPECT_EQ(Encode(XdrDeviceReadParms, parms), Words({1, 256, 100, 0, 0x80, 10}));
}

TEST(VxiProtocolTest, ReadRespDecodesIntoTheCallersBuffer)
{
    std::vector<char> wire = Words({0, kReasonEnd, 5});
    wire.insert(wire.end(), {'h', 'e', 'l', 'l', 'o', 0, 0, 0});
    char buffer[16] = {};
    DeviceReadResp reply;
    reply.data = buffer;
    reply.capacity = sizeof(buffer);
    XDR xdrs;
    xdrmem_create(&xdrs, wire.data(), static_cast<u_int>(wire.size()), XDR_DECODE);
    ASSERT_TRUE(XdrDeviceReadResp(&xdrs, &reply));
    xdr_destroy(&xdrs);
    EXPECT_EQ(reply.data, buffer);
    EXPECT_EQ(reply.reason, kReasonEnd);
    EXPECT_EQ(std::string(buffer, reply.dataLength), "hello");
}

TEST(VxiProtocolTest, ReadRespLongerThanTheBufferIsRefused)
{
    std::vector<char> wire = Words({0, kReasonEnd, 5});
    wire.insert(wire.end(), {'h', 'e', 'l', 'l', 'o', 0, 0, 0});
    char buffer[4] = {};
    DeviceReadResp reply;
    reply.data = buffer;
    reply.capacity = sizeof(buffer);
    XDR xdrs;
    xdrmem_create(&xdrs, wire.data(), static_cast<u_int>(wire.size()), XDR_DECODE);
    EXPECT_FALSE(XdrDeviceReadResp(&xdrs, &reply));
    xdr_destroy(&xdrs);
}

TEST(VxiProtocolTest, CreateLinkRespRoundTrip)
{
    CreateLinkResp sent;
    sent.error = kNoError;
    sent.lid = 42;
    sent.abortPort = 1025;
    sent.maxRecvSize = 4096;
    std::vector<char> wire = Encode(XdrCreateLinkResp, sent);
    EXPECT_EQ(wire, Words({0, 42, 1025, 4096}));
    CreateLinkResp got;
    XDR xdrs;
    xdrmem_create(&xdrs, wire.data(), static_cast<u_int>(wire.size()), XDR_DECODE);
    ASSERT_TRUE(XdrCreateLinkResp(&xdrs, &got));
    xdr_destroy(&xdrs);
    EXPECT_EQ(got.lid, 42);
    EXPECT_EQ(got.abortPort, 1025);
    EXPECT_EQ(got.maxRecvSize, 4096u);
}

}  // namespace
}  // namespace voltora::protocol::vxi11
