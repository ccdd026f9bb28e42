#pragma once

#include "visa/VisaBackend.h"

#include <memory>
#include <mutex>
#include <string>

namespace voltora::visa {

// The entry points of a VISA library loaded at run time.
struct SystemVisaFunctions {
    ViStatus (*openDefaultRM)(ViPSession) = nullptr;
    ViStatus (*open)(ViSession, ViConstRsrc, ViAccessMode, ViUInt32, ViPSession) = nullptr;
    ViStatus (*close)(ViObject) = nullptr;
    ViStatus (*write)(ViSession, ViConstBuf, ViUInt32, ViPUInt32) = nullptr;
    ViStatus (*read)(ViSession, ViPBuf, ViUInt32, ViPUInt32) = nullptr;
    ViStatus (*findRsrc)(ViSession, ViConstString, ViPFindList, ViPUInt32, ViChar*) = nullptr;
    ViStatus (*findNext)(ViFindList, ViChar*) = nullptr;
    ViStatus (*getAttribute)(ViObject, ViAttr, void*) = nullptr;
    ViStatus (*setAttribute)(ViObject, ViAttr, ViAttrState) = nullptr;
};

// Forwards every resource to a VISA library the user has installed (named by
// the environment variable VOLTORA_VISA_LIBRARY), so that all the resources
// that library knows are reachable. The library is loaded when the back-end
// is made; when that fails, every open is refused with
// VI_ERROR_LIBRARY_NFOUND and LoadError() says why.
class SystemVisaBackend : public IVisaBackend {
public:
    static constexpr const char* kEnvironmentVariable = "VOLTORA_VISA_LIBRARY";

    explicit SystemVisaBackend(std::string libraryPath);
    ~SystemVisaBackend() override;
    SystemVisaBackend(const SystemVisaBackend&) = delete;
    SystemVisaBackend& operator=(const SystemVisaBackend&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    const std::string& LoadError() const { return loadError_; }

    // Every resource: the library decides what it can open.
    bool Accepts(std::string_view resource) const override;
    ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                  std::unique_ptr<IVisaSession>& session) override;
    void Find(std::string_view expression, std::vector<std::string>& resources) override;

private:
    // The library's default resource manager, opened on first use.
    ViStatus ResourceManager(ViSession& rm);

    void* handle_ = nullptr;
    std::string loadError_;
    std::shared_ptr<const SystemVisaFunctions> functions_;
    std::mutex mutex_;
    ViSession rm_ = 0;
};

}  // namespace voltora::visa
