#pragma once

// The VXI-11 core channel: program and procedure numbers, error codes and the
// argument and result records with their XDR routines (written by hand from
// the public protocol definition). The client and the network server share
// them.

#include <rpc/rpc.h>

#include <cstdint>

namespace voltora::protocol::vxi11 {

constexpr rpcprog_t kCoreProgram = 0x0607AF;
constexpr rpcvers_t kCoreVersion = 1;
// The abort channel: a second connection, to the port create_link names,
// on which device_abort ends a call in progress on the core channel.
constexpr rpcprog_t kAbortProgram = 0x0607B0;
constexpr rpcvers_t kAbortVersion = 1;
constexpr rpcproc_t kDeviceAbort = 1;

enum Procedure : rpcproc_t {
    kCreateLink = 10,
    kDeviceWrite = 11,
    kDeviceRead = 12,
    kDeviceReadStb = 13,
    kDeviceTrigger = 14,
    kDeviceClear = 15,
    kDeviceRemote = 16,
    kDeviceLocal = 17,
    kDeviceLock = 18,
    kDeviceUnlock = 19,
    kDeviceEnableSrq = 20,
    kDeviceDoCmd = 22,
    kDestroyLink = 23,
    kCreateInterruptChannel = 25,
    kDestroyInterruptChannel = 26,
};

// Device_ErrorCode values.
enum ErrorCode : std::int32_t {
    kNoError = 0,
    kSyntaxError = 1,
    kDeviceNotAccessible = 3,
    kInvalidLinkId = 4,
    kParameterError = 5,
    kChannelNotEstablished = 6,
    kOperationNotSupported = 8,
    kOutOfResources = 9,
    kDeviceLockedByAnotherLink = 11,
    kNoLockHeldByThisLink = 12,
    kIoTimeout = 15,
    kIoError = 17,
    kInvalidAddress = 21,
    kAbort = 23,
    kChannelAlreadyEstablished = 29,
};

// Device_Flags bits.
constexpr std::int32_t kFlagWaitLock = 0x01;
constexpr std::int32_t kFlagEnd = 0x08;
constexpr std::int32_t kFlagTermCharSet = 0x80;

// Reasons a device_read ended.
constexpr std::int32_t kReasonRequestCount = 0x01;
constexpr std::int32_t kReasonTermChar = 0x02;
constexpr std::int32_t kReasonEnd = 0x04;

struct CreateLinkParms {
    std::int32_t clientId = 0;
    bool_t lockDevice = 0;
    std::uint32_t lockTimeout = 0;
    char* device = nullptr;
};

struct CreateLinkResp {
    std::int32_t error = 0;
    std::int32_t lid = 0;
    std::uint16_t abortPort = 0;
    std::uint32_t maxRecvSize = 0;
};

struct DeviceWriteParms {
    std::int32_t lid = 0;
    std::uint32_t ioTimeout = 0;
    std::uint32_t lockTimeout = 0;
    std::int32_t flags = 0;
    u_int dataLength = 0;
    char* data = nullptr;
};

struct DeviceWriteResp {
    std::int32_t error = 0;
    std::uint32_t size = 0;
};

struct DeviceReadParms {
    std::int32_t lid = 0;
    std::uint32_t requestSize = 0;
    std::uint32_t ioTimeout = 0;
    std::uint32_t lockTimeout = 0;
    std::int32_t flags = 0;
    char termChar = 0;
};

// On decoding, `data` may point at a buffer of `capacity` bytes set by the
// caller; the reply's bytes then land there directly (no copy, no
// allocation), and a reply longer than `capacity` fails to decode.
struct DeviceReadResp {
    std::int32_t error = 0;
    std::int32_t reason = 0;
    u_int dataLength = 0;
    char* data = nullptr;
    u_int capacity = 0;
};

struct DeviceGenericParms {
    std::int32_t lid = 0;
    std::int32_t flags = 0;
    std::uint32_t lockTimeout = 0;
    std::uint32_t ioTimeout = 0;
};

struct DeviceLockParms {
    std::int32_t lid = 0;
    std::int32_t flags = 0;
    std::uint32_t lockTimeout = 0;
};

struct DeviceReadStbResp {
    std::int32_t error = 0;
    std::uint8_t stb = 0;
};

bool_t XdrCreateLinkParms(XDR* xdrs, CreateLinkParms* p);
bool_t XdrCreateLinkResp(XDR* xdrs, CreateLinkResp* p);
bool_t XdrDeviceWriteParms(XDR* xdrs, DeviceWriteParms* p);
bool_t XdrDeviceWriteResp(XDR* xdrs, DeviceWriteResp* p);
bool_t XdrDeviceReadParms(XDR* xdrs, DeviceReadParms* p);
bool_t XdrDeviceReadResp(XDR* xdrs, DeviceReadResp* p);
bool_t XdrDeviceGenericParms(XDR* xdrs, DeviceGenericParms* p);
bool_t XdrDeviceLockParms(XDR* xdrs, DeviceLockParms* p);
bool_t XdrDeviceReadStbResp(XDR* xdrs, DeviceReadStbResp* p);
// Device_Link (the argument of destroy_link and device_unlock) and
// Device_Error (the result of most procedures) are single 32-bit values.
bool_t XdrInt32(XDR* xdrs, std::int32_t* value);

}  // namespace voltora::protocol::vxi11
