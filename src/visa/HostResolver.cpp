#include "visa/HostResolver.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace voltora::visa {
namespace {

using Clock = std::chrono::steady_clock;

// Look-ups that may still be running after their callers gave up.
constexpr int kMaxAbandoned = 8;
// How often a waiting caller looks at its interruption flag.
constexpr std::chrono::milliseconds kInterruptPoll{20};

std::atomic<AddressLookup> lookupFunction{nullptr};
std::atomic<int> abandoned{0};

AddressLookup Lookup()
{
    const AddressLookup chosen = lookupFunction.load();
    return chosen != nullptr ? chosen : &getaddrinfo;
}

addrinfo Hints(int flags)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | flags;
    return hints;
}

// Shared by the caller and the look-up thread; whichever is last frees it.
struct PendingLookUp {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool givenUp = false;
    int result = EAI_FAIL;
    addrinfo* found = nullptr;

    ~PendingLookUp()
    {
        if (found != nullptr) {
            freeaddrinfo(found);
        }
    }
};

}  // namespace

ViStatus ResolveHost(const std::string& host, const std::string& service,
                     Clock::time_point deadline, const std::atomic<bool>& interrupted,
                     AddressList& found)
{
    found.reset();
    // A numeric address needs no name service.
    addrinfo* list = nullptr;
    const addrinfo numeric = Hints(AI_NUMERICHOST);
    if (getaddrinfo(host.c_str(), service.c_str(), &numeric, &list) == 0 && list != nullptr) {
        found.reset(list);
        return VI_SUCCESS;
    }
    if (abandoned.load() >= kMaxAbandoned) {
        return VI_ERROR_RSRC_NFOUND;
    }
    auto pending = std::make_shared<PendingLookUp>();
    const AddressLookup lookup = Lookup();
    try {
        std::thread([pending, lookup, host, service] {
            const addrinfo hints = Hints(0);
            addrinfo* result = nullptr;
            const int status = lookup(host.c_str(), service.c_str(), &hints, &result);
            std::lock_guard<std::mutex> guard(pending->mutex);
            pending->result = status;
            pending->found = result;
            pending->finished = true;
            if (pending->givenUp) {
                --abandoned;
            }
            pending->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return VI_ERROR_SYSTEM_ERROR;
    }
    std::unique_lock<std::mutex> lock(pending->mutex);
    while (!pending->finished) {
        if (interrupted.load() || Clock::now() >= deadline) {
            pending->givenUp = true;
            ++abandoned;
            return interrupted.load() ? VI_ERROR_CONN_LOST : VI_ERROR_TMO;
        }
        pending->done.wait_until(lock, std::min(deadline, Clock::now() + kInterruptPoll));
    }
    if (pending->result != 0 || pending->found == nullptr) {
        return VI_ERROR_RSRC_NFOUND;
    }
    found.reset(pending->found);
    pending->found = nullptr;
    return VI_SUCCESS;
}

void SetAddressLookupForTesting(AddressLookup lookup)
{
    lookupFunction.store(lookup);
}

int AbandonedLookUps()
{
    return abandoned.load();
}

}  // namespace voltora::visa
