#include "visa/SystemVisaSession.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace voltora::visa {

SystemVisaSession::SystemVisaSession(std::shared_ptr<const SystemVisaFunctions> functions,
                                     ViSession session)
    : functions_(std::move(functions)), session_(session)
{
}

SystemVisaSession::~SystemVisaSession()
{
    Close();
}

ViStatus SystemVisaSession::ApplyTimeout(std::chrono::milliseconds timeout)
{
    const std::int64_t ms =
        std::clamp<std::int64_t>(timeout.count(), 0, std::numeric_limits<ViUInt32>::max());
    if (ms == timeoutMs_) {
        return VI_SUCCESS;
    }
    const ViStatus status =
        functions_->setAttribute(session_, VI_ATTR_TMO_VALUE, static_cast<ViAttrState>(ms));
    if (status >= VI_SUCCESS) {
        timeoutMs_ = ms;
    }
    return status;
}

ViStatus SystemVisaSession::Write(const ViByte* data, std::size_t size, std::size_t& written,
                                  std::chrono::milliseconds timeout)
{
    written = 0;
    if (closed_.load()) {
        return VI_ERROR_CONN_LOST;
    }
    ApplyTimeout(timeout);
    // A write that takes only part of the message is continued, so the
    // message either goes out whole or the call fails.
    while (written < size) {
        const auto chunk = static_cast<ViUInt32>(
            std::min<std::size_t>(size - written, std::numeric_limits<ViUInt32>::max()));
        ViUInt32 count = 0;
        const ViStatus status = functions_->write(session_, data + written, chunk, &count);
        written += std::min<ViUInt32>(count, chunk);
        if (status < VI_SUCCESS) {
            return status;
        }
        if (count == 0) {
            return VI_ERROR_IO;
        }
    }
    return VI_SUCCESS;
}

ViStatus SystemVisaSession::Read(ViByte* buffer, std::size_t size, std::size_t& received,
                                 bool& end, std::chrono::milliseconds timeout)
{
    received = 0;
    end = false;
    if (closed_.load()) {
        return VI_ERROR_CONN_LOST;
    }
    ApplyTimeout(timeout);
    const auto request =
        static_cast<ViUInt32>(std::min<std::size_t>(size, std::numeric_limits<ViUInt32>::max()));
    ViUInt32 count = 0;
    const ViStatus status = functions_->read(session_, buffer, request, &count);
    received = std::min<ViUInt32>(count, request);
    if (status < VI_SUCCESS) {
        return status;
    }
    end = status != VI_SUCCESS_MAX_CNT;
    return VI_SUCCESS;
}

std::string SystemVisaSession::ModelName()
{
    ViChar model[256] = {};
    if (functions_->getAttribute(session_, VI_ATTR_MODEL_NAME, model) < VI_SUCCESS) {
        return {};
    }
    model[sizeof(model) - 1] = '\0';
    return model;
}

void SystemVisaSession::Close()
{
    if (!closed_.exchange(true)) {
        functions_->close(session_);
    }
}

}  // namespace voltora::visa
