#include "functions/PendingSettings.h"

#include "platform/Atomic.h"

#include <utility>

namespace voltora::functions {

void PendingSettings::Register(const std::string& key, ApplyHandler handler)
{
    counts_.try_emplace(key);
    counts_.at(key).count = 0;
    handlers_[key] = std::move(handler);
}

void PendingSettings::Mark(const std::string& key)
{
    const auto it = counts_.find(key);
    if (it != counts_.end()) {
        platform::AtomicAdd32(it->second.count, 1);
    }
}

void PendingSettings::Clear()
{
    for (auto& entry : counts_) {
        entry.second.count.store(0);
    }
}

int PendingSettings::Count(const std::string& key) const
{
    const auto it = counts_.find(key);
    return it == counts_.end() ? 0 : it->second.count.load();
}

void PendingSettings::ApplyMarked()
{
    for (auto& [key, counter] : counts_) {
        if (counter.count.load() <= 0) {
            continue;
        }
        const auto handler = handlers_.find(key);
        if (handler != handlers_.end() && handler->second) {
            handler->second();
        }
        platform::AtomicAdd32(counter.count, -1);
    }
}

}  // namespace voltora::functions
