#include "visa/DefaultBackends.h"

#include "visa/ResourceManager.h"
#include "visa/SocketBackend.h"
#include "visa/SystemVisaBackend.h"
#include "visa/UsbTmcBackend.h"
#include "visa/Vxi11Backend.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace voltora::visa {

void AddDefaultBackends(ResourceManager& manager)
{
    // A VISA library named by the environment takes every real resource, so
    // the user reaches all it knows, exactly as it lists them.
    const char* library = std::getenv(SystemVisaBackend::kEnvironmentVariable);
    if (library != nullptr && library[0] != '\0') {
        auto backend = std::make_shared<SystemVisaBackend>(library);
        if (!backend->Loaded()) {
            std::fprintf(stderr, "voltora: %s (named by %s); no instrument can be opened\n",
                         backend->LoadError().c_str(), SystemVisaBackend::kEnvironmentVariable);
        }
        manager.AddBackend(std::move(backend));
        return;
    }
    manager.AddBackend(std::make_shared<Vxi11Backend>());
    manager.AddBackend(std::make_shared<SocketBackend>());
    manager.AddBackend(std::make_shared<UsbTmcBackend>());
}

}  // namespace voltora::visa
