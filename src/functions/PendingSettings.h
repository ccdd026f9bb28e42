#pragma once

#include <boost/function.hpp>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

namespace voltora::functions {

// The settings the user changed and the worker has still to send. The
// user-interface thread marks a key; the worker runs the key's apply handler
// once per mark at the end of a cycle.
//
// Keys are registered before the worker first runs; from then on the maps
// keep their structure, so marking (user-interface thread) and applying
// (worker) need no lock beyond each counter's own atomicity.
class PendingSettings {
public:
    using ApplyHandler = boost::function<void()>;

    // Registers `key` with counter 0 and its apply handler; registering a key
    // again resets its counter and replaces its handler.
    void Register(const std::string& key, ApplyHandler handler);
    // Adds 1 atomically to the counter of `key`; unknown keys are ignored (no
    // handler could apply them).
    void Mark(const std::string& key);
    // Sets every counter to 0 (while the worker is suspended).
    void Clear();
    // The counter of `key` (0 for unknown keys).
    int Count(const std::string& key) const;
    // Worker: runs the handler of every marked key, in byte-wise key order,
    // and takes one mark off each.
    void ApplyMarked();

private:
    struct Counter {
        std::atomic<std::int32_t> count{0};
    };

    std::map<std::string, Counter> counts_;
    std::map<std::string, ApplyHandler> handlers_;
};

}  // namespace voltora::functions
