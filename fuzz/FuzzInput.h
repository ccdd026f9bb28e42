#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace voltora::fuzz {

// Hands out a fuzz input piece by piece: small numbers that steer a
// harness, and runs of bytes that play a peer's data.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }

    std::uint8_t Byte()
    {
        return at_ < size_ ? data_[at_++] : 0;
    }

    std::uint32_t Word()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | Byte();
        }
        return value;
    }

    // Up to `count` bytes (fewer at the end of the input).
    std::string_view Bytes(std::size_t count)
    {
        const std::size_t n = count < size_ - at_ ? count : size_ - at_;
        std::string_view bytes(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return bytes;
    }

    std::string_view Rest() { return Bytes(size_ - at_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace voltora::fuzz
