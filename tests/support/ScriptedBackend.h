#pragma once

#include "visa/VisaBackend.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace voltora::testing {

// An instrument whose behaviour a test scripts: it records every message
// written to it and answers queries from a queue of replies or from a
// responder function. Any of open, write and read can be made to fail.
class ScriptedDevice {
public:
    using Responder = std::function<std::optional<std::string>(const std::string& message)>;

    explicit ScriptedDevice(std::string resource, std::string modelName = {});

    const std::string& Resource() const { return resource_; }

    // The reply to the next message that contains "?" (bytes as sent,
    // terminator included).
    void QueueReply(std::string reply);
    // Answers every message instead of the queue; std::nullopt means no reply.
    void SetResponder(Responder responder);
    // Each link read hands over at most this many bytes (0: no limit).
    void SetChunkSize(std::size_t bytes);

    void FailOpen(ViStatus status);  // VI_SUCCESS lets opens succeed again
    // A failing open also reports this text as the link's problem.
    void SetOpenProblem(std::string text);
    void FailNextWrite(ViStatus status = VI_ERROR_IO);
    void FailNextRead(ViStatus status = VI_ERROR_TMO);
    // The next reply stops after its first `bytes` bytes and the read that
    // would bring the rest times out, as when a link is lost mid-reply.
    void CutNextReplyAfter(std::size_t bytes);
    void SetModelName(std::string modelName);

    std::vector<std::string> Writes() const;
    void ClearWrites();
    int OpenSessions() const;

    // Used by the sessions.
    ViStatus OnOpen();
    void OnClose();
    ViStatus OnWrite(const std::string& message);
    ViStatus OnRead(ViByte* buffer, std::size_t size, std::size_t& received, bool& end);
    std::string ModelName() const;

private:
    mutable std::mutex mutex_;
    std::string resource_;
    std::string modelName_;
    std::deque<std::string> replies_;
    Responder responder_;
    std::size_t chunkSize_ = 0;
    std::optional<std::size_t> cutAfter_;
    ViStatus openStatus_ = VI_SUCCESS;
    std::string openProblem_;
    ViStatus nextWriteStatus_ = VI_SUCCESS;
    ViStatus nextReadStatus_ = VI_SUCCESS;
    std::vector<std::string> writes_;
    std::string pending_;
    std::size_t pendingOffset_ = 0;
    bool hasPending_ = false;
    int openSessions_ = 0;
};

// The test back-end: serves the ScriptedDevices added to it. Devices whose
// resource starts with "USB" are listed by a "USB?*INSTR" search, so tests
// can pose as found USB instruments.
class ScriptedBackend : public visa::IVisaBackend {
public:
    std::shared_ptr<ScriptedDevice> AddDevice(std::string resource, std::string modelName = {});
    void RemoveDevice(const std::string& resource);
    // The device registered under `resource`, or null.
    std::shared_ptr<ScriptedDevice> Device(const std::string& resource) const;

    // viOpenDefaultRM fails with `status` while this back-end is registered
    // (VI_SUCCESS lets it succeed again).
    void FailOpenDefaultRM(ViStatus status);

    ViStatus OpenDefaultRM() override;
    bool Accepts(std::string_view resource) const override;
    ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                  std::unique_ptr<visa::IVisaSession>& session) override;
    void Find(std::string_view expression, std::vector<std::string>& resources) override;

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<ScriptedDevice>> devices_;
    ViStatus openDefaultRMStatus_ = VI_SUCCESS;
};

// Registers a ScriptedBackend in front of all others for the lifetime of the
// object, so that its devices shadow every other back-end.
class ScopedScriptedBackend {
public:
    ScopedScriptedBackend();
    ~ScopedScriptedBackend();
    ScopedScriptedBackend(const ScopedScriptedBackend&) = delete;
    ScopedScriptedBackend& operator=(const ScopedScriptedBackend&) = delete;

    ScriptedBackend& operator*() const { return *backend_; }
    ScriptedBackend* operator->() const { return backend_.get(); }

private:
    std::shared_ptr<ScriptedBackend> backend_;
};

}  // namespace voltora::testing
