#pragma once

#include "visa/visa.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include <netdb.h>

namespace voltora::visa {

// getaddrinfo()'s signature, so that tests can stand in for a slow name
// service. Whatever it returns is freed with freeaddrinfo().
using AddressLookup = int (*)(const char* host, const char* service, const addrinfo* hints,
                              addrinfo** found);

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

// Resolves `host` and `service` (a port number as text) for a TCP
// connection before `deadline`. A numeric address is converted at once; a
// name is looked up on a thread of its own while the caller waits at most
// until the deadline (or until `interrupted` is set), so a slow or silent
// name service never holds the caller past its time-out. A look-up given up
// finishes (and frees its result) in the background; while too many of
// those are still running, further names are refused rather than piling up
// threads. VI_SUCCESS with a non-empty list, VI_ERROR_RSRC_NFOUND (unknown
// host, or refused), VI_ERROR_TMO, VI_ERROR_CONN_LOST (interrupted).
ViStatus ResolveHost(const std::string& host, const std::string& service,
                     std::chrono::steady_clock::time_point deadline,
                     const std::atomic<bool>& interrupted, AddressList& found);

// Replaces the look-up function (nullptr restores getaddrinfo); for tests.
void SetAddressLookupForTesting(AddressLookup lookup);

// Name look-ups given up by their callers and still running.
int AbandonedLookUps();

}  // namespace voltora::visa
