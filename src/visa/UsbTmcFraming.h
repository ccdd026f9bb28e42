#pragma once

// USB-TMC message framing as pure functions of bytes: the 12-byte headers of
// the Bulk-OUT and Bulk-IN messages, the 4-byte alignment, the bTag
// sequence, and the class-specific control requests used to abort a
// transfer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace voltora::visa::usbtmc {

constexpr std::size_t kHeaderSize = 12;

enum MessageId : std::uint8_t {
    kDevDepMsgOut = 1,
    kRequestDevDepMsgIn = 2,
    kDevDepMsgIn = 2,
};

// bmTransferAttributes bits.
constexpr std::uint8_t kEndOfMessage = 0x01;  // DEV_DEP_MSG_OUT and _IN
constexpr std::uint8_t kTermCharEnabled = 0x02;  // REQUEST_DEV_DEP_MSG_IN

// Class-specific requests.
enum Request : std::uint8_t {
    kInitiateAbortBulkOut = 1,
    kCheckAbortBulkOutStatus = 2,
    kInitiateAbortBulkIn = 3,
    kCheckAbortBulkInStatus = 4,
    kInitiateClear = 5,
    kCheckClearStatus = 6,
    kGetCapabilities = 7,
};

// bmRequestType of requests addressed to an endpoint or to the interface
// (device to host, class request).
constexpr std::uint8_t kRequestTypeEndpointIn = 0xA2;
constexpr std::uint8_t kRequestTypeInterfaceIn = 0xA1;

// USBTMC_status values.
enum Status : std::uint8_t {
    kStatusSuccess = 0x01,
    kStatusPending = 0x02,
    kStatusFailed = 0x80,
    kStatusTransferNotInProgress = 0x81,
};

// The interface class and subclass of a USB-TMC interface.
constexpr std::uint8_t kInterfaceClass = 0xFE;
constexpr std::uint8_t kInterfaceSubClass = 0x03;

// The tag after `tag`: 1 to 255 in turn, never 0.
std::uint8_t NextTag(std::uint8_t tag);

// Rounds up to a multiple of 4.
constexpr std::size_t Aligned(std::size_t size)
{
    return (size + 3) & ~std::size_t{3};
}

// One DEV_DEP_MSG_OUT transfer: header, `size` bytes of `data`, zero bytes
// up to a multiple of 4. `endOfMessage` is set on the last transfer of a
// message.
std::vector<std::uint8_t> DevDepMsgOut(std::uint8_t tag, const std::uint8_t* data,
                                       std::size_t size, bool endOfMessage);

// A REQUEST_DEV_DEP_MSG_IN header asking for at most `maxSize` bytes.
std::vector<std::uint8_t> RequestDevDepMsgIn(std::uint8_t tag, std::uint32_t maxSize,
                                             std::optional<std::uint8_t> termChar = {});

// The header of a DEV_DEP_MSG_IN transfer.
struct InHeader {
    std::uint8_t tag = 0;
    std::uint32_t transferSize = 0;
    bool endOfMessage = false;
};

// Reads a Bulk-IN header; std::nullopt when the bytes are too few, not a
// DEV_DEP_MSG_IN, or the tag and its inverse do not agree.
std::optional<InHeader> ParseInHeader(const std::uint8_t* bytes, std::size_t size);

// Size of a whole DEV_DEP_MSG_IN transfer carrying `transferSize` bytes,
// alignment included.
constexpr std::size_t InTransferLength(std::uint32_t transferSize)
{
    return Aligned(kHeaderSize + transferSize);
}

// The reply to CHECK_ABORT_BULK_IN_STATUS.
struct AbortInStatus {
    std::uint8_t status = 0;
    bool moreData = false;  // bmAbortBulkIn.D0: the device still holds data to drain
};
std::optional<AbortInStatus> ParseCheckAbortBulkInStatus(const std::uint8_t* bytes,
                                                         std::size_t size);

}  // namespace voltora::visa::usbtmc
