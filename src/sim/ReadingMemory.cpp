#include "sim/ReadingMemory.h"

#include <cstring>

namespace voltora::sim {

ReadingMemory::ReadingMemory() : entries_(kCapacity) {}

void ReadingMemory::Clear()
{
    first_ = 0;
    count_ = 0;
}

void ReadingMemory::Add(double value)
{
    std::size_t slot;
    if (count_ < kCapacity) {
        slot = Slot(count_);
        ++count_;
    } else {
        slot = first_;
        first_ = (first_ + 1) % kCapacity;
    }
    Entry& entry = entries_[slot];
    entry.value = value;
    char text[kMaxScientificText];
    const std::size_t length = WriteScientific(text, value, kReadingPrecision);
    entry.length = static_cast<unsigned char>(length < entry.text.size() ? length : entry.text.size());
    std::memcpy(entry.text.data(), text, entry.length);
}

double ReadingMemory::Value(std::size_t i) const
{
    return entries_[Slot(i)].value;
}

void ReadingMemory::AppendAll(std::string& out) const
{
    if (count_ == 0) {
        return;
    }
    // Room for every text, its comma and the reply terminator.
    out.reserve(out.size() + count_ * (sizeof(Entry::text) + 1) + 1);
    for (std::size_t i = 0; i < count_; ++i) {
        const Entry& entry = entries_[Slot(i)];
        if (i != 0) {
            out += ',';
        }
        out.append(entry.text.data(), entry.length);
    }
}

std::size_t ReadingMemory::Slot(std::size_t i) const
{
    return (first_ + i) % kCapacity;
}

}  // namespace voltora::sim
