#include "visa/SystemVisaBackend.h"

#include "visa/SystemVisaSession.h"

#include <dlfcn.h>

namespace voltora::visa {
namespace {

template <typename Function>
bool Resolve(void* handle, const char* name, Function& function, std::string& error)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (function == nullptr && error.empty()) {
        error = std::string("the library has no ") + name;
    }
    return function != nullptr;
}

}  // namespace

SystemVisaBackend::SystemVisaBackend(std::string libraryPath)
{
    // Local binding: the library's names must not replace this program's own
    // VISA functions, nor ours its.
    handle_ = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        loadError_ = "cannot load " + libraryPath + ": " + (reason ? reason : "unknown error");
        return;
    }
    auto functions = std::make_shared<SystemVisaFunctions>();
    std::string missing;
    Resolve(handle_, "viOpenDefaultRM", functions->openDefaultRM, missing);
    Resolve(handle_, "viOpen", functions->open, missing);
    Resolve(handle_, "viClose", functions->close, missing);
    Resolve(handle_, "viWrite", functions->write, missing);
    Resolve(handle_, "viRead", functions->read, missing);
    Resolve(handle_, "viFindRsrc", functions->findRsrc, missing);
    Resolve(handle_, "viFindNext", functions->findNext, missing);
    Resolve(handle_, "viGetAttribute", functions->getAttribute, missing);
    Resolve(handle_, "viSetAttribute", functions->setAttribute, missing);
    if (!missing.empty()) {
        loadError_ = libraryPath + " is not a VISA library: " + missing;
        dlclose(handle_);
        handle_ = nullptr;
        return;
    }
    functions_ = std::move(functions);
}

SystemVisaBackend::~SystemVisaBackend()
{
    // The library stays loaded: sessions may outlive the back-end, and many
    // VISA libraries do not survive being unloaded.
    if (functions_ && rm_ != 0) {
        functions_->close(rm_);
    }
}

bool SystemVisaBackend::Accepts(std::string_view resource) const
{
    return !resource.empty();
}

ViStatus SystemVisaBackend::ResourceManager(ViSession& rm)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (rm_ == 0) {
        ViSession opened = 0;
        const ViStatus status = functions_->openDefaultRM(&opened);
        if (status < VI_SUCCESS) {
            return status;
        }
        rm_ = opened;
    }
    rm = rm_;
    return VI_SUCCESS;
}

ViStatus SystemVisaBackend::Open(std::string_view resource, std::chrono::milliseconds timeout,
                                 std::unique_ptr<IVisaSession>& session)
{
    if (!Loaded()) {
        return VI_ERROR_LIBRARY_NFOUND;
    }
    ViSession rm = 0;
    ViStatus status = ResourceManager(rm);
    if (status < VI_SUCCESS) {
        return status;
    }
    const std::string name(resource);
    ViSession opened = 0;
    status = functions_->open(rm, name.c_str(), 0, static_cast<ViUInt32>(timeout.count()),
                              &opened);
    if (status < VI_SUCCESS) {
        return status;
    }
    session = std::make_unique<SystemVisaSession>(functions_, opened);
    return VI_SUCCESS;
}

void SystemVisaBackend::Find(std::string_view expression, std::vector<std::string>& resources)
{
    ViSession rm = 0;
    if (!Loaded() || ResourceManager(rm) < VI_SUCCESS) {
        return;
    }
    const std::string pattern(expression);
    ViFindList list = 0;
    ViUInt32 count = 0;
    ViChar descriptor[VI_FIND_BUFLEN] = {};
    if (functions_->findRsrc(rm, pattern.c_str(), &list, &count, descriptor) < VI_SUCCESS) {
        return;
    }
    for (ViUInt32 i = 0; i < count; ++i) {
        if (i > 0) {
            descriptor[0] = '\0';
            if (functions_->findNext(list, descriptor) < VI_SUCCESS) {
                break;
            }
        }
        descriptor[VI_FIND_BUFLEN - 1] = '\0';
        resources.emplace_back(descriptor);
    }
    functions_->close(list);
}

}  // namespace voltora::visa
