// The raw socket's reply buffer: bytes appended in any pieces, taken in any
// sizes, stale replies dropped in between. Every byte taken was received,
// in order, and none after a reply's end belongs to it.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "visa/SocketReplyBuffer.h"

#include <cstdlib>
#include <string>
#include <vector>

using namespace voltora::visa;
using voltora::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    voltora::fuzz::FuzzInput input(bytes, size);
    SocketReplyBuffer buffer;
    std::size_t appended = 0;
    std::size_t taken = 0;
    std::vector<ViByte> out(300);
    while (!input.Empty()) {
        const std::uint8_t op = input.Byte();
        switch (op % 3) {
        case 0: {
            const std::string_view piece = input.Bytes(op / 3);
            buffer.Append(piece.data(), piece.size());
            appended += piece.size();
            break;
        }
        case 1: {
            const std::size_t want = input.Byte();
            const bool ready = buffer.CanTake(want);
            bool end = false;
            const std::size_t before = buffer.Buffered();
            const std::size_t got = buffer.Take(out.data(), want, end);
            Check(got <= want);
            Check(got <= before);
            if (ready && want > 0) {
                Check(got > 0);
            }
            // A reply's end is its terminator, and nothing follows it.
            if (end) {
                Check(got > 0 && out[got - 1] == '\n');
            }
            for (std::size_t i = 0; i + 1 < got; ++i) {
                Check(out[i] != '\n');
            }
            taken += got;
            break;
        }
        default:
            buffer.DropNextReply();
            break;
        }
        Check(taken + buffer.Buffered() <= appended);
    }
    return 0;
}
