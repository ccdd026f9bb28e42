#include "support/ScriptedBackend.h"

#include "visa/LinkDiagnostics.h"
#include "visa/ResourceExpression.h"
#include "visa/ResourceManager.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace voltora::testing {

using namespace voltora::visa;

namespace {

class ScriptedSession : public IVisaSession {
public:
    explicit ScriptedSession(std::shared_ptr<ScriptedDevice> device) : device_(std::move(device)) {}
    ~ScriptedSession() override { Close(); }

    ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds) override
    {
        written = 0;
        if (closed_) {
            return VI_ERROR_CONN_LOST;
        }
        const ViStatus status =
            device_->OnWrite(std::string(reinterpret_cast<const char*>(data), size));
        if (status >= VI_SUCCESS) {
            written = size;
        }
        return status;
    }

    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds) override
    {
        received = 0;
        end = false;
        if (closed_) {
            return VI_ERROR_CONN_LOST;
        }
        return device_->OnRead(buffer, size, received, end);
    }

    std::string ModelName() override { return device_->ModelName(); }

    void Close() override
    {
        if (!closed_.exchange(true)) {
            device_->OnClose();
        }
    }

private:
    std::shared_ptr<ScriptedDevice> device_;
    std::atomic<bool> closed_{false};
};

}  // namespace

ScriptedDevice::ScriptedDevice(std::string resource, std::string modelName)
    : resource_(std::move(resource)), modelName_(std::move(modelName))
{
}

void ScriptedDevice::QueueReply(std::string reply)
{
    std::lock_guard<std::mutex> guard(mutex_);
    replies_.push_back(std::move(reply));
}

void ScriptedDevice::SetResponder(Responder responder)
{
    std::lock_guard<std::mutex> guard(mutex_);
    responder_ = std::move(responder);
}

void ScriptedDevice::SetChunkSize(std::size_t bytes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    chunkSize_ = bytes;
}

void ScriptedDevice::FailOpen(ViStatus status)
{
    std::lock_guard<std::mutex> guard(mutex_);
    openStatus_ = status;
}

void ScriptedDevice::SetOpenProblem(std::string text)
{
    std::lock_guard<std::mutex> guard(mutex_);
    openProblem_ = std::move(text);
}

void ScriptedDevice::FailNextWrite(ViStatus status)
{
    std::lock_guard<std::mutex> guard(mutex_);
    nextWriteStatus_ = status;
}

void ScriptedDevice::FailNextRead(ViStatus status)
{
    std::lock_guard<std::mutex> guard(mutex_);
    nextReadStatus_ = status;
}

void ScriptedDevice::CutNextReplyAfter(std::size_t bytes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    cutAfter_ = bytes;
}

void ScriptedDevice::SetModelName(std::string modelName)
{
    std::lock_guard<std::mutex> guard(mutex_);
    modelName_ = std::move(modelName);
}

std::vector<std::string> ScriptedDevice::Writes() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return writes_;
}

void ScriptedDevice::ClearWrites()
{
    std::lock_guard<std::mutex> guard(mutex_);
    writes_.clear();
}

int ScriptedDevice::OpenSessions() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return openSessions_;
}

ViStatus ScriptedDevice::OnOpen()
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (openStatus_ < VI_SUCCESS) {
        if (!openProblem_.empty()) {
            ReportLinkProblem(openProblem_);
        }
        return openStatus_;
    }
    ++openSessions_;
    return VI_SUCCESS;
}

void ScriptedDevice::OnClose()
{
    std::lock_guard<std::mutex> guard(mutex_);
    --openSessions_;
}

ViStatus ScriptedDevice::OnWrite(const std::string& message)
{
    std::unique_lock<std::mutex> lock(mutex_);
    writes_.push_back(message);
    if (nextWriteStatus_ < VI_SUCCESS) {
        const ViStatus status = nextWriteStatus_;
        nextWriteStatus_ = VI_SUCCESS;
        return status;
    }
    std::optional<std::string> reply;
    if (responder_) {
        Responder responder = responder_;
        lock.unlock();
        reply = responder(message);
        lock.lock();
    } else if (message.find('?') != std::string::npos && !replies_.empty()) {
        reply = std::move(replies_.front());
        replies_.pop_front();
    }
    if (reply) {
        pending_ = std::move(*reply);
        pendingOffset_ = 0;
        hasPending_ = true;
    }
    return VI_SUCCESS;
}

ViStatus ScriptedDevice::OnRead(ViByte* buffer, std::size_t size, std::size_t& received,
                                bool& end)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (nextReadStatus_ < VI_SUCCESS) {
        const ViStatus status = nextReadStatus_;
        nextReadStatus_ = VI_SUCCESS;
        return status;
    }
    if (!hasPending_) {
        // A silent instrument: the time-out is reported at once, so tests
        // do not wait it out.
        return VI_ERROR_TMO;
    }
    if (cutAfter_ && pendingOffset_ >= *cutAfter_) {
        cutAfter_.reset();
        hasPending_ = false;
        pending_.clear();
        pendingOffset_ = 0;
        return VI_ERROR_TMO;
    }
    std::size_t n = std::min(size, pending_.size() - pendingOffset_);
    if (chunkSize_ > 0) {
        n = std::min(n, chunkSize_);
    }
    if (cutAfter_) {
        n = std::min(n, *cutAfter_ - pendingOffset_);
    }
    std::memcpy(buffer, pending_.data() + pendingOffset_, n);
    pendingOffset_ += n;
    received = n;
    end = pendingOffset_ >= pending_.size();
    if (end) {
        hasPending_ = false;
        pending_.clear();
        pendingOffset_ = 0;
        cutAfter_.reset();
    }
    return VI_SUCCESS;
}

std::string ScriptedDevice::ModelName() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return modelName_;
}

std::shared_ptr<ScriptedDevice> ScriptedBackend::AddDevice(std::string resource,
                                                           std::string modelName)
{
    auto device = std::make_shared<ScriptedDevice>(std::move(resource), std::move(modelName));
    std::lock_guard<std::mutex> guard(mutex_);
    devices_.push_back(device);
    return device;
}

void ScriptedBackend::RemoveDevice(const std::string& resource)
{
    std::lock_guard<std::mutex> guard(mutex_);
    devices_.erase(std::remove_if(devices_.begin(), devices_.end(),
                                  [&](const auto& d) { return d->Resource() == resource; }),
                   devices_.end());
}

std::shared_ptr<ScriptedDevice> ScriptedBackend::Device(const std::string& resource) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& device : devices_) {
        if (device->Resource() == resource) {
            return device;
        }
    }
    return nullptr;
}

void ScriptedBackend::FailOpenDefaultRM(ViStatus status)
{
    std::lock_guard<std::mutex> guard(mutex_);
    openDefaultRMStatus_ = status;
}

ViStatus ScriptedBackend::OpenDefaultRM()
{
    std::lock_guard<std::mutex> guard(mutex_);
    return openDefaultRMStatus_;
}

bool ScriptedBackend::Accepts(std::string_view resource) const
{
    return Device(std::string(resource)) != nullptr;
}

ViStatus ScriptedBackend::Open(std::string_view resource, std::chrono::milliseconds,
                               std::unique_ptr<IVisaSession>& session)
{
    auto device = Device(std::string(resource));
    if (!device) {
        return VI_ERROR_RSRC_NFOUND;
    }
    const ViStatus status = device->OnOpen();
    if (status < VI_SUCCESS) {
        return status;
    }
    session = std::make_unique<ScriptedSession>(device);
    return VI_SUCCESS;
}

void ScriptedBackend::Find(std::string_view expression, std::vector<std::string>& resources)
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& device : devices_) {
        if (MatchesExpression(expression, device->Resource())) {
            resources.push_back(device->Resource());
        }
    }
}

ScopedScriptedBackend::ScopedScriptedBackend() : backend_(std::make_shared<ScriptedBackend>())
{
    ResourceManager::Instance().AddBackend(backend_, /*front=*/true);
}

ScopedScriptedBackend::~ScopedScriptedBackend()
{
    ResourceManager::Instance().RemoveBackend(backend_);
}

}  // namespace voltora::testing
