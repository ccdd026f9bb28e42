#pragma once

#include "visa/UsbTmcTransport.h"
#include "visa/VisaBackend.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace voltora::visa {

// A USB-TMC session over one interface. A message goes out as
// DEV_DEP_MSG_OUT transfers with EOM on the last; a read asks for the reply
// with REQUEST_DEV_DEP_MSG_IN and takes DEV_DEP_MSG_IN transfers of the same
// bTag, dropping any left from an earlier, abandoned request. A transfer
// that times out is aborted (INITIATE_ABORT_BULK_IN/OUT, then
// CHECK_ABORT_*_STATUS until done, draining Bulk-IN, within the session's
// time-out), and a halted endpoint is cleared, so that the next query starts
// on a clean link.
class UsbTmcSession : public IVisaSession {
public:
    // Largest message part sent in one Bulk-OUT transfer.
    static constexpr std::size_t kMaxOutTransfer = 1u << 20;
    // Largest reply part asked for in one request.
    static constexpr std::uint32_t kMaxInTransfer = 1u << 20;

    explicit UsbTmcSession(std::unique_ptr<IUsbTmcTransport> transport);

    ViStatus Write(const ViByte* data, std::size_t size, std::size_t& written,
                   std::chrono::milliseconds timeout) override;
    ViStatus Read(ViByte* buffer, std::size_t size, std::size_t& received, bool& end,
                  std::chrono::milliseconds timeout) override;
    std::string ModelName() override;
    // The USB-TMC clear: the device empties its input and output buffers.
    ViStatus Clear(std::chrono::milliseconds timeout) override;
    void Close() override;

    // The bTag of the last transfer sent (tests).
    std::uint8_t LastTag() const { return tag_; }

private:
    using Clock = std::chrono::steady_clock;

    std::uint8_t TakeTag();
    ViStatus StatusOf(UsbResult result) const;
    // Aborts the Bulk-OUT transfer `tag` and clears the endpoint's halt, all
    // by `deadline`.
    void AbortBulkOut(std::uint8_t tag, Clock::time_point deadline);
    // Aborts the Bulk-IN transfer `tag` and drains what the device still
    // has, by `deadline`; `halted`: the endpoint stalled and is cleared first.
    void AbortBulkIn(std::uint8_t tag, bool halted, Clock::time_point deadline);
    // Reads Bulk-IN until a short packet, a time-out or `deadline`; the
    // bytes are dropped.
    void DrainBulkIn(Clock::time_point deadline);

    std::unique_ptr<IUsbTmcTransport> transport_;
    std::uint8_t tag_ = 0;
    std::vector<std::uint8_t> in_;  // one Bulk-IN transfer being read
};

}  // namespace voltora::visa
