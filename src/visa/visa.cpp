// The VISA C functions, forwarded to the process's resource manager.

#include "visa/visa.h"

#include "visa/ResourceManager.h"

using voltora::visa::ResourceManager;

extern "C" {

ViStatus viOpenDefaultRM(ViPSession vi)
{
    if (vi == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    return ResourceManager::Instance().OpenDefaultRM(*vi);
}

ViStatus viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                ViPSession vi)
{
    (void)mode;
    if (vi == nullptr || name == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    return ResourceManager::Instance().Open(sesn, name, timeout, *vi);
}

ViStatus viClose(ViObject vi)
{
    return ResourceManager::Instance().Close(vi);
}

ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    if (buf == nullptr && cnt > 0) {
        return VI_ERROR_USER_BUF;
    }
    return ResourceManager::Instance().Write(vi, buf, cnt, retCnt);
}

ViStatus viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    if (buf == nullptr && cnt > 0) {
        return VI_ERROR_USER_BUF;
    }
    return ResourceManager::Instance().Read(vi, buf, cnt, retCnt);
}

ViStatus viClear(ViSession vi)
{
    return ResourceManager::Instance().Clear(vi);
}

ViStatus viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                    ViChar desc[])
{
    if (expr == nullptr || vi == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    ViUInt32 count = 0;
    const ViStatus status = ResourceManager::Instance().FindFirst(sesn, expr, *vi, count, desc);
    if (retCnt != nullptr) {
        *retCnt = count;
    }
    return status;
}

ViStatus viFindNext(ViFindList vi, ViChar desc[])
{
    return ResourceManager::Instance().FindNext(vi, desc);
}

ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void* attrValue)
{
    return ResourceManager::Instance().GetAttribute(vi, attrName, attrValue);
}

ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue)
{
    return ResourceManager::Instance().SetAttribute(vi, attrName, attrValue);
}

}  // extern "C"
