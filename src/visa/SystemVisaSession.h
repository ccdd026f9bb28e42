#pragma once

#include "visa/SystemVisaBackend.h"

#include <atomic>
#include <memory>

namespace voltora::visa {

// One session of a loaded VISA library. The time-out of each call is handed
// to the library as the session's VI_ATTR_TMO_VALUE; the library's own
// status codes are passed on unchanged.
class SystemVisaSession : public IVisaSession {
public:
    SystemVisaSession(std::shared_ptr<const SystemVisaFunctions> functions, ViSession session);
    ~SystemVisaSession() override;

    ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds timeout) override;
    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds timeout) override;
    std::string ModelName() override;
    // Closes the library's session; whether that wakes a call blocked in
    // another thread is up to the library.
    void Close() override;

private:
    ViStatus ApplyTimeout(std::chrono::milliseconds timeout);

    std::shared_ptr<const SystemVisaFunctions> functions_;
    ViSession session_;
    std::atomic<bool> closed_{false};
    std::int64_t timeoutMs_ = -1;  // last value given to the library
};

}  // namespace voltora::visa
