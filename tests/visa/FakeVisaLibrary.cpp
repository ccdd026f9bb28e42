// A small VISA library for tests of loading one at run time: it exports the
// standard entry points and serves two instruments of its own, a USB meter
// that answers the identity probe and a serial device. Built as a shared
// library; it shares no code with the program that loads it.

#include "visa/visa.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Instrument {
    const char* resource;
    const char* model;
};

const Instrument kInstruments[] = {
    {"USB0::0x5A4E::0x0001::LIB0001::INSTR", "ZAN Library Meter"},
    {"ASRL1::INSTR", "Serial Port"},
};

struct Session {
    const Instrument* instrument = nullptr;
    std::string reply;
    std::uint32_t timeoutMs = 2000;
    bool closed = false;
};

struct FindList {
    std::vector<std::string> found;
    std::size_t next = 0;
};

std::mutex g_mutex;
std::condition_variable g_changed;
std::map<ViSession, Session> g_sessions;
std::map<ViFindList, FindList> g_lists;
ViObject g_nextHandle = 100;
std::uint32_t g_lastTimeout = 0;

bool Matches(const char* expression, const char* resource)
{
    // Enough of VISA's patterns for the tests: "?*" matches anything.
    const std::string e = expression;
    const std::size_t star = e.find("?*");
    if (star == std::string::npos) {
        return e == resource;
    }
    const std::string head = e.substr(0, star);
    const std::string tail = e.substr(star + 2);
    const std::string r = resource;
    return r.size() >= head.size() + tail.size() && r.compare(0, head.size(), head) == 0 &&
           r.compare(r.size() - tail.size(), tail.size(), tail) == 0;
}

void Copy(const std::string& text, ViChar* out)
{
    const std::size_t n = std::min<std::size_t>(text.size(), VI_FIND_BUFLEN - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

EXPORT ViStatus viOpenDefaultRM(ViPSession vi)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    *vi = 1;
    return VI_SUCCESS;
}

EXPORT ViStatus viOpen(ViSession, ViConstRsrc name, ViAccessMode, ViUInt32, ViPSession vi)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    for (const Instrument& instrument : kInstruments) {
        if (std::strcmp(name, instrument.resource) == 0) {
            *vi = ++g_nextHandle;
            g_sessions[*vi].instrument = &instrument;
            return VI_SUCCESS;
        }
    }
    return VI_ERROR_RSRC_NFOUND;
}

EXPORT ViStatus viClose(ViObject vi)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    if (vi == 1) {
        return VI_SUCCESS;
    }
    if (g_lists.erase(vi) > 0) {
        return VI_SUCCESS;
    }
    auto session = g_sessions.find(vi);
    if (session == g_sessions.end()) {
        return VI_ERROR_INV_OBJECT;
    }
    // A reader blocked on this session wakes up and removes it.
    session->second.closed = true;
    g_changed.notify_all();
    return VI_SUCCESS;
}

EXPORT ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    auto session = g_sessions.find(vi);
    if (session == g_sessions.end() || session->second.closed) {
        return VI_ERROR_INV_OBJECT;
    }
    const std::string message(reinterpret_cast<const char*>(buf), cnt);
    if (message == "IDN-ZOBR-PRI?") {
        session->second.reply = "ZAN,LIBRARY-METER,LIB0001,2.0\n";
    } else if (message.rfind("ECHO? ", 0) == 0) {
        session->second.reply = message.substr(6) + "\n";
    }
    // Anything else (for example "HANG?") gets no reply.
    if (retCnt != nullptr) {
        *retCnt = cnt;
    }
    return VI_SUCCESS;
}

EXPORT ViStatus viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    *retCnt = 0;
    auto session = g_sessions.find(vi);
    if (session == g_sessions.end() || session->second.closed) {
        return VI_ERROR_INV_OBJECT;
    }
    Session& s = session->second;
    if (s.reply.empty()) {
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(s.timeoutMs);
        g_changed.wait_until(lock, deadline, [&s] { return s.closed; });
        if (s.closed) {
            g_sessions.erase(vi);
            return VI_ERROR_CONN_LOST;
        }
        return VI_ERROR_TMO;
    }
    const std::size_t n = std::min<std::size_t>(cnt, s.reply.size());
    std::memcpy(buf, s.reply.data(), n);
    s.reply.erase(0, n);
    *retCnt = static_cast<ViUInt32>(n);
    return s.reply.empty() ? VI_SUCCESS : VI_SUCCESS_MAX_CNT;
}

EXPORT ViStatus viFindRsrc(ViSession, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                           ViChar desc[])
{
    std::lock_guard<std::mutex> guard(g_mutex);
    FindList list;
    for (const Instrument& instrument : kInstruments) {
        if (Matches(expr, instrument.resource)) {
            list.found.emplace_back(instrument.resource);
        }
    }
    *retCnt = static_cast<ViUInt32>(list.found.size());
    if (list.found.empty()) {
        return VI_ERROR_RSRC_NFOUND;
    }
    Copy(list.found[0], desc);
    list.next = 1;
    *vi = ++g_nextHandle;
    g_lists[*vi] = list;
    return VI_SUCCESS;
}

EXPORT ViStatus viFindNext(ViFindList vi, ViChar desc[])
{
    std::lock_guard<std::mutex> guard(g_mutex);
    auto list = g_lists.find(vi);
    if (list == g_lists.end() || list->second.next >= list->second.found.size()) {
        return VI_ERROR_RSRC_NFOUND;
    }
    Copy(list->second.found[list->second.next++], desc);
    return VI_SUCCESS;
}

EXPORT ViStatus viGetAttribute(ViObject vi, ViAttr attrName, void* attrValue)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    auto session = g_sessions.find(vi);
    if (session == g_sessions.end()) {
        return VI_ERROR_INV_OBJECT;
    }
    if (attrName == VI_ATTR_MODEL_NAME) {
        Copy(session->second.instrument->model, static_cast<ViChar*>(attrValue));
        return VI_SUCCESS;
    }
    if (attrName == VI_ATTR_TMO_VALUE) {
        *static_cast<ViUInt32*>(attrValue) = session->second.timeoutMs;
        return VI_SUCCESS;
    }
    return VI_ERROR_NSUP_ATTR;
}

EXPORT ViStatus viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    auto session = g_sessions.find(vi);
    if (session == g_sessions.end()) {
        return VI_ERROR_INV_OBJECT;
    }
    if (attrName != VI_ATTR_TMO_VALUE) {
        return VI_ERROR_NSUP_ATTR;
    }
    session->second.timeoutMs = static_cast<std::uint32_t>(attrValue);
    g_lastTimeout = session->second.timeoutMs;
    return VI_SUCCESS;
}

// Not VISA: lets tests see what the loader handed over.
EXPORT std::uint32_t voltoraTestLastTimeout()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_lastTimeout;
}

EXPORT std::size_t voltoraTestOpenSessions()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    std::size_t open = 0;
    for (const auto& entry : g_sessions) {
        open += entry.second.closed ? 0 : 1;
    }
    return open;
}
