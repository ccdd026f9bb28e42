#include "visa/UsbTmcFraming.h"

#include <cstring>

namespace voltora::visa::usbtmc {
namespace {

void PutHeader(std::uint8_t* out, std::uint8_t messageId, std::uint8_t tag, std::uint32_t size)
{
    out[0] = messageId;
    out[1] = tag;
    out[2] = static_cast<std::uint8_t>(~tag);
    out[3] = 0;
    out[4] = static_cast<std::uint8_t>(size);
    out[5] = static_cast<std::uint8_t>(size >> 8);
    out[6] = static_cast<std::uint8_t>(size >> 16);
    out[7] = static_cast<std::uint8_t>(size >> 24);
}

}  // namespace

std::uint8_t NextTag(std::uint8_t tag)
{
    return tag == 255 ? 1 : static_cast<std::uint8_t>(tag + 1);
}

std::vector<std::uint8_t> DevDepMsgOut(std::uint8_t tag, const std::uint8_t* data,
                                       std::size_t size, bool endOfMessage)
{
    std::vector<std::uint8_t> transfer(Aligned(kHeaderSize + size), 0);
    PutHeader(transfer.data(), kDevDepMsgOut, tag, static_cast<std::uint32_t>(size));
    transfer[8] = endOfMessage ? kEndOfMessage : 0;
    if (size > 0) {
        std::memcpy(transfer.data() + kHeaderSize, data, size);
    }
    return transfer;
}

std::vector<std::uint8_t> RequestDevDepMsgIn(std::uint8_t tag, std::uint32_t maxSize,
                                             std::optional<std::uint8_t> termChar)
{
    std::vector<std::uint8_t> transfer(kHeaderSize, 0);
    PutHeader(transfer.data(), kRequestDevDepMsgIn, tag, maxSize);
    if (termChar) {
        transfer[8] = kTermCharEnabled;
        transfer[9] = *termChar;
    }
    return transfer;
}

std::optional<InHeader> ParseInHeader(const std::uint8_t* bytes, std::size_t size)
{
    if (size < kHeaderSize || bytes[0] != kDevDepMsgIn ||
        bytes[2] != static_cast<std::uint8_t>(~bytes[1]) || bytes[1] == 0) {
        return std::nullopt;
    }
    InHeader header;
    header.tag = bytes[1];
    header.transferSize = static_cast<std::uint32_t>(bytes[4]) |
                          static_cast<std::uint32_t>(bytes[5]) << 8 |
                          static_cast<std::uint32_t>(bytes[6]) << 16 |
                          static_cast<std::uint32_t>(bytes[7]) << 24;
    header.endOfMessage = (bytes[8] & kEndOfMessage) != 0;
    return header;
}

std::optional<AbortInStatus> ParseCheckAbortBulkInStatus(const std::uint8_t* bytes,
                                                         std::size_t size)
{
    if (size < 2) {
        return std::nullopt;
    }
    AbortInStatus status;
    status.status = bytes[0];
    status.moreData = (bytes[1] & 0x01) != 0;
    return status;
}

}  // namespace voltora::visa::usbtmc
