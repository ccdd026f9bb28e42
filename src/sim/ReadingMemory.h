#pragma once

#include "sim/NumberText.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace voltora::sim {

// The meter's reading memory: the newest readings of the running acquisition,
// at most kCapacity, oldest dropped first. Each reading's text is written
// once when it is stored, so that "FETCh?" only copies texts.
class ReadingMemory {
public:
    static constexpr std::size_t kCapacity = 10000;

    ReadingMemory();

    void Clear();
    void Add(double value);

    std::size_t Count() const { return count_; }
    // Readings in storage order, oldest first; i < Count().
    double Value(std::size_t i) const;

    // "FETCh?": the readings, oldest first, separated by commas (no
    // terminator is appended).
    void AppendAll(std::string& out) const;

private:
    struct Entry {
        double value;
        // Readings are written with 8 significant digits: at most 15 characters.
        std::array<char, 15> text;
        unsigned char length;
    };

    std::size_t Slot(std::size_t i) const;

    std::vector<Entry> entries_;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

}  // namespace voltora::sim
