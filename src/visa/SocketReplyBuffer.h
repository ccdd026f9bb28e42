#pragma once

#include "visa/visa.h"

#include <cstddef>
#include <string>

namespace voltora::visa {

// Bytes received on a raw socket, handed out reply by reply. A socket
// carries no message boundaries, so a reply ends at its "\n" terminator
// (the meter ends every reply with one); replies arriving in pieces are
// joined here. Replies known to be stale (their query timed out) can be
// marked to be dropped when they arrive, so that they are never taken for
// the reply to a later query.
class SocketReplyBuffer {
public:
    void Append(const char* data, std::size_t size);

    // True when Take(size) can return without more data: a whole reply is
    // buffered, or at least `size` bytes of it.
    bool CanTake(std::size_t size) const;
    // Takes at most `size` bytes of the current reply; `end` is set when the
    // bytes taken include its terminator. Returns the number of bytes taken.
    std::size_t Take(ViByte* out, std::size_t size, bool& end);

    // The rest of the current reply (up to and including its "\n") will be
    // dropped, now or when it arrives. Calls add up.
    void DropNextReply();

    std::size_t Buffered() const { return data_.size() - offset_; }
    std::size_t RepliesToDrop() const { return toDrop_; }

private:
    void DiscardStale();

    std::string data_;
    std::size_t offset_ = 0;
    std::size_t toDrop_ = 0;
};

}  // namespace voltora::visa
