#pragma once

#include <mutex>

namespace voltora::platform {

// A recursive mutual-exclusion lock: the thread that holds it may take it
// again. Satisfies BasicLockable, so std::lock_guard / std::unique_lock work.
class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock() { mutex_.lock(); }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

}  // namespace voltora::platform
