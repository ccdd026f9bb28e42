// USB-TMC framing, and a session against a device whose every transfer
// result and byte comes from the fuzz input: headers with any size, tag or
// attributes, short and oversized transfers, stalls, time-outs, and status
// replies of any content.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "visa/UsbTmcFraming.h"
#include "visa/UsbTmcSession.h"
#include "visa/UsbTmcTransport.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace voltora::visa;
using voltora::fuzz::Check;

namespace {

class HostileTransport : public IUsbTmcTransport {
public:
    explicit HostileTransport(voltora::fuzz::FuzzInput& input) : input_(input) {}

    UsbResult BulkOut(const std::uint8_t*, std::size_t size, std::size_t& sent,
                      std::chrono::milliseconds) override
    {
        const UsbResult result = Result();
        sent = result == UsbResult::Ok ? size : input_.Word() % (size + 1);
        return result;
    }
    UsbResult BulkIn(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                     std::chrono::milliseconds) override
    {
        const UsbResult result = Result();
        const std::string_view bytes = input_.Bytes(input_.Byte() % 80);
        received = std::min(bytes.size(), capacity);
        std::memcpy(data, bytes.data(), received);
        return result;
    }
    UsbResult ControlIn(std::uint8_t, std::uint8_t, std::uint16_t, std::uint16_t,
                        std::uint8_t* data, std::uint16_t length, std::size_t& received,
                        std::chrono::milliseconds) override
    {
        const UsbResult result = Result();
        const std::string_view bytes = input_.Bytes(input_.Byte() % 16);
        received = std::min<std::size_t>(bytes.size(), length);
        std::memcpy(data, bytes.data(), received);
        return result;
    }
    UsbResult ClearHalt(std::uint8_t) override { return Result(); }
    std::uint8_t BulkInEndpoint() const override { return 0x81; }
    std::uint8_t BulkOutEndpoint() const override { return 0x02; }
    std::uint16_t MaxPacketSize() const override { return 64; }
    std::string ProductName() const override { return "fuzz"; }
    void Cancel() override {}

private:
    // Mostly success; once the input runs out, the device is gone.
    UsbResult Result()
    {
        if (input_.Empty()) {
            return UsbResult::Disconnected;
        }
        const std::uint8_t pick = input_.Byte();
        switch (pick % 16) {
        case 0:
            return UsbResult::Timeout;
        case 1:
            return UsbResult::Stall;
        case 2:
            return UsbResult::Error;
        default:
            return UsbResult::Ok;
        }
    }

    voltora::fuzz::FuzzInput& input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    // The framing parsers on the raw input.
    if (auto header = usbtmc::ParseInHeader(bytes, size)) {
        Check(size >= usbtmc::kHeaderSize);
    }
    usbtmc::ParseCheckAbortBulkInStatus(bytes, size);

    voltora::fuzz::FuzzInput input(bytes, size);
    UsbTmcSession session(std::make_unique<HostileTransport>(input));
    const std::chrono::milliseconds timeout(input.Byte() % 4);
    std::vector<ViByte> buffer(1 + input.Byte() * 4);
    for (int round = 0; round < 8 && !input.Empty(); ++round) {
        if (input.Byte() % 3 == 0) {
            const ViByte query[] = "DATA:LAST?";
            std::size_t written = 0;
            session.Write(query, sizeof query - 1, written, timeout);
            Check(written <= sizeof query - 1);
        } else {
            std::size_t received = 0;
            bool end = false;
            session.Read(buffer.data(), buffer.size(), received, end, timeout);
            Check(received <= buffer.size());
        }
    }
    session.Close();
    return 0;
}
