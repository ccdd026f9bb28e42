#pragma once

// The subset of the VISA C API that Voltora uses, with VISA's standard type
// names, status codes and attribute numbers. The functions are provided by
// this library (back-ends chosen by resource string), so the program needs
// no vendor VISA installation.

#include <cstdint>

extern "C" {

typedef unsigned int ViUInt32;
typedef int ViInt32;
typedef unsigned short ViUInt16;
typedef unsigned char ViByte;
typedef char ViChar;
typedef ViUInt32* ViPUInt32;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViSession* ViPSession;
typedef ViObject ViFindList;
typedef ViFindList* ViPFindList;
typedef ViUInt32 ViAttr;
typedef ViUInt32 ViAccessMode;
typedef std::uint64_t ViAttrState;
typedef ViByte* ViBuf;
typedef ViByte* ViPBuf;
typedef const ViByte* ViConstBuf;
typedef ViChar* ViString;
typedef const ViChar* ViConstString;
typedef ViString ViRsrc;
typedef ViConstString ViConstRsrc;

#define VI_NULL 0
#define VI_TRUE 1
#define VI_FALSE 0
#define VI_FIND_BUFLEN 256
#define VI_TMO_IMMEDIATE 0u
#define VI_TMO_INFINITE 0xFFFFFFFFu

#define VI_SUCCESS ((ViStatus)0)
#define VI_SUCCESS_TERM_CHAR ((ViStatus)0x3FFF0005)
#define VI_SUCCESS_MAX_CNT ((ViStatus)0x3FFF0006)

#define VI_ERROR_SYSTEM_ERROR ((ViStatus)0xBFFF0000)
#define VI_ERROR_INV_OBJECT ((ViStatus)0xBFFF000E)
#define VI_ERROR_INV_SESSION VI_ERROR_INV_OBJECT
#define VI_ERROR_INV_EXPR ((ViStatus)0xBFFF0010)
#define VI_ERROR_RSRC_NFOUND ((ViStatus)0xBFFF0011)
#define VI_ERROR_INV_RSRC_NAME ((ViStatus)0xBFFF0012)
#define VI_ERROR_TMO ((ViStatus)0xBFFF0015)
#define VI_ERROR_NSUP_ATTR ((ViStatus)0xBFFF001D)
#define VI_ERROR_NSUP_ATTR_STATE ((ViStatus)0xBFFF001E)
#define VI_ERROR_INV_SETUP ((ViStatus)0xBFFF003A)
#define VI_ERROR_ALLOC ((ViStatus)0xBFFF003C)
#define VI_ERROR_IO ((ViStatus)0xBFFF003E)
#define VI_ERROR_NSUP_OPER ((ViStatus)0xBFFF0067)
#define VI_ERROR_USER_BUF ((ViStatus)0xBFFF0071)
#define VI_ERROR_RSRC_BUSY ((ViStatus)0xBFFF0072)
#define VI_ERROR_INV_PARAMETER ((ViStatus)0xBFFF0078)
#define VI_ERROR_LIBRARY_NFOUND ((ViStatus)0xBFFF009E)
#define VI_ERROR_CONN_LOST ((ViStatus)0xBFFF00A6)
#define VI_ERROR_MACHINE_NAVAIL ((ViStatus)0xBFFF00A7)
#define VI_ERROR_NPERMISSION ((ViStatus)0xBFFF00A8)

#define VI_ATTR_RSRC_NAME ((ViAttr)0xBFFF0002)
#define VI_ATTR_TMO_VALUE ((ViAttr)0x3FFF001A)
#define VI_ATTR_MODEL_NAME ((ViAttr)0xBFFF0077)

// Opens the default resource manager session.
ViStatus viOpenDefaultRM(ViPSession vi);
// Opens a session on `name`. `timeout` is the open time-out in milliseconds.
ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                ViPSession vi);
// Closes a session, a find list or the resource manager (which closes every
// session and find list it opened).
ViStatus viClose(ViObject vi);
// Writes `cnt` bytes as one message (the end of the message is signalled by
// the link, not by a terminator).
ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
// Reads until the end of the message (VI_SUCCESS) or until `cnt` bytes were
// read (VI_SUCCESS_MAX_CNT). VI_ERROR_TMO when the session's time-out passes
// first; `retCnt` then holds what arrived.
ViStatus viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
// Clears the device: it empties its input and output buffers, abandoning a
// reply that was not read (USB-TMC: INITIATE_CLEAR and its status checks).
// VI_ERROR_NSUP_OPER on links without a clear.
ViStatus viClear(ViSession vi);
// Lists the resources matching `expr` ("?" one character, "*" any run).
ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                    ViChar desc[]);
ViStatus viFindNext(ViFindList vi, ViChar desc[]);
ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void* attrValue);
ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue);

}  // extern "C"
