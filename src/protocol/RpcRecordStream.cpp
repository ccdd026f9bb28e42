#include "protocol/RpcRecordStream.h"

#include <algorithm>
#include <cstring>

#include <arpa/inet.h>

namespace voltora::protocol {
namespace {

constexpr std::size_t kMarkSize = 4;
constexpr std::size_t kInitialCapacity = 64 * 1024;

}  // namespace

std::uint32_t ReadWord(const char* at)
{
    std::uint32_t word = 0;
    std::memcpy(&word, at, sizeof(word));
    return ntohl(word);
}

void WriteRecordMark(char* mark, std::uint32_t size)
{
    const std::uint32_t value = htonl(RpcRecordStream::kLastFragment | size);
    std::memcpy(mark, &value, sizeof(value));
}

RpcRecordStream::RpcRecordStream(std::size_t maxRecordSize)
    : maxRecordSize_(maxRecordSize), buffer_(kInitialCapacity)
{
}

char* RpcRecordStream::Space(std::size_t minimum, std::size_t& room)
{
    if (buffer_.size() - end_ < minimum) {
        const std::size_t kept = end_ - begin_;
        if (begin_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
            if (recordEnd_ != 0) {
                recordEnd_ -= begin_;
            }
            begin_ = 0;
            end_ = kept;
        }
        if (buffer_.size() - end_ < minimum) {
            buffer_.resize(std::max(buffer_.size() * 2, kept + minimum));
        }
    }
    room = buffer_.size() - end_;
    return buffer_.data() + end_;
}

void RpcRecordStream::Commit(std::size_t count)
{
    end_ += std::min(count, buffer_.size() - end_);
}

RpcRecordStream::Result RpcRecordStream::NextRecord(const char*& data, std::size_t& size)
{
    char* const first = buffer_.data() + begin_;
    if (recordEnd_ != 0) {
        // Already found (and joined) by an earlier call.
        data = first;
        size = recordSize_;
        return Result::Complete;
    }
    // Find the last fragment first: the fragments are joined only once the
    // whole record is here, so a partial record is left as it came.
    std::size_t at = begin_;
    std::size_t counted = 0;
    for (;;) {
        if (end_ - at < kMarkSize) {
            return Result::NeedMore;
        }
        const std::uint32_t mark = ReadWord(buffer_.data() + at);
        const std::size_t length = mark & ~kLastFragment;
        // Marks count too, so that a stream of empty fragments is bounded.
        counted += kMarkSize + length;
        if (counted > maxRecordSize_) {
            return Result::TooLarge;
        }
        if (end_ - at - kMarkSize < length) {
            return Result::NeedMore;
        }
        at += kMarkSize + length;
        if ((mark & kLastFragment) != 0) {
            break;
        }
    }
    // Join the fragments' bodies at the front of the record.
    std::size_t joined = 0;
    for (std::size_t from = begin_; from < at;) {
        const std::size_t length = ReadWord(buffer_.data() + from) & ~kLastFragment;
        std::memmove(first + joined, buffer_.data() + from + kMarkSize, length);
        joined += length;
        from += kMarkSize + length;
    }
    recordEnd_ = at;
    recordSize_ = joined;
    data = first;
    size = joined;
    return Result::Complete;
}

void RpcRecordStream::Consume()
{
    if (recordEnd_ == 0) {
        return;
    }
    begin_ = recordEnd_;
    recordEnd_ = 0;
    if (begin_ == end_) {
        begin_ = 0;
        end_ = 0;
    }
}

}  // namespace voltora::protocol
