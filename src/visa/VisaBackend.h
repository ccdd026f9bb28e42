#pragma once

#include "visa/visa.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace voltora::visa {

// One open link to one instrument. Calls on one session are serialised by
// the resource manager; different sessions may be used concurrently.
class IVisaSession {
public:
    virtual ~IVisaSession() = default;

    // Sends `data` as one complete message. Either the whole message is
    // accepted (VI_SUCCESS, `written` == size) or an error is returned.
    virtual ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                           std::chrono::milliseconds timeout) = 0;
    // Reads at most `size` bytes of the current reply. `end` is set when the
    // last byte read ends the message. Returns VI_SUCCESS when data arrived
    // (also when `end` is false because the buffer filled up), VI_ERROR_TMO
    // when the time-out passed (with whatever arrived in `received`), or
    // another error.
    virtual ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                          std::chrono::milliseconds timeout) = 0;
    // The device clear of the link's protocol (viClear): the instrument
    // empties its input and output buffers. VI_ERROR_NSUP_OPER where the
    // link has none.
    virtual ViStatus Clear(std::chrono::milliseconds timeout)
    {
        (void)timeout;
        return VI_ERROR_NSUP_OPER;
    }
    // VI_ATTR_MODEL_NAME; empty when the link cannot tell.
    virtual std::string ModelName() { return {}; }
    // Ends the link. May be called while another thread is inside Read or
    // Write on this session: that call must then return promptly with an
    // error instead of waiting out its time-out.
    virtual void Close() = 0;
};

// A kind of link, chosen by the form of the resource string.
class IVisaBackend {
public:
    virtual ~IVisaBackend() = default;

    // Asked by viOpenDefaultRM: a back-end that cannot serve the new
    // resource manager session returns its error, and that call fails with
    // it. Back-ends that need nothing readied have nothing to refuse.
    virtual ViStatus OpenDefaultRM() { return VI_SUCCESS; }
    // Whether this back-end handles resource strings of this form.
    virtual bool Accepts(std::string_view resource) const = 0;
    virtual ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                          std::unique_ptr<IVisaSession>& session) = 0;
    // Appends the resources this back-end can see that match `expression`
    // (see MatchesExpression). Back-ends that cannot enumerate append nothing.
    virtual void Find(std::string_view expression, std::vector<std::string>& resources)
    {
        (void)expression;
        (void)resources;
    }
};

}  // namespace voltora::visa
