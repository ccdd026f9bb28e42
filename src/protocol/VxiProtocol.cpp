#include "protocol/VxiProtocol.h"

namespace voltora::protocol::vxi11 {
namespace {

// Upper bound on a device name, far above any real one.
constexpr u_int kMaxDeviceName = 256;
// Upper bound on one message or reply chunk accepted off the wire.
constexpr u_int kMaxData = 64u << 20;

bool_t Int(XDR* xdrs, std::int32_t* v)
{
    return xdr_int32_t(xdrs, v);
}

bool_t Uint(XDR* xdrs, std::uint32_t* v)
{
    return xdr_u_int32_t(xdrs, v);
}

}  // namespace

bool_t XdrInt32(XDR* xdrs, std::int32_t* value)
{
    return Int(xdrs, value);
}

bool_t XdrCreateLinkParms(XDR* xdrs, CreateLinkParms* p)
{
    return Int(xdrs, &p->clientId) && xdr_bool(xdrs, &p->lockDevice) &&
           Uint(xdrs, &p->lockTimeout) && xdr_string(xdrs, &p->device, kMaxDeviceName);
}

bool_t XdrCreateLinkResp(XDR* xdrs, CreateLinkResp* p)
{
    return Int(xdrs, &p->error) && Int(xdrs, &p->lid) && xdr_u_short(xdrs, &p->abortPort) &&
           Uint(xdrs, &p->maxRecvSize);
}

bool_t XdrDeviceWriteParms(XDR* xdrs, DeviceWriteParms* p)
{
    return Int(xdrs, &p->lid) && Uint(xdrs, &p->ioTimeout) && Uint(xdrs, &p->lockTimeout) &&
           Int(xdrs, &p->flags) && xdr_bytes(xdrs, &p->data, &p->dataLength, kMaxData);
}

bool_t XdrDeviceWriteResp(XDR* xdrs, DeviceWriteResp* p)
{
    return Int(xdrs, &p->error) && Uint(xdrs, &p->size);
}

bool_t XdrDeviceReadParms(XDR* xdrs, DeviceReadParms* p)
{
    // The terminating character travels as a 32-bit value.
    std::int32_t termChar = static_cast<unsigned char>(p->termChar);
    if (!(Int(xdrs, &p->lid) && Uint(xdrs, &p->requestSize) && Uint(xdrs, &p->ioTimeout) &&
          Uint(xdrs, &p->lockTimeout) && Int(xdrs, &p->flags) && Int(xdrs, &termChar))) {
        return FALSE;
    }
    p->termChar = static_cast<char>(termChar);
    return TRUE;
}

bool_t XdrDeviceReadResp(XDR* xdrs, DeviceReadResp* p)
{
    if (!(Int(xdrs, &p->error) && Int(xdrs, &p->reason))) {
        return FALSE;
    }
    const u_int limit = (xdrs->x_op == XDR_DECODE && p->data != nullptr) ? p->capacity : kMaxData;
    return xdr_bytes(xdrs, &p->data, &p->dataLength, limit);
}

bool_t XdrDeviceGenericParms(XDR* xdrs, DeviceGenericParms* p)
{
    return Int(xdrs, &p->lid) && Int(xdrs, &p->flags) && Uint(xdrs, &p->lockTimeout) &&
           Uint(xdrs, &p->ioTimeout);
}

bool_t XdrDeviceLockParms(XDR* xdrs, DeviceLockParms* p)
{
    return Int(xdrs, &p->lid) && Int(xdrs, &p->flags) && Uint(xdrs, &p->lockTimeout);
}

bool_t XdrDeviceReadStbResp(XDR* xdrs, DeviceReadStbResp* p)
{
    return Int(xdrs, &p->error) && xdr_u_char(xdrs, &p->stb);
}

}  // namespace voltora::protocol::vxi11
