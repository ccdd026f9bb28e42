#include "visa/SocketReplyBuffer.h"

#include <algorithm>
#include <cstring>

namespace voltora::visa {

void SocketReplyBuffer::Append(const char* data, std::size_t size)
{
    if (offset_ > 0 && offset_ == data_.size()) {
        data_.clear();
        offset_ = 0;
    } else if (offset_ > (1u << 16) && offset_ * 2 > data_.size()) {
        data_.erase(0, offset_);
        offset_ = 0;
    }
    data_.append(data, size);
    DiscardStale();
}

void SocketReplyBuffer::DiscardStale()
{
    while (toDrop_ > 0 && offset_ < data_.size()) {
        const std::size_t newline = data_.find('\n', offset_);
        if (newline == std::string::npos) {
            offset_ = data_.size();
            break;
        }
        offset_ = newline + 1;
        --toDrop_;
    }
    if (offset_ == data_.size()) {
        data_.clear();
        offset_ = 0;
    }
}

bool SocketReplyBuffer::CanTake(std::size_t size) const
{
    if (toDrop_ > 0) {
        return false;
    }
    const std::size_t buffered = Buffered();
    if (buffered >= size) {
        return true;
    }
    return data_.find('\n', offset_) != std::string::npos;
}

std::size_t SocketReplyBuffer::Take(ViByte* out, std::size_t size, bool& end)
{
    end = false;
    if (toDrop_ > 0) {
        return 0;
    }
    const std::size_t newline = data_.find('\n', offset_);
    std::size_t available = Buffered();
    if (newline != std::string::npos) {
        available = newline + 1 - offset_;
    }
    const std::size_t n = std::min(size, available);
    std::memcpy(out, data_.data() + offset_, n);
    offset_ += n;
    end = newline != std::string::npos && offset_ == newline + 1;
    if (offset_ == data_.size()) {
        data_.clear();
        offset_ = 0;
    }
    return n;
}

void SocketReplyBuffer::DropNextReply()
{
    ++toDrop_;
    DiscardStale();
}

}  // namespace voltora::visa
