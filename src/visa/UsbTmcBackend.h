#pragma once

#include "visa/VisaBackend.h"

namespace voltora::visa {

// USB-TMC instruments through libusb: resources
// "USB[n]::0xVVVV::0xPPPP::serial[::interface]::INSTR". A search lists every
// USB-TMC interface (class 0xFE, subclass 3) on the machine; the model name
// of a session is the device's product string. Access to the devices is
// granted by the udev rule kUdevRule, installed with the program; without it
// an open fails with VI_ERROR_NPERMISSION and a message naming the rule.
class UsbTmcBackend : public IVisaBackend {
public:
    static constexpr const char* kUdevRule = "60-voltora-usbtmc.rules";

    bool Accepts(std::string_view resource) const override;
    ViStatus Open(std::string_view resource, std::chrono::milliseconds timeout,
                  std::unique_ptr<IVisaSession>& session) override;
    void Find(std::string_view expression, std::vector<std::string>& resources) override;
};

}  // namespace voltora::visa
